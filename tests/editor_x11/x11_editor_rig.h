// The instrument's editor on a real X server, as a Linux host shows it: the
// plug-in entered as the host finds it (VSTPluginMain, or the LV2 UI through
// suil), its editor opened inside a mapped top-level window of this program,
// pixels read back from the editor's window, and real input sent through the
// XTest extension. The editor has a
// display connection of its own; this program talks to the server through
// another, as a host does.
#pragma once

#include <X11/Xlib.h>

#include <memory>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "tests/editor/editor_pictures.h"
#include "tools/vsthost/vst_host.h"

namespace x11test {

using editortest::Picture;
using editortest::Rect;

// The test's own connection; null without a display.
Display* testDisplay();

// Waits until the server has handled every request of the test's connection.
void settle();

// The children of a window, bottom first.
std::vector<Window> childrenOf(Window window);

// The window's pixels as 0xRRGGBB, top row first.
Picture capture(Window window);

// What a process holds, for counts before and after: the server's clients
// (-1 without the X-Resource extension), this process's open files, and its
// heap in use (large blocks are mapped rather than taken from the arena:
// both count).
int clientCount();
int openFileCount();
size_t heapInUse();

// The host's own X error handler while the object lives (the one before is
// put back after): it counts the errors it receives.
class HostErrors {
public:
    HostErrors();
    ~HostErrors();
    HostErrors(const HostErrors&) = delete;
    HostErrors& operator=(const HostErrors&) = delete;
    // Errors received on the test's connection, and on any other.
    int onTestDisplay() const;
    int elsewhere() const;
    // Whether the process-wide handler is still this one.
    bool installed() const;

private:
    XErrorHandler previous;
};

// The server's Xft.dpi resource while the object lives, set as xrdb sets it
// (the RESOURCE_MANAGER property of the first screen's root window); 0
// leaves the resource out. The resources before come back afterwards.
class ServerDpi {
public:
    explicit ServerDpi(int dpi);
    ~ServerDpi();
    ServerDpi(const ServerDpi&) = delete;
    ServerDpi& operator=(const ServerDpi&) = delete;
    void set(int dpi);

private:
    bool had = false;
    std::string saved;
};

// A mapped top-level window of the editor's size, standing in for the host's.
class HostWindow {
public:
    HostWindow(int x, int y);
    ~HostWindow();
    HostWindow(const HostWindow&) = delete;
    HostWindow& operator=(const HostWindow&) = delete;
    Window id() const { return window; }
    // Takes a new size, as a host's window does for the editor it holds.
    void resize(int width, int height);
    // Destroys the window (and what is inside it) now, as a host may.
    void destroy();

private:
    Window window;
};

// An editor inside a host window of this program: its window read back and
// real input sent to it. Each plug-in format's rig says how a host idles
// its editor.
class EditorWindowRig {
public:
    // The host window's position on the screen; rigs used together need
    // places that do not overlap.
    EditorWindowRig(int x, int y) : window(x, y) {}
    virtual ~EditorWindowRig() = default;

    HostWindow window;

    // The editor's window inside the host's (0 when there is none).
    Window editorWindow() const;
    // `passes` idle calls, each after the server has caught up.
    void idle(int passes = 4);
    Picture shot() { return capture(editorWindow()); }

    // Real input, at points of the editor window.
    void moveTo(int x, int y);
    void button(bool down);
    void shift(bool down);
    // Moves in `steps` even steps, an idle pass after each.
    void glide(int fromX, int fromY, int toX, int toY, int steps);
    // Circular dragging: the press at the knob's top turns it to the middle,
    // the pointer then goes round to the left (a sixth of the sweep).
    void dragKnobRoundToTheLeft(const Rect& knob);

protected:
    // One idle call of the host to its editor.
    virtual void idleEditor() = 0;
};

// The VST 2.4 .so's editor, opened through the plug-in's dispatcher. As a
// host does, the rig sizes its window to the editor's rectangle before the
// open, and resizes it when the editor asks (audioMasterSizeWindow) and
// `followsSizeRequests`.
class X11EditorRig : public EditorWindowRig {
public:
    explicit X11EditorRig(int x = 40, int y = 40);
    bool followsSizeRequests = true;
    ~X11EditorRig() override;

    RecordingHost host;
    std::unique_ptr<PluginInstance> plugin;

    bool open();
    void close();
    // What the editor should show for the plug-in's parameter values now.
    Picture expected(const std::set<int>& pressedKeys = {}, int percent = 100);
    // The size effEditGetRect answers.
    std::pair<int, int> editorSize();
    // Renders `frames` (given notes first) and returns the left channel.
    std::vector<float> render(int frames, const std::vector<std::pair<int, int>>& notes = {});

protected:
    void idleEditor() override;
};

// The edit brackets and automation a host received, in order.
struct HostGesture {
    VstInt32 opcode;
    int index;
    float value;
};
std::vector<HostGesture> gesturesOf(const RecordingHost& host);

}  // namespace x11test
