// Mouse, wheel, keys and focus as the window system and the host deliver
// them: real messages to the frame's window, a real injected click, and the
// host's key opcodes through the editor.
#include <gtest/gtest.h>

#include "gui/win32/platform_input.h"
#include "tests/gui_frame/frame_test_support.h"

using namespace frametest;

namespace {

// Host windows that record the wheel messages passed on to them.
int wheelMessagesSeen = 0;
WNDPROC previousHostProc = nullptr;
LRESULT CALLBACK countingHostProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_MOUSEWHEEL) ++wheelMessagesSeen;
    return CallWindowProcA(previousHostProc, window, message, wParam, lParam);
}

struct ClickRig {
    EventLog log;
    HostWindow host{400, 300, nullptr, 30, 40};
    TestFrame frame{CRect(0, 0, 300, 200), host.parent()};
    RecordingView* back = new RecordingView(CRect(0, 0, 100, 100), "back", &log);
    RecordingView* front = new RecordingView(CRect(50, 50, 150, 150), "front", &log);
    RecordingView* side = new RecordingView(CRect(200, 100, 250, 150), "side", &log);

    ClickRig() {
        frame.addView(back);
        frame.addView(front);
        frame.addView(side);
        pumpMessages();
    }
    HWND window() const { return static_cast<HWND>(frame.getSystemWindow()); }
    POINT toScreen(int x, int y) const {
        POINT p = {x, y};
        ClientToScreen(window(), &p);
        return p;
    }
};

}  // namespace

