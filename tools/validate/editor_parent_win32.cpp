#include <windows.h>

#include "tools/validate/editor_parent.h"

namespace validate {

namespace {
const char kClassName[] = "QeltValidateHost";
constexpr int kWidth = 800, kHeight = 400;
}  // namespace

EditorParent::EditorParent() {}

EditorParent::~EditorParent() {
    if (window) DestroyWindow((HWND)window);
    pump();
}

bool EditorParent::create(std::string* why) {
    WNDCLASSA c = {};
    c.lpfnWndProc = DefWindowProcA;
    c.hInstance = GetModuleHandleA(nullptr);
    c.lpszClassName = kClassName;
    RegisterClassA(&c);  // fails harmlessly when already registered
    window = CreateWindowA(kClassName, "qelt-validate", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, kWidth, kHeight,
                           nullptr, nullptr, c.hInstance, nullptr);
    if (!window && why) *why = "no host window (error " + std::to_string(GetLastError()) + ")";
    return window != nullptr;
}

void EditorParent::pump() {
    MSG m;
    while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&m);
        DispatchMessageA(&m);
    }
}

}  // namespace validate
