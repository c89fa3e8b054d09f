// A rotary control: the value maps linearly onto an angle inside a sweep. It
// follows the mouse by angle (circular) or by distance (linear), the wheel and
// the arrow keys.
#pragma once

#include <cstdint>

#include "gui/cmouse_gesture.h"
#include "gui/controls/ccontrol.h"

namespace VSTGUI {

class CKnob : public CControl {
public:
    CKnob(const CRect& size, CControlListener* listener, int32_t tag, CBitmap* background, CBitmap* indicatorBitmap,
          const CPoint& offset = CPoint(0, 0));
    ~CKnob() override;

    void draw(CDrawContext* context) override;
    void mouse(CDrawContext* context, const CPoint& where, int32_t buttons = -1) override;
    int32_t onKeyDown(CKeyCode& keyCode) override;
    using CControl::onWheel;
    bool onWheel(CDrawContext* context, const CPoint& where, float distance) override;
    bool isTypeOf(const char* className) const override;

    virtual void drawIndicator(CDrawContext* context);
    virtual void setSweepStart(float angle);
    virtual float getSweepStart() const;
    virtual void setSweepAngle(float angle);
    virtual float getSweepAngle() const;
    // Both work relative to the knob's top-left corner.
    virtual void pointForValue(CPoint& point) const;
    virtual float valueForPoint(const CPoint& point) const;
    virtual void setIndicatorInset(int32_t inset);
    virtual void setIndicatorShadowColor(const CColor& color);
    virtual void setIndicatorColor(const CColor& color);
    virtual void setIndicatorBitmap(CBitmap* bitmap);
    virtual void setFineFactor(float factor);
    virtual float getFineFactor() const;
    // Device pixels per pixel of the picture the knob was designed at: a
    // linear drag spans that many times more pixels, so that the same hand
    // movement turns the knob the same amount on a scaled editor.
    void setDragScale(float scale);

    int32_t getIndicatorInset() const { return inset; }
    CColor getIndicatorColor() const { return indicatorColor; }
    CColor getIndicatorShadowColor() const { return indicatorShadowColor; }
    CBitmap* getIndicatorBitmap() const { return indicatorBitmap; }
    float getRadius() const { return radius; }

    // The drag as the frame drives it by events (see CMouseGesture).
    bool gestureMoved(CDrawContext* context, const CPoint& where, int32_t buttons);
    void gestureEnded(CDrawContext* context, const CPoint& where, int32_t buttons);

protected:
    void computeCoefficients();
    // One step of a drag: the pointer at where (the knob's parent's
    // coordinates) with these buttons.
    void dragTo(CDrawContext* context, const CPoint& where, int32_t buttons);

    CPoint offset;
    CColor indicatorColor;
    CColor indicatorShadowColor;
    CBitmap* indicatorBitmap;
    float dragScale = 1.f;
    int32_t inset;
    float sweepStart;
    float sweepAngle;
    float halfDeadAngle;
    float angleFactor;
    float angleOffset;
    float radius;
    float fineFactor;

    // The running drag, from the press to the release.
    struct Drag {
        float old;          // circular: the value at the last step
        float entry;        // linear: the value the distance counts from
        CPoint first;       // linear: where the drag started
        float middle;       // half the range: a bigger jump crossed the dead zone
        float range;        // linear: pixels for the whole range
        float coefficient;  // linear: value per pixel
        int32_t lastButtons;
        bool linear;
        CPoint lastPosition;
    };
    Drag drag;
    CMouseGestureOf<CKnob> gesture;
};

}  // namespace VSTGUI
