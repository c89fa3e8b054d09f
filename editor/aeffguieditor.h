// The editor bound to the GUI toolkit: owns the frame while the window is
// open, forwards idle, keys and the wheel to it, passes a control's edit
// bracket to the plug-in, and runs the idle pump of modal mouse loops.
#pragma once

#include <cstdint>

#include "editor/aeffeditor.h"
#include "gui/cframe.h"

class AEffGUIEditor : public AEffEditor, public VSTGUI::CFrameListener {
public:
    explicit AEffGUIEditor(EditorHost* host);
    ~AEffGUIEditor() override;

    bool getRect(EditorRect** rect) override;
    void idle() override;
    bool onKeyDown(VSTGUI::CKeyCode& keyCode) override;
    bool onKeyUp(VSTGUI::CKeyCode& keyCode) override;
    bool onWheel(float distance) override;
    bool setKnobMode(int32_t mode) override;

    virtual void setParameter(int32_t /*index*/, float /*value*/) {}
    void beginEdit(int32_t index) override;
    void endEdit(int32_t index) override;
    // Called by dragging controls on every pass of their loop: at most about
    // every 100 ms it redraws, dispatches one paint message and gives the host
    // its idle time.
    void runIdle() override;
    int32_t getKnobMode() const override { return knobMode; }
    bool sizeWindow(int32_t width, int32_t height) override;

    VSTGUI::CFrame* getFrame() const { return frame; }
    // What a host's loop waits on for the window's events (see
    // CFrame::eventDescriptor); -1 while closed.
    int eventDescriptor() const { return frame ? frame->eventDescriptor() : -1; }

    // One mode for every editor of the library: 2 drags knobs linearly,
    // anything else circularly.
    static int32_t libraryKnobMode() { return knobMode; }

protected:
    EditorRect rect;
    uint32_t nextIdleTime;
    bool hostIdleActive;
    // A control's own mouse loop is running idle: the controls must stay.
    bool insideControlLoop = false;
    VSTGUI::CFrame* frame;

    static inline int32_t knobMode = 0;
};
