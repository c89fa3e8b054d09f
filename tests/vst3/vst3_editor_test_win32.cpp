// The VST 3 editor as a Windows host shows it: the view made by the
// controller of an instance loaded from the bundle, attached to a window of
// this program, its pixels read back and real input sent through the window
// system. The host gives it no idle call of any kind: the test only pumps
// its thread's messages, so whatever the editor shows after a host's change
// comes from its own timer. The processor and the controller stay apart
// behind the host's proxies, so keys reach the sound and come back only by
// message.
#include <gtest/gtest.h>

#include <windows.h>

#include <set>
#include <string>

#include "engine/epiano_program.h"
#include "tests/editor/editor_rig.h"
#include "tools/vst3host/vst3_editor_host.h"
#include "tools/vst3host/vst3_host.h"

namespace editortest {
namespace {

using namespace v3host;

constexpr const char* kHwnd = "HWND";
constexpr int32 kBlock = 512;
constexpr UINT_PTR kTestTimer = 77;

// Pumps this thread's messages until `window` has had `ticks` timer messages
// (5 s at most), then lets it paint. Timer messages for any other window
// are counted in `strays`. Returns the ticks seen.
int pumpTimerTicks(HWND window, int ticks, int* strays = nullptr) {
    int seen = 0;
    const DWORD start = GetTickCount();
    while (seen < ticks && GetTickCount() - start < 5000) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 100, QS_ALLINPUT);
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.message == WM_TIMER) {
                if (message.hwnd == window)
                    seen++;
                else if (strays)
                    ++*strays;
            }
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
    }
    pumpMessages(2);
    return seen;
}

BOOL CALLBACK countWindow(HWND, LPARAM counter) {
    ++*reinterpret_cast<int*>(counter);
    return TRUE;
}

int childWindowCount(HWND parent) {
    int count = 0;
    EnumChildWindows(parent, countWindow, reinterpret_cast<LPARAM>(&count));
    return count;
}

class Vst3HwndRig {
public:
    Vst3HwndRig() {
        hostWindow();
        std::string why;
        if (!module.load(QELT_VST3_BUNDLE, &why) || !instance.start(module, Vst3Setup(), &why)) {
            ADD_FAILURE() << why;
            return;
        }
        instance.controller()->setComponentHandler(handler.get());
    }
    ~Vst3HwndRig() { close(); }

    // A new view with the host's frame, attached in the host window.
    tresult open() {
        close();
        view.reset(instance.controller()->createView("editor"));
        if (!view) return kInternalError;
        view->setFrame(frame.get());
        const tresult result = view->attached(hostWindow(), kHwnd);
        pumpMessages();
        return result;
    }
    // As hosts close it: frame taken away, removed, released.
    void close() {
        if (!view) return;
        view->setFrame(nullptr);
        view->removed();
        view.reset();
        pumpMessages();
    }
    HWND editorWindow() const { return GetWindow(hostWindow(), GW_CHILD); }
    // The editor's own timer, twice: its idle work is done and drawn.
    int ticks(int count = 2) { return pumpTimerTicks(editorWindow(), count); }
    Picture shot() { return capture(editorWindow()); }
    Picture expected(const std::set<int>& pressedKeys = {}, int percent = 100) {
        float values[kNumParams];
        for (int i = 0; i < kNumParams; i++) values[i] = (float)instance.controller()->getParamNormalized((ParamID)i);
        return expectedEditor(values, pressedKeys, percent);
    }
    tresult setScale(float factor) {
        const tresult result = setContentScale(view.get(), factor);
        pumpMessages();
        return result;
    }
    // One block with these notes; the left channel's level.
    float play(EventList* notes = nullptr) {
        EXPECT_EQ(instance.process(kBlock, notes, nullptr), kResultOk);
        return rms(instance.left);
    }

    Vst3Module module;
    Vst3Instance instance;
    Ref<ComponentHandler> handler{new ComponentHandler()};
    Ref<PlugFrame> frame{new PlugFrame(nullptr)};  // a Windows host's: no run loop
    Ref<IPlugView> view;
};

