// Render cost of the instrument with 0, 1, 8 and 32 voices sounding, in
// blocks of 64, 512 and 4096 frames. Reports time per voice-frame and the
// share of one core that the case takes at 44.1 kHz.
#include <benchmark/benchmark.h>

#include <memory>
#include <vector>

#include "engine/epiano_engine.h"

namespace {

void render(benchmark::State& state) {
    const int voices = (int)state.range(0);
    const int frames = (int)state.range(1);
    std::unique_ptr<EpianoEngine> engine(new EpianoEngine());
    EpianoEngine& e = *engine;
    std::vector<float> left(frames), right(frames);
    // Low keys at full velocity ring for over ten seconds; every five seconds
    // of audio they are struck again, outside the timing.
    auto strike = [&] {
        e.selectProgram();  // selecting the program silences everything
        while (e.voiceCount()) e.render(left.data(), right.data(), 0);
        for (int i = 0; i < voices; i++) e.setParameter(21 + i, 1.f);
        e.render(left.data(), right.data(), 1);
    };
    strike();
    long sinceStrike = 0;
    for (auto _ : state) {
        if ((sinceStrike += frames) > 5 * 44100) {
            state.PauseTiming();
            strike();
            sinceStrike = 0;
            state.ResumeTiming();
        }
        e.render(left.data(), right.data(), frames);
        benchmark::DoNotOptimize(left.data());
        benchmark::DoNotOptimize(right.data());
        benchmark::ClobberMemory();
    }
    if (e.voiceCount() != voices) state.SkipWithError("voices died during the run");
    const double done = (double)state.iterations() * frames;
    if (voices)
        state.counters["per_voice_frame"] =
            benchmark::Counter(done * voices, benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
    state.counters["core_at_44k1"] =
        benchmark::Counter(done / 44100.0, benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

BENCHMARK(render)->ArgsProduct({{0, 1, 8, 32}, {64, 512, 4096}})->ArgNames({"voices", "frames"});

}  // namespace

BENCHMARK_MAIN();
