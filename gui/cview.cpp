#include "gui/cview.h"

#include <cstring>

#include "gui/cframe.h"
#include "gui/cviewcontainer.h"

namespace VSTGUI {

const char* const kMsgCheckIfViewContainer = "kMsgCheckIfViewContainer";

CView::CView(const CRect& size)
    : size(size),
      mouseArea(size),
      parentFrame(nullptr),
      parentView(nullptr),
      dirty(false),
      mouseEnabled(true),
      transparent(false),
      focusable(false),
      background(nullptr) {}

CView::~CView() {
    if (background) background->release();
}

void CView::draw(CDrawContext* context) {
    if (background) {
        if (transparent)
            background->drawTransparent(context, size, CPoint(0, 0));
        else
            background->draw(context, size, CPoint(0, 0));
    }
    setDirty(false);
}

void CView::drawRect(CDrawContext* context, const CRect&) { draw(context); }

bool CView::overlaps(const CRect& r) {
    return !(r.right < size.left || r.left > size.right || r.bottom < size.top || r.top > size.bottom);
}

void CView::mouse(CDrawContext*, const CPoint&, int32_t) {}

void CView::setBackground(CBitmap* bitmap) {
    // Retain first: the new bitmap may be the one held now.
    if (bitmap) bitmap->retain();
    if (background) background->release();
    background = bitmap;
    setDirty(true);
}

CBitmap* CView::getBackground() const { return background; }

int32_t CView::onKeyDown(CKeyCode&) { return -1; }
int32_t CView::onKeyUp(CKeyCode&) { return -1; }

bool CView::onWheel(CDrawContext* context, const CPoint& where, int32_t, float distance) {
    return onWheel(context, where, distance);
}

bool CView::onWheel(CDrawContext*, const CPoint&, float) { return false; }

bool CView::onDrop(CDrawContext*, CDragContainer*, const CPoint&) { return false; }
void CView::onDragEnter(CDrawContext*, CDragContainer*, const CPoint&) {}
void CView::onDragLeave(CDrawContext*, CDragContainer*, const CPoint&) {}
void CView::onDragMove(CDrawContext*, CDragContainer*, const CPoint&) {}
void CView::loseFocus(CDrawContext*) {}
void CView::takeFocus(CDrawContext*) {}

bool CView::isDirty() const { return dirty; }
void CView::setDirty(bool state) { dirty = state; }
void CView::setMouseEnabled(bool enable) { mouseEnabled = enable; }
bool CView::getMouseEnabled() const { return mouseEnabled; }
void CView::setMouseArea(const CRect& rect) { mouseArea = rect; }

CRect& CView::getMouseArea(CRect& rect) const {
    rect = mouseArea;
    return rect;
}

bool CView::hitTest(const CPoint& where, int32_t) {
    return where.h >= mouseArea.left && where.h <= mouseArea.right && where.v >= mouseArea.top &&
           where.v <= mouseArea.bottom;
}

void CView::setTransparency(bool state) { transparent = state; }
bool CView::getTransparency() const { return transparent; }

void CView::setViewSize(const CRect& rect) {
    size = rect;
    setDirty(true);
}

CRect& CView::getViewSize(CRect& rect) const {
    rect = size;
    return rect;
}

bool CView::removed(CView*) { return true; }
bool CView::attached(CView*) { return true; }

void CView::getMouseLocation(CDrawContext* context, CPoint& point) {
    if (!context) return;
    if (parentView && parentView->notify(this, kMsgCheckIfViewContainer) == kNotifyHandled) {
        CViewContainer* container = static_cast<CViewContainer*>(parentView);
        CViewContainer::SavedOffsets save;
        container->enterLocalCoordinates(save, context);
        container->getMouseLocation(context, point);
        container->leaveLocalCoordinates(context, save);
        return;
    }
    context->getMouseLocation(point);
}

CPoint& CView::frameToLocal(CPoint& point) const {
    if (parentView && parentView->isTypeOf("CViewContainer")) return parentView->frameToLocal(point);
    return point;
}

CPoint& CView::localToFrame(CPoint& point) const {
    if (parentView && parentView->isTypeOf("CViewContainer")) return parentView->localToFrame(point);
    return point;
}

CFrameListener* CView::getEditor() const { return parentFrame ? parentFrame->getEditor() : nullptr; }

int32_t CView::notify(CView*, const char*) { return kNotifyUnhandled; }

void CView::redrawRect(CDrawContext* context, const CRect& rect) {
    if (parentView)
        parentView->redrawRect(context, rect);
    else if (parentFrame)
        parentFrame->drawRect(context, rect);
}

bool CView::wantsFocus() const { return focusable; }
void CView::setWantsFocus(bool state) { focusable = state; }

bool CView::isTypeOf(const char* className) const { return className && std::strcmp(className, "CView") == 0; }

void CView::update(CDrawContext* context) {
    if (!isDirty()) return;
    if (context)
        redrawRect(context, size);
    else
        drawNow();
    setDirty(false);
}

void CView::drawNow() {
    if (parentFrame) parentFrame->drawView(this);
}

}  // namespace VSTGUI
