// The root of the view tree and the bridge to the editor's child window.
#pragma once

#include <cstdint>

#include "gui/cmouse_gesture.h"
#include "gui/cviewcontainer.h"

namespace VSTGUI {

class CDropTarget;
struct CFrameWindowState;

// What a frame asks of the editor that owns it.
class CFrameListener {
public:
    // A control's gesture on parameter `index` begins or ends.
    virtual void beginEdit(int32_t index) = 0;
    virtual void endEdit(int32_t index) = 0;
    // Called on every pass of a control's own mouse loop: redraw, paint and
    // give the host its idle time, at the listener's pace.
    virtual void runIdle() = 0;
    // 2 drags knobs linearly, anything else circularly.
    virtual int32_t getKnobMode() const = 0;
    // The frame takes a new size: asks the host to resize the windows that
    // hold it; true when the host did.
    virtual bool sizeWindow(int32_t width, int32_t height) = 0;

protected:
    ~CFrameListener() = default;
};

enum CCursorType : int32_t {
    kCursorDefault = 0,
    kCursorWait,
    kCursorHSize,
    kCursorVSize,
    kCursorSizeAll,
    kCursorNESWSize,
    kCursorNWSESize,
    kCursorCopy,
    kCursorNotAllowed,
    kCursorHand
};

class CFrame : public CViewContainer {
public:
    // parentWindow: the host's window for the editor (an HWND, or an X11
    // window id); may be empty, and then the frame has no window of its own
    // but can still hold views.
    CFrame(const CRect& size, void* parentWindow, CFrameListener* editor);
    ~CFrame() override;

    void draw(CDrawContext* context) override;
    void drawRect(CDrawContext* context, const CRect& updateRect) override;
    void mouse(CDrawContext* context, const CPoint& where, int32_t buttons = -1) override;
    int32_t onKeyDown(CKeyCode& keyCode) override;
    int32_t onKeyUp(CKeyCode& keyCode) override;
    using CViewContainer::onWheel;
    bool onWheel(CDrawContext* context, const CPoint& where, int32_t axis, float distance) override;
    void setViewSize(const CRect& rect) override;
    CFrameListener* getEditor() const override;
    bool isTypeOf(const char* className) const override;
    void update(CDrawContext* context) override;
    CView* getViewUnderCursor() override;
    bool advanceFocus(CView* oldFocus, bool reverse) override;

    virtual bool open(CPoint* point = nullptr);
    virtual bool close();
    virtual bool isOpen() const;
    virtual void idle();
    virtual void runIdle();
    virtual int32_t getTicks() const;
    virtual int32_t getKnobMode() const;
    virtual bool setPosition(int32_t x, int32_t y);
    virtual bool getPosition(int32_t& x, int32_t& y) const;
    virtual bool setSize(int32_t width, int32_t height);
    virtual bool getSize(CRect* rect) const;
    virtual bool getSize(CRect& rect) const;
    virtual bool setModalView(CView* view);
    virtual CView* getModalView() const;
    virtual void beginEdit(int32_t index);
    virtual void endEdit(int32_t index);
    virtual bool getCursorLocation(CPoint& where);
    virtual void setCursor(int32_t type);
    virtual void setFocusView(CView* view);
    virtual CView* getFocusView() const;
    virtual bool setDropActive(bool active);
    virtual bool isDropActive() const;
    virtual void setOpenFlag(bool state);
    virtual bool getOpenFlag() const;
    virtual void invalidate(const CRect& rect);
    virtual bool setUpdatesDisabled(bool state);
    virtual bool updatesDisabled() const;
    virtual void drawView(CView* view);

    // A new drawing context on the frame's window; the caller releases it.
    CDrawContext* createDrawContext();

    // Whether controls hand their drags to the frame (startGesture), which
    // then passes on the window system's motion and release events, instead
    // of following the pointer in a loop of their own.
    bool drivesGesturesByEvents() const;
    // The gesture gets the motion up to the release; one at a time.
    void startGesture(CMouseGesture* newGesture);
    CMouseGesture* getGesture() const { return gesture; }
    CFrameWindowState* getWindowState() const { return windowState; }
    // A descriptor that becomes readable when the window system has events
    // for the frame (X11: its own display connection), for a host's run loop
    // to wait on; -1 where there is none (Windows, or no connection).
    int eventDescriptor() const;

    void* getSystemWindow() const { return window; }            // the frame's own window (HWND or X11 id)
    void* getParentSystemWindow() const { return hostWindow; }  // the host's window (HWND or X11 id)
    // No window yet, but one comes at a later idle: the host has made its
    // window but not yet sent it to the X server.
    bool isWindowPending() const { return windowPending; }

protected:
    bool createWindow(void* parentWindow);
    static bool registerWindowClass();
    static void unregisterWindowClass();
    void* findHostWindow() const;
    // Lets go of an offscreen buffer whose size no longer matches the frame.
    void dropStaleOffscreen();
    // Passes pointer motion or the release on to the running gesture.
    void moveGesture(CDrawContext* context, const CPoint& where, int32_t buttons);
    void endGesture(CDrawContext* context, const CPoint& where, int32_t buttons);
    // The frame goes away mid-drag: the gesture ends without a step.
    void cancelGesture();
    // Takes the window system's waiting events (X11); idle starts with it.
    void handleWindowEvents();

    CFrameListener* editor;
    void* hostWindow;
    CView* modalView = nullptr;
    CView* focusView = nullptr;
    bool firstDraw = true;
    bool openFlag = true;
    bool dropActive = false;
    bool noUpdates = false;
    void* window = nullptr;  // HWND, or the X11 window id
    bool windowPending = false;
    void* msimg32Module = nullptr;  // HMODULE; this and the next three on Windows only
    CDropTarget* dropTarget = nullptr;
    void* defaultCursor = nullptr;  // HCURSOR
    uintptr_t oleThread = 0;  // the thread this frame set OLE up on, to end it there; 0: none (Windows)
    CMouseGesture* gesture = nullptr;
    // The window system's own state of the frame, where it needs one (X11).
    CFrameWindowState* windowState = nullptr;

    // Platform glue (window procedure and friends) lives next to the
    // implementation and needs the fields.
    friend struct CFramePlatform;
};

}  // namespace VSTGUI
