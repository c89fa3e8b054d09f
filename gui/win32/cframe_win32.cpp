// The frame's side that talks to the window system: construction and
// destruction, the window class and window procedure, window geometry,
// cursors and the drop target.
#include <windows.h>
#include <ole2.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "gui/win32/cdroptarget.h"
#include "gui/cframe.h"
#include "gui/window_thread.h"
#include "gui/win32/platform_input.h"
#include "gui/win32/platform_state.h"

namespace VSTGUI {

namespace {

// Shared by every frame of the library: one class for all their windows,
// registered with the first and unregistered with the last.
char windowClassName[100] = "";
int32_t windowClassUseCount = 0;

// Frames that hold msimg32: the blit entry points are cleared when the last
// one lets it go, so that nobody calls into an unloaded module.
int32_t blitModuleUsers = 0;

HWND asWindow(void* handle) { return static_cast<HWND>(handle); }

void resizeWithoutMoving(HWND window, int32_t width, int32_t height) {
    SetWindowPos(window, nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace

struct CFramePlatform {
    static LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
};

LRESULT CALLBACK CFramePlatform::windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    CFrame* frame = reinterpret_cast<CFrame*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (!frame) return DefWindowProcA(window, message, wParam, lParam);

    switch (message) {
        case WM_DESTROY:
            // The host destroyed its window and ours with it. The drop target
            // goes while the window can still be revoked.
            frame->setDropActive(false);
            frame->setOpenFlag(false);
            frame->hostWindow = nullptr;
            break;

        case WM_PAINT: {
            RECT update;
            if (!GetUpdateRect(window, &update, FALSE)) break;
            PAINTSTRUCT paint;
            HDC dc = BeginPaint(window, &paint);
            CDrawContext* context = new CDrawContext(frame, dc, window);
            frame->drawRect(context, CRect(paint.rcPaint.left, paint.rcPaint.top, paint.rcPaint.right,
                                           paint.rcPaint.bottom));
            context->release();
            EndPaint(window, &paint);
            return 0;
        }

        case WM_LBUTTONDOWN:
        case WM_RBUTTONDOWN:
        case WM_MBUTTONDOWN: {
            CDrawContext* context = new CDrawContext(frame, nullptr, window);
            CPoint where(LOWORD(lParam), HIWORD(lParam));
            // The buttons are read live, as the controls' drags follow them.
            // A right or middle click already over by the time its message
            // is handled (nothing follows those) still counts with its button.
            int32_t buttons = -1;
            if (message != WM_LBUTTONDOWN) {
                buttons = context->getMouseButtons();
                if (!(buttons & (kButtonLeft | kButtonMiddle | kButtonRight)))
                    buttons |= message == WM_RBUTTONDOWN ? kButtonRight : kButtonMiddle;
            }
            frame->mouse(context, where, buttons);
            context->release();
            return 0;
        }

        case WM_MOUSEWHEEL: {
            CDrawContext* context = new CDrawContext(frame, nullptr, window);
            RECT bounds;
            GetWindowRect(window, &bounds);
            // The message carries screen coordinates.
            CPoint where((short)LOWORD(lParam) - bounds.left, (short)HIWORD(lParam) - bounds.top);
            float distance = (float)(short)HIWORD(wParam) / (float)WHEEL_DELTA;
            frame->onWheel(context, where, distance);
            context->release();
            break;  // the default procedure passes it on to the parent
        }
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

CFrame::CFrame(const CRect& size, void* parentWindow, CFrameListener* editor)
    : CViewContainer(size, nullptr, nullptr), editor(editor), hostWindow(parentWindow) {
    parentFrame = this;

    setAlphaBlendEntry(nullptr);
    setTransparentBltEntry(nullptr);
    HMODULE msimg32 = LoadLibraryA("msimg32.dll");
    msimg32Module = msimg32;
    if (msimg32) {
        ++blitModuleUsers;
        setAlphaBlendEntry(
            reinterpret_cast<AlphaBlendProc>(reinterpret_cast<void*>(GetProcAddress(msimg32, "AlphaBlend"))));
        OSVERSIONINFOA& version = osVersionRecord();
        version.dwOSVersionInfoSize = sizeof(OSVERSIONINFOA);
        // Windows 9x's TransparentBlt is not trusted: the mask method stands in there.
        if (GetVersionExA(&version) && version.dwPlatformId >= VER_PLATFORM_WIN32_NT)
            setTransparentBltEntry(reinterpret_cast<TransparentBltProc>(
                reinterpret_cast<void*>(GetProcAddress(msimg32, "TransparentBlt"))));
    }

    createWindow(parentWindow);
}

CFrame::~CFrame() {
    cancelGesture();
    if (modalView) removeView(modalView, false);
    modalView = nullptr;
    setCursor(kCursorDefault);
    setDropActive(false);
    // Only the thread that set OLE up may end it: on any other thread the
    // call would take away a set-up that belongs to someone else.
    if (oleThread && oleThread == currentThreadIdentity()) OleUninitialize();
    oleThread = 0;

    if (msimg32Module) {
        FreeLibrary(static_cast<HMODULE>(msimg32Module));
        msimg32Module = nullptr;
        if (--blitModuleUsers == 0) {
            setAlphaBlendEntry(nullptr);
            setTransparentBltEntry(nullptr);
        }
    }

    if (window) {
        HWND own = asWindow(window);
        // The host may have destroyed the window already; a handle that now
        // names some other window must not be touched.
        if (IsWindow(own) && GetWindowLongPtrA(own, GWLP_USERDATA) == reinterpret_cast<LONG_PTR>(this)) {
            // Messages sent while the window goes find no frame.
            SetWindowLongPtrA(own, GWLP_USERDATA, 0);
            DestroyWindow(own);
        }
        window = nullptr;
        unregisterWindowClass();
    }

    // The children go while the frame is still whole, so that anything they
    // call on their frame on the way out reaches a complete object.
    focusView = nullptr;
    removeAll(true);
}

// Controls follow their drags by polling the live state.
bool CFrame::drivesGesturesByEvents() const { return false; }

// The window's messages come through the thread's message queue.
int CFrame::eventDescriptor() const { return -1; }

// The host's message loop delivers the window's messages.
void CFrame::handleWindowEvents() {}

bool CFrame::registerWindowClass() {
    if (++windowClassUseCount != 1) return true;
    HMODULE module = toolkitModule();
    // The module's address in upper-case hex, as wide as a pointer.
    std::snprintf(windowClassName, sizeof(windowClassName), "Plugin%0*llX", (int)(2 * sizeof(void*)),
                  (unsigned long long)reinterpret_cast<uintptr_t>(module));
    WNDCLASSA windowClass = {};
    windowClass.style = CS_GLOBALCLASS;
    windowClass.lpfnWndProc = CFramePlatform::windowProc;
    windowClass.cbClsExtra = 0;
    windowClass.cbWndExtra = 0;
    windowClass.hInstance = module;
    windowClass.hIcon = nullptr;
    windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    windowClass.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
    windowClass.lpszMenuName = nullptr;
    windowClass.lpszClassName = windowClassName;
    RegisterClassA(&windowClass);
    setSwapMouseButtons(GetSystemMetrics(SM_SWAPBUTTON) > 0);
    return true;
}

void CFrame::unregisterWindowClass() {
    if (windowClassUseCount <= 0) return;
    if (windowClassUseCount-- == 1) UnregisterClassA(windowClassName, toolkitModule());
}

bool CFrame::createWindow(void* parentWindow) {
    // A handle the host made up, or one of a window already gone: no window,
    // and nothing of the thread or the process is touched.
    if (!parentWindow || !IsWindow(asWindow(parentWindow))) return false;
    registerWindowClass();
    HWND created = CreateWindowExA(0, windowClassName, "Window",
                                   WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN, 0, 0,
                                   size.getWidth(), size.getHeight(), asWindow(parentWindow), nullptr,
                                   toolkitModule(), nullptr);
    if (!created) {
        // A parent handle that names no window: no window, no class use.
        unregisterWindowClass();
        return false;
    }
    window = created;
    SetWindowLongPtrA(created, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    // The drop target needs OLE on the window's thread: set up here, ended by
    // the destructor on this same thread. A thread already in the
    // multithreaded apartment refuses, and then there is nothing to end.
    if (SUCCEEDED(OleInitialize(nullptr))) oleThread = currentThreadIdentity();
    setDropActive(true);
    return true;
}

bool CFrame::setDropActive(bool active) {
    if (!dropActive && !active) return true;
    if (!window) return false;
    if (dropTarget) {
        dropTarget->detachFrame();
        RevokeDragDrop(asWindow(window));  // releases the platform's reference
        dropTarget = nullptr;
    }
    bool registered = false;
    if (active) {
        CDropTarget* target = new CDropTarget(this);
        // Held across the registration, so that a refused one frees it.
        target->AddRef();
        registered = SUCCEEDED(RegisterDragDrop(asWindow(window), target));
        if (registered)
            dropTarget = target;
        else
            target->detachFrame();
        target->Release();
    }
    dropActive = registered;
    return registered == active;
}

// A buffer of the old size would be copied over a window of the new one; the
// next draw makes a fresh one.
void CFrame::dropStaleOffscreen() {
    if (offscreen && (offscreen->getWidth() != size.getWidth() || offscreen->getHeight() != size.getHeight()))
        releaseOffscreen();
}

bool CFrame::setSize(int32_t width, int32_t height) {
    if (!getOpenFlag()) return false;
    if (width == size.getWidth() && height == size.getHeight()) return false;

    if (editor && editor->sizeWindow(width, height)) {
        // The host resized the windows that hold ours; only ours is left.
        size.right = size.left + width;
        size.bottom = size.top + height;
        dropStaleOffscreen();
        if (window) resizeWithoutMoving(asWindow(window), width, height);
        return true;
    }

    size.right = size.left + width;
    size.bottom = size.top + height;

    // Grow or shrink the chain of windows that hold ours by the same amount,
    // keeping each one's border around its child, up to the host's frame.
    const int32_t limit = 2 * GetSystemMetrics(SM_CYDLGFRAME);
    int32_t dw = 0;
    int32_t dh = 0;
    HWND w = asWindow(window);
    if (!w) {
        CViewContainer::setViewSize(CRect(0, 0, width, height));
        return true;
    }
    if (limit != 0) {
        do {
            HWND parent = GetParent(w);
            if (!parent) break;
            char className[1024] = "";
            GetClassNameA(parent, className, sizeof(className));
            if (std::strcmp(className, "MDIClient") == 0) break;
            RECT child, outer;
            GetWindowRect(w, &child);
            GetWindowRect(parent, &outer);
            resizeWithoutMoving(w, width + dw, height + dh);
            dw += (outer.right - outer.left) - (child.right - child.left);
            dh += (outer.bottom - outer.top) - (child.bottom - child.top);
            // Much bigger than its child: the host's own window, left alone.
            if (dw > 80 || dh > 80) {
                dropStaleOffscreen();
                return true;
            }
            if (dw < 0) dw = 0;
            if (dh < 0) dh = 0;
            w = parent;
        } while (dw != limit);
    }
    if (w) resizeWithoutMoving(w, width + dw, height + dh);

    CViewContainer::setViewSize(CRect(0, 0, width, height));
    return true;
}

void* CFrame::findHostWindow() const {
    HWND w = asWindow(window);
    if (!w) return nullptr;
    RECT own;
    GetWindowRect(w, &own);
    for (;;) {
        HWND parent = GetParent(w);
        bool captioned = (GetWindowLongA(w, GWL_STYLE) & WS_CAPTION) == WS_CAPTION;
        if (captioned || !parent) return w;
        RECT outer;
        GetWindowRect(parent, &outer);
        int32_t widthDifference = std::abs((outer.right - outer.left) - (own.right - own.left));
        int32_t heightDifference = std::abs((outer.bottom - outer.top) - (own.bottom - own.top));
        if (widthDifference > 60 || heightDifference > 60) return w;
        w = parent;
    }
}

bool CFrame::getPosition(int32_t& x, int32_t& y) const {
    if (!getOpenFlag()) return false;
    HWND w = asWindow(findHostWindow());
    if (!w) return false;
    RECT bounds;
    GetWindowRect(w, &bounds);
    POINT corner = {bounds.left, bounds.top};
    MapWindowPoints(HWND_DESKTOP, GetParent(w), &corner, 1);
    x = corner.x;
    y = corner.y;
    return true;
}

bool CFrame::getSize(CRect& rect) const {
    if (!getOpenFlag() || !window) return false;
    HWND p = GetParent(asWindow(window));
    if (!p) return false;
    HWND q = GetParent(GetParent(p));
    RECT bounds;
    GetWindowRect(p, &bounds);
    POINT corner = {bounds.left, bounds.top};
    MapWindowPoints(HWND_DESKTOP, q, &corner, 1);
    rect = CRect(corner.x, corner.y, corner.x + (bounds.right - bounds.left),
                 corner.y + (bounds.bottom - bounds.top));
    return true;
}

bool CFrame::getCursorLocation(CPoint& where) {
    where = platformInput().cursorPosition();
    if (window) {
        RECT bounds;
        GetWindowRect(asWindow(window), &bounds);
        where.offset(-bounds.left, -bounds.top);
    }
    return true;
}

void CFrame::setCursor(int32_t type) {
    if (!defaultCursor) defaultCursor = GetCursor();
    LPCSTR shape = nullptr;
    switch (type) {
        case kCursorWait: shape = IDC_WAIT; break;
        case kCursorHSize: shape = IDC_SIZEWE; break;
        case kCursorVSize: shape = IDC_SIZENS; break;
        case kCursorSizeAll: shape = IDC_SIZEALL; break;
        case kCursorNESWSize: shape = IDC_SIZENESW; break;
        case kCursorNWSESize: shape = IDC_SIZENWSE; break;
        case kCursorNotAllowed: shape = IDC_NO; break;
        case kCursorHand: shape = IDC_HAND; break;
        default: break;
    }
    SetCursor(shape ? LoadCursorA(nullptr, shape) : static_cast<HCURSOR>(defaultCursor));
}

}  // namespace VSTGUI
