// The frame's side that talks to X11: its own display connection and child
// window, the events taken at idle, window geometry and cursors. Drag and
// drop of files is not offered here.
#include <X11/Xlib.h>
#include <X11/cursorfont.h>
#include <cairo-xlib.h>

#include <cstdint>

#include "gui/cframe.h"
#include "gui/tick_clock.h"
#include "gui/x11/frame_window_state.h"
#include "gui/x11/x11_clients.h"
#include "gui/x11/x11_errors.h"

namespace VSTGUI {

namespace {

constexpr unsigned int kWheelUp = 4;
constexpr unsigned int kWheelDown = 5;

::Window asXWindow(void* handle) { return static_cast<::Window>(reinterpret_cast<uintptr_t>(handle)); }
void* asHandle(::Window window) { return reinterpret_cast<void*>(static_cast<uintptr_t>(window)); }

int32_t buttonBit(unsigned int button) {
    switch (button) {
        case Button1:
            return kButtonLeft;
        case Button2:
            return kButtonMiddle;
        case Button3:
            return kButtonRight;
        default:
            return 0;
    }
}

constexpr ::Window kLargestId = 0x1FFFFFFF;

// The side of the image that makes cairo let go of its finished transfers:
// large enough to go through shared memory.
constexpr int kTransferFlushSide = 64;

// How long a frame waits for the host to send its window to the server.
constexpr uint32_t kPendingWindowPatience = 3000;  // ms

const long kEventMask = ExposureMask | ButtonPressMask | ButtonReleaseMask | ButtonMotionMask | StructureNotifyMask;

}  // namespace

int32_t buttonsFromState(unsigned int state) {
    int32_t buttons = 0;
    if (state & Button1Mask) buttons |= kButtonLeft;
    if (state & Button2Mask) buttons |= kButtonMiddle;
    if (state & Button3Mask) buttons |= kButtonRight;
    if (state & ShiftMask) buttons |= kModShift;
    if (state & ControlMask) buttons |= kModControl;
    if (state & Mod1Mask) buttons |= kModAlt;
    return buttons;
}

// Handles one event of the frame's window.
struct CFramePlatform {
    // The event's buttons word stands for the live state while it is handled.
    struct EventButtons {
        EventButtons(CFrameWindowState* state, int32_t buttons) : state(state) { state->eventButtons = buttons; }
        ~EventButtons() { state->eventButtons = -1; }
        CFrameWindowState* state;
    };

    static void handle(CFrame* frame, XEvent& event) {
        CFrameWindowState* state = frame->windowState;
        switch (event.type) {
            case Expose: {
                const CRect area(event.xexpose.x, event.xexpose.y, event.xexpose.x + event.xexpose.width,
                                 event.xexpose.y + event.xexpose.height);
                if (!state->anyExposed) {
                    state->exposed = area;
                    state->anyExposed = true;
                } else {
                    CRect& e = state->exposed;
                    if (area.left < e.left) e.left = area.left;
                    if (area.top < e.top) e.top = area.top;
                    if (area.right > e.right) e.right = area.right;
                    if (area.bottom > e.bottom) e.bottom = area.bottom;
                }
                break;
            }
            case ButtonPress: {
                const CPoint where(event.xbutton.x, event.xbutton.y);
                const unsigned int button = event.xbutton.button;
                // The state holds what was down before this press.
                const int32_t buttons = buttonsFromState(event.xbutton.state) | buttonBit(button);
                EventButtons scope(state, buttons);
                CDrawContext* context = frame->createDrawContext();
                if (button == kWheelUp || button == kWheelDown) {
                    frame->onWheel(context, where, button == kWheelUp ? 1.f : -1.f);
                } else if (buttonBit(button) && !frame->gesture) {
                    frame->mouse(context, where, buttons);
                }
                context->release();
                break;
            }
            case MotionNotify: {
                if (!frame->gesture) break;
                // Only the latest position of a burst counts.
                while (XCheckTypedWindowEvent(state->display, state->window, MotionNotify, &event)) {
                }
                const int32_t buttons = buttonsFromState(event.xmotion.state);
                EventButtons scope(state, buttons);
                CDrawContext* context = frame->createDrawContext();
                frame->moveGesture(context, CPoint(event.xmotion.x, event.xmotion.y), buttons);
                context->release();
                break;
            }
            case ButtonRelease: {
                if (!frame->gesture || !buttonBit(event.xbutton.button)) break;
                // The state holds what was down before this release.
                const int32_t buttons = buttonsFromState(event.xbutton.state) & ~buttonBit(event.xbutton.button);
                const CPoint where(event.xbutton.x, event.xbutton.y);
                EventButtons scope(state, buttons);
                CDrawContext* context = frame->createDrawContext();
                if (event.xbutton.button == Button1)
                    frame->endGesture(context, where, buttons);
                else
                    frame->moveGesture(context, where, buttons);
                context->release();
                break;
            }
            case DestroyNotify:
                if (event.xdestroywindow.window != state->window) break;
                // The host destroyed its window and ours with it.
                frame->cancelGesture();
                frame->setOpenFlag(false);
                frame->hostWindow = nullptr;
                state->window = 0;
                frame->window = nullptr;
                break;
            default:
                break;
        }
    }

