#include "gui/controls/cknob.h"

#include <cmath>
#include <cstring>

#include "gui/cframe.h"

namespace VSTGUI {

namespace {

const float kTwoPi = 6.2831855f;
const float kDefaultSweepStart = 3.9269907f;  // 5 pi / 4: lower left
const float kDefaultSweepAngle = -4.712389f;  // -3 pi / 2: clockwise over the top
const float kDragRange = 200.f;               // pixels for the full range in linear mode
const int32_t kLinearKnobMode = 2;

// Truncates toward zero like a plain cast, but keeps a runaway coordinate
// (a degenerate sweep, a huge value) inside the integer range.
int32_t truncatePixel(float x) {
    if (!(x > -1.0e9f)) return x != x ? 0 : -1000000000;
    if (x > 1.0e9f) return 1000000000;
    return static_cast<int32_t>(x);
}

int32_t insetForIndicator(const CBitmap* bitmap) { return static_cast<int32_t>(bitmap->getWidth() * 0.5f + 2.5f); }

}  // namespace

CKnob::CKnob(const CRect& size, CControlListener* listener, int32_t tag, CBitmap* background, CBitmap* indicatorBitmap,
             const CPoint& offset)
    : CControl(size, listener, tag, background),
      offset(offset),
      indicatorColor(kColorWhite),
      indicatorShadowColor(kColorGrey),
      indicatorBitmap(indicatorBitmap),
      inset(3),
      sweepStart(0.f),
      sweepAngle(1.f),  // only so that the first coefficient computation has a divisor
      halfDeadAngle(0.f),
      angleFactor(0.f),
      angleOffset(0.f),
      radius((size.right - size.left) * 0.5f),
      fineFactor(1.5f),
      drag(),
      gesture(this) {
    if (indicatorBitmap) {
        indicatorBitmap->retain();
        inset = insetForIndicator(indicatorBitmap);
    }
    setSweepStart(kDefaultSweepStart);
    setSweepAngle(kDefaultSweepAngle);
    focusable = true;
}

void CKnob::setDragScale(float scale) { dragScale = std::isfinite(scale) && scale > 0.f ? scale : 1.f; }

CKnob::~CKnob() {
    if (indicatorBitmap) indicatorBitmap->release();
}

bool CKnob::isTypeOf(const char* className) const {
    if (std::strcmp(className, "CKnob") == 0) return true;
    return CControl::isTypeOf(className);
}

void CKnob::computeCoefficients() {
    angleFactor = (vmax - vmin) / sweepAngle;
    angleOffset = vmin - angleFactor * sweepStart;
    halfDeadAngle = (kTwoPi - std::fabs(sweepAngle)) * 0.5f;
    setDirty(true);
}

void CKnob::setSweepStart(float angle) {
    sweepStart = angle;
    computeCoefficients();
}

float CKnob::getSweepStart() const { return sweepStart; }

void CKnob::setSweepAngle(float angle) {
    sweepAngle = angle;
    computeCoefficients();
}

float CKnob::getSweepAngle() const { return sweepAngle; }

void CKnob::pointForValue(CPoint& point) const {
    const float alpha = (value - angleOffset) / angleFactor;
    float c = std::cos(alpha);
    float s = std::sin(alpha);
    // A value that is not a number puts the point at the centre.
    if (!std::isfinite(c) || !std::isfinite(s)) c = s = 0.f;
    const float reach = radius - inset;
    point.h = truncatePixel(radius + c * reach + 0.5f);
    point.v = truncatePixel(radius - s * reach + 0.5f);
}

float CKnob::valueForPoint(const CPoint& point) const {
    float alpha = std::atan2(radius - point.v, point.h - radius);
    if (alpha < 0.f) alpha += kTwoPi;
    const float d = alpha - sweepStart;
    if (sweepAngle < 0.f) {
        // Clockwise: measure from the maximum's position against the sweep.
        float e = d - sweepAngle;
        if (e < 0.f)
            e += kTwoPi;
        else if (e > kTwoPi)
            e -= kTwoPi;
        if (e > halfDeadAngle - sweepAngle) return vmax;  // dead-zone half next to the maximum
        if (e > -sweepAngle) return vmin;                 // dead-zone half next to the minimum
        return vmax + angleFactor * e;
    }
    float e = d;
    if (e < 0.f)
        e += kTwoPi;
    else if (e > kTwoPi)
        e -= kTwoPi;
    if (e > sweepAngle + halfDeadAngle) return vmin;
    if (e > sweepAngle) return vmax;
    return vmin + angleFactor * e;
}

void CKnob::setIndicatorInset(int32_t newInset) { inset = newInset; }

void CKnob::setIndicatorShadowColor(const CColor& color) {
    indicatorShadowColor = color;
    setDirty(true);
}

void CKnob::setIndicatorColor(const CColor& color) {
    indicatorColor = color;
    setDirty(true);
}

void CKnob::setIndicatorBitmap(CBitmap* bitmap) {
    // Retain before releasing: the new bitmap may be the one held now.
    if (bitmap) bitmap->retain();
    if (indicatorBitmap) indicatorBitmap->release();
    indicatorBitmap = bitmap;
    if (bitmap) inset = insetForIndicator(bitmap);
}

void CKnob::setFineFactor(float factor) { fineFactor = factor; }
float CKnob::getFineFactor() const { return fineFactor; }

void CKnob::draw(CDrawContext* context) {
    if (background) {
        if (transparent)
            background->drawTransparent(context, size, offset);
        else
            background->draw(context, size, offset);
    }
    drawIndicator(context);
    setDirty(false);
}

void CKnob::drawIndicator(CDrawContext* context) {
    CPoint p;
    pointForValue(p);
    if (indicatorBitmap) {
        const int32_t w = indicatorBitmap->getWidth();
        const int32_t h = indicatorBitmap->getHeight();
        const int32_t left = size.left + p.h - w / 2;
        const int32_t top = size.top + p.v - h / 2;
        indicatorBitmap->drawTransparent(context, CRect(left, top, left + w, top + h), CPoint(0, 0));
        return;
    }
    CPoint origin(size.getWidth() / 2 + size.left - 1, size.getHeight() / 2 + size.top);
    p.offset(size.left - 1, size.top);
    context->setFrameColor(indicatorShadowColor);
    context->moveTo(p);
    context->lineTo(origin);
    p.offset(1, -1);
    origin.offset(1, -1);
    context->setFrameColor(indicatorColor);
    context->moveTo(p);
    context->lineTo(origin);
}

void CKnob::mouse(CDrawContext* context, const CPoint& clicked, int32_t buttons) {
    if (!mouseEnabled) return;
    if (buttons == -1) buttons = context ? context->getMouseButtons() : 0;
    if (!(buttons & kButtonLeft)) return;
    if (listener && (buttons & kModifierMask)) {
        if (listener->modifierClicked(context, this, buttons)) return;
    }
    if (handleDefaultClick(context, buttons)) return;
    // The drag polls the live state through the context; without one there
    // is nothing to follow.
    if (!context) return;

    Drag& d = drag;
    d.old = drawnValue;
    d.entry = value;
    d.first = CPoint(0, 0);
    d.middle = (vmax - vmin) * 0.5f;
    d.range = kDragRange * dragScale;
    d.coefficient = (vmax - vmin) / d.range;
    d.lastButtons = buttons;

    const int32_t knobMode = parentFrame ? parentFrame->getKnobMode() : 0;
    const bool alt = (buttons & kModAlt) != 0;
    d.linear = (knobMode == kLinearKnobMode) ? !alt : alt;
    if (d.linear) {
        if (buttons & kModShift) d.range = fineFactor * kDragRange * dragScale;
        d.coefficient = (vmax - vmin) / d.range;
        d.first = clicked;
    } else {
        CPoint local = clicked;
        local.offset(-size.left, -size.top);
        d.old = valueForPoint(local);
    }
    d.lastPosition = CPoint(-1, -1);

    // The host may close the editor before the drag ends; the knob stays
    // alive until it is done (the frame then lets go of it).
    retain();
    beginEdit();
    if (parentFrame && parentFrame->drivesGesturesByEvents()) {
        // The frame passes on the motion and the release from here.
        dragTo(context, clicked, buttons);
        parentFrame->startGesture(&gesture);
        return;
    }
    CPoint where = clicked;
    do {
        buttons = context->getMouseButtons();
        dragTo(context, where, buttons);
        getMouseLocation(context, where);
        runIdle();
    } while (buttons & kButtonLeft);
    endEdit();
    release();
}

void CKnob::dragTo(CDrawContext* context, const CPoint& where, int32_t buttons) {
    Drag& d = drag;
    if (where == d.lastPosition) return;
    d.lastPosition = where;
    if (d.linear) {
        // Right and up both increase the value.
        const int32_t diff = (where.h - d.first.h) + (d.first.v - where.v);
        if (buttons != d.lastButtons) {
            // Shift pressed or released mid-drag: change the scale around the
            // current position so the value does not jump.
            d.range = ((buttons & kModShift) ? fineFactor * kDragRange : kDragRange) * dragScale;
            const float newCoefficient = (vmax - vmin) / d.range;
            d.entry += diff * (d.coefficient - newCoefficient);
            d.coefficient = newCoefficient;
            d.lastButtons = buttons;
        }
        value = diff * d.coefficient + d.entry;
        clampValue();
    } else {
        CPoint local = where;
        local.offset(-size.left, -size.top);
        value = valueForPoint(local);
        // Crossing the dead zone keeps the end the pointer came from.
        if (d.old - value > d.middle)
            value = vmax;
        else if (value - d.old > d.middle)
            value = vmin;
        else
            d.old = value;
    }
    if (isDirty() && listener) listener->valueChanged(context, this);
}

bool CKnob::gestureMoved(CDrawContext* context, const CPoint& where, int32_t buttons) {
    CPoint local = where;
    dragTo(context, frameToLocal(local), buttons);
    return (buttons & kButtonLeft) != 0;
}

void CKnob::gestureEnded(CDrawContext* context, const CPoint& where, int32_t buttons) {
    if (context) gestureMoved(context, where, buttons);
    endEdit();
    release();
}

bool CKnob::onWheel(CDrawContext* context, const CPoint&, float distance) {
    if (!mouseEnabled) return false;
    // A distance that is not a number would poison the value.
    if (!std::isfinite(distance)) return false;
    const int32_t buttons = context ? context->getMouseButtons() : 0;
    if (buttons & kModShift)
        value += wheelStep * (distance * 0.1f);
    else
        value += wheelStep * distance;
    clampValue();
    if (isDirty() && listener) {
        beginEdit();
        listener->valueChanged(context, this);
        endEdit();
    }
    return true;
}

int32_t CKnob::onKeyDown(CKeyCode& keyCode) {
    float direction;
    switch (keyCode.virt) {
        case kVirtualKeyLeft:
        case kVirtualKeyDown:
            direction = -1.f;
            break;
        case kVirtualKeyUp:
        case kVirtualKeyRight:
            direction = 1.f;
            break;
        default:
            return -1;
    }
    if (keyCode.modifier & 1)  // shift: a tenth of the step
        value += wheelStep * (direction * 0.1f);
    else
        value += wheelStep * direction;
    clampValue();
    if (isDirty() && listener) {
        beginEdit();
        listener->valueChanged(nullptr, this);
        endEdit();
    }
    return 1;
}

}  // namespace VSTGUI
