// The frame's child window: class, title, styles and size, the shared window
// class, the host destroying its window, painting and the idle redraw.
#include <gtest/gtest.h>

#include <cstdlib>

#include "tests/gui_frame/frame_test_support.h"

using namespace frametest;

namespace {

// Validates the whole window so that only what a test invalidates is painted.
void paintNow(HWND window) {
    UpdateWindow(window);
    pumpMessages();
}

}  // namespace

TEST(FrameWindow, ChildWindowHasTheClassTitleStylesAndSizeOfTheFrame) {
    HostWindow host(400, 300);
    TestFrame frame(CRect(0, 0, 220, 120), host.parent());
    HWND window = static_cast<HWND>(frame.getSystemWindow());
    ASSERT_TRUE(IsWindow(window));

    char text[256] = "";
    GetClassNameA(window, text, sizeof(text));
    EXPECT_EQ(expectedWindowClassName(), text);
    EXPECT_EQ(0u, std::string(text).find("Plugin"));
    // "Plugin" and the module handle in upper-case hexadecimal, two digits a
    // byte of a pointer: 8 on 32-bit Windows, 16 on 64-bit.
    ASSERT_EQ(6 + 2 * sizeof(void*), std::string(text).size());
    EXPECT_EQ(std::string::npos, std::string(text + 6).find_first_not_of("0123456789ABCDEF"));
    EXPECT_EQ((unsigned long long)(uintptr_t)VSTGUI::toolkitModule(), std::strtoull(text + 6, nullptr, 16));
    GetWindowTextA(window, text, sizeof(text));
    EXPECT_STREQ("Window", text);

    EXPECT_EQ(host.handle(), GetParent(window));
    LONG style = GetWindowLongA(window, GWL_STYLE);
    const LONG wanted = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN;
    EXPECT_EQ(wanted, style & wanted);
    EXPECT_EQ(0, style & (WS_CAPTION | WS_THICKFRAME | WS_POPUP));
    EXPECT_EQ(0, GetWindowLongA(window, GWL_EXSTYLE) & ~WS_EX_NOPARENTNOTIFY);

    RECT client;
    GetClientRect(window, &client);
    EXPECT_EQ(220, client.right);
    EXPECT_EQ(120, client.bottom);
    RECT bounds;
    GetWindowRect(window, &bounds);
    POINT corner = {bounds.left, bounds.top};
    ScreenToClient(host.handle(), &corner);
    EXPECT_EQ(0, corner.x);
    EXPECT_EQ(0, corner.y);

    EXPECT_EQ(reinterpret_cast<LONG_PTR>(static_cast<CFrame*>(&frame)), GetWindowLongPtrA(window, GWLP_USERDATA));
    EXPECT_TRUE(frame.isDropActive());
    EXPECT_TRUE(frame.isOpen());
    EXPECT_EQ(host.parent(), frame.getParentSystemWindow());
    EXPECT_TRUE(frame.isTypeOf("CFrame"));
    EXPECT_TRUE(frame.isTypeOf("CViewContainer"));
    EXPECT_TRUE(frame.isTypeOf("CView"));
    EXPECT_FALSE(frame.isTypeOf("CControl"));
    EXPECT_EQ(&frame, frame.getFrame());

    WNDCLASSA info;
    ASSERT_TRUE(GetClassInfoA(VSTGUI::toolkitModule(), expectedWindowClassName().c_str(), &info));
    EXPECT_EQ((UINT)CS_GLOBALCLASS, info.style & CS_GLOBALCLASS);
    EXPECT_EQ(LoadCursorA(nullptr, IDC_ARROW), info.hCursor);
    EXPECT_EQ(GetSysColorBrush(COLOR_BTNFACE), info.hbrBackground);
    EXPECT_EQ(0, info.cbWndExtra);
    EXPECT_EQ(VSTGUI::toolkitModule(), info.hInstance);
}

TEST(FrameWindow, WithoutParentThereIsNoWindowButTheFrameHoldsViews) {
    EventLog log;
    TestFrame frame(CRect(0, 0, 100, 100), nullptr);
    EXPECT_EQ(nullptr, frame.getSystemWindow());
    EXPECT_FALSE(windowClassRegistered());
    EXPECT_FALSE(frame.isDropActive());
    EXPECT_TRUE(frame.setDropActive(false));  // nothing to do
    EXPECT_FALSE(frame.setDropActive(true));  // no window to register
    RecordingView* view = new RecordingView(CRect(0, 0, 10, 10), "a", &log);
    frame.addView(view);
    EXPECT_EQ(1, frame.getViewCount());
    EXPECT_EQ(0, frame.getTicks());  // no editor
    CPoint x(0, 0);
    EXPECT_FALSE(frame.getPosition(x.h, x.v));
}

