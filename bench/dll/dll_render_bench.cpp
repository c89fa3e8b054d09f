// Render cost of the product DLL of this build's width, loaded through its
// exported entry as a host loads it: 1, 8 and 32 voices sounding, in blocks
// of 64, 512 and 4096 frames. Prints nanoseconds per voice-frame and the
// share of one core the case takes at 44.1 kHz, from the median batch of
// 4096 frames of a run and the best of several runs (the least disturbed by
// other work on the machine).
//
// With --reference, a second DLL (an earlier build, say) is timed in the same
// run, its runs taking turns with this build's, so that load on the machine
// falls on both alike; the last column is its time over this build's.
//
// With --demo, it plays the whole demo phrase instead (demo-phrase.mid beside
// the program) as the renderer makes the demo, the tail included, in blocks
// of 64 and 512 frames, and prints the real-time factor: seconds of audio per
// second of the plug-in's own calls (events and render) in the best run, and
// beside it the same over the whole render, the host's work included.
//
// Google Benchmark has no Windows build among the Debian packages, so this
// program times with the performance counter itself, in the same terms as
// bench/engine/qelt-engine-bench, which measures the same engine natively.
//
//   qelt-dll-bench [--demo] [--reference OTHER.dll] [RUNS]
//   (Qelt-epiano.dll beside the program; run under Wine)
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "tools/render-midi/render_host.h"
#include "tools/vsthost/plugin_library.h"

