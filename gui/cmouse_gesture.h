// A press-and-drag driven by the window system's pointer events. Where the
// pointer is grabbed from press to release (X11), a control cannot follow the
// drag by polling the live state in a loop of its own without blocking the
// host's thread; it hands the drag to its frame instead, which passes on the
// motion and the release.
#pragma once

#include <cstdint>

#include "gui/cgeometry.h"

namespace VSTGUI {

class CDrawContext;

class CMouseGesture {
public:
    virtual ~CMouseGesture() {}
    // The pointer moved; where is in frame coordinates, buttons is the
    // buttons word now. False: the gesture is over before the release (the
    // frame then ends it).
    virtual bool gestureMoved(CDrawContext* context, const CPoint& where, int32_t buttons) = 0;
    // The button went up (buttons: the state after it) and the gesture is
    // over. A null context means the frame is going away mid-drag.
    virtual void gestureEnded(CDrawContext* context, const CPoint& where, int32_t buttons) = 0;
};

// A gesture that forwards to non-virtual members of the same names in its
// owner (a control), so that the owner's own operations keep their slots.
template <class Owner>
class CMouseGestureOf : public CMouseGesture {
public:
    explicit CMouseGestureOf(Owner* owner) : owner(owner) {}
    bool gestureMoved(CDrawContext* context, const CPoint& where, int32_t buttons) override {
        return owner->gestureMoved(context, where, buttons);
    }
    void gestureEnded(CDrawContext* context, const CPoint& where, int32_t buttons) override {
        owner->gestureEnded(context, where, buttons);
    }

private:
    Owner* owner;
};

}  // namespace VSTGUI
