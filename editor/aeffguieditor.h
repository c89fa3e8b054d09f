// The editor bound to the GUI toolkit: owns the frame while the window is
// open, forwards idle, keys and the wheel to it, passes a control's edit
// bracket to the plug-in, and runs the idle pump of modal mouse loops.
#pragma once

#include <cstdint>

#include "editor/aeffeditor.h"

namespace VSTGUI {
class CFrame;
}

class AEffGUIEditor : public AEffEditor {
public:
    explicit AEffGUIEditor(AudioEffect* effect);
    ~AEffGUIEditor() override;

    bool getRect(ERect** rect) override;
    void idle() override;
    bool onKeyDown(VstKeyCode& keyCode) override;
    bool onKeyUp(VstKeyCode& keyCode) override;
    bool onWheel(float distance) override;
    bool setKnobMode(VstInt32 mode) override;

    virtual void setParameter(VstInt32 /*index*/, float /*value*/) {}
    virtual void beginEdit(VstInt32 index);
    virtual void endEdit(VstInt32 index);
    // Called by dragging controls on every pass of their loop: at most about
    // every 100 ms it redraws, dispatches one paint message and gives the host
    // its idle time.
    virtual void runIdle();

    VSTGUI::CFrame* getFrame() const { return frame; }

    // One mode for every editor of the library: 2 drags knobs linearly,
    // anything else circularly.
    static VstInt32 getKnobMode() { return knobMode; }

protected:
    ERect rect;
    uint32_t nextIdleTime;
    bool hostIdleActive;
    VSTGUI::CFrame* frame;

    static inline VstInt32 knobMode = 0;
};
