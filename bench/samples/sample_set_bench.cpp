// What the sample set costs: synthesising it (the generator's run, at build
// time), preparing the loops, and constructing instances. The first instance
// in a process pays for the preparation; later ones find it done.
#include <benchmark/benchmark.h>

#include <vector>

#include "engine/epiano_engine.h"
#include "engine/sample_set.h"
#include "tools/make-samples/recording_set.h"

namespace {

// Must run first in the process: nothing before it has prepared the set.
void FirstInstance(benchmark::State& state) {
    for (auto _ : state) delete new EpianoEngine();
}
BENCHMARK(FirstInstance)->Iterations(1)->Unit(benchmark::kMillisecond);

void LaterInstance(benchmark::State& state) {
    delete new EpianoEngine();
    for (auto _ : state) delete new EpianoEngine();
}
BENCHMARK(LaterInstance)->Unit(benchmark::kMicrosecond);

void PrepareLoops(benchmark::State& state) {
    const RecordingSet set = makeRecordingSet();
    std::vector<int16_t> copy;
    for (auto _ : state) {
        state.PauseTiming();
        copy = set.blob;
        int16_t* arrays[kNumSamples];
        for (int k = 0; k < kNumSamples; ++k) arrays[k] = copy.data() + set.offset[k];
        state.ResumeTiming();
        prepareLoops(arrays);
        benchmark::DoNotOptimize(copy.data());
    }
}
BENCHMARK(PrepareLoops)->Unit(benchmark::kMillisecond);

void SynthesiseSet(benchmark::State& state) {
    for (auto _ : state) benchmark::DoNotOptimize(makeRecordingSet().blob.data());
}
BENCHMARK(SynthesiseSet)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

BENCHMARK_MAIN();
