// Render cost of the product DLL of this build's width, loaded through its
// exported entry as a host loads it: 1, 8 and 32 voices sounding, 512-frame
// blocks. Prints nanoseconds per voice-frame and the share of one core the
// case takes at 44.1 kHz, the best of several runs (the least disturbed by
// other work on the machine).
//
// Google Benchmark has no Windows build among the Debian packages, so this
// program times with the performance counter itself, in the same terms as
// bench/engine/qelt-engine-bench, which measures the same engine natively.
//
//   qelt-dll-bench [RUNS]   (Qelt-epiano.dll beside the program; run under Wine)
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "tools/vsthost/plugin_library.h"

namespace {

constexpr VstInt32 kBlockFrames = 512;
constexpr float kSampleRate = 44100.f;
constexpr int kVoiceCounts[] = {1, 8, 32};
constexpr int kBlocksPerRun = 2000;            // about 23 s of audio
constexpr int kRestrikeBlocks = 5 * 44100 / kBlockFrames;  // low keys ring for over ten seconds
constexpr int kFirstKeyParameter = 21;
constexpr int kDefaultRuns = 5;

double now() {
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return (double)t.QuadPart / (double)frequency.QuadPart;
}

// Seconds spent in processReplacing over one run with `voices` keys held.
double timeRun(PluginInstance& plugin, int voices, float** outputs) {
    auto strike = [&] {
        plugin.dispatch(effSetProgram, 0, 0);  // selecting the program silences every note
        for (int i = 0; i < voices; i++) plugin.setParameter(kFirstKeyParameter + i, 1.f);
    };
    AEffect* e = plugin.record();
    double spent = 0;
    for (int block = 0; block < kBlocksPerRun; block++) {
        if (block % kRestrikeBlocks == 0) strike();
        double start = now();
        e->processReplacing(e, nullptr, outputs, kBlockFrames);
        spent += now() - start;
    }
    return spent;
}

}  // namespace

int main(int argc, char** argv) {
    int runs = argc > 1 ? std::atoi(argv[1]) : kDefaultRuns;
    if (runs < 1) runs = 1;
    PluginLibrary library;
    std::string error;
    if (!library.load("Qelt-epiano.dll", &error) || !library.entry()) {
        std::fprintf(stderr, "%s\n", error.empty() ? "Qelt-epiano.dll has no entry" : error.c_str());
        return 1;
    }
    RecordingHost host;
    AEffect* effect = host.create(library.entry());
    if (!effect) {
        std::fprintf(stderr, "the instrument refused to start\n");
        return 1;
    }
    PluginInstance plugin(effect);
    plugin.start(kSampleRate, kBlockFrames);
    std::vector<float> left(kBlockFrames), right(kBlockFrames);
    float* outputs[2] = {left.data(), right.data()};

    std::printf("%d-bit DLL, %d-frame blocks, best of %d runs of %d blocks\n", (int)(8 * sizeof(void*)),
                (int)kBlockFrames, runs, kBlocksPerRun);
    std::printf("%-8s %16s %18s %18s\n", "voices", "ns per block", "ns per voice-frame", "core at 44.1 kHz");
    for (int voices : kVoiceCounts) {
        double best = 1e30;
        for (int run = 0; run < runs; run++) best = std::min(best, timeRun(plugin, voices, outputs));
        double perBlock = best / kBlocksPerRun;
        double perVoiceFrame = perBlock / (kBlockFrames * (double)voices);
        double coreShare = perBlock / (kBlockFrames / (double)kSampleRate);
        std::printf("%-8d %16.0f %18.3f %17.2f%%\n", voices, perBlock * 1e9, perVoiceFrame * 1e9, coreShare * 100);
    }
    return 0;
}
