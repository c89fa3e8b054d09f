// The host's window on the X display named by DISPLAY; the editor gets its
// window id, as Linux hosts pass it.
#include <X11/Xlib.h>

#include <cstdint>

#include "tools/validate/editor_parent.h"

namespace validate {

namespace {
constexpr unsigned kWidth = 800, kHeight = 400;
// In the range of the server's last client slot (ids have 29 bits, the
// client's number the top ones): nobody's window during a run.
constexpr Window kMissingWindow = 0x1FFFFF42;
Display* display = nullptr;  // one connection for the program's life
int strayErrorCount = 0;

// The host's handler, as a host installs one: errors of other connections
// than the host's own are counted.
int onError(Display* from, XErrorEvent*) {
    if (from != display) ++strayErrorCount;
    return 0;
}

bool openDisplay(std::string* why) {
    if (!display && (display = XOpenDisplay(nullptr))) XSetErrorHandler(onError);
    if (!display && why) *why = "no X display to open the editor on";
    return display != nullptr;
}

Window newWindow() { return XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, kWidth, kHeight, 0, 0, 0); }
}  // namespace

EditorParent::EditorParent() {}

EditorParent::~EditorParent() {
    if (!window) return;
    XDestroyWindow(display, (Window)(uintptr_t)window);
    XSync(display, False);
}

bool EditorParent::create(std::string* why) {
    if (!openDisplay(why)) return false;
    Window w = newWindow();
    XMapWindow(display, w);
    XSync(display, False);
    window = (void*)(uintptr_t)w;
    return true;
}

bool EditorParent::createUnflushed(std::string* why) {
    if (!openDisplay(why)) return false;
    Window w = newWindow();
    XMapWindow(display, w);  // both requests wait in the connection's buffer
    window = (void*)(uintptr_t)w;
    return true;
}

void EditorParent::flush() {
    if (display) XFlush(display);
}

bool EditorParent::hasChild() const {
    if (!display || !window) return false;
    Window root, up, *children = nullptr;
    unsigned int count = 0;
    if (!XQueryTree(display, (Window)(uintptr_t)window, &root, &up, &children, &count)) return false;
    if (children) XFree(children);
    return count > 0;
}

void EditorParent::pump() {
    if (!display) return;
    while (XPending(display)) {
        XEvent e;
        XNextEvent(display, &e);
    }
}

void* EditorParent::missing() { return (void*)(uintptr_t)kMissingWindow; }

int EditorParent::strayErrors() { return strayErrorCount; }

}  // namespace validate
