#include <windows.h>

#include "gui/window_thread.h"

namespace VSTGUI {

uintptr_t currentThreadIdentity() { return GetCurrentThreadId(); }

void dispatchWaitingPaint() {
    MSG message;
    if (PeekMessageA(&message, nullptr, WM_PAINT, WM_PAINT, PM_REMOVE)) DispatchMessageA(&message);
}

}  // namespace VSTGUI
