// A knob drawn as one frame of a filmstrip (frames stacked vertically in the
// background bitmap), chosen from the value.
#pragma once

#include <cstdint>

#include "gui/controls/cknob.h"

namespace VSTGUI {

class CAnimKnob : public CKnob {
public:
    CAnimKnob(const CRect& size, CControlListener* listener, int32_t tag, int32_t frameCount, int32_t frameHeight,
              CBitmap* background, const CPoint& offset = CPoint(0, 0));
    ~CAnimKnob() override;

    void draw(CDrawContext* context) override;
    bool isDirty() const override;
    bool isTypeOf(const char* className) const override;

    // The vertical source offset of the frame that shows the current value.
    int32_t frameOffset() const;

    int32_t getFrameCount() const { return frameCount; }
    int32_t getFrameHeight() const { return frameHeight; }
    CPoint getLastDrawnPoint() const { return lastDrawnPoint; }

protected:
    int32_t frameCount;
    int32_t frameHeight;
    CPoint lastDrawnPoint;  // indicator point at the last draw
};

}  // namespace VSTGUI
