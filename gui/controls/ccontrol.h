// The base of every view that holds a value a user can change: the value with
// its range, default and wheel step, the tag that names it for its owner, the
// listener that hears about changes, and the edit bracket sent to the host.
#pragma once

#include <cstdint>

#include "gui/cview.h"

namespace VSTGUI {

class CControl;

// Bits of the buttons word that count as modifiers for a click: shift,
// control, alt and one bit no platform source sets.
constexpr int32_t kModifierMask = 0x78;

class CControlListener {
public:
    virtual ~CControlListener() {}
    // The context is the current draw context, or null when there is none.
    virtual void valueChanged(CDrawContext* context, CControl* control) = 0;
    // Non-zero: the listener took the click and the control ignores it.
    virtual int32_t modifierClicked(CDrawContext* context, CControl* control, int32_t buttons);
};

class CControl : public CView {
public:
    CControl(const CRect& size, CControlListener* listener, int32_t tag, CBitmap* background = nullptr);
    ~CControl() override;

    void draw(CDrawContext* context) override = 0;
    bool isDirty() const override;
    void setDirty(bool state = true) override;
    bool isTypeOf(const char* className) const override;
    // Forgets the parents: a control may outlive its frame by the reference
    // a running mouse loop holds.
    bool removed(CView* parent) override;

    // Lets the window repaint and the host idle from inside a modal loop.
    virtual void runIdle();

    virtual void setValue(float newValue);
    virtual float getValue() const;
    virtual void setMin(float newMin);
    virtual float getMin() const;
    virtual void setMax(float newMax);
    virtual float getMax() const;
    virtual void setDrawnValue(float newValue);
    virtual float getDrawnValue() const;
    virtual void setDefaultValue(float newValue);
    virtual float getDefaultValue() const;
    virtual void setTag(int32_t newTag);
    virtual int32_t getTag() const;
    virtual void beginEdit();
    virtual void endEdit();
    virtual void setOffsetPoint(const CPoint& point);
    virtual void copyOriginToOffsetPoint();
    virtual void setWheelStep(float step);
    virtual float getWheelStep() const;
    virtual void clampValue();
    // Control+left click alone resets to the default value.
    virtual bool handleDefaultClick(CDrawContext* context, int32_t buttons);

    CControlListener* getListener() const { return listener; }
    void setListener(CControlListener* newListener) { listener = newListener; }
    CPoint getOffsetPoint() const { return offsetPoint; }

protected:
    CControlListener* listener;
    int32_t tag;
    float drawnValue;  // the value at the last redraw
    float defaultValue;
    float value;
    float vmin;
    float vmax;
    float wheelStep;
    CPoint offsetPoint;
};

}  // namespace VSTGUI