class Vst3HwndEditor : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_FALSE(EditorPictures::get().background.empty()); }
    Vst3HwndRig rig;
};

TEST_F(Vst3HwndEditor, EmbedsInAWindowHandleOnly) {
    Ref<IPlugView> view(rig.instance.controller()->createView("editor"));
    ASSERT_TRUE(view);
    EXPECT_EQ(view->isPlatformTypeSupported(kHwnd), kResultTrue);
    for (const char* type : {"X11EmbedWindowID", "NSView", "", static_cast<const char*>(nullptr)})
        EXPECT_EQ(view->isPlatformTypeSupported(type), kResultFalse) << (type ? type : "null");
    EXPECT_EQ(view->attached(hostWindow(), "X11EmbedWindowID"), kResultFalse);
    EXPECT_EQ(view->attached(nullptr, kHwnd), kResultFalse);
    EXPECT_EQ(childWindowCount(hostWindow()), 0);
}

// The pictures come from the bundle's own resources; the knobs follow the
// host on the editor's timer alone.
TEST_F(Vst3HwndEditor, ShowsTheOtherFormatsPictureAndFollowsTheHostOnItsOwnTimer) {
    ASSERT_EQ(rig.open(), kResultOk);
    ASSERT_NE(rig.editorWindow(), nullptr);
    EXPECT_EQ(childWindowCount(hostWindow()), 1);
    ASSERT_EQ(rig.ticks(), 2) << "the editor's timer runs";
    EXPECT_EQ(differences(rig.shot(), rig.expected()), "");

    rig.instance.controller()->setParamNormalized(1, 0.9);
    rig.instance.controller()->setParamNormalized(4, 0.2);
    EXPECT_NE(differences(rig.shot(), rig.expected()), "") << "not drawn before the timer";
    ASSERT_EQ(rig.ticks(), 2);
    EXPECT_EQ(differences(rig.shot(), rig.expected()), "") << "drawn at the timer";
    EXPECT_TRUE(rig.handler->calls.empty()) << "a host's value is not echoed";
}

// The host's content scale: the size asked for before attached(), the
// picture drawn for it, and back to 100 % through resizeView.
TEST_F(Vst3HwndEditor, TheHostsContentScaleDrawsTheEditorForIt) {
    rig.frame->onResize = [](const ViewRect& size) { sizeHostWindow(size.right - size.left, size.bottom - size.top); };
    rig.view.reset(rig.instance.controller()->createView("editor"));
    ASSERT_TRUE(rig.view);
    ASSERT_EQ(rig.setScale(1.5f), kResultTrue);
    ViewRect size{};
    ASSERT_EQ(rig.view->getSize(&size), kResultOk);
    EXPECT_EQ(std::make_pair(size.right, size.bottom), std::make_pair(1095, 372));
    sizeHostWindow(1095, 372);
    rig.view->setFrame(rig.frame.get());
    ASSERT_EQ(rig.view->attached(hostWindow(), kHwnd), kResultOk);
    rig.ticks();
    EXPECT_EQ(differences(rig.shot(), rig.expected({}, 150)), "");

    ASSERT_EQ(rig.setScale(1.f), kResultTrue);
    rig.ticks();
    ASSERT_EQ(rig.frame->resizes.size(), 1u);
    EXPECT_EQ(std::make_pair(rig.frame->resizes[0].right, rig.frame->resizes[0].bottom), std::make_pair(730, 248));
    EXPECT_EQ(differences(rig.shot(), rig.expected()), "");
    rig.close();
    rig.frame->onResize = nullptr;
    sizeHostWindow(730, 248);
}