namespace {

constexpr float kSampleRate = 44100.f;
constexpr int kVoiceCounts[] = {1, 8, 32};
constexpr VstInt32 kBlockSizes[] = {64, 512, 4096};
constexpr VstInt32 kLargestBlock = 4096;
constexpr long kFramesPerRun = 1024000;      // about 23 s of audio
constexpr long kBatchFrames = 4096;          // timed together
constexpr long kRestrikeFrames = 5 * 44100;  // low keys ring for over ten seconds
constexpr int kFirstKeyParameter = 21;
constexpr int kDefaultRuns = 5;
constexpr VstInt32 kDemoBlockSizes[] = {64, 512};

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
// median batch's time, times the batches, so that a batch the system
// interrupted (the clock is the wall clock) does not count. A batch is the
// blocks of kBatchFrames frames: one 64-frame block alone takes a few clock
// ticks under Wine.
double timeRun(PluginInstance& plugin, int voices, VstInt32 blockFrames, float** outputs, std::vector<double>& times) {
    auto strike = [&] {
        plugin.dispatch(effSetProgram, 0, 0);  // selecting the program silences every note
        for (int i = 0; i < voices; i++) plugin.setParameter(kFirstKeyParameter + i, 1.f);
    };
    AEffect* e = plugin.record();
    const long blocksPerBatch = std::max(1L, kBatchFrames / blockFrames);
    times.clear();
    long sinceStrike = kRestrikeFrames;
    for (long done = 0; done < kFramesPerRun; done += blocksPerBatch * blockFrames) {
        if (sinceStrike >= kRestrikeFrames) {
            strike();
            sinceStrike = 0;
        }
        double start = now();
        for (long b = 0; b < blocksPerBatch; b++) e->processReplacing(e, nullptr, outputs, blockFrames);
        times.push_back(now() - start);
        sinceStrike += blocksPerBatch * blockFrames;
    }
    std::nth_element(times.begin(), times.begin() + times.size() / 2, times.end());
    return times[times.size() / 2] * (double)times.size();
}

// The demo phrase beside the program.
bool readDemo(MidiSong* song) {
    char path[MAX_PATH];
    DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return false;
    std::string file(path, length);
    file = file.substr(0, file.find_last_of("\\/") + 1) + "demo-phrase.mid";
    FILE* in = std::fopen(file.c_str(), "rb");
    if (!in) {
        std::fprintf(stderr, "%s: cannot read\n", file.c_str());
        return false;
    }
    std::vector<uint8_t> bytes;
    for (int c; (c = std::fgetc(in)) != EOF;) bytes.push_back((uint8_t)c);
    std::fclose(in);
    MidiFileError error;
    if (parseMidiFile(bytes, song, &error)) return true;
    std::fprintf(stderr, "%s: %s\n", file.c_str(), error.message.c_str());
    return false;
}

// Adds up the time of the plug-in's own calls.
struct CallClock final : PluginCallWatch {
    double start = 0, seconds = 0;
    void entering() override { start = now(); }
    void left() override { seconds += now() - start; }
};

// One render of the song through a fresh instance: the seconds of the
// plug-in's calls and of the whole render, and the frames it made. False
// when the instance does not start.
struct DemoRun {
    double calls = 0, whole = 0;
    uint64_t frames = 0;
};
bool timeDemo(const PluginLibrary& library, const MidiSong& song, VstInt32 blockFrames, DemoRun* run) {
    RenderSettings settings;
    settings.blockSize = blockFrames;
    RenderHost host;
    std::string why;
    if (!host.start(library.entry(), settings.sampleRate, blockFrames, &why)) {
        std::fprintf(stderr, "the instrument refused to start: %s\n", why.c_str());
        return false;
    }
    CallClock clock;
    host.watchCalls(&clock);
    RenderStats stats;
    double start = now();
    host.render(song, settings, [](const float*, const float*, VstInt32) { return true; }, &stats);
    run->whole = now() - start;
    run->calls = clock.seconds;
    run->frames = stats.frames;
    return true;
}

int benchDemo(const Loaded& build, const Loaded* reference, int runs) {
    MidiSong song;
    if (!readDemo(&song)) return 1;
    std::printf("%d-bit DLL, the demo phrase, best of %d runs%s\n", (int)(8 * sizeof(void*)), runs,
                reference ? ", beside the reference" : "");
    std::printf("%-7s %8s %16s %10s", "frames", "seconds", "real-time factor", "with host");
    if (reference) std::printf(" %16s %10s %6s", "reference factor", "with host", "ratio");
    std::printf("\n");
    for (VstInt32 frames : kDemoBlockSizes) {
        // The best run of each, by the plug-in's calls and by the whole render.
        DemoRun best{1e30, 1e30, 0}, bestReference{1e30, 1e30, 0};
        for (int run = 0; run < runs; run++) {
            for (int which = 0; which < (reference ? 2 : 1); which++) {
                DemoRun r;
                if (!timeDemo(which ? reference->library : build.library, song, frames, &r)) return 1;
                DemoRun& b = which ? bestReference : best;
                b.calls = std::min(b.calls, r.calls);
                b.whole = std::min(b.whole, r.whole);
                b.frames = r.frames;
            }
        }
        const double audio = (double)best.frames / kSampleRate;
        std::printf("%-7d %8.3f %16.1f %10.1f", (int)frames, audio, audio / best.calls, audio / best.whole);
        if (reference) {
            const double referenceAudio = (double)bestReference.frames / kSampleRate;
            std::printf(" %16.1f %10.1f %6.2f", referenceAudio / bestReference.calls, referenceAudio / bestReference.whole,
                        (audio / best.calls) / (referenceAudio / bestReference.calls));
        }
        std::printf("\n");
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    int runs = kDefaultRuns;
    std::string referencePath;
    bool demo = false;
    for (int i = 1; i < argc; i++) {
        if (!std::strcmp(argv[i], "--reference") && i + 1 < argc)
            referencePath = argv[++i];
        else if (!std::strcmp(argv[i], "--demo"))
            demo = true;
        else
            runs = std::atoi(argv[i]);
    }
    if (runs < 1) runs = 1;
    Loaded build, reference;
    if (!build.load("Qelt-epiano.dll")) return 1;
    const bool compare = !referencePath.empty();
    if (compare && !reference.load(referencePath)) return 1;
    if (demo) return benchDemo(build, compare ? &reference : nullptr, runs);
    std::vector<float> left(kLargestBlock), right(kLargestBlock);
    float* outputs[2] = {left.data(), right.data()};
    std::vector<double> times;
    times.reserve(kFramesPerRun / kBatchFrames + 1);

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