TEST(FrameMouse, ButtonMessagesReachTheTopMostViewUnderThePointer) {
    ClickRig rig;
    ScriptedInput input;
    input.add(CPoint(0, 0), {VK_LBUTTON});
    ScopedPlatformInput scoped(&input);

    // Posted, so it goes through the thread's queue and the window procedure.
    PostMessageA(rig.window(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(60, 70));
    pumpMessages();
    // The overlap of back and front belongs to the later view; the buttons are read live.
    EXPECT_EQ("front mouse 60,70 buttons 1", rig.log.joined());

    rig.log.clear();
    input.clear();
    input.add(CPoint(0, 0), {VK_RBUTTON, VK_SHIFT});
    SendMessageA(rig.window(), WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(100, 100));  // back's corner, inclusive
    SendMessageA(rig.window(), WM_MBUTTONDOWN, MK_MBUTTON, MAKELPARAM(250, 150));
    SendMessageA(rig.window(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(180, 20));  // nobody's
    EXPECT_EQ("front mouse 100,100 buttons 12; side mouse 250,150 buttons 12", rig.log.joined());
}

TEST(FrameMouse, PositionsAreUnsigned16BitWords) {
    EventLog log;
    HostWindow host(300, 200);
    TestFrame frame(CRect(0, 0, 300, 200), host.parent());
    RecordingView* wide = new RecordingView(CRect(65500, 0, 65600, 50), "wide", &log);
    frame.addView(wide);
    HWND window = static_cast<HWND>(frame.getSystemWindow());
    SendMessageA(window, WM_LBUTTONDOWN, 0, MAKELPARAM(-5, 10));
    EXPECT_EQ(0u, log.lines.size() == 1 ? log.lines[0].find("wide mouse 65531,10") : 1u);
}

TEST(FrameMouse, AModalViewTakesEveryClickInsideItAndDropsTheRest) {
    ClickRig rig;
    RecordingView* modal = new RecordingView(CRect(120, 20, 180, 80), "modal", &rig.log);
    modal->setWantsFocus(true);
    RecordingView* other = new RecordingView(CRect(0, 0, 10, 10), "other", &rig.log);
    EXPECT_TRUE(rig.frame.setModalView(modal));
    EXPECT_EQ(modal, rig.frame.getModalView());
    EXPECT_EQ(modal, rig.frame.getView(rig.frame.getViewCount() - 1));  // top-most
    EXPECT_FALSE(rig.frame.setModalView(other));                          // one at a time
    EXPECT_EQ(modal, rig.frame.getModalView());
    EXPECT_EQ(modal, rig.frame.getViewUnderCursor());

    rig.frame.setFocusView(rig.back);
    SendMessageA(rig.window(), WM_LBUTTONDOWN, 0, MAKELPARAM(60, 60));  // on front, outside the modal view
    EXPECT_EQ(nullptr, rig.frame.getFocusView());                       // focus goes all the same
    EXPECT_EQ("back losefocus", rig.log.joined());
    rig.log.clear();
    SendMessageA(rig.window(), WM_LBUTTONDOWN, 0, MAKELPARAM(180, 80));  // the modal view's corner
    EXPECT_EQ(0u, rig.log.joined().find("modal mouse 180,80"));

    // Taking the modal view away leaves it to its creator.
    bool destroyed = false;
    modal->destroyed = &destroyed;
    int before = rig.frame.getViewCount();
    EXPECT_TRUE(rig.frame.setModalView(nullptr));
    EXPECT_EQ(before - 1, rig.frame.getViewCount());
    EXPECT_FALSE(destroyed);
    EXPECT_EQ(1, modal->getNbReference());
    modal->release();
    EXPECT_TRUE(destroyed);
    other->release();

    rig.log.clear();
    SendMessageA(rig.window(), WM_LBUTTONDOWN, 0, MAKELPARAM(60, 60));
    EXPECT_EQ(0u, rig.log.joined().find("front mouse"));
}

TEST(FrameMouse, TheWheelReachesTheViewUnderThePointerAndGoesOnToTheParent) {
    ClickRig rig;
    wheelMessagesSeen = 0;
    previousHostProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(rig.host.handle(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(countingHostProc)));

    POINT at = rig.toScreen(225, 110);
    SendMessageA(rig.window(), WM_MOUSEWHEEL, MAKEWPARAM(0, WHEEL_DELTA), MAKELPARAM(at.x, at.y));
    SendMessageA(rig.window(), WM_MOUSEWHEEL, MAKEWPARAM(0, (WORD)(short)-WHEEL_DELTA), MAKELPARAM(at.x, at.y));
    SendMessageA(rig.window(), WM_MOUSEWHEEL, MAKEWPARAM(0, 2 * WHEEL_DELTA), MAKELPARAM(at.x, at.y));
    EXPECT_EQ("side wheel 225,110 axis 1 distance 1; side wheel 225,110 axis 1 distance -1; "
              "side wheel 225,110 axis 1 distance 2",
              rig.log.joined());
    EXPECT_EQ(3, wheelMessagesSeen);

    // Over no view: nothing, but the parent still gets it.
    rig.log.clear();
    POINT empty = rig.toScreen(280, 20);
    SendMessageA(rig.window(), WM_MOUSEWHEEL, MAKEWPARAM(0, WHEEL_DELTA), MAKELPARAM(empty.x, empty.y));
    EXPECT_TRUE(rig.log.lines.empty());
    EXPECT_EQ(4, wheelMessagesSeen);

    // A modal view gets the wheel wherever the pointer is.
    RecordingView* modal = new RecordingView(CRect(0, 150, 20, 170), "modal", &rig.log);
    rig.frame.setModalView(modal);
    SendMessageA(rig.window(), WM_MOUSEWHEEL, MAKEWPARAM(0, WHEEL_DELTA), MAKELPARAM(at.x, at.y));
    EXPECT_EQ("modal wheel 225,110 axis 1 distance 1", rig.log.joined());
    rig.frame.setModalView(nullptr);
    modal->release();
    SetWindowLongPtrA(rig.host.handle(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previousHostProc));
}

TEST(FrameCursor, ShapesWithoutAPictureOfTheirOwnRestoreTheDefaultCursor) {
    HostWindow host(200, 200);
    TestFrame frame(CRect(0, 0, 100, 100), host.parent());
    HCURSOR original = GetCursor();
    frame.setCursor(kCursorWait);
    EXPECT_EQ(LoadCursorA(nullptr, IDC_WAIT), GetCursor());
    frame.setCursor(kCursorCopy);  // 7
    EXPECT_EQ(original, GetCursor());
    frame.setCursor(kCursorHand);
    frame.setCursor(42);
    EXPECT_EQ(original, GetCursor());
}

TEST(FrameCursor, CursorLocationIsInFrameCoordinates) {
    HostWindow host(300, 200, nullptr, 70, 90);
    TestFrame frame(CRect(0, 0, 100, 100), host.parent());
    RECT bounds;
    GetWindowRect(static_cast<HWND>(frame.getSystemWindow()), &bounds);
    ScriptedInput input;
    input.add(CPoint(bounds.left + 12, bounds.top + 34));
    ScopedPlatformInput scoped(&input);
    CPoint where;
    EXPECT_TRUE(frame.getCursorLocation(where));
    EXPECT_EQ(CPoint(12, 34), where);
}

// Keys come from the host through the editor's key opcodes.
struct KeyRig {
    EventLog log;
    HostedTestPlugin hosted;
    HostWindow host{400, 200};
    RecordingView* a = new RecordingView(CRect(0, 0, 20, 20), "a", &log);
    RecordingView* plain = new RecordingView(CRect(30, 0, 50, 20), "plain", &log);
    CViewContainer* box = new CViewContainer(CRect(60, 0, 160, 50), nullptr);
    RecordingView* x = new RecordingView(CRect(0, 0, 20, 20), "x", &log);
    RecordingView* y = new RecordingView(CRect(30, 0, 50, 20), "y", &log);
    RecordingView* b = new RecordingView(CRect(200, 0, 220, 20), "b", &log);
    CFrame* frame = nullptr;

    KeyRig() {
        hosted.editor()->setRect(300, 100);
        EXPECT_EQ(1, hosted.instance->dispatch(effEditOpen, 0, 0, host.parent()));
        frame = hosted.editor()->getFrame();
        for (RecordingView* v : {a, x, y, b}) v->setWantsFocus(true);
        frame->addView(a);
        frame->addView(plain);
        frame->addView(box);
        box->addView(x);
        box->addView(y);
        frame->addView(b);
    }
    ~KeyRig() { hosted.instance->dispatch(effEditClose); }

    // effEditKeyDown: the character in index, the virtual key in value, the modifiers in opt.
    VstIntPtr press(unsigned char virt, unsigned char modifier = 0) {
        return hosted.instance->dispatch(effEditKeyDown, 0, virt, nullptr, (float)modifier);
    }
    std::string focusName() {
        CView* focus = frame->getFocusView();
        return focus ? static_cast<RecordingView*>(focus)->name : std::string("none");
    }
};

TEST(FrameKeys, TabWalksTheFocusThroughNestedContainersAndShiftTabWalksBack) {
    KeyRig rig;
    std::vector<std::string> forward;
    for (int i = 0; i < 5; ++i) {
        VstIntPtr used = rig.press(VSTGUI::kVirtualKeyTab);
        forward.push_back(rig.focusName() + (used ? "" : "(unused)"));
    }
    EXPECT_EQ((std::vector<std::string>{"a", "x", "y", "b", "none(unused)"}), forward);

    std::vector<std::string> backward;
    for (int i = 0; i < 5; ++i) {
        VstIntPtr used = rig.press(VSTGUI::kVirtualKeyTab, VSTGUI::kModifierShift);
        backward.push_back(rig.focusName() + (used ? "" : "(unused)"));
    }
    EXPECT_EQ((std::vector<std::string>{"b", "y", "x", "a", "none(unused)"}), backward);
}

TEST(FrameKeys, KeysGoToTheFocusViewThenTheModalViewAndTabIsRefusedWhileModal) {
    KeyRig rig;
    rig.frame->setFocusView(rig.b);
    rig.b->keyAnswer = 1;
    EXPECT_EQ(1, rig.press(VSTGUI::kVirtualKeyLeft));
    EXPECT_EQ(1, rig.hosted.instance->dispatch(effEditKeyUp, 0, VSTGUI::kVirtualKeyLeft));
    EXPECT_EQ("b keydown 11; b keyup 11", rig.log.joined());

    // An answer other than 1 is not a use.
    rig.b->keyAnswer = 0;
    EXPECT_EQ(0, rig.press(VSTGUI::kVirtualKeyLeft));

    rig.b->keyAnswer = -1;
    RecordingView* modal = new RecordingView(CRect(250, 50, 290, 90), "modal", &rig.log);
    modal->keyAnswer = 1;
    rig.frame->setModalView(modal);
    rig.log.clear();
    EXPECT_EQ(1, rig.press(VSTGUI::kVirtualKeyUp));
    EXPECT_EQ("b keydown 12; modal keydown 12", rig.log.joined());

    modal->keyAnswer = -1;
    rig.frame->setFocusView(nullptr);
    EXPECT_EQ(0, rig.press(VSTGUI::kVirtualKeyTab));
    EXPECT_EQ(nullptr, rig.frame->getFocusView());
    rig.frame->setModalView(nullptr);
    modal->release();

    // A click takes the focus away.
    EXPECT_EQ(1, rig.press(VSTGUI::kVirtualKeyTab));
    ASSERT_EQ("a", rig.focusName());
    SendMessageA(static_cast<HWND>(rig.frame->getSystemWindow()), WM_LBUTTONDOWN, 0, MAKELPARAM(299, 99));
    EXPECT_EQ("none", rig.focusName());
}

TEST(FrameKeys, WithoutAnOpenWindowTheEditorUsesNoKey) {
    HostedTestPlugin hosted;
    EXPECT_EQ(0, hosted.instance->dispatch(effEditKeyDown, 0, VSTGUI::kVirtualKeyTab));
    EXPECT_EQ(0, hosted.instance->dispatch(effEditKeyUp, 0, VSTGUI::kVirtualKeyTab));
    EXPECT_FALSE(hosted.editor()->onWheel(1.f));
}
