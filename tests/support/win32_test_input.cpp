#include "tests/support/win32_test_input.h"

#include <atomic>
#include <thread>

#include "tests/support/win32_test_messages.h"

namespace win32test {

void withInjection(const std::function<void()>& inject) {
    std::atomic<bool> done{false};
    std::thread injector([&] {
        inject();
        done = true;
    });
    const DWORD start = GetTickCount();
    while (!done && GetTickCount() - start < 20000) pumpMessages(1);
    injector.join();
    pumpMessages(3);
}

void moveMouseTo(POINT screen) {
    INPUT in = {};
    in.type = INPUT_MOUSE;
    const int w = GetSystemMetrics(SM_CXSCREEN), h = GetSystemMetrics(SM_CYSCREEN);
    // Windows maps back as pixel = coordinate * side / 65536, truncated:
    // rounding up lands on the pixel itself whatever the screen's size.
    in.mi.dx = (LONG)((screen.x * 65536LL + w - 1) / w);
    in.mi.dy = (LONG)((screen.y * 65536LL + h - 1) / h);
    in.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    SendInput(1, &in, sizeof in);
}

void mouseButton(DWORD flag) {
    INPUT in = {};
    in.type = INPUT_MOUSE;
    in.mi.dwFlags = flag;
    SendInput(1, &in, sizeof in);
}

void shiftKey(bool down) {
    INPUT in = {};
    in.type = INPUT_KEYBOARD;
    in.ki.wVk = VK_SHIFT;
    in.ki.dwFlags = down ? 0 : KEYEVENTF_KEYUP;
    SendInput(1, &in, sizeof in);
}

void glide(POINT from, POINT to, int steps, int pauseMillis) {
    for (int i = 1; i <= steps; ++i) {
        moveMouseTo(POINT{from.x + (to.x - from.x) * i / steps, from.y + (to.y - from.y) * i / steps});
        Sleep(pauseMillis);
    }
}

}  // namespace win32test
