// Real input through the window system's own queue (SendInput): it moves the
// display's one pointer, so a test that uses it runs alone.
#pragma once

#include <windows.h>

#include <functional>

namespace win32test {

// Runs `inject` on a second thread while this one pumps its messages (at most
// 20 s): a press it makes lands in this thread's queue and runs the pressed
// control's loop here, which polls the live pointer and buttons.
void withInjection(const std::function<void()>& inject);

// Moves the pointer to a screen position (absolute coordinates, rounded to
// the nearest of the 65536 steps across the screen).
void moveMouseTo(POINT screen);
void mouseButton(DWORD flag);  // MOUSEEVENTF_LEFTDOWN or MOUSEEVENTF_LEFTUP
void shiftKey(bool down);
// Moves from `from` to `to` in `steps` moves, pausing `pauseMillis` after each.
void glide(POINT from, POINT to, int steps, int pauseMillis);

}  // namespace win32test
