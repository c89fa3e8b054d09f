// Render cost of the instrument, in time per voice-frame.
//
// render: the whole instrument through its render call with 0, 1, 8 and 32
//   voices sounding, in blocks of 64, 512 and 4096 frames; also the share of
//   one core the case takes at 44.1 kHz.
// mix/<path>: the voice mix alone on the same voices and recordings, for the
//   mix as it was (reference: one voice after the other) and for the new one
//   on each instruction set the processor has, in the same run, so that load
//   from other work on the machine falls on all of them alike. Blocks of 1 to
//   4096 frames, cut into the render call's 256-frame stretches.
// chain/<path>: mix and output stage, as the render call runs them (no event
//   handling): the render as it was against the render as it is.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "bench/engine/reference_mix.h"
#include "engine/epiano_engine.h"
#include "engine/voice_mix.h"

namespace {

constexpr int kMixFrames = 256;              // the render call's stretch
constexpr long kRestrikeFrames = 5 * 44100;  // low keys at full velocity ring for over ten seconds
constexpr int kFirstKeyParameter = 21;

// An instance with `voices` low keys struck; strike() silences and strikes again.
struct Struck {
    std::unique_ptr<EpianoEngine> engine{new EpianoEngine()};
    EpianoEngine& e = *engine;
    std::vector<float> left, right;
    int voices;

    Struck(int voices, int frames) : left(frames), right(frames), voices(voices) {
        strike();
    }
    void strike() {
        e.selectProgram();  // selecting the program silences everything
        while (e.voiceCount()) e.render(left.data(), right.data(), 0);
        for (int i = 0; i < voices; i++) e.setParameter(kFirstKeyParameter + i, 1.f);
        e.render(left.data(), right.data(), 1);
    }
};

void reportPerVoiceFrame(benchmark::State& state, int voices, int frames) {
    const double done = (double)state.iterations() * frames;
    if (voices)
        state.counters["per_voice_frame"] =
            benchmark::Counter(done * voices, benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
    state.counters["core_at_44k1"] =
        benchmark::Counter(done / 44100.0, benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

void render(benchmark::State& state) {
    const int voices = (int)state.range(0);
    const int frames = (int)state.range(1);
    Struck s(voices, frames);
    long sinceStrike = 0;
    for (auto _ : state) {
        if ((sinceStrike += frames) > kRestrikeFrames) {
            state.PauseTiming();
            s.strike();
            sinceStrike = 0;
            state.ResumeTiming();
        }
        s.e.render(s.left.data(), s.right.data(), frames);
        benchmark::DoNotOptimize(s.left.data());
        benchmark::DoNotOptimize(s.right.data());
        benchmark::ClobberMemory();
    }
    if (s.e.voiceCount() != voices) state.SkipWithError("voices died during the run");
    reportPerVoiceFrame(state, voices, frames);
}

BENCHMARK(render)->ArgsProduct({{0, 1, 8, 32}, {64, 512, 4096}})->ArgNames({"voices", "frames"});

enum class Mix { Reference, Sse2, Avx2 };

void runMix(Mix mix, Voice* voices, const int16_t* const* samples, int count, int frames, float* left, float* right) {
    if (mix == Mix::Reference)
        referenceMix(voices, samples, count, frames, left, right);
    else
        mixVoicesOn(mix == Mix::Sse2 ? MixPath::Sse2 : MixPath::Avx2, voices, samples, count, frames, left, right);
}

// The voices of a struck instance as plain records, played by `mix` over
// blocks of `frames` frames; with `chain`, each stretch then passes the
// output stage as in the render call.
void mixBlocks(benchmark::State& state, Mix mix, bool chain) {
    const int voices = (int)state.range(0);
    const int frames = (int)state.range(1);
    Struck s(voices, 1);
    const std::vector<Voice> struck = [&] {
        std::vector<Voice> v;
        for (int i = 0; i < voices; i++) v.push_back(s.e.voice(i));
        return v;
    }();
    std::vector<Voice> playing = struck;
    const int16_t* const* samples = librarySamples().data;
    OutputStage output = s.e.outputStage();
    const float volume = s.e.outputVolumeValue();
    std::vector<float> mixLeft(kMixFrames), mixRight(kMixFrames), left(frames), right(frames);
    long sinceStrike = 0;
    for (auto _ : state) {
        if ((sinceStrike += frames) > kRestrikeFrames) {
            playing = struck;  // (a copy of a few records: not worth pausing the clock)
            sinceStrike = 0;
        }
        for (int done = 0; done < frames; done += kMixFrames) {
            int n = std::min(kMixFrames, frames - done);
            runMix(mix, playing.data(), samples, voices, n, mixLeft.data(), mixRight.data());
            if (chain) output.processBlock(mixLeft.data(), mixRight.data(), n, volume, &left[done], &right[done]);
        }
        benchmark::DoNotOptimize(mixLeft.data());
        benchmark::DoNotOptimize(left.data());
        benchmark::ClobberMemory();
    }
    reportPerVoiceFrame(state, voices, frames);
}

// Registered case by case, the paths of one case side by side.
const int registered = [] {
    std::vector<std::pair<std::string, Mix>> mixes = {{"reference", Mix::Reference}, {"sse2", Mix::Sse2}};
    if (mixPathAvailable(MixPath::Avx2)) mixes.push_back({"avx2", Mix::Avx2});
    for (bool chain : {false, true})
        for (int voices : {1, 8, 32})
            for (int frames : {1, 16, 64, 512, 4096}) {
                if (chain && frames < 64) continue;
                for (const auto& [name, mix] : mixes)
                    benchmark::RegisterBenchmark(((chain ? "chain/" : "mix/") + name).c_str(), mixBlocks, mix, chain)
                        ->Args({voices, frames})
                        ->ArgNames({"voices", "frames"});
            }
    return 0;
}();

}  // namespace

BENCHMARK_MAIN();