TEST(FrameWindow, AParentHandleThatNamesNoWindowIsRefusedAndLeavesNoClassBehind) {
    HWND gone;
    {
        HostWindow host(20, 20);
        gone = host.handle();
    }
    ASSERT_FALSE(IsWindow(gone));
    for (void* parent : {reinterpret_cast<void*>(0x00ABCDEF), static_cast<void*>(gone)}) {
        SCOPED_TRACE(parent);
        TestFrame frame(CRect(0, 0, 100, 100), parent);
        EXPECT_EQ(nullptr, frame.getSystemWindow());
        EXPECT_FALSE(frame.isDropActive());
        EXPECT_FALSE(frame.createWindow(parent)) << "asked again";
        EXPECT_FALSE(windowClassRegistered());
    }
    EXPECT_FALSE(windowClassRegistered());
}

TEST(FrameWindow, TwoFramesShareOneClassUntilTheLastIsGone) {
    HostWindow host(500, 300);
    EXPECT_FALSE(windowClassRegistered());
    TestFrame* first = new TestFrame(CRect(0, 0, 100, 100), host.parent());
    EXPECT_TRUE(windowClassRegistered());
    TestFrame* second = new TestFrame(CRect(0, 0, 120, 80), host.parent());
    char a[64] = "", b[64] = "";
    GetClassNameA(static_cast<HWND>(first->getSystemWindow()), a, sizeof(a));
    GetClassNameA(static_cast<HWND>(second->getSystemWindow()), b, sizeof(b));
    EXPECT_STREQ(a, b);
    EXPECT_EQ(2u, childWindows(host.handle()).size());

    delete first;
    EXPECT_TRUE(windowClassRegistered());
    EXPECT_EQ(1u, childWindows(host.handle()).size());
    // The remaining window still reaches its frame.
    HWND remaining = static_cast<HWND>(second->getSystemWindow());
    InvalidateRect(remaining, nullptr, FALSE);
    paintNow(remaining);
    EXPECT_FALSE(second->firstDraw);

    delete second;
    EXPECT_FALSE(windowClassRegistered());
    EXPECT_TRUE(childWindows(host.handle()).empty());

    // A later frame registers the class anew.
    TestFrame third(CRect(0, 0, 50, 50), host.parent());
    EXPECT_TRUE(windowClassRegistered());
}

TEST(FrameWindow, TheHostDestroyingItsWindowClosesTheFrame) {
    EventLog log;
    HostWindow* host = new HostWindow(300, 200);
    TestFrame* frame = new TestFrame(CRect(0, 0, 200, 100), host->parent());
    RecordingView* view = new RecordingView(CRect(0, 0, 50, 50), "a", &log);
    frame->addView(view);
    paintNow(static_cast<HWND>(frame->getSystemWindow()));
    ASSERT_TRUE(frame->getOpenFlag());

    DestroyWindow(host->handle());
    host->forget();
    EXPECT_FALSE(frame->getOpenFlag());
    EXPECT_FALSE(frame->isOpen());
    EXPECT_EQ(nullptr, frame->getParentSystemWindow());
    EXPECT_FALSE(frame->isDropActive());
    EXPECT_EQ(nullptr, frame->dropTarget);

    // From now on nothing draws or resizes.
    int draws = view->draws;
    view->setDirty(true);
    frame->idle();
    EXPECT_EQ(draws, view->draws);
    EXPECT_FALSE(frame->setSize(300, 300));
    int32_t x = 0, y = 0;
    EXPECT_FALSE(frame->getPosition(x, y));
    CRect r;
    EXPECT_FALSE(frame->getSize(r));

    delete frame;
    delete host;
    EXPECT_FALSE(windowClassRegistered());
}

