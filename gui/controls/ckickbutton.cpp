#include "gui/controls/ckickbutton.h"

#include <cstring>

#include "gui/cframe.h"

namespace VSTGUI {

CKickButton::CKickButton(const CRect& size, CControlListener* listener, int32_t tag, CBitmap* background,
                         const CPoint& offset)
    : CControl(size, listener, tag, background),
      entryValue(0.f),
      offset(offset),
      frameHeight(size.bottom - size.top),
      gesture(this) {}

CKickButton::~CKickButton() {}

bool CKickButton::isTypeOf(const char* className) const {
    if (std::strcmp(className, "CKickButton") == 0) return true;
    return CControl::isTypeOf(className);
}

void CKickButton::draw(CDrawContext* context) {
    CPoint source = offset;
    clampValue();
    // Only exactly 0 shows the released picture (a NaN shows the pressed one).
    if (!(value == 0.f)) source.offset(0, frameHeight);
    if (background) {
        if (transparent)
            background->drawTransparent(context, size, source);
        else
            background->draw(context, size, source);
    }
    setDirty(false);
}

void CKickButton::mouse(CDrawContext* context, const CPoint& clicked, int32_t buttons) {
    if (!mouseEnabled) return;
    if (buttons == -1) buttons = context ? context->getMouseButtons() : 0;
    // Offered before the left-button test: a modified click with any button
    // reaches the listener.
    if (listener && (buttons & kModifierMask)) {
        if (listener->modifierClicked(context, this, buttons)) return;
    }
    if (!(buttons & kButtonLeft)) return;

    entryValue = value;
    // Kept alive until the release: the host may close the editor before it.
    retain();
    beginEdit();
    if (context && context->getMouseButtons() == kButtonLeft) {
        if (parentFrame && parentFrame->drivesGesturesByEvents()) {
            // The frame passes on the motion and the release from here.
            trackTo(context, clicked);
            parentFrame->startGesture(&gesture);
            return;
        }
        CPoint where = clicked;
        do {
            trackTo(context, where);
            getMouseLocation(context, where);
            runIdle();
        } while (context->getMouseButtons() == kButtonLeft);
    } else {
        // Already released, or another button or a modifier is down: one
        // toggle, no tracking.
        value = (value == 0.f) ? 1.f : 0.f;
        if (listener) listener->valueChanged(context, this);
    }
    finishPress(context);
}

void CKickButton::trackTo(CDrawContext* context, const CPoint& where) {
    const bool inside = where.h >= size.left && where.h <= size.right && where.v >= size.top && where.v <= size.bottom;
    if (inside)
        value = (entryValue == 0.f) ? 1.f : 0.f;
    else
        value = entryValue;
    if (isDirty() && listener) listener->valueChanged(context, this);
}

void CKickButton::finishPress(CDrawContext* context) {
    value = 0.f;
    if (listener) listener->valueChanged(context, this);
    endEdit();
    release();
}

bool CKickButton::gestureMoved(CDrawContext* context, const CPoint& where, int32_t buttons) {
    // Another button or a modifier joining in ends the press, as it does for
    // a polled one.
    if (buttons != kButtonLeft) return false;
    CPoint local = where;
    trackTo(context, frameToLocal(local));
    return true;
}

void CKickButton::gestureEnded(CDrawContext* context, const CPoint&, int32_t) { finishPress(context); }

}  // namespace VSTGUI
