// What the control tests stand on: a real host window with a real frame and
// toolkit editor inside, a plug-in behind a recording host, a listener that
// logs what the controls report, scripted pointer gestures and a clock that
// lets the idle pump work on every pass of a drag.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "editor/aeffguieditor.h"
#include "plugin/vst_editor_host.h"
#include "gui/cframe.h"
#include "gui/controls/ccontrol.h"
#include "gui/win32/platform_input.h"
#include "gui/tick_clock.h"
#include "plugin/audioeffectx.h"
#include "tests/support/win32_test_messages.h"
#include "tools/vsthost/vst_host.h"

namespace controltest {

using namespace VSTGUI;

// What reached the listener ("changed", "modifier") and the host ("begin",
// "end", "idle"), in order.
struct Event {
    std::string what;
    int32_t tag;
    float value;  // the control's value, or the buttons of a modifier click
};

class EventLog {
public:
    void add(const std::string& what, int32_t tag, float value) { events.push_back({what, tag, value}); }
    void clear() { events.clear(); }
    // The kinds in order; host idle requests left out unless asked for.
    std::vector<std::string> kinds(bool withIdle = false) const;
    // The values of the "changed" events, in order.
    std::vector<float> values() const;
    int count(const std::string& what) const;
    std::string describe() const;  // for failure messages

    std::vector<Event> events;
};

class RecordingListener : public CControlListener {
public:
    explicit RecordingListener(EventLog* log) : log(log) {}
    void valueChanged(CDrawContext* context, CControl* control) override;
    int32_t modifierClicked(CDrawContext* context, CControl* control, int32_t buttons) override;

    int32_t modifierAnswer = 0;
    std::vector<bool> hadContext;  // per valueChanged: whether a context came with it
    std::function<void(CControl*)> onChange;

private:
    EventLog* log;
};

class TestEffect : public AudioEffectX {
public:
    explicit TestEffect(audioMasterCallback master) : AudioEffectX(master, 1, 5) {}
    void processReplacing(float**, float**, VstInt32) override {}
    VstEditorHost editorHost{*this};
};

// The toolkit editor with its frame in a host window; counts the idle pump.
class TestEditor : public AEffGUIEditor {
public:
    TestEditor(EditorHost* host, int width, int height);
    bool open(void* window) override;
    void close() override;
    void runIdle() override;

    int runIdleCalls = 0;
    int width;
    int height;
};

// A clock for the idle pump that moves 100 ms on every read, so that each
// runIdle does its work, and never sleeps.
class SteppingClock {
public:
    SteppingClock();
    ~SteppingClock();
    SteppingClock(const SteppingClock&) = delete;
    SteppingClock& operator=(const SteppingClock&) = delete;
};

// A clock that never moves: the idle pump never gets to work, so nothing is
// redrawn during a drag.
class FrozenClock {
public:
    FrozenClock();
    ~FrozenClock();
    FrozenClock(const FrozenClock&) = delete;
    FrozenClock& operator=(const FrozenClock&) = delete;
};

// Dispatches what is queued for the thread's windows.
using win32test::pumpMessages;

class ControlRig {
public:
    // A host window of width x height at (x, y) on the screen with the editor
    // open. Out of the way of other test programs' windows unless it must be
    // on top (real input reaches whatever window is under the pointer).
    explicit ControlRig(int width = 320, int height = 200, int x = 900, int y = 700, bool onTop = false);
    ~ControlRig();
    ControlRig(const ControlRig&) = delete;
    ControlRig& operator=(const ControlRig&) = delete;

    CFrame* frame() const { return editor->getFrame(); }
    HWND frameWindow() const { return static_cast<HWND>(frame()->getSystemWindow()); }
    HWND hostWindow() const { return host; }

    // Adds a control to the frame. The creator's reference goes with it: a
    // frame that is destroyed drops both its own and the creator's.
    template <class T>
    T* add(T* control) {
        frame()->addView(control);
        return control;
    }

    // Frame coordinates to screen coordinates.
    CPoint toScreen(const CPoint& p) const;
    // Paints the window now, so that the frame's idle redraws from then on.
    void paint();

    void setKnobMode(int mode) { editor->setKnobMode(mode); }
    // Makes the host close the editor window from inside its n-th idle request.
    void closeOnIdle(int n);

    EventLog log;
    RecordingListener listener{&log};
    RecordingHost hostRecord;
    TestEffect* effect;
    TestEditor* editor;

private:
    HWND host;
};

// A scripted pointer: each step is a position in frame coordinates and the
// keys down there. The controls poll the buttons and then the position on
// every pass, so step k's position is processed together with step k+1's
// buttons; a release step ends the drag.
class Gesture {
public:
    explicit Gesture(ControlRig& rig) : rig(rig) {}
    Gesture& step(const CPoint& at, std::vector<int32_t> keys) {
        input.add(rig.toScreen(at), std::move(keys));
        return *this;
    }
    // Runs the gesture: the press arrives at the first step's position.
    void run(const CPoint& pressAt);
    size_t stepsRead() const { return input.position(); }

    ScriptedInput input;

private:
    ControlRig& rig;
};

// Virtual-key lists for the steps.
extern const std::vector<int32_t> kLeft;
extern const std::vector<int32_t> kLeftShift;
extern const std::vector<int32_t> kLeftAlt;
extern const std::vector<int32_t> kNone;
std::vector<int32_t> keys(std::initializer_list<int32_t> list);

}  // namespace controltest
