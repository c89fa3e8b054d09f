// Opening the instrument's editor in an X window at each scale, drawing it
// whole once and closing it again: what a musician waits for when the
// editor comes up. Needs a display (run under xvfb-run -s "-screen 0
// 1600x1200x24").
#include <X11/Xlib.h>
#include <benchmark/benchmark.h>

#include <cstdint>

#include "editor/editor_host.h"
#include "editor/sdeditor.h"
#include "gui/cdrawcontext.h"
#include "gui/cframe.h"

namespace {

class QuietHost final : public EditorHost {
public:
    float parameterValue(int32_t) override { return 0.5f; }
    void beginEdit(int32_t) override {}
    void performEdit(int32_t, float) override {}
    void endEdit(int32_t) override {}
    void playKey(int32_t, float) override {}
    bool resizeWindow(int32_t, int32_t) override { return true; }
    void hostIdle() override {}
};

void openAndDraw(benchmark::State& state) {
    const int percent = int(state.range(0));
    Display* display = XOpenDisplay(nullptr);
    if (!display) {
        state.SkipWithError("no X display");
        return;
    }
    const Window host = XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, 1460, 496, 0, 0, 0);
    XMapWindow(display, host);
    XSync(display, False);
    QuietHost quiet;
    SDEditor editor(&quiet);
    editor.setHostScale(percent / 100.0);
    for (auto _ : state) {
        if (!editor.open(reinterpret_cast<void*>((uintptr_t)host))) {
            state.SkipWithError("the editor did not open");
            break;
        }
        VSTGUI::CFrame* frame = editor.getFrame();
        VSTGUI::CDrawContext* context = frame->createDrawContext();
        frame->draw(context);
        context->release();
        editor.close();
    }
    state.counters["width"] = editor.scalePercent() * 730 / 100;
    XDestroyWindow(display, host);
    XCloseDisplay(display);
}
BENCHMARK(openAndDraw)->Name("open/editor")->Arg(100)->Arg(150)->Arg(200)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
