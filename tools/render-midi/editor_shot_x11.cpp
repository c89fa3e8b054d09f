// The editor shot on X11: a top-level window of the editor's size on the
// display in $DISPLAY, the plug-in's editor opened inside it (the window id in
// ptr), idled for a while, and the window's pixels saved.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <time.h>

#include <cstdint>
#include <vector>

#include "tools/render-midi/editor_shot.h"

namespace {

constexpr int kLargestSide = 8192;
constexpr long kIdlePauseNanoseconds = 15000000;

bool editorRect(PluginInstance* plugin, int* width, int* height) {
    ERect* rect = nullptr;
    plugin->dispatch(effEditGetRect, 0, 0, &rect);
    if (!rect) return false;
    *width = rect->right - rect->left;
    *height = rect->bottom - rect->top;
    return *width > 0 && *height > 0 && *width <= kLargestSide && *height <= kLargestSide;
}

uint64_t milliseconds() {
    timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return (uint64_t)now.tv_sec * 1000u + (uint64_t)now.tv_nsec / 1000000u;
}

void pause() {
    timespec step = {0, kIdlePauseNanoseconds};
    nanosleep(&step, nullptr);
}

int shiftOf(unsigned long mask) {
    int shift = 0;
    while (mask && !(mask & 1)) {
        mask >>= 1;
        ++shift;
    }
    return shift;
}

Window firstChild(Display* display, Window window) {
    Window root, parent, *children = nullptr;
    unsigned int count = 0;
    Window child = 0;
    if (XQueryTree(display, window, &root, &parent, &children, &count) && children) {
        if (count > 0) child = children[0];
        XFree(children);
    }
    return child;
}

// The window's pixels as 0xRRGGBB, top row first.
bool capture(Display* display, Window window, int width, int height, std::vector<uint32_t>* pixels) {
    XImage* image = XGetImage(display, window, 0, 0, (unsigned)width, (unsigned)height, AllPlanes, ZPixmap);
    if (!image) return false;
    const int red = shiftOf(image->red_mask), green = shiftOf(image->green_mask), blue = shiftOf(image->blue_mask);
    pixels->resize((size_t)width * height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const unsigned long p = XGetPixel(image, x, y);
            (*pixels)[(size_t)y * width + x] = (uint32_t)((p & image->red_mask) >> red) << 16 |
                                               (uint32_t)((p & image->green_mask) >> green) << 8 |
                                               (uint32_t)((p & image->blue_mask) >> blue);
        }
    XDestroyImage(image);
    return true;
}

}  // namespace

bool saveEditorShot(RenderHost& host, const std::string& path, int idleMillis, EditorShot* shot, std::string* error) {
    PluginInstance* plugin = host.instance();
    if (!plugin || !plugin->record()) {
        *error = "no plug-in instance";
        return false;
    }
    if (!(plugin->record()->flags & effFlagsHasEditor)) {
        *error = "the plug-in has no editor: no picture written";
        return false;
    }
    Display* display = XOpenDisplay(nullptr);
    if (!display) {
        *error = "cannot open the X display (is DISPLAY set?)";
        return false;
    }
    int width = 320, height = 240;
    editorRect(plugin, &width, &height);
    const int screen = DefaultScreen(display);
    Window window = XCreateSimpleWindow(display, RootWindow(display, screen), 0, 0, (unsigned)width, (unsigned)height,
                                        0, BlackPixel(display, screen), BlackPixel(display, screen));
    XStoreName(display, window, "qelt-render editor");
    XSelectInput(display, window, StructureNotifyMask);
    XMapRaised(display, window);
    XEvent event;
    do XWindowEvent(display, window, StructureNotifyMask, &event);
    while (event.type != MapNotify);

    host.resizeEditorWindow = [display, window](int w, int h) {
        if (w <= 0 || h <= 0 || w > kLargestSide || h > kLargestSide) return false;
        XResizeWindow(display, window, (unsigned)w, (unsigned)h);
        XSync(display, False);
        return true;
    };
    void* parent = reinterpret_cast<void*>(static_cast<uintptr_t>(window));
    VstIntPtr opened = plugin->dispatch(effEditOpen, 0, 0, parent);
    XSync(display, False);
    // Some editors answer 0 and open all the same; a child window says they did.
    bool ok = opened != 0 || firstChild(display, window) != 0;
    if (!ok) *error = "the plug-in's editor did not open";
    if (ok) {
        // The rectangle may be known only once the editor is open.
        int w = 0, h = 0;
        if (editorRect(plugin, &w, &h) && (w != width || h != height)) {
            width = w;
            height = h;
            XResizeWindow(display, window, (unsigned)width, (unsigned)height);
        }
        const uint64_t start = milliseconds();
        do {
            XSync(display, False);
            plugin->dispatch(effEditIdle);
            pause();
        } while (milliseconds() - start < (uint64_t)idleMillis);
        XSync(display, False);
        plugin->dispatch(effEditIdle);
        XSync(display, False);
        std::vector<uint32_t> pixels;
        ok = capture(display, window, width, height, &pixels);
        if (!ok) *error = "cannot read the window's pixels";
        if (ok) ok = saveShotPicture(path, width, height, pixels, shot, error);
        plugin->dispatch(effEditClose);
    }
    host.resizeEditorWindow = nullptr;
    XDestroyWindow(display, window);
    XCloseDisplay(display);
    return ok;
}