    // Whether the window exists on the server, as this connection sees it.
    static bool windowExists(Display* display, ::Window id) {
        takeDisplayError(display);  // an earlier request's error is not this one's
        XWindowAttributes attributes;
        const bool known = XGetWindowAttributes(display, id, &attributes) != 0;
        XSync(display, False);
        return !takeDisplayError(display) && known;
    }

    // The frame's child window inside `parent`, mapped; false if the server
    // refused it.
    static bool makeWindow(CFrame* frame, ::Window parent) {
        CFrameWindowState* state = frame->windowState;
        Display* display = state->display;
        XSetWindowAttributes attributes;
        attributes.background_pixmap = None;  // every pixel is painted: no flash of a background
        attributes.event_mask = kEventMask;
        const ::Window created =
            XCreateWindow(display, parent, 0, 0, (unsigned)frame->size.getWidth(), (unsigned)frame->size.getHeight(), 0,
                          CopyFromParent, InputOutput, CopyFromParent, CWBackPixmap | CWEventMask, &attributes);
        XWindowAttributes own;
        const bool made = created && XGetWindowAttributes(display, created, &own) != 0;
        XSync(display, False);
        if (takeDisplayError(display) || !made) return false;
        XStoreName(display, created, "Window");
        XMapWindow(display, created);
        XFlush(display);

        state->window = created;
        state->visual = own.visual;
        state->depth = own.depth;
        frame->window = asHandle(created);
        return true;
    }

    // At idle while the host's window does not exist yet: the window is made
    // once it does, and the wait ends after a while.
    static void retryPendingWindow(CFrame* frame) {
        CFrameWindowState* state = frame->windowState;
        if (windowExists(state->display, state->pendingParent)) {
            frame->windowPending = false;
            if (makeWindow(frame, state->pendingParent)) return;
        } else if (tickClock().ticks() - state->pendingSince < kPendingWindowPatience) {
            return;
        }
        // The frame stays without a window.
        frame->windowPending = false;
        closeConnection(frame);
    }

    // Cairo's state for the connection. Made before the connection's errors
    // are taken from Xlib's handler: cairo tries the shared-memory transfers
    // with a handler of its own swapped in, and must see its errors.
    static cairo_device_t* openCairo(Display* display) {
        const int screen = DefaultScreen(display);
        cairo_surface_t* probe =
            cairo_xlib_surface_create(display, RootWindow(display, screen), DefaultVisual(display, screen), 1, 1);
        cairo_device_t* device = cairo_device_reference(cairo_surface_get_device(probe));
        cairo_surface_destroy(probe);
        return device;
    }

