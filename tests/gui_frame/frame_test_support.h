// Shared pieces of the frame tests: real host windows, views that record
// what reaches them, a plug-in with a toolkit editor behind a recording host,
// a clock stepped by hand and counters of live window-system objects.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "editor/aeffguieditor.h"
#include "gui/cframe.h"
#include "gui/win32/platform_state.h"
#include "gui/tick_clock.h"
#include "plugin/audioeffectx.h"
#include "plugin/vst_editor_host.h"
#include "tests/support/win32_test_resources.h"
#include "tools/vsthost/vst_host.h"

namespace frametest {

using namespace VSTGUI;

// Runs the thread's message loop until the queue is empty (and a little
// longer, so that the display server's answers arrive too): unlike the shared
// pump, no pause after the last round.
void pumpMessages(int rounds = 3);

// One visible top-level window for the whole test program. Every host
// window is made inside it: under Wine a visible top-level window takes
// seconds to go away, a child window none.
HWND testDesktop();

// A window of the test program standing in for the host's window: a child of
// `parent` (the test desktop by default) whose client area is width x height
// at (x, y), without border, with a thin border or with caption and border.
class HostWindow {
public:
    enum Border { kNoBorder, kThinBorder, kCaption };
    HostWindow(int width, int height, HWND parent = nullptr, int x = 0, int y = 0, Border border = kNoBorder);
    ~HostWindow();
    HostWindow(const HostWindow&) = delete;
    HostWindow& operator=(const HostWindow&) = delete;

    HWND handle() const { return window; }
    void* parent() const { return window; }
    // Forgets the handle without destroying the window (it was destroyed elsewhere).
    void forget() { window = nullptr; }
    // Outer size of the window.
    SIZE outerSize() const;
    SIZE clientSize() const;

private:
    HWND window;
};

// The class name that frames of this program must use.
std::string expectedWindowClassName();
bool windowClassRegistered();

// Window handles: the frame windows (by class) among the children of parent.
std::vector<HWND> childWindows(HWND parent);
using win32test::threadWindowCount;

// Live GDI objects of the process.
using win32test::gdiObjectCount;

// Everything that reached the recording views, in order.
struct EventLog {
    std::vector<std::string> lines;
    void add(const std::string& line) { lines.push_back(line); }
    void clear() { lines.clear(); }
    std::string joined() const;
};

// A view that logs its events as "<name> <event> <details>".
class RecordingView : public CView {
public:
    RecordingView(const CRect& size, const std::string& name, EventLog* log);
    ~RecordingView() override;

    void draw(CDrawContext* context) override;
    void mouse(CDrawContext* context, const CPoint& where, int32_t buttons = -1) override;
    int32_t onKeyDown(VSTGUI::CKeyCode& keyCode) override;
    int32_t onKeyUp(VSTGUI::CKeyCode& keyCode) override;
    bool onWheel(CDrawContext* context, const CPoint& where, int32_t axis, float distance) override;
    bool onDrop(CDrawContext* context, CDragContainer* drag, const CPoint& where) override;
    void onDragEnter(CDrawContext* context, CDragContainer* drag, const CPoint& where) override;
    void onDragLeave(CDrawContext* context, CDragContainer* drag, const CPoint& where) override;
    void onDragMove(CDrawContext* context, CDragContainer* drag, const CPoint& where) override;
    void loseFocus(CDrawContext* context = nullptr) override;

    std::string name;
    EventLog* log;
    int32_t keyAnswer = -1;    // what onKeyDown and onKeyUp answer
    bool wheelAnswer = true;
    int draws = 0;
    bool* destroyed = nullptr;  // set to true by the destructor when given
};

// A clock stepped by hand; sleeping advances it.
struct ManualClock {
    static uint32_t now;
    static std::vector<uint32_t> sleeps;
    static uint32_t ticks() { return now; }
    static void sleep(uint32_t milliseconds) {
        sleeps.push_back(milliseconds);
        now += milliseconds;
    }
};

// Installs the manual clock at `start` for a scope.
class ScopedManualClock {
public:
    explicit ScopedManualClock(uint32_t start);
    ~ScopedManualClock();
};

// The toolkit editor of the test plug-in: open builds a frame with the views
// that the test hands it, close deletes it.
class TestEditor : public AEffGUIEditor {
public:
    explicit TestEditor(EditorHost* host);
    bool open(void* window) override;
    void close() override;
    void idle() override;

    // Stands in for a frame built by open, e.g. one made by the test itself.
    void setFrame(CFrame* newFrame) { frame = newFrame; }
    void setRect(int16_t width, int16_t height) {
        rect.right = width;
        rect.bottom = height;
    }
    bool idleWhileHostIdle() const { return hostIdleActive; }

    int idleCalls = 0;
    int idleCallsDuringHostIdle = 0;
};

class TestPlugin : public AudioEffectX {
public:
    explicit TestPlugin(audioMasterCallback host);
    void processReplacing(float**, float** outputs, VstInt32 frames) override;
    TestEditor* testEditor() const { return static_cast<TestEditor*>(editor); }
    VstEditorHost editorHost{*this};
};

// A test plug-in created through an entry by a recording host, as a host
// loads a real one. Closing it (effClose) deletes the plug-in and its editor.
struct HostedTestPlugin {
    RecordingHost host;
    std::unique_ptr<PluginInstance> instance;

    HostedTestPlugin();
    TestPlugin* plugin() const;
    TestEditor* editor() const { return plugin()->testEditor(); }
    int hostCalls(VstInt32 opcode) const { return host.count(opcode); }
};

// A frame made straight on a parent window, its fields open to the tests.
class TestFrame : public CFrame {
public:
    TestFrame(const CRect& size, void* parent, CFrameListener* editor = nullptr) : CFrame(size, parent, editor) {}
    using CFrame::createWindow;
    using CFrame::dropTarget;
    using CFrame::findHostWindow;
    using CFrame::firstDraw;
    using CFrame::hostWindow;
    using CFrame::offscreen;
};

}  // namespace frametest