// A clicked key sounds in the next block; once released it stays lit until
// the processor has played the release, since the keys light from its
// messages. Host notes light their keys the same way.
TEST_F(Vst3HwndEditor, KeysPlayThroughTheProcessorAndLightFromItsMessages) {
    ASSERT_EQ(rig.open(), kResultOk);
    rig.ticks();
    EXPECT_EQ(rig.play(), 0.f);
    const Rect key = keyRect(61);
    POINT at = {key.centerX(), key.centerY()};
    ClientToScreen(rig.editorWindow(), &at);
    float level = 0;
    withInjection([&] {
        moveMouseTo(at);
        Sleep(60);
        mouseButton(MOUSEEVENTF_LEFTDOWN);
        Sleep(300);
        level = rig.play();  // the audio thread's next block
        mouseButton(MOUSEEVENTF_LEFTUP);
        Sleep(200);
    });
    mouseButton(MOUSEEVENTF_LEFTUP);
    EXPECT_GT(level, 1e-3f) << "the clicked key sounds";
    ASSERT_EQ(rig.ticks(), 2);
    EXPECT_EQ(differences(rig.shot(), rig.expected({61})), "") << "the processor still holds it";
    rig.play();
    rig.ticks();
    EXPECT_EQ(differences(rig.shot(), rig.expected()), "") << "released by the processor";

    Ref<EventList> notes(new EventList());
    notes->noteOn(0, 64, 0.7f);
    notes->noteOn(0, 21, 0.7f);
    rig.play(notes.get());
    rig.ticks();
    EXPECT_EQ(differences(rig.shot(), rig.expected({21, 64})), "") << "host notes light their keys";
    EXPECT_GT(rig.instance.toProcessor()->messages, 0);
    EXPECT_GT(rig.instance.toController()->messages, 0);
    EXPECT_TRUE(rig.handler->calls.empty()) << "keys are no parameters";
}

// removed() takes the editor's window and its timer: further messages never
// reach the view, and the host's window is empty.
TEST_F(Vst3HwndEditor, RemovedLeavesNoWindowAndNoTimer) {
    ASSERT_EQ(rig.open(), kResultOk);
    ASSERT_EQ(rig.ticks(), 2);
    const HWND editor = rig.editorWindow();
    EXPECT_EQ(rig.view->removed(), kResultOk);
    EXPECT_EQ(childWindowCount(hostWindow()), 0);
    EXPECT_FALSE(IsWindow(editor));
    rig.instance.controller()->setParamNormalized(2, 0.7);  // no view to tell
    int strays = 0;
    SetTimer(hostWindow(), kTestTimer, 20, nullptr);
    EXPECT_EQ(pumpTimerTicks(hostWindow(), 5, &strays), 5);
    KillTimer(hostWindow(), kTestTimer);
    EXPECT_EQ(strays, 0) << "no timer message for the editor's window";
    EXPECT_EQ(rig.view->removed(), kResultFalse) << "removed once";

    ASSERT_EQ(rig.view->attached(hostWindow(), kHwnd), kResultOk) << "the same view again";
    ASSERT_EQ(rig.ticks(), 2);
    EXPECT_EQ(differences(rig.shot(), rig.expected()), "");
}

TEST_F(Vst3HwndEditor, OpeningAndClosingRepeatedlyLeavesTheObjectCountsFlat) {
    auto cycle = [&](int i) {
        ASSERT_EQ(rig.open(), kResultOk);
        rig.instance.controller()->setParamNormalized((ParamID)(i % kNumParams), 0.1 * (i % 10));
        ASSERT_EQ(rig.ticks(1), 1);
        rig.close();
    };
    for (int i = 0; i < 2; ++i) cycle(i);  // what is made once per program (window class, cached objects)
    const int gdi = gdiObjectCount(), user = userObjectCount(), windows = threadWindowCount();
    EXPECT_GT(gdi, 0);
    // Wine answers 0 USER objects; there the thread's windows stand for them.
    for (int i = 0; i < 20; ++i) cycle(i);
    EXPECT_EQ(gdiObjectCount(), gdi);
    EXPECT_EQ(userObjectCount(), user);
    EXPECT_EQ(threadWindowCount(), windows);
    EXPECT_EQ(childWindowCount(hostWindow()), 0);
}

}  // namespace
}  // namespace editortest
