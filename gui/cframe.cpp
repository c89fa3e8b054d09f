#include "gui/cframe.h"

#include <cstring>

#include "gui/tick_clock.h"

namespace VSTGUI {

// Construction, destruction and the window-system parts of the frame are in
// cframe_window.cpp; this file holds the logic that needs no platform.

void CFrame::draw(CDrawContext* context) {
    firstDraw = false;
    CDrawContext* own = context ? nullptr : (context = createDrawContext());
    CViewContainer::draw(context);
    if (own) own->release();
}

void CFrame::drawRect(CDrawContext* context, const CRect& updateRect) {
    firstDraw = false;
    CDrawContext* own = context ? nullptr : (context = createDrawContext());
    CRect saved = context->getClipRect();
    CRect clip(updateRect);
    clip.intersect(saved);
    context->setClipRect(clip);
    if (updateRect.getWidth() > 0 && updateRect.getHeight() > 0) CViewContainer::drawRect(context, updateRect);
    context->setClipRect(saved);
    if (own) own->release();
}

void CFrame::drawView(CView* view) {
    if (view && !isChild(view)) view = nullptr;
    CDrawContext* context = createDrawContext();
    if (view)
        view->draw(context);
    else
        draw(context);
    context->release();
}

void CFrame::idle() {
    handleWindowEvents();
    // Nothing is drawn before the window's first paint, so that the window is
    // never painted twice at start.
    if (!getOpenFlag() || firstDraw || !isDirty()) return;
    CDrawContext* context = createDrawContext();
    update(context);
    context->release();
}

void CFrame::update(CDrawContext* context) {
    if (!getOpenFlag() || updatesDisabled()) return;
    CDrawContext* own = context ? nullptr : (context = createDrawContext());
    if (dirty) {
        draw(context);
        setDirty(false);
    } else {
        CRect saved = context->getClipRect();
        if (modalView && modalView->isDirty()) modalView->update(context);
        for (ChildEntry* entry = firstChild; entry; entry = entry->next) {
            CRect clip;
            entry->view->getViewSize(clip);
            clip.intersect(saved);
            context->setClipRect(clip);
            entry->view->update(context);
        }
        context->setClipRect(saved);
    }
    if (own) own->release();
}

void CFrame::invalidate(const CRect& rect) {
    for (ChildEntry* entry = firstChild; entry; entry = entry->next)
        if (entry->view->overlaps(rect)) entry->view->setDirty(true);
}

bool CFrame::setUpdatesDisabled(bool state) {
    bool previous = noUpdates;
    noUpdates = state;
    return previous;
}

bool CFrame::updatesDisabled() const { return noUpdates; }

void CFrame::mouse(CDrawContext* context, const CPoint& where, int32_t buttons) {
    // Every click takes the keyboard focus away.
    if (focusView) setFocusView(nullptr);
    if (buttons == -1 && context) buttons = context->getMouseButtons();
    if (modalView) {
        if (modalView->hitTest(where, buttons)) modalView->mouse(context, where, buttons);
        return;
    }
    CViewContainer::mouse(context, where, buttons);
}

bool CFrame::onWheel(CDrawContext* context, const CPoint& where, int32_t axis, float distance) {
    CView* target = modalView ? modalView : getViewAt(where, false);
    if (!target) return false;
    CDrawContext* own = context ? nullptr : (context = createDrawContext());
    bool used = target->onWheel(context, where, axis, distance);
    if (own) own->release();
    return used;
}

int32_t CFrame::onKeyDown(CKeyCode& keyCode) {
    if (focusView) {
        int32_t answer = focusView->onKeyDown(keyCode);
        if (answer != -1) return answer;
    }
    if (modalView) {
        int32_t answer = modalView->onKeyDown(keyCode);
        if (answer != -1) return answer;
    }
    if (keyCode.virt == kVirtualKeyTab) return advanceFocus(focusView, (keyCode.modifier & kModifierShift) != 0) ? 1 : -1;
    return -1;
}

int32_t CFrame::onKeyUp(CKeyCode& keyCode) {
    if (focusView) {
        int32_t answer = focusView->onKeyUp(keyCode);
        if (answer != -1) return answer;
    }
    if (modalView) return modalView->onKeyUp(keyCode);
    return -1;
}

bool CFrame::advanceFocus(CView* oldFocus, bool reverse) {
    if (modalView) return false;
    if (!oldFocus) {
        if (!focusView) return CViewContainer::advanceFocus(nullptr, reverse);
        oldFocus = focusView;
    }
    if (isChild(oldFocus)) {
        if (CViewContainer::advanceFocus(oldFocus, reverse)) return true;
        // Past the last (or first) view: nobody has the focus until the next
        // Tab starts over.
        setFocusView(nullptr);
        return false;
    }
    // A view inside nested containers: each container up the chain is asked
    // to go on after the child that holds the old focus.
    CView* after = oldFocus;
    CView* parent = oldFocus->getParentView();
    while (parent && parent->isTypeOf("CViewContainer")) {
        if (parent == this) return advanceFocus(after, reverse);
        CViewContainer* container = static_cast<CViewContainer*>(parent);
        if (container->advanceFocus(after, reverse)) return true;
        after = container;
        parent = container->getParentView();
    }
    return false;
}

void CFrame::setFocusView(CView* view) {
    CView* old = focusView;
    focusView = view;
    if (view && view->wantsFocus()) view->setDirty(true);
    if (old) {
        old->loseFocus(nullptr);
        if (old->wantsFocus()) old->setDirty(true);
    }
}

CView* CFrame::getFocusView() const { return focusView; }

bool CFrame::setModalView(CView* view) {
    if (view && modalView) return false;
    // The creator keeps its reference: the modal view is only taken out.
    if (modalView) removeView(modalView, false);
    modalView = view;
    if (view) addView(view);
    return true;
}

CView* CFrame::getModalView() const { return modalView; }

CView* CFrame::getViewUnderCursor() { return modalView ? modalView : CViewContainer::getViewUnderCursor(); }

void CFrame::setViewSize(const CRect& rect) { setSize(rect.getWidth(), rect.getHeight()); }

CFrameListener* CFrame::getEditor() const { return editor; }

bool CFrame::isTypeOf(const char* className) const {
    if (className && std::strcmp(className, "CFrame") == 0) return true;
    return CViewContainer::isTypeOf(className);
}

bool CFrame::open(CPoint*) { return false; }
bool CFrame::close() { return false; }
bool CFrame::isOpen() const { return openFlag; }
void CFrame::setOpenFlag(bool state) { openFlag = state; }
bool CFrame::getOpenFlag() const { return openFlag; }
bool CFrame::isDropActive() const { return dropActive; }
bool CFrame::setPosition(int32_t, int32_t) { return false; }
bool CFrame::getSize(CRect* rect) const { return rect ? getSize(*rect) : false; }

void CFrame::runIdle() {
    if (editor) editor->runIdle();
}

int32_t CFrame::getTicks() const { return editor ? (int32_t)tickClock().ticks() : 0; }

int32_t CFrame::getKnobMode() const { return editor ? editor->getKnobMode() : 0; }

void CFrame::beginEdit(int32_t index) {
    if (editor) editor->beginEdit(index);
}

void CFrame::endEdit(int32_t index) {
    if (editor) editor->endEdit(index);
}

void CFrame::startGesture(CMouseGesture* newGesture) {
    if (gesture == newGesture) return;
    cancelGesture();
    gesture = newGesture;
}

void CFrame::moveGesture(CDrawContext* context, const CPoint& where, int32_t buttons) {
    if (gesture && !gesture->gestureMoved(context, where, buttons)) endGesture(context, where, buttons);
}

void CFrame::endGesture(CDrawContext* context, const CPoint& where, int32_t buttons) {
    // Taken first: the gesture may release the last reference to its control.
    CMouseGesture* ending = gesture;
    gesture = nullptr;
    if (ending) ending->gestureEnded(context, where, buttons);
}

void CFrame::cancelGesture() { endGesture(nullptr, CPoint(), 0); }

CDrawContext* CFrame::createDrawContext() { return new CDrawContext(this, nullptr, window); }

}  // namespace VSTGUI
