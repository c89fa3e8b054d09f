// The editor's five pictures made into CBitmaps as the editor opens, at 100 %
// (BMP files), 150 % and 200 % (packed pictures unpacked).
#include <benchmark/benchmark.h>

#include "gui/cbitmap.h"

namespace {

void loadAll(benchmark::State& state) {
    const int percent = int(state.range(0));
    for (auto _ : state)
        for (int32_t id : {128, 130, 132, 134, 135}) {
            VSTGUI::CBitmap* bitmap = new VSTGUI::CBitmap(id, percent);
            if (bitmap->getWidth() == 0) state.SkipWithError("a picture did not load");
            benchmark::DoNotOptimize(bitmap->getHandle());
            bitmap->release();
        }
}
BENCHMARK(loadAll)->Name("load/editor_pictures")->Arg(100)->Arg(150)->Arg(200)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
