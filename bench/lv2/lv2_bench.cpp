// Render cost of the LV2 plug-in, loaded from its bundle through lilv as
// hosts load it: 1, 8 and 32 voices sounding, in blocks of 64, 512 and 4096
// frames, in time per voice-frame. Only the plug-in's run is timed, not the
// host's filling of the MIDI input.
//
// With --reference OTHER.lv2, a second bundle (an earlier build, say) is
// timed in the same run as lv2/reference/..., beside lv2/build/...; with
// --benchmark_enable_random_interleaving the two take turns, so that load on
// the machine falls on both alike (bench/speed_table.py prints them side by
// side).
//
//   qelt-lv2-bench [--reference OTHER.lv2] [Google Benchmark flags]
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "tools/lv2host/lv2_host.h"

namespace {

constexpr double kSampleRate = 44100;
constexpr uint32_t kLargestBlock = 4096;
constexpr long kRestrikeFrames = 5 * 44100;  // low keys at full velocity ring for over ten seconds
constexpr uint8_t kFirstKey = 21;
constexpr uint8_t kVelocity = 100;
constexpr long kSilenceFrames = 8192;  // a program change's fade is over long before this

// Times the plug-in's own run: the watch is told just around it.
class RunClock final : public PluginCallWatch {
public:
    void entering() override { start = std::chrono::steady_clock::now(); }
    void left() override { seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(); }
    double seconds = 0;

private:
    std::chrono::steady_clock::time_point start;
};

// A bundle's plug-in, instantiated and running.
struct Loaded {
    std::unique_ptr<Lv2World> world{new Lv2World()};
    std::unique_ptr<Lv2Instance> plugin;
    RunClock clock;

    bool load(const std::string& bundle, std::string* error) {
        if (!world->loadBundle(bundle, error)) return false;
        Lv2Instance::Setup setup;
        setup.sampleRate = kSampleRate;
        setup.maxBlock = kLargestBlock;
        plugin = Lv2Instance::create(*world, setup, error);
        if (!plugin) return false;
        plugin->watchRuns(&clock);
        return true;
    }
    // Program change 0 silences every note; once the fade is over, `voices`
    // low keys are struck.
    void strike(int voices, uint32_t frames) {
        plugin->run({Lv2Midi{0, 2, {0xC0, 0, 0}}}, frames);
        for (long done = frames; done < kSilenceFrames; done += frames) plugin->run({}, frames);
        std::vector<Lv2Midi> keys;
        for (int i = 0; i < voices; i++) keys.push_back(Lv2Midi{0, 3, {0x90, (uint8_t)(kFirstKey + i), kVelocity}});
        plugin->run(keys, frames);
    }
};

void perVoiceFrame(benchmark::State& state, Loaded* loaded) {
    const int voices = (int)state.range(0);
    const uint32_t frames = (uint32_t)state.range(1);
    const std::vector<Lv2Midi> none;
    long sinceStrike = kRestrikeFrames;
    for (auto _ : state) {
        if (sinceStrike >= kRestrikeFrames) {
            loaded->strike(voices, frames);  // (outside the timed run)
            sinceStrike = 0;
        }
        loaded->plugin->run(none, frames);
        state.SetIterationTime(loaded->clock.seconds);
        sinceStrike += frames;
    }
    const double done = (double)state.iterations() * frames;
    state.counters["per_voice_frame"] =
        benchmark::Counter(done * voices, benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
    state.counters["core_at_44k1"] =
        benchmark::Counter(done / kSampleRate, benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

bool registerBundle(const char* name, const std::string& bundle, std::vector<std::unique_ptr<Loaded>>& kept) {
    kept.emplace_back(new Loaded());
    std::string error;
    if (!kept.back()->load(bundle, &error)) {
        std::fprintf(stderr, "%s: %s\n", bundle.c_str(), error.c_str());
        return false;
    }
    for (int voices : {1, 8, 32})
        for (int frames : {64, 512, 4096})
            benchmark::RegisterBenchmark((std::string("lv2/") + name).c_str(), perVoiceFrame, kept.back().get())
                ->Args({voices, frames})
                ->ArgNames({"voices", "frames"})
                ->UseManualTime();
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    std::string reference;
    std::vector<char*> rest;
    for (int i = 0; i < argc; i++) {
        if (!std::strcmp(argv[i], "--reference") && i + 1 < argc)
            reference = argv[++i];
        else
            rest.push_back(argv[i]);
    }
    int count = (int)rest.size();
    benchmark::Initialize(&count, rest.data());
    std::vector<std::unique_ptr<Loaded>> kept;
    if (!registerBundle("build", QELT_LV2_BUNDLE, kept)) return 1;
    if (!reference.empty() && !registerBundle("reference", reference, kept)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
