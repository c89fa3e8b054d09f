#include "gui/controls/canimknob.h"

#include <cstring>

namespace VSTGUI {

CAnimKnob::CAnimKnob(const CRect& size, CControlListener* listener, int32_t tag, int32_t frameCount,
                     int32_t frameHeight, CBitmap* background, const CPoint& offset)
    : CKnob(size, listener, tag, background, nullptr, offset),
      frameCount(frameCount),
      frameHeight(frameHeight),
      lastDrawnPoint(0, 0) {
    inset = 0;
}

CAnimKnob::~CAnimKnob() {}

bool CAnimKnob::isTypeOf(const char* className) const {
    if (std::strcmp(className, "CAnimKnob") == 0) return true;
    return CKnob::isTypeOf(className);
}

int32_t CAnimKnob::frameOffset() const {
    // Negative values and values that are not a number show the first frame.
    if (!(value >= 0.f) || frameCount < 2 || frameHeight <= 0) return 0;
    const int32_t last = (frameCount - 1) * frameHeight;
    // The last frame only at 1.0; anything above stays on it rather than
    // reading past the end of the strip.
    if (value >= 1.f) return last;
    const int32_t pixel = static_cast<int32_t>(value * last);
    if (pixel >= last) return last;
    return (pixel / frameHeight) * frameHeight;
}

void CAnimKnob::draw(CDrawContext* context) {
    if (background) {
        const CPoint source(0, frameOffset());
        if (transparent)
            background->drawTransparent(context, size, source);
        else
            background->draw(context, size, source);
    }
    pointForValue(lastDrawnPoint);
    setDirty(false);
}

bool CAnimKnob::isDirty() const {
    if (!dirty) {
        CPoint p;
        pointForValue(p);
        if (p == lastDrawnPoint) return false;
    }
    return CKnob::isDirty();
}

}  // namespace VSTGUI
