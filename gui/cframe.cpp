// Stand-in frame: enough of the frame for the toolkit core to be built and
// tested without a window. Replaced as a whole by the real frame.
#include "gui/cframe.h"

#include <windows.h>

#include <cstring>

#include "gui/platform_input.h"

namespace VSTGUI {

CFrame::CFrame(const CRect& size, void* parentWindow, AEffGUIEditor* editor)
    : CViewContainer(size, nullptr, nullptr),
      editor(editor),
      hostWindow(parentWindow),
      modalView(nullptr),
      focusView(nullptr),
      firstDraw(true),
      openFlag(true),
      dropActive(false),
      noUpdates(false),
      window(nullptr),
      msimg32Module(nullptr),
      dropTarget(nullptr),
      defaultCursor(nullptr) {
    parentFrame = this;
}

CFrame::~CFrame() {
    if (modalView) removeView(modalView, false);
}

void CFrame::draw(CDrawContext* context) {
    firstDraw = false;
    CViewContainer::draw(context);
}

void CFrame::drawRect(CDrawContext* context, const CRect& updateRect) {
    firstDraw = false;
    CDrawContext* own = context ? nullptr : createDrawContext();
    if (own) context = own;
    const CRect saved = context->getClipRect();
    CRect clip(updateRect);
    context->setClipRect(clip.intersect(saved));
    if (updateRect.getWidth() > 0 && updateRect.getHeight() > 0) CViewContainer::drawRect(context, updateRect);
    context->setClipRect(saved);
    if (own) own->release();
}

void CFrame::mouse(CDrawContext* context, const CPoint& where, int32_t buttons) {
    if (focusView) setFocusView(nullptr);
    if (buttons == -1 && context) buttons = context->getMouseButtons();
    if (modalView) {
        if (modalView->hitTest(where, buttons)) modalView->mouse(context, where, buttons);
        return;
    }
    CViewContainer::mouse(context, where, buttons);
}

int32_t CFrame::onKeyDown(VstKeyCode& keyCode) {
    if (focusView) {
        int32_t result = focusView->onKeyDown(keyCode);
        if (result != -1) return result;
    }
    if (modalView) {
        int32_t result = modalView->onKeyDown(keyCode);
        if (result != -1) return result;
    }
    return -1;
}

int32_t CFrame::onKeyUp(VstKeyCode& keyCode) {
    if (focusView) {
        int32_t result = focusView->onKeyUp(keyCode);
        if (result != -1) return result;
    }
    if (modalView) return modalView->onKeyUp(keyCode);
    return -1;
}

bool CFrame::onWheel(CDrawContext* context, const CPoint& where, int32_t axis, float distance) {
    CView* target = modalView ? modalView : getViewAt(where, false);
    if (!target) return false;
    CDrawContext* own = context ? nullptr : createDrawContext();
    bool result = target->onWheel(context ? context : own, where, axis, distance);
    if (own) own->release();
    return result;
}

void CFrame::setViewSize(const CRect& rect) { CViewContainer::setViewSize(rect); }

AEffGUIEditor* CFrame::getEditor() const { return editor; }

bool CFrame::isTypeOf(const char* className) const {
    if (className && std::strcmp(className, "CFrame") == 0) return true;
    return CViewContainer::isTypeOf(className);
}

void CFrame::update(CDrawContext* context) {
    if (!getOpenFlag() || updatesDisabled() || !context) return;
    if (dirty) {
        draw(context);
        setDirty(false);
        return;
    }
    const CRect saved = context->getClipRect();
    if (modalView && modalView->isDirty()) modalView->update(context);
    for (ChildEntry* e = firstChild; e; e = e->next) {
        CRect clip;
        e->view->getViewSize(clip);
        context->setClipRect(clip.intersect(saved));
        e->view->update(context);
    }
    context->setClipRect(saved);
}

CView* CFrame::getViewUnderCursor() { return modalView ? modalView : CViewContainer::getViewUnderCursor(); }

bool CFrame::advanceFocus(CView* oldFocus, bool reverse) { return CViewContainer::advanceFocus(oldFocus, reverse); }

bool CFrame::open(CPoint*) { return false; }
bool CFrame::close() { return false; }
bool CFrame::isOpen() const { return openFlag; }

void CFrame::idle() {
    if (!getOpenFlag() || firstDraw || !isDirty()) return;
    CDrawContext* context = createDrawContext();
    update(context);
    context->release();
}

void CFrame::runIdle() {}
int32_t CFrame::getTicks() const { return 0; }
int32_t CFrame::getKnobMode() const { return 0; }
bool CFrame::setPosition(int32_t, int32_t) { return false; }
bool CFrame::getPosition(int32_t&, int32_t&) const { return false; }
bool CFrame::setSize(int32_t, int32_t) { return false; }
bool CFrame::getSize(CRect* rect) const { return rect ? getSize(*rect) : false; }
bool CFrame::getSize(CRect&) const { return false; }

bool CFrame::setModalView(CView* view) {
    if (view && modalView) return false;
    if (modalView) removeView(modalView, false);
    modalView = view;
    if (view) addView(view);
    return true;
}

CView* CFrame::getModalView() const { return modalView; }
void CFrame::beginEdit(int32_t) {}
void CFrame::endEdit(int32_t) {}

bool CFrame::getCursorLocation(CPoint& where) {
    where = platformInput().cursorPosition();
    RECT r;
    if (window && GetWindowRect(static_cast<HWND>(window), &r)) where.offset(-r.left, -r.top);
    return true;
}

void CFrame::setCursor(int32_t) {}

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

bool CFrame::setDropActive(bool active) {
    if (!dropActive && !active) return true;
    return false;  // no window to register a drop target for
}

bool CFrame::isDropActive() const { return dropActive; }
void CFrame::setOpenFlag(bool state) { openFlag = state; }
bool CFrame::getOpenFlag() const { return openFlag; }

void CFrame::invalidate(const CRect& rect) {
    for (ChildEntry* e = firstChild; e; e = e->next)
        if (e->view->overlaps(rect)) e->view->setDirty(true);
}

bool CFrame::setUpdatesDisabled(bool state) {
    bool previous = noUpdates;
    noUpdates = state;
    return previous;
}

bool CFrame::updatesDisabled() const { return noUpdates; }

void CFrame::drawView(CView* view) {
    if (view && !isChild(view)) view = nullptr;
    CDrawContext* context = createDrawContext();
    if (view)
        view->draw(context);
    else
        draw(context);
    context->release();
}

CDrawContext* CFrame::createDrawContext() { return new CDrawContext(this, nullptr, window); }

bool CFrame::createWindow(void*) { return false; }
bool CFrame::registerWindowClass() { return true; }
void CFrame::unregisterWindowClass() {}
void* CFrame::findHostWindow() const { return nullptr; }

}  // namespace VSTGUI
