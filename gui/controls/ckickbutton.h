// A momentary button: value 1 only while the left button is held down over
// it, and always back to 0 on release. The background holds the released
// picture with the pressed one right below it.
#pragma once

#include <cstdint>

#include "gui/cmouse_gesture.h"
#include "gui/controls/ccontrol.h"

namespace VSTGUI {

class CKickButton : public CControl {
public:
    CKickButton(const CRect& size, CControlListener* listener, int32_t tag, CBitmap* background,
                const CPoint& offset = CPoint(0, 0));
    ~CKickButton() override;

    void draw(CDrawContext* context) override;
    void mouse(CDrawContext* context, const CPoint& where, int32_t buttons = -1) override;
    bool isTypeOf(const char* className) const override;

    int32_t getFrameHeight() const { return frameHeight; }

    // The drag as the frame drives it by events (see CMouseGesture).
    bool gestureMoved(CDrawContext* context, const CPoint& where, int32_t buttons);
    void gestureEnded(CDrawContext* context, const CPoint& where, int32_t buttons);

protected:
    // One step of a press: pressed while the pointer (the button's parent's
    // coordinates) is over the button.
    void trackTo(CDrawContext* context, const CPoint& where);
    // The release, reported whatever the value: a note never hangs.
    void finishPress(CDrawContext* context);

    float entryValue;     // the value when the press began
    CPoint offset;        // source of the released picture
    int32_t frameHeight;  // from the released picture down to the pressed one
    CMouseGestureOf<CKickButton> gesture;
};

}  // namespace VSTGUI
