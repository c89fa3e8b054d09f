#include "gui/cviewcontainer.h"

#include <cstring>

#include "gui/cframe.h"

namespace VSTGUI {

namespace {
inline bool containsInclusive(const CRect& r, const CPoint& p) {
    return p.h >= r.left && p.h <= r.right && p.v >= r.top && p.v <= r.bottom;
}
inline CRect intersection(CRect a, const CRect& b) { return a.intersect(b); }
}  // namespace

CViewContainer::CViewContainer(const CRect& size, CFrame* frame, CBitmap* background)
    : CView(size),
      firstChild(nullptr),
      lastChild(nullptr),
      mode(kUpdateDirtyOnly),
      offscreen(nullptr),
      backgroundColor(kColorBlack),
      backgroundOffset(0, 0),
      drawOffscreen(true),
      dragTarget(nullptr) {
    parentFrame = frame;
    setBackground(background);
}

CViewContainer::~CViewContainer() {
    removeAll(true);
    releaseOffscreen();
}

void CViewContainer::enterLocalCoordinates(SavedOffsets& save, CDrawContext* context) const {
    if (!context) return;
    save.screenOffset = context->screenOffset;
    save.offset = context->offset;
    context->screenOffset.offset(size.left, size.top);
    context->offset.offset(size.left, size.top);
}

void CViewContainer::leaveLocalCoordinates(CDrawContext* context, const SavedOffsets& save) const {
    if (!context) return;
    context->screenOffset = save.screenOffset;
    context->offset = save.offset;
}

void CViewContainer::createOffscreenIfNeeded() {
    if (!offscreen && drawOffscreen)
        offscreen = new COffscreenContext(parentFrame, size.getWidth(), size.getHeight(), kColorBlack);
}

void CViewContainer::releaseOffscreen() {
    if (offscreen) offscreen->release();
    offscreen = nullptr;
}

CRect CViewContainer::localClipOf(CDrawContext* context) const {
    CRect clip = context->getClipRect();
    // Drawing into the own buffer leaves the context in the parent's
    // coordinates; the frame's coordinates are its own.
    if (drawOffscreen && parentFrame != static_cast<const CView*>(this)) clip.offset(-size.left, -size.top);
    return clip;
}

// ---------------------------------------------------------------------------
// Drawing

void CViewContainer::draw(CDrawContext* context) {
    if (!context) return;
    createOffscreenIfNeeded();
    SavedOffsets save;
    CDrawContext* target = drawOffscreen ? offscreen : context;
    if (!drawOffscreen) enterLocalCoordinates(save, context);

    const CRect restoreClip = context->getClipRect();
    const CRect oldClip = localClipOf(context);
    const CRect all(0, 0, size.getWidth(), size.getHeight());
    target->setClipRect(intersection(all, oldClip));

    if (background) {
        if (transparent)
            background->drawTransparent(target, all, backgroundOffset);
        else
            background->draw(target, all, backgroundOffset);
    } else if (!transparent) {
        target->setFillColor(backgroundColor);
        target->fillRect(all);
    }

    for (ChildEntry* e = firstChild; e; e = e->next) {
        CRect childSize;
        e->view->getViewSize(childSize);
        target->setClipRect(childSize.intersect(oldClip));
        e->view->draw(target);
    }
    target->setClipRect(restoreClip);

    if (drawOffscreen)
        offscreen->copyFrom(context, size, CPoint(0, 0));
    else
        leaveLocalCoordinates(context, save);
    setDirty(false);
}

void CViewContainer::drawRect(CDrawContext* context, const CRect& updateRect) {
    if (!context) return;
    createOffscreenIfNeeded();
    SavedOffsets save;
    CDrawContext* target = drawOffscreen ? offscreen : context;
    if (!drawOffscreen) enterLocalCoordinates(save, context);

    const CRect update = intersection(updateRect, size);
    CRect client(update);
    client.offset(-size.left, -size.top);

    const CRect restoreClip = context->getClipRect();
    const CRect oldClip = localClipOf(context);
    const CRect newClip = intersection(client, oldClip);
    target->setClipRect(newClip);

    drawBackgroundRect(target, client);

    const bool partialRedrawsStayDirty = !isTypeOf("CScrollContainer");
    for (ChildEntry* e = firstChild; e; e = e->next) {
        CView* child = e->view;
        if (!child->overlaps(client)) continue;
        CRect childSize;
        child->getViewSize(childSize);
        const CRect viewClip = intersection(childSize, newClip);
        if (viewClip.getWidth() == 0 || viewClip.getHeight() == 0) continue;
        target->setClipRect(viewClip);
        const bool wasDirty = child->isDirty();
        child->drawRect(target, client);
        // Drawn only in part: the rest is due at a later update.
        if (wasDirty && viewClip != childSize && partialRedrawsStayDirty) child->setDirty(true);
    }
    target->setClipRect(restoreClip);

    if (drawOffscreen)
        offscreen->copyFrom(context, update, CPoint(client.left, client.top));
    else
        leaveLocalCoordinates(context, save);
    setDirty(false);
}

void CViewContainer::drawBackgroundRect(CDrawContext* context, const CRect& rect) {
    if (!context) return;
    if (background) {
        const CRect saved = context->getClipRect();
        context->setClipRect(intersection(rect, saved));
        const CRect whole(0, 0, background->getWidth(), background->getHeight());
        if (transparent)
            background->drawTransparent(context, whole, backgroundOffset);
        else
            background->draw(context, whole, backgroundOffset);
        context->setClipRect(saved);
    } else if (!transparent) {
        context->setFillColor(backgroundColor);
        context->fillRect(rect);
    }
}

void CViewContainer::redrawRect(CDrawContext* context, const CRect& rect) {
    CRect inParent(rect);
    inParent.offset(size.left, size.top);
    if (transparent) {
        // What lies behind must be drawn first: start further up.
        if (parentView)
            parentView->redrawRect(context, inParent);
        else if (parentFrame)
            parentFrame->drawRect(context, inParent);
        return;
    }
    CPoint shift(0, 0);
    if (parentView) parentView->localToFrame(shift);
    if (context) {
        context->screenOffset.offset(shift.h, shift.v);
        context->offset.offset(shift.h, shift.v);
    }
    drawRect(context, inParent);
    if (context) {
        context->screenOffset.offset(-shift.h, -shift.v);
        context->offset.offset(-shift.h, -shift.v);
    }
}

bool CViewContainer::isDirty() const {
    if (dirty) return true;
    const CRect all(0, 0, size.getWidth(), size.getHeight());
    for (ChildEntry* e = firstChild; e; e = e->next) {
        if (!e->view->isDirty()) continue;
        CRect r;
        e->view->getViewSize(r);
        r.intersect(all);
        if (r.getWidth() > 0 && r.getHeight() > 0) return true;
    }
    return false;
}

void CViewContainer::update(CDrawContext* context) {
    const CRect all(0, 0, size.getWidth(), size.getHeight());
    if (mode == kUpdateAll || (mode == kUpdateDirtyOnly && dirty)) {
        if (isDirty()) {
            redrawRect(context, all);
            setDirty(false);
        }
        return;
    }
    if (mode != kUpdateDirtyOnly) return;
    for (ChildEntry* e = firstChild; e; e = e->next) {
        CView* child = e->view;
        if (!child->isDirty() || !child->overlaps(all)) continue;
        if (child->notify(this, kMsgCheckIfViewContainer) != kNotifyUnhandled) {
            child->update(context);
        } else {
            CRect r;
            child->getViewSize(r);
            child->redrawRect(context, r.intersect(all));
        }
    }
    setDirty(false);
}

void CViewContainer::setViewSize(const CRect& rect) {
    CView::setViewSize(rect);
    if (offscreen && drawOffscreen) {
        releaseOffscreen();
        createOffscreenIfNeeded();
    }
}

bool CViewContainer::attached(CView*) {
    createOffscreenIfNeeded();
    return true;
}

bool CViewContainer::removed(CView*) {
    releaseOffscreen();
    return true;
}

void CViewContainer::setDrawOffscreen(bool state) {
    drawOffscreen = state;
    if (!state) releaseOffscreen();
}

// ---------------------------------------------------------------------------
// Children

void CViewContainer::addView(CView* view, const CRect& area, bool enabled) {
    if (!view) return;
    view->setMouseEnabled(enabled);
    view->setMouseArea(area);
    addView(view);
}

void CViewContainer::addView(CView* view) {
    if (!view) return;
    ChildEntry* entry = new ChildEntry(view);
    view->setParentFrame(parentFrame);
    view->setParentView(this);
    entry->previous = lastChild;
    if (lastChild)
        lastChild->next = entry;
    else
        firstChild = entry;
    lastChild = entry;
    view->attached(this);
    view->setDirty(true);
}

void CViewContainer::removeView(CView* view, bool withRelease) {
    if (!view) return;
    if (parentFrame && parentFrame->getFocusView() == view) parentFrame->setFocusView(nullptr);
    ChildEntry* entry = firstChild;
    while (entry && entry->view != view) entry = entry->next;
    if (!entry) return;
    if (dragTarget == view) dragTarget = nullptr;  // never route to a view that is gone
    view->removed(this);
    if (withRelease) view->release();  // the entry still holds its own reference
    if (entry->previous)
        entry->previous->next = entry->next;
    else
        firstChild = entry->next;
    if (entry->next)
        entry->next->previous = entry->previous;
    else
        lastChild = entry->previous;
    delete entry;
}

void CViewContainer::removeAll(bool withRelease) {
    ChildEntry* entry = firstChild;
    firstChild = lastChild = nullptr;
    dragTarget = nullptr;
    while (entry) {
        ChildEntry* next = entry->next;
        entry->view->removed(this);
        if (withRelease) entry->view->release();
        delete entry;
        entry = next;
    }
}

bool CViewContainer::isChild(CView* view) const {
    for (ChildEntry* e = firstChild; e; e = e->next)
        if (e->view == view) return true;
    return false;
}

int32_t CViewContainer::getViewCount() const {
    int32_t count = 0;
    for (ChildEntry* e = firstChild; e; e = e->next) ++count;
    return count;
}

CView* CViewContainer::getView(int32_t index) const {
    if (index < 0) return nullptr;
    for (ChildEntry* e = firstChild; e; e = e->next)
        if (index-- == 0) return e->view;
    return nullptr;
}

void CViewContainer::setBackgroundColor(const CColor& color) {
    backgroundColor = color;
    setDirty(true);
}

CColor CViewContainer::getBackgroundColor() const { return backgroundColor; }
void CViewContainer::setBackgroundOffset(const CPoint& point) { backgroundOffset = point; }
CPoint& CViewContainer::getBackgroundOffset() { return backgroundOffset; }
void CViewContainer::setMode(int32_t value) { mode = value; }
int32_t CViewContainer::getMode() const { return mode; }

int32_t CViewContainer::notify(CView*, const char* message) {
    return message == kMsgCheckIfViewContainer ? kNotifyHandled : kNotifyUnhandled;
}

bool CViewContainer::isTypeOf(const char* className) const {
    if (className && std::strcmp(className, "CViewContainer") == 0) return true;
    return CView::isTypeOf(className);
}

CPoint& CViewContainer::frameToLocal(CPoint& point) const {
    point.offset(-size.left, -size.top);
    if (parentView && parentView->isTypeOf("CViewContainer")) return parentView->frameToLocal(point);
    return point;
}

CPoint& CViewContainer::localToFrame(CPoint& point) const {
    point.offset(size.left, size.top);
    if (parentView && parentView->isTypeOf("CViewContainer")) return parentView->localToFrame(point);
    return point;
}

// ---------------------------------------------------------------------------
// Routing

void CViewContainer::mouse(CDrawContext* context, const CPoint& where, int32_t buttons) {
    CPoint local(where.h - size.left, where.v - size.top);
    if (buttons == -1 && context) buttons = context->getMouseButtons();
    for (ChildEntry* e = lastChild; e; e = e->previous) {
        if (e->view->getMouseEnabled() && e->view->hitTest(local, buttons)) {
            e->view->mouse(context, local, buttons);
            return;
        }
    }
}

int32_t CViewContainer::onKeyDown(CKeyCode& keyCode) {
    for (ChildEntry* e = lastChild; e; e = e->previous) {
        int32_t result = e->view->onKeyDown(keyCode);
        if (result != -1) return result;
    }
    return -1;
}

int32_t CViewContainer::onKeyUp(CKeyCode& keyCode) {
    for (ChildEntry* e = lastChild; e; e = e->previous) {
        int32_t result = e->view->onKeyUp(keyCode);
        if (result != -1) return result;
    }
    return -1;
}

bool CViewContainer::onWheel(CDrawContext* context, const CPoint& where, int32_t axis, float distance) {
    CView* view = getViewAt(where, false);
    if (!view) return false;
    CPoint local(where.h - size.left, where.v - size.top);
    SavedOffsets save;
    enterLocalCoordinates(save, context);
    bool result = view->onWheel(context, local, axis, distance);
    leaveLocalCoordinates(context, save);
    return result;
}

bool CViewContainer::onWheel(CDrawContext* context, const CPoint& where, float distance) {
    return onWheel(context, where, 1, distance);
}

void CViewContainer::onDragEnter(CDrawContext* context, CDragContainer* drag, const CPoint& where) {
    if (!parentFrame) return;
    SavedOffsets save;
    enterLocalCoordinates(save, context);
    CPoint local(where.h - size.left, where.v - size.top);
    if (dragTarget) dragTarget->onDragLeave(context, drag, local);
    dragTarget = getViewAt(where, false);
    if (dragTarget) dragTarget->onDragEnter(context, drag, local);
    leaveLocalCoordinates(context, save);
}

void CViewContainer::onDragMove(CDrawContext* context, CDragContainer* drag, const CPoint& where) {
    if (!parentFrame) return;
    SavedOffsets save;
    enterLocalCoordinates(save, context);
    CPoint local(where.h - size.left, where.v - size.top);
    CView* under = getViewAt(where, false);
    if (under != dragTarget) {
        if (dragTarget) dragTarget->onDragLeave(context, drag, local);
        if (under) under->onDragEnter(context, drag, local);
        dragTarget = under;
    } else if (dragTarget) {
        dragTarget->onDragMove(context, drag, local);
    }
    leaveLocalCoordinates(context, save);
}

void CViewContainer::onDragLeave(CDrawContext* context, CDragContainer* drag, const CPoint& where) {
    if (!parentFrame) return;
    SavedOffsets save;
    enterLocalCoordinates(save, context);
    CPoint local(where.h - size.left, where.v - size.top);
    if (dragTarget) dragTarget->onDragLeave(context, drag, local);
    dragTarget = nullptr;
    leaveLocalCoordinates(context, save);
}

bool CViewContainer::onDrop(CDrawContext* context, CDragContainer* drag, const CPoint& where) {
    if (!parentFrame) return false;
    SavedOffsets save;
    enterLocalCoordinates(save, context);
    CPoint local(where.h - size.left, where.v - size.top);
    CView* under = getViewAt(where, false);
    if (under != dragTarget) {
        if (dragTarget) dragTarget->onDragLeave(context, drag, local);
        dragTarget = under;
    }
    bool result = false;
    if (dragTarget) {
        result = dragTarget->onDrop(context, drag, local);
        dragTarget->onDragLeave(context, drag, local);
    }
    dragTarget = nullptr;
    leaveLocalCoordinates(context, save);
    return result;
}

void CViewContainer::loseFocus(CDrawContext* context) {
    for (ChildEntry* e = firstChild; e; e = e->next) e->view->loseFocus(context);
}

void CViewContainer::takeFocus(CDrawContext* context) {
    for (ChildEntry* e = firstChild; e; e = e->next) e->view->takeFocus(context);
}

CView* CViewContainer::getViewAt(const CPoint& where, bool deep) {
    if (!parentFrame) return nullptr;
    CPoint local(where.h - size.left, where.v - size.top);
    for (ChildEntry* e = lastChild; e; e = e->previous) {
        CRect area;
        e->view->getMouseArea(area);
        if (!containsInclusive(area, local)) continue;
        if (deep && e->view->isTypeOf("CViewContainer"))
            return static_cast<CViewContainer*>(e->view)->getViewAt(local, deep);
        return e->view;
    }
    return nullptr;
}

CView* CViewContainer::getViewUnderCursor() {
    if (!parentFrame) return nullptr;
    CPoint p;
    parentFrame->getCursorLocation(p);
    frameToLocal(p);
    for (ChildEntry* e = lastChild; e; e = e->previous) {
        CRect area;
        e->view->getMouseArea(area);
        if (containsInclusive(area, p)) return e->view;
    }
    return nullptr;
}

bool CViewContainer::advanceFocus(CView* oldFocus, bool reverse) {
    bool met = oldFocus == nullptr;
    for (ChildEntry* e = reverse ? lastChild : firstChild; e; e = reverse ? e->previous : e->next) {
        CView* child = e->view;
        if (!met) {
            if (child == oldFocus) met = true;
            continue;
        }
        if (child->wantsFocus()) {
            if (parentFrame) parentFrame->setFocusView(child);
            return true;
        }
        if (child->isTypeOf("CViewContainer") && static_cast<CViewContainer*>(child)->advanceFocus(nullptr, reverse))
            return true;
    }
    return false;
}

}  // namespace VSTGUI