    // Cairo keeps the record of a shared-memory transfer still under way
    // when its surface goes, and lets it go only at the next such transfer;
    // closing the connection would leak it. Once the server has caught up, a
    // throwaway shared-memory image frees what is waiting.
    static void closeCairo(Display* display, cairo_device_t* device) {
        XSync(display, False);
        const int screen = DefaultScreen(display);
        cairo_surface_t* any =
            cairo_xlib_surface_create(display, RootWindow(display, screen), DefaultVisual(display, screen), 1, 1);
        cairo_surface_destroy(
            cairo_surface_create_similar_image(any, CAIRO_FORMAT_RGB24, kTransferFlushSide, kTransferFlushSide));
        cairo_surface_destroy(any);
        cairo_device_finish(device);
        cairo_device_destroy(device);
    }

    // Every surface on the connection must be gone by now.
    static void closeConnection(CFrame* frame) {
        CFrameWindowState* state = frame->windowState;
        Display* display = state->display;
        if (cairo_device_t* device = state->cairoDevice) closeCairo(display, device);
        if (state->window) XDestroyWindow(display, state->window);
        XSync(display, False);
        forgetDisplayErrors(display);
        XCloseDisplay(display);
        delete state;
        frame->windowState = nullptr;
        frame->window = nullptr;
        frame->windowPending = false;
    }

