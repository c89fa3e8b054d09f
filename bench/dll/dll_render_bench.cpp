// Render cost of the product DLL of this build's width, loaded through its
// exported entry as a host loads it: 1, 8 and 32 voices sounding, in blocks
// of 64, 512 and 4096 frames. Prints nanoseconds per voice-frame and the
// share of one core the case takes at 44.1 kHz, from the median block of a
// run and the best of several runs (the least disturbed by other work on the
// machine).
//
// With --reference, a second DLL (an earlier build, say) is timed in the same
// run, its runs taking turns with this build's, so that load on the machine
// falls on both alike; the last column is its time over this build's.
//
// Google Benchmark has no Windows build among the Debian packages, so this
// program times with the performance counter itself, in the same terms as
// bench/engine/qelt-engine-bench, which measures the same engine natively.
//
//   qelt-dll-bench [--reference OTHER.dll] [RUNS]
//   (Qelt-epiano.dll beside the program; run under Wine)
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "tools/vsthost/plugin_library.h"

namespace {

constexpr float kSampleRate = 44100.f;
constexpr int kVoiceCounts[] = {1, 8, 32};
constexpr VstInt32 kBlockSizes[] = {64, 512, 4096};
constexpr VstInt32 kLargestBlock = 4096;
constexpr long kFramesPerRun = 1024000;      // about 23 s of audio
constexpr long kRestrikeFrames = 5 * 44100;  // low keys ring for over ten seconds
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

// One DLL, loaded and switched on.
struct Loaded {
    PluginLibrary library;
    RecordingHost host;
    std::unique_ptr<PluginInstance> plugin;

    bool load(const std::string& path) {
        std::string error;
        if (!library.load(path, &error) || !library.entry()) {
            std::fprintf(stderr, "%s: %s\n", path.c_str(), error.empty() ? "no entry" : error.c_str());
            return false;
        }
        AEffect* effect = host.create(library.entry());
        if (!effect) {
            std::fprintf(stderr, "%s: the instrument refused to start\n", path.c_str());
            return false;
        }
        plugin.reset(new PluginInstance(effect));
        plugin->start(kSampleRate, kLargestBlock);
        return true;
    }
};

// Seconds processReplacing takes over one run with `voices` keys held: the
// median block's time, times the blocks, so that a block the system
// interrupted (the clock is the wall clock) does not count.
double timeRun(PluginInstance& plugin, int voices, VstInt32 blockFrames, float** outputs, std::vector<double>& times) {
    auto strike = [&] {
        plugin.dispatch(effSetProgram, 0, 0);  // selecting the program silences every note
        for (int i = 0; i < voices; i++) plugin.setParameter(kFirstKeyParameter + i, 1.f);
    };
    AEffect* e = plugin.record();
    times.clear();
    long sinceStrike = kRestrikeFrames;
    for (long done = 0; done < kFramesPerRun; done += blockFrames) {
        if (sinceStrike >= kRestrikeFrames) {
            strike();
            sinceStrike = 0;
        }
        double start = now();
        e->processReplacing(e, nullptr, outputs, blockFrames);
        times.push_back(now() - start);
        sinceStrike += blockFrames;
    }
    std::nth_element(times.begin(), times.begin() + times.size() / 2, times.end());
    return times[times.size() / 2] * (double)times.size();
}

}  // namespace

int main(int argc, char** argv) {
    int runs = kDefaultRuns;
    std::string referencePath;
    for (int i = 1; i < argc; i++) {
        if (!std::strcmp(argv[i], "--reference") && i + 1 < argc)
            referencePath = argv[++i];
        else
            runs = std::atoi(argv[i]);
    }
    if (runs < 1) runs = 1;
    Loaded build, reference;
    if (!build.load("Qelt-epiano.dll")) return 1;
    const bool compare = !referencePath.empty();
    if (compare && !reference.load(referencePath)) return 1;
    std::vector<float> left(kLargestBlock), right(kLargestBlock);
    float* outputs[2] = {left.data(), right.data()};
    std::vector<double> times;
    times.reserve(kFramesPerRun / kBlockSizes[0]);

    std::printf("%d-bit DLL, best of %d runs of %ld frames%s%s\n", (int)(8 * sizeof(void*)), runs, kFramesPerRun,
                compare ? ", beside " : "", referencePath.c_str());
    std::printf("%-7s %7s %18s %17s", "voices", "frames", "ns per voice-frame", "core at 44.1 kHz");
    if (compare) std::printf(" %18s %8s", "reference ns/v-f", "ratio");
    std::printf("\n");
    for (int voices : kVoiceCounts)
        for (VstInt32 frames : kBlockSizes) {
            double best = 1e30, bestReference = 1e30;
            for (int run = 0; run < runs; run++) {
                best = std::min(best, timeRun(*build.plugin, voices, frames, outputs, times));
                if (compare)
                    bestReference = std::min(bestReference, timeRun(*reference.plugin, voices, frames, outputs, times));
            }
            double perVoiceFrame = best / ((double)kFramesPerRun * voices);
            double coreShare = best / (kFramesPerRun / (double)kSampleRate);
            std::printf("%-7d %7d %18.3f %16.2f%%", voices, (int)frames, perVoiceFrame * 1e9, coreShare * 100);
            if (compare)
                std::printf(" %18.3f %8.2f", bestReference / ((double)kFramesPerRun * voices) * 1e9,
                            bestReference / best);
            std::printf("\n");
        }
    return 0;
}
