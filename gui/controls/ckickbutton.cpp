#include "gui/controls/ckickbutton.h"

#include <cstring>

namespace VSTGUI {

CKickButton::CKickButton(const CRect& size, CControlListener* listener, int32_t tag, CBitmap* background,
                         const CPoint& offset)
    : CControl(size, listener, tag, background), offset(offset), frameHeight(size.bottom - size.top) {}

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

    const float entry = value;
    // Kept alive through the loop: the host may close the editor from inside
    // the idle pump.
    retain();
    beginEdit();
    if (context && context->getMouseButtons() == kButtonLeft) {
        CPoint where = clicked;
        do {
            const bool inside =
                where.h >= size.left && where.h <= size.right && where.v >= size.top && where.v <= size.bottom;
            if (inside)
                value = (entry == 0.f) ? 1.f : 0.f;
            else
                value = entry;
            if (isDirty() && listener) listener->valueChanged(context, this);
            getMouseLocation(context, where);
            runIdle();
        } while (context->getMouseButtons() == kButtonLeft);
    } else {
        // Already released, or another button or a modifier is down: one
        // toggle, no tracking.
        value = (value == 0.f) ? 1.f : 0.f;
        if (listener) listener->valueChanged(context, this);
    }
    // The release is always reported, dirty or not, so a note never hangs.
    value = 0.f;
    if (listener) listener->valueChanged(context, this);
    endEdit();
    release();
}

}  // namespace VSTGUI
