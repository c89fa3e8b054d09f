// The view: a rectangle in the editor window with its dirty flag, mouse and
// focus switches, optional background bitmap and default event answers.
#pragma once

#include <cstdint>

#include "gui/cbitmap.h"
#include "gui/cdrawcontext.h"
#include "gui/cgeometry.h"
#include "gui/creferencecounter.h"
#include "gui/ckeycode.h"

namespace VSTGUI {

class CFrame;
class CFrameListener;
class CDragContainer;

// Asks a view whether it is a container. Compared by address, so senders must
// pass this very constant.
extern const char* const kMsgCheckIfViewContainer;

enum CNotifyResult : int32_t { kNotifyUnhandled = 0, kNotifyHandled = 1 };

class CView : public CReferenceCounter {
public:
    explicit CView(const CRect& size);
    ~CView() override;

    virtual void draw(CDrawContext* context);
    virtual void drawRect(CDrawContext* context, const CRect& updateRect);
    virtual bool overlaps(const CRect& rect);
    virtual void mouse(CDrawContext* context, const CPoint& where, int32_t buttons = -1);
    virtual void setBackground(CBitmap* bitmap);
    virtual CBitmap* getBackground() const;
    virtual int32_t onKeyDown(CKeyCode& keyCode);
    virtual int32_t onKeyUp(CKeyCode& keyCode);
    virtual bool onWheel(CDrawContext* context, const CPoint& where, int32_t axis, float distance);
    virtual bool onWheel(CDrawContext* context, const CPoint& where, float distance);
    virtual bool onDrop(CDrawContext* context, CDragContainer* drag, const CPoint& where);
    virtual void onDragEnter(CDrawContext* context, CDragContainer* drag, const CPoint& where);
    virtual void onDragLeave(CDrawContext* context, CDragContainer* drag, const CPoint& where);
    virtual void onDragMove(CDrawContext* context, CDragContainer* drag, const CPoint& where);
    virtual void loseFocus(CDrawContext* context = nullptr);
    virtual void takeFocus(CDrawContext* context = nullptr);
    virtual bool isDirty() const;
    virtual void setDirty(bool state = true);
    virtual void setMouseEnabled(bool enable = true);
    virtual bool getMouseEnabled() const;
    virtual void setMouseArea(const CRect& rect);
    virtual CRect& getMouseArea(CRect& rect) const;
    virtual bool hitTest(const CPoint& where, int32_t buttons = -1);
    virtual void setTransparency(bool state);
    virtual bool getTransparency() const;
    virtual void setViewSize(const CRect& rect);
    virtual CRect& getViewSize(CRect& rect) const;
    virtual bool removed(CView* parent);
    virtual bool attached(CView* parent);
    virtual void getMouseLocation(CDrawContext* context, CPoint& point);
    virtual CPoint& frameToLocal(CPoint& point) const;
    virtual CPoint& localToFrame(CPoint& point) const;
    virtual CFrameListener* getEditor() const;
    virtual int32_t notify(CView* sender, const char* message);
    virtual void redrawRect(CDrawContext* context, const CRect& rect);
    virtual bool wantsFocus() const;
    virtual void setWantsFocus(bool state);
    virtual bool isTypeOf(const char* className) const;
    virtual void update(CDrawContext* context);

    // Draws this view straight to the window through the frame, if any.
    void drawNow();

    // Set by the container that adds the view; not reference-counted.
    void setParentFrame(CFrame* frame) { parentFrame = frame; }
    CFrame* getFrame() const { return parentFrame; }
    void setParentView(CView* view) { parentView = view; }
    CView* getParentView() const { return parentView; }

    int32_t getWidth() const { return size.getWidth(); }
    int32_t getHeight() const { return size.getHeight(); }

protected:
    CRect size;
    CRect mouseArea;
    CFrame* parentFrame;
    CView* parentView;
    bool dirty;
    bool mouseEnabled;
    bool transparent;
    bool focusable;
    CBitmap* background;
};

}  // namespace VSTGUI
