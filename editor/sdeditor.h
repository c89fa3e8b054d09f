// The instrument's own editor: a 730 x 248 picture with five filmstrip knobs
// for the parameters and an 88-key keyboard whose keys play notes.
//
// Parameter and note updates reach it from three threads: the window's own
// (the controls' changes coming back through the engine), the host's
// automation thread and the audio thread (played MIDI notes). Only the
// window's thread touches the frame and the controls; the others leave the
// new state in atomics here. Whatever the thread, nothing is drawn there:
// the next idle pass on the window's thread shows the change.
#pragma once

#include <atomic>
#include <cstdint>

#include "editor/aeffguieditor.h"
#include "gui/controls/ccontrol.h"

namespace VSTGUI {
class CAnimKnob;
class CBitmap;
class CKickButton;
}  // namespace VSTGUI

class SDEditor : public AEffGUIEditor, public VSTGUI::CControlListener {
public:
    static constexpr int kKnobCount = 5;
    static constexpr int kKeyTableSize = 132;
    static constexpr int32_t kLowestKey = 21;
    static constexpr int32_t kHighestKey = 108;

    explicit SDEditor(EditorHost* host);
    ~SDEditor() override;

    // True when the window is there, or comes at a later idle (a host window
    // not yet on the X server); false, with the editor closed, when no
    // window can be made in that parent.
    bool open(void* window) override;
    void close() override;
    // Shows what other threads left behind, then redraws what is dirty.
    void idle() override;
    void setParameter(int32_t index, float value) override;

    void valueChanged(VSTGUI::CDrawContext* context, VSTGUI::CControl* control) override;

private:
    // Pending states, one word per control so that one exchange takes the
    // latest update and clears it.
    enum Pending : uint32_t { kNothing = 0, kKnobMoved = 1, kKeyReleased = 1, kKeyPressed = 2 };

    bool onWindowThread() const;
    void recordFromOtherThread(int32_t index, float value);
    void applyPendingUpdates();
    void showKey(VSTGUI::CKickButton* key, int32_t note, bool pressed);
    void forgetPendingUpdates();

    VSTGUI::CAnimKnob* knobs[kKnobCount];
    VSTGUI::CKickButton* keyTable[kKeyTableSize];
    VSTGUI::CBitmap* background;

    // Whether the engine has the key down as far as the editor knows, so that
    // a key that is still redrawing does not start its note once per pass of
    // its mouse loop. Window thread only.
    bool keySounding[kKeyTableSize];

    std::atomic<uintptr_t> windowThread;  // the thread of the last open
    std::atomic<bool> windowOpen;               // other threads record updates only while open
    std::atomic<bool> anyPending;
    std::atomic<uint32_t> pendingKnob[kKnobCount];
    std::atomic<uint32_t> pendingKey[kKeyTableSize];
};
