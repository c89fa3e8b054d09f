// The instrument's own editor: a 730 x 248 picture with five filmstrip knobs
// for the parameters and an 88-key keyboard whose keys play notes, drawn at
// 100, 150 or 200 % (the pictures are drawn for each scale, not stretched).
// The scale is the player's own choice where there is one, else the host's
// word, else the system's, else 100 %.
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
#include "editor/scale_menu.h"
#include "gui/controls/ccontrol.h"

namespace VSTGUI {
class CAnimKnob;
class CBitmap;
class CFrame;
class CKickButton;
}  // namespace VSTGUI

class SDEditor : public AEffGUIEditor, public VSTGUI::CControlListener, private ScaleMenu::Listener {
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
    // Answers the size at the scale the editor opens at, or has open.
    bool getRect(EditorRect** rect) override;

    // The host's word on the scale, as a factor (1.5 for 150 %); 0, or a
    // factor that says nothing, withdraws it. Applied at once where the
    // window allows, else at the next idle.
    void setHostScale(double factor);
    // The player's choice, 100, 150, 200 or 0 for automatic: kept in the
    // settings file and applied as the host's word is.
    void choosePlayerScale(int percent);
    // The scale the editor is drawn at, or opens at, in percent.
    int scalePercent() const { return scale; }
    bool sizeWindow(int32_t width, int32_t height) override;
    // The right-click menu of scales, its corner at `where` (frame pixels);
    // a choice on it is applied at the next idle.
    void openScaleMenu(const VSTGUI::CPoint& where);

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
    // The scale the sources ask for now (player, host, system, 100 %).
    int wantedScale(const VSTGUI::CFrame* openFrame, void* parentWindow) const;
    void setScale(int percent);
    // Puts the editor at the wanted scale; only between gestures, as it
    // rebuilds every control.
    void followWantedScale();
    void rescale(int percent);
    void addControls(VSTGUI::CFrame* into);
    void scaleMenuClosed(int choice) override;
    // Takes the closed menu out and applies its choice.
    void finishScaleMenu();

    VSTGUI::CAnimKnob* knobs[kKnobCount];
    VSTGUI::CKickButton* keyTable[kKeyTableSize];
    VSTGUI::CBitmap* background;

    int scale = 100;           // percent
    int playerChoice = 0;      // as the settings file had it at the last open, or as chosen since
    double hostFactor = 0.0;   // 0: the host said nothing
    bool rescaleWanted = false;
    bool lastResizeAccepted = false;
    int refusedScale = 0;  // the host refused the room for it; not asked again while it is wanted
    uint32_t nextSystemCheck = 0;
    ScaleMenu* scaleMenu = nullptr;  // while open
    bool scaleMenuDone = false;
    int scaleMenuChoice = -1;

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
