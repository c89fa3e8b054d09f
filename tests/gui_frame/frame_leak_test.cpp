// Opening and closing the editor window a thousand times leaves no window,
// GDI or USER object and no window class behind.
#include <gtest/gtest.h>

#include "tests/gui_frame/frame_test_support.h"

using namespace frametest;

namespace {

struct Counts {
    int gdi;
    int user;
    int windows;
};

Counts countsNow() {
    return Counts{gdiObjectCount(), (int)GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS), threadWindowCount()};
}

// One open and close as a host does it, with some drawing, input and a drag
// target in between.
void openUseAndClose(HostedTestPlugin& hosted, HostWindow& host, EventLog& log) {
    hosted.instance->dispatch(effEditOpen, 0, 0, host.parent());
    CFrame* frame = hosted.editor()->getFrame();
    frame->setBackgroundColor(kColorBlue);
    frame->addView(new RecordingView(CRect(10, 10, 60, 60), "a", &log));
    frame->addView(new RecordingView(CRect(70, 10, 120, 60), "b", &log));
    HWND window = static_cast<HWND>(frame->getSystemWindow());
    UpdateWindow(window);  // the first paint
    frame->getView(0)->setDirty(true);
    hosted.instance->dispatch(effEditIdle);
    SendMessageA(window, WM_LBUTTONDOWN, 0, MAKELPARAM(20, 20));
    frame->setCursor(kCursorHand);
    frame->setCursor(kCursorDefault);
    hosted.instance->dispatch(effEditClose);
}

}  // namespace

TEST(FrameLeaks, AThousandOpenAndCloseCyclesLeaveNothingBehind) {
    EventLog log;
    HostedTestPlugin hosted;
    hosted.editor()->setRect(200, 100);
    HostWindow host(200, 100);
    for (int i = 0; i < 10; ++i) openUseAndClose(hosted, host, log);  // caches settle
    pumpMessages();
    Counts before = countsNow();
    // The count sees a single object.
    HBRUSH probe = CreateSolidBrush(RGB(1, 2, 3));
    EXPECT_EQ(before.gdi + 1, gdiObjectCount());
    DeleteObject(probe);

    for (int i = 0; i < 1000; ++i) {
        openUseAndClose(hosted, host, log);
        if (i % 100 == 0) pumpMessages(1);
    }
    pumpMessages();
    Counts after = countsNow();

    EXPECT_EQ(before.gdi, after.gdi);
    EXPECT_EQ(before.user, after.user);
    EXPECT_EQ(before.windows, after.windows);
    EXPECT_TRUE(childWindows(host.handle()).empty());
    EXPECT_FALSE(windowClassRegistered());
    EXPECT_EQ(1010u, log.lines.size());  // every cycle's click arrived
}

TEST(FrameLeaks, WindowsDestroyedByTheHostBeforeTheEditorClosesLeaveNothingBehind) {
    EventLog log;
    HostedTestPlugin hosted;
    hosted.editor()->setRect(100, 50);
    auto cycle = [&] {
        HostWindow host(100, 50);
        hosted.instance->dispatch(effEditOpen, 0, 0, host.parent());
        UpdateWindow(static_cast<HWND>(hosted.editor()->getFrame()->getSystemWindow()));
        DestroyWindow(host.handle());  // the host closes its window first
        host.forget();
        hosted.instance->dispatch(effEditClose);
    };
    for (int i = 0; i < 5; ++i) cycle();
    pumpMessages();
    Counts before = countsNow();
    for (int i = 0; i < 200; ++i) cycle();
    pumpMessages();
    Counts after = countsNow();
    EXPECT_EQ(before.gdi, after.gdi);
    EXPECT_EQ(before.user, after.user);
    EXPECT_EQ(before.windows, after.windows);
    EXPECT_FALSE(windowClassRegistered());
}
