#include "tests/support/win32_test_resources.h"

#include <windows.h>

#include <cstdint>
#include <vector>

namespace win32test {

namespace {

BOOL CALLBACK collectWindow(HWND window, LPARAM list) {
    reinterpret_cast<std::vector<HWND>*>(list)->push_back(window);
    return TRUE;
}

}  // namespace

int gdiObjectCount() {
    DWORD reported = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
    if (reported) return (int)reported;
    int live = 0;
    for (uintptr_t index = 1; index < 0x10000; ++index)
        if (GetObjectType(reinterpret_cast<HGDIOBJ>(index))) ++live;
    return live;
}

int threadWindowCount() {
    std::vector<HWND> top;
    EnumThreadWindows(GetCurrentThreadId(), collectWindow, reinterpret_cast<LPARAM>(&top));
    size_t count = top.size();
    for (HWND window : top) {
        std::vector<HWND> children;
        EnumChildWindows(window, collectWindow, reinterpret_cast<LPARAM>(&children));
        count += children.size();
    }
    return (int)count;
}

}  // namespace win32test
