#include <ole2.h>
#include <windows.h>

#include "gui/window_thread.h"

namespace VSTGUI {

// A thread already in the multithreaded apartment refuses, and then there is
// nothing to undo.
bool enterWindowThread() { return SUCCEEDED(OleInitialize(nullptr)); }

void leaveWindowThread() { OleUninitialize(); }

uintptr_t currentThreadIdentity() { return GetCurrentThreadId(); }

void dispatchWaitingPaint() {
    MSG message;
    if (PeekMessageA(&message, nullptr, WM_PAINT, WM_PAINT, PM_REMOVE)) DispatchMessageA(&message);
}

}  // namespace VSTGUI