    static void paintExposed(CFrame* frame) {
        CFrameWindowState* state = frame->windowState;
        if (!state->anyExposed) return;
        state->anyExposed = false;
        if (!state->window) return;
        CDrawContext* context = frame->createDrawContext();
        frame->drawRect(context, state->exposed);
        context->release();
    }
};

CFrame::CFrame(const CRect& size, void* parentWindow, CFrameListener* editor)
    : CViewContainer(size, nullptr, nullptr), editor(editor), hostWindow(parentWindow) {
    parentFrame = this;
    createWindow(parentWindow);
}

CFrame::~CFrame() {
    cancelGesture();
    if (modalView) removeView(modalView, false);
    modalView = nullptr;

    // The children and the offscreen buffer hold surfaces on the connection:
    // they go before it closes.
    focusView = nullptr;
    removeAll(true);
    releaseOffscreen();

    if (windowState) CFramePlatform::closeConnection(this);
}

bool CFrame::registerWindowClass() { return true; }
void CFrame::unregisterWindowClass() {}

bool CFrame::createWindow(void* parentWindow) {
    const ::Window parent = asXWindow(parentWindow);
    // Ids have 29 bits: a wider value is no window, and Xlib would cut it
    // down to one that may be someone else's.
    if (!parent || parent > kLargestId) return false;
    // A connection of our own: the host's may live on another thread, and
    // its events are not ours to take.
    Display* display = XOpenDisplay(nullptr);
    if (!display) return false;
    windowState = new CFrameWindowState;
    windowState->display = display;
    windowState->cairoDevice = CFramePlatform::openCairo(display);
    watchDisplayErrors(display);

    if (CFramePlatform::windowExists(display, parent)) {
        if (CFramePlatform::makeWindow(this, parent)) return true;
    } else if (isIdOfLiveClient(display, parent)) {
        // The host has made its window but sends it to the server only
        // after this call: the window is made at a later idle.
        windowState->pendingParent = parent;
        windowState->pendingSince = tickClock().ticks();
        windowPending = true;
        return false;
    }
    // A parent that names no window, nor ever will: the connection goes.
    CFramePlatform::closeConnection(this);
    return false;
}

bool CFrame::drivesGesturesByEvents() const { return windowState != nullptr; }

int CFrame::eventDescriptor() const { return windowState ? ConnectionNumber(windowState->display) : -1; }

void CFrame::handleWindowEvents() {
    if (windowPending) CFramePlatform::retryPendingWindow(this);
    if (!windowState) return;
    Display* display = windowState->display;
    // Never blocks: only what has arrived already.
    while (XPending(display) > 0) {
        XEvent event;
        XNextEvent(display, &event);
        if (event.xany.window != windowState->window) continue;
        CFramePlatform::handle(this, event);
    }
    CFramePlatform::paintExposed(this);
    XFlush(display);
}

// Files cannot be dropped on the window here.
bool CFrame::setDropActive(bool active) {
    dropActive = false;
    return !active;
}

void CFrame::dropStaleOffscreen() {
    if (offscreen && (offscreen->getWidth() != size.getWidth() || offscreen->getHeight() != size.getHeight()))
        releaseOffscreen();
}

bool CFrame::setSize(int32_t width, int32_t height) {
    if (!getOpenFlag()) return false;
    if (width == size.getWidth() && height == size.getHeight()) return false;
    if (width <= 0 || height <= 0) return false;

    // The host resizes the windows that hold ours when it can; ours follows.
    if (editor) editor->sizeWindow(width, height);
    CViewContainer::setViewSize(CRect(0, 0, width, height));
    dropStaleOffscreen();
    if (windowState && windowState->window) {
        XResizeWindow(windowState->display, windowState->window, (unsigned)width, (unsigned)height);
        XFlush(windowState->display);
    }
    return true;
}

void* CFrame::findHostWindow() const { return hostWindow; }

// The frame window's position on the screen.
bool CFrame::getPosition(int32_t& x, int32_t& y) const {
    if (!getOpenFlag() || !windowState || !windowState->window) return false;
    Display* display = windowState->display;
    int rootX = 0, rootY = 0;
    ::Window child;
    if (!XTranslateCoordinates(display, windowState->window, DefaultRootWindow(display), 0, 0, &rootX, &rootY, &child))
        return false;
    x = rootX;
    y = rootY;
    return true;
}

// The host's window: its position inside its own parent and its size.
bool CFrame::getSize(CRect& rect) const {
    if (!getOpenFlag() || !windowState || !windowState->window || !hostWindow) return false;
    Display* display = windowState->display;
    ::Window root;
    int x = 0, y = 0;
    unsigned int width = 0, height = 0, border = 0, depth = 0;
    const bool known = XGetGeometry(display, asXWindow(hostWindow), &root, &x, &y, &width, &height, &border, &depth);
    XSync(display, False);
    if (takeDisplayError(display) || !known) return false;
    rect = CRect(x, y, x + (int32_t)width, y + (int32_t)height);
    return true;
}

bool CFrame::getCursorLocation(CPoint& where) {
    if (!windowState || !windowState->window) return false;
    ::Window root, child;
    int rootX = 0, rootY = 0, x = 0, y = 0;
    unsigned int mask = 0;
    if (!XQueryPointer(windowState->display, windowState->window, &root, &child, &rootX, &rootY, &x, &y, &mask))
        return false;
    where = CPoint(x, y);
    return true;
}

void CFrame::setCursor(int32_t type) {
    if (!windowState || !windowState->window) return;
    unsigned int shape = 0;
    switch (type) {
        case kCursorWait:
            shape = XC_watch;
            break;
        case kCursorHSize:
            shape = XC_sb_h_double_arrow;
            break;
        case kCursorVSize:
            shape = XC_sb_v_double_arrow;
            break;
        case kCursorSizeAll:
            shape = XC_fleur;
            break;
        case kCursorNESWSize:
            shape = XC_bottom_left_corner;
            break;
        case kCursorNWSESize:
            shape = XC_bottom_right_corner;
            break;
        case kCursorNotAllowed:
            shape = XC_X_cursor;
            break;
        case kCursorHand:
            shape = XC_hand2;
            break;
        default:
            break;
    }
    Display* display = windowState->display;
    if (shape) {
        // The window keeps the cursor; our handle to it is not needed.
        Cursor cursor = XCreateFontCursor(display, shape);
        XDefineCursor(display, windowState->window, cursor);
        XFreeCursor(display, cursor);
    } else {
        XUndefineCursor(display, windowState->window);
    }
    XFlush(display);
}

}  // namespace VSTGUI
