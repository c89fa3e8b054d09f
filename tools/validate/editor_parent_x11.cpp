// The host's window on the X display named by DISPLAY; the editor gets its
// window id, as Linux hosts pass it.
#include <X11/Xlib.h>

#include <cstdint>

#include "tools/validate/editor_parent.h"

namespace validate {

namespace {
constexpr unsigned kWidth = 800, kHeight = 400;
Display* display = nullptr;  // one connection for the program's life
}  // namespace

EditorParent::EditorParent() {}

EditorParent::~EditorParent() {
    if (!window) return;
    XDestroyWindow(display, (Window)(uintptr_t)window);
    XSync(display, False);
}

bool EditorParent::create(std::string* why) {
    if (!display) display = XOpenDisplay(nullptr);
    if (!display) {
        if (why) *why = "no X display to open the editor on";
        return false;
    }
    Window w = XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, kWidth, kHeight, 0, 0, 0);
    XMapWindow(display, w);
    XSync(display, False);
    window = (void*)(uintptr_t)w;
    return true;
}

void EditorParent::pump() {
    if (!display) return;
    while (XPending(display)) {
        XEvent e;
        XNextEvent(display, &e);
    }
}

}  // namespace validate