TEST(FramePaint, IdleDrawsNothingBeforeTheFirstPaint) {
    EventLog log;
    HostWindow host(300, 200);
    TestFrame frame(CRect(0, 0, 200, 100), host.parent());
    RecordingView* view = new RecordingView(CRect(10, 10, 60, 60), "a", &log);
    frame.addView(view);
    ASSERT_TRUE(view->isDirty());

    frame.idle();
    EXPECT_EQ(0, view->draws);
    EXPECT_TRUE(frame.firstDraw);

    // The window's first paint comes as a real message.
    HWND window = static_cast<HWND>(frame.getSystemWindow());
    RECT pending;
    EXPECT_TRUE(GetUpdateRect(window, &pending, FALSE));
    paintNow(window);
    EXPECT_FALSE(frame.firstDraw);
    EXPECT_FALSE(GetUpdateRect(window, &pending, FALSE));
    int afterPaint = view->draws;
    EXPECT_GE(afterPaint, 1);

    // From then on idle draws what is dirty, and only that.
    frame.idle();
    EXPECT_EQ(afterPaint, view->draws);
    view->setDirty(true);
    frame.idle();
    EXPECT_EQ(afterPaint + 1, view->draws);
    EXPECT_FALSE(view->isDirty());
}

TEST(FramePaint, UpdatesDisabledAndInvalidateAndDrawView) {
    EventLog log;
    HostWindow host(300, 200);
    TestFrame frame(CRect(0, 0, 200, 100), host.parent());
    RecordingView* a = new RecordingView(CRect(0, 0, 40, 40), "a", &log);
    RecordingView* b = new RecordingView(CRect(40, 0, 80, 40), "b", &log);
    RecordingView* c = new RecordingView(CRect(100, 0, 140, 40), "c", &log);
    for (RecordingView* v : {a, b, c}) frame.addView(v);
    paintNow(static_cast<HWND>(frame.getSystemWindow()));

    EXPECT_FALSE(frame.setUpdatesDisabled(true));
    EXPECT_TRUE(frame.updatesDisabled());
    a->setDirty(true);
    int draws = a->draws;
    frame.idle();
    EXPECT_EQ(draws, a->draws);
    EXPECT_TRUE(frame.setUpdatesDisabled(false));
    frame.idle();
    EXPECT_EQ(draws + 1, a->draws);

    // Invalidate marks the direct children that touch the rectangle, edges included.
    frame.invalidate(CRect(80, 10, 90, 20));
    EXPECT_FALSE(a->isDirty());
    EXPECT_TRUE(b->isDirty());  // its right edge is 80
    EXPECT_FALSE(c->isDirty());
    frame.idle();
    EXPECT_FALSE(b->isDirty());

    // drawView draws one child straight away; a view that is no child draws the whole frame.
    int ad = a->draws, bd = b->draws, cd = c->draws;
    frame.drawView(b);
    EXPECT_EQ(ad, a->draws);
    EXPECT_EQ(bd + 1, b->draws);
    RecordingView stranger(CRect(0, 0, 5, 5), "x", &log);
    frame.drawView(&stranger);
    EXPECT_EQ(0, stranger.draws);
    EXPECT_EQ(ad + 1, a->draws);
    EXPECT_EQ(cd + 1, c->draws);
    b->drawNow();
    EXPECT_EQ(bd + 3, b->draws);
}

TEST(FrameLifetime, BlitEntriesLiveWithTheFramesAndAModalViewOutlivesItsFrame) {
    setAlphaBlendEntry(nullptr);
    setTransparentBltEntry(nullptr);
    EventLog log;
    bool destroyed = false;
    RecordingView* modal = new RecordingView(CRect(0, 0, 10, 10), "modal", &log);
    modal->destroyed = &destroyed;
    {
        HostWindow host(100, 100);
        TestFrame first(CRect(0, 0, 100, 100), host.parent());
        // Loaded from msimg32 by the frame; this platform reports itself as NT.
        EXPECT_NE(nullptr, alphaBlendEntry());
        EXPECT_NE(nullptr, transparentBltEntry());
        EXPECT_EQ((DWORD)VER_PLATFORM_WIN32_NT, osVersionRecord().dwPlatformId);
        {
            TestFrame second(CRect(0, 0, 50, 50), nullptr);
            EXPECT_NE(nullptr, transparentBltEntry());
        }
        EXPECT_NE(nullptr, transparentBltEntry());  // the first frame still holds the module
        EXPECT_TRUE(first.setModalView(modal));
        EXPECT_EQ(2, modal->getNbReference());
    }
    // With the last frame the entries go, so nothing calls into a module let go of.
    EXPECT_EQ(nullptr, alphaBlendEntry());
    EXPECT_EQ(nullptr, transparentBltEntry());
    EXPECT_FALSE(destroyed);
    EXPECT_EQ(1, modal->getNbReference());
    modal->release();
    EXPECT_TRUE(destroyed);
}
