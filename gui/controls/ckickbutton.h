// A momentary button: value 1 only while the left button is held down over
// it, and always back to 0 on release. The background holds the released
// picture with the pressed one right below it.
#pragma once

#include <cstdint>

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

protected:
    CPoint offset;        // source of the released picture
    int32_t frameHeight;  // from the released picture down to the pressed one
};

}  // namespace VSTGUI
