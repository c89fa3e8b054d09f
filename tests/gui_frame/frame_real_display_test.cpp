// What needs the display to itself: a click injected through the system's
// input queue at the pointer, and the pixels the frame paints into its
// window (another program's window on top would change them).
#include <gtest/gtest.h>

#include "tests/gui_frame/frame_test_support.h"

using namespace frametest;

namespace {

COLORREF windowPixel(HWND window, int x, int y) {
    HDC dc = GetDC(window);
    COLORREF colour = GetPixel(dc, x, y);
    ReleaseDC(window, dc);
    return colour;
}

void paintNow(HWND window) {
    UpdateWindow(window);
    pumpMessages();
}

}  // namespace

TEST(FrameMouse, AnInjectedClickReachesTheViewUnderThePointer) {
    EventLog log;
    HostWindow host(400, 300, nullptr, 30, 40);
    TestFrame frame(CRect(0, 0, 300, 200), host.parent());
    frame.addView(new RecordingView(CRect(0, 0, 100, 100), "back", &log));
    frame.addView(new RecordingView(CRect(200, 100, 250, 150), "side", &log));
    HWND window = static_cast<HWND>(frame.getSystemWindow());
    SetForegroundWindow(testDesktop());
    pumpMessages();
    POINT at = {220, 120};
    ClientToScreen(window, &at);
    ASSERT_TRUE(SetCursorPos(at.x, at.y));
    INPUT inputs[2] = {};
    inputs[0].type = INPUT_MOUSE;
    inputs[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
    inputs[1].type = INPUT_MOUSE;
    inputs[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
    ASSERT_EQ(2u, SendInput(2, inputs, sizeof(INPUT)));
    for (int i = 0; i < 40 && log.lines.empty(); ++i) pumpMessages(2);
    ASSERT_EQ(1u, log.lines.size());
    EXPECT_EQ(0u, log.lines[0].find("side mouse 220,120"));
}

TEST(FramePaint, PaintDrawsTheUpdateRegionIntoTheWindow) {
    EventLog log;
    HostWindow host(300, 200);
    TestFrame frame(CRect(0, 0, 200, 100), host.parent());
    frame.setBackgroundColor(kColorGreen);
    RecordingView* left = new RecordingView(CRect(0, 0, 50, 50), "left", &log);
    RecordingView* right = new RecordingView(CRect(120, 0, 170, 50), "right", &log);
    frame.addView(left);
    frame.addView(right);
    HWND window = static_cast<HWND>(frame.getSystemWindow());
    paintNow(window);
    EXPECT_EQ(RGB(0, 255, 0), windowPixel(window, 100, 80));

    int leftDraws = left->draws, rightDraws = right->draws;
    RECT only = {130, 10, 140, 20};
    InvalidateRect(window, &only, FALSE);
    paintNow(window);
    EXPECT_EQ(leftDraws, left->draws);
    EXPECT_EQ(rightDraws + 1, right->draws);

    // A paint message without an update region draws nothing.
    SendMessageA(window, WM_PAINT, 0, 0);
    EXPECT_EQ(rightDraws + 1, right->draws);

    // What is painted is the frame's picture: change the colour and repaint.
    frame.setBackgroundColor(kColorBlue);
    InvalidateRect(window, nullptr, FALSE);
    paintNow(window);
    EXPECT_EQ(RGB(0, 0, 255), windowPixel(window, 100, 80));
}
