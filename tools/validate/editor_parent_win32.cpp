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

// A window exists as soon as it is made.
bool EditorParent::createUnflushed(std::string* why) {
    if (why) *why = "no window waits to be sent on Windows";
    return false;
}

void EditorParent::flush() {}

bool EditorParent::hasChild() const { return window && GetWindow((HWND)window, GW_CHILD) != nullptr; }

// A window made and destroyed again: its handle names nothing now.
void* EditorParent::missing() {
    HWND gone = CreateWindowA("STATIC", "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    if (gone) DestroyWindow(gone);
    return gone;
}

int EditorParent::strayErrors() { return 0; }

void EditorParent::pump() {
    MSG m;
    while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&m);
        DispatchMessageA(&m);
    }
}

}  // namespace validate
