#include "tests/editor_x11/x11_editor_rig.h"

#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <X11/extensions/XRes.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>
#include <dirent.h>
#include <malloc.h>
#include <unistd.h>

#include "tests/support/plugin_under_test.h"

namespace x11test {

namespace {

constexpr int kEditorWidth = 730;
constexpr int kEditorHeight = 248;
constexpr useconds_t kIdlePause = 10000;

int shiftOf(unsigned long mask) {
    int shift = 0;
    while (mask && !(mask & 1)) {
        mask >>= 1;
        ++shift;
    }
    return shift;
}

}  // namespace

Display* testDisplay() {
    static Display* display = XOpenDisplay(nullptr);
    return display;
}

void settle() { XSync(testDisplay(), False); }

std::vector<Window> childrenOf(Window window) {
    std::vector<Window> found;
    Window root, parent, *children = nullptr;
    unsigned int count = 0;
    if (XQueryTree(testDisplay(), window, &root, &parent, &children, &count) && children) {
        found.assign(children, children + count);
        XFree(children);
    }
    return found;
}

Picture capture(Window window) {
    Picture picture;
    XWindowAttributes attributes;
    if (!window || !XGetWindowAttributes(testDisplay(), window, &attributes)) return picture;
    XImage* image = XGetImage(testDisplay(), window, 0, 0, attributes.width, attributes.height, AllPlanes, ZPixmap);
    if (!image) return picture;
    picture.width = attributes.width;
    picture.height = attributes.height;
    picture.pixels.resize((size_t)picture.width * picture.height);
    const int redShift = shiftOf(image->red_mask), greenShift = shiftOf(image->green_mask),
              blueShift = shiftOf(image->blue_mask);
    for (int y = 0; y < picture.height; ++y)
        for (int x = 0; x < picture.width; ++x) {
            const unsigned long p = XGetPixel(image, x, y);
            const uint32_t r = (uint32_t)((p & image->red_mask) >> redShift);
            const uint32_t g = (uint32_t)((p & image->green_mask) >> greenShift);
            const uint32_t b = (uint32_t)((p & image->blue_mask) >> blueShift);
            picture.at(x, y) = r << 16 | g << 8 | b;
        }
    XDestroyImage(image);
    return picture;
}

int clientCount() {
    int count = 0;
    XResClient* clients = nullptr;
    if (!XResQueryClients(testDisplay(), &count, &clients)) return -1;
    XFree(clients);
    return count;
}

int openFileCount() {
    int count = 0;
    if (DIR* dir = opendir("/proc/self/fd")) {
        while (readdir(dir)) ++count;
        closedir(dir);
    }
    return count;
}

size_t heapInUse() {
    const struct mallinfo2 info = mallinfo2();
    return info.uordblks + info.hblkhd;
}

namespace {
int errorsOnTestDisplay = 0, errorsElsewhere = 0;

int countError(Display* display, XErrorEvent*) {
    ++(display == testDisplay() ? errorsOnTestDisplay : errorsElsewhere);
    return 0;
}
}  // namespace

HostErrors::HostErrors() : previous(XSetErrorHandler(countError)) { errorsOnTestDisplay = errorsElsewhere = 0; }

HostErrors::~HostErrors() { XSetErrorHandler(previous); }

int HostErrors::onTestDisplay() const { return errorsOnTestDisplay; }

int HostErrors::elsewhere() const { return errorsElsewhere; }

bool HostErrors::installed() const {
    XErrorHandler current = XSetErrorHandler(countError);
    XSetErrorHandler(current);
    return current == countError;
}

namespace {

Atom resourceManager() { return XInternAtom(testDisplay(), "RESOURCE_MANAGER", False); }

}  // namespace

ServerDpi::ServerDpi(int dpi) {
    Atom type = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    if (XGetWindowProperty(testDisplay(), RootWindow(testDisplay(), 0), resourceManager(), 0, 1 << 16, False,
                           XA_STRING, &type, &format, &count, &after, &data) == Success &&
        data && format == 8) {
        had = true;
        saved.assign(reinterpret_cast<const char*>(data), count);
    }
    if (data) XFree(data);
    set(dpi);
}

ServerDpi::~ServerDpi() {
    Window root = RootWindow(testDisplay(), 0);
    if (had)
        XChangeProperty(testDisplay(), root, resourceManager(), XA_STRING, 8, PropModeReplace,
                        reinterpret_cast<const unsigned char*>(saved.data()), (int)saved.size());
    else
        XDeleteProperty(testDisplay(), root, resourceManager());
    settle();
}

void ServerDpi::set(int dpi) {
    Window root = RootWindow(testDisplay(), 0);
    if (dpi <= 0) {
        XDeleteProperty(testDisplay(), root, resourceManager());
    } else {
        const std::string text = "Xft.antialias:\t1\nXft.dpi:\t" + std::to_string(dpi) + "\nXft.hinting:\t1\n";
        XChangeProperty(testDisplay(), root, resourceManager(), XA_STRING, 8, PropModeReplace,
                        reinterpret_cast<const unsigned char*>(text.data()), (int)text.size());
    }
    settle();
}

HostWindow::HostWindow(int x, int y) : window(0) {
    Display* display = testDisplay();
    if (!display) return;
    const int screen = DefaultScreen(display);
    window = XCreateSimpleWindow(display, RootWindow(display, screen), x, y, kEditorWidth, kEditorHeight, 0,
                                 BlackPixel(display, screen), BlackPixel(display, screen));
    XSelectInput(display, window, StructureNotifyMask);
    XMapRaised(display, window);
    // Mapped before any editor goes in, as a host's window is.
    XEvent event;
    do XWindowEvent(display, window, StructureNotifyMask, &event);
    while (event.type != MapNotify);
}

HostWindow::~HostWindow() { destroy(); }

void HostWindow::resize(int width, int height) {
    if (!window || width <= 0 || height <= 0) return;
    XResizeWindow(testDisplay(), window, (unsigned)width, (unsigned)height);
    settle();
}

void HostWindow::destroy() {
    if (window) XDestroyWindow(testDisplay(), window);
    window = 0;
    settle();
}

X11EditorRig::X11EditorRig(int x, int y) : EditorWindowRig(x, y) {
    VstEntryProc entry = pluginEntry();
    AEffect* effect = entry ? host.create(entry) : nullptr;
    if (!effect) return;
    plugin.reset(new PluginInstance(effect));
    plugin->start(44100.f, 512);
    host.onCall = [this](const HostCall& call) {
        if (call.opcode == audioMasterSizeWindow && followsSizeRequests) window.resize(call.index, (int)call.value);
    };
}

std::pair<int, int> X11EditorRig::editorSize() {
    ERect* rect = nullptr;
    plugin->dispatch(effEditGetRect, 0, 0, &rect);
    return rect ? std::make_pair(rect->right - rect->left, rect->bottom - rect->top) : std::make_pair(0, 0);
}

X11EditorRig::~X11EditorRig() {
    button(false);
    if (plugin && editorWindow()) close();
    plugin.reset();
}

bool X11EditorRig::open() {
    // The window id travels in ptr, as Linux hosts pass it.
    void* parent = reinterpret_cast<void*>(static_cast<uintptr_t>(window.id()));
    const std::pair<int, int> size = editorSize();
    window.resize(size.first, size.second);
    const bool opened = plugin->dispatch(effEditOpen, 0, 0, parent) != 0;
    idle();
    return opened;
}

void X11EditorRig::close() {
    plugin->dispatch(effEditClose);
    settle();
}

Window EditorWindowRig::editorWindow() const {
    if (!window.id()) return 0;
    std::vector<Window> children = childrenOf(window.id());
    return children.empty() ? 0 : children.front();
}

void EditorWindowRig::idle(int passes) {
    for (int i = 0; i < passes; ++i) {
        settle();
        usleep(kIdlePause);
        idleEditor();
    }
    settle();
}

void X11EditorRig::idleEditor() { plugin->dispatch(effEditIdle); }

Picture X11EditorRig::expected(const std::set<int>& pressedKeys, int percent) {
    float values[5];
    for (int i = 0; i < 5; ++i) values[i] = plugin->getParameter(i);
    return editortest::expectedEditor(values, pressedKeys, percent);
}

std::vector<float> X11EditorRig::render(int frames, const std::vector<std::pair<int, int>>& notes) {
    MidiEventBlock block;
    for (const auto& note : notes) block.add(0, note.second ? 0x90 : 0x80, note.first, note.second);
    std::vector<float> left, right;
    for (int done = 0; done < frames; done += 512) plugin->render(done == 0 ? &block : nullptr, 512, left, right);
    return left;
}

void EditorWindowRig::moveTo(int x, int y) {
    Display* display = testDisplay();
    int rootX = 0, rootY = 0;
    Window child;
    XTranslateCoordinates(display, editorWindow(), DefaultRootWindow(display), x, y, &rootX, &rootY, &child);
    XTestFakeMotionEvent(display, -1, rootX, rootY, CurrentTime);
    settle();
}

void EditorWindowRig::button(bool down) {
    if (!testDisplay()) return;
    XTestFakeButtonEvent(testDisplay(), 1, down ? True : False, CurrentTime);
    settle();
}

void EditorWindowRig::shift(bool down) {
    Display* display = testDisplay();
    XTestFakeKeyEvent(display, XKeysymToKeycode(display, XK_Shift_L), down ? True : False, CurrentTime);
    settle();
}

void EditorWindowRig::glide(int fromX, int fromY, int toX, int toY, int steps) {
    for (int i = 1; i <= steps; ++i) {
        moveTo(fromX + (toX - fromX) * i / steps, fromY + (toY - fromY) * i / steps);
        idle(1);
    }
}

void EditorWindowRig::dragKnobRoundToTheLeft(const Rect& knob) {
    moveTo(knob.centerX(), knob.top);
    idle(1);
    button(true);
    idle(1);
    glide(knob.centerX(), knob.top, knob.left, knob.centerY(), 12);
    button(false);
    idle();
}

std::vector<HostGesture> gesturesOf(const RecordingHost& host) {
    std::vector<HostGesture> found;
    for (const HostCall& call : host.calls())
        if (call.opcode == audioMasterBeginEdit || call.opcode == audioMasterEndEdit ||
            call.opcode == audioMasterAutomate)
            found.push_back({call.opcode, call.index, call.opt});
    return found;
}

}  // namespace x11test
