#include "gui/system_scale.h"

#include <windows.h>

#include "gui/cframe.h"

namespace VSTGUI {

namespace {

constexpr double kBaseDpi = 96.0;

using GetDpiForWindowFunction = UINT(WINAPI*)(HWND);

// Windows 10 1607 and later; older systems have only the system DPI.
GetDpiForWindowFunction getDpiForWindow() {
    static const GetDpiForWindowFunction function = reinterpret_cast<GetDpiForWindowFunction>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("user32.dll"), "GetDpiForWindow")));
    return function;
}

}  // namespace

// GetDpiForWindow answers as the window's DPI awareness sees it: 96 in a
// host that is not DPI aware, which Windows then stretches as a whole.
double systemScaleFactor(void* window) {
    UINT dpi = 0;
    if (window && IsWindow(static_cast<HWND>(window)) && getDpiForWindow())
        dpi = getDpiForWindow()(static_cast<HWND>(window));
    if (dpi == 0) {
        if (HDC screen = GetDC(nullptr)) {
            dpi = (UINT)GetDeviceCaps(screen, LOGPIXELSX);
            ReleaseDC(nullptr, screen);
        }
    }
    return dpi > 0 ? dpi / kBaseDpi : 0.0;
}

double systemScaleFactor(const CFrame& frame) { return systemScaleFactor(frame.getParentSystemWindow()); }

}  // namespace VSTGUI
