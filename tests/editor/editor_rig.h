// The instrument's editor as a host shows it: the real DLL, its editor opened
// in a visible top-level window of this program, the window's pixels read
// back and compared with the generated pictures, and real mouse input
// injected through the window system.
#pragma once

#include <windows.h>

#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "tests/editor/editor_pictures.h"
#include "tests/support/plugin_under_test.h"
#include "tests/support/win32_test_input.h"
#include "tests/support/win32_test_messages.h"
#include "tests/support/win32_test_resources.h"

namespace editortest {

// Reads the window's client area back from its surface.
Picture capture(HWND window);

using win32test::pumpMessages;

// One visible top-level window for the whole program, sized to the editor:
// under Wine a top-level window takes long to go away, so it is kept.
HWND hostWindow();
// Gives the host window's client area this size, as a host does for its editor.
void sizeHostWindow(int width, int height);

// Live objects of this process and windows of this thread.
using win32test::gdiObjectCount;
int userObjectCount();
using win32test::threadWindowCount;

// The plug-in behind a recording host, with its editor in the host window.
class EditorRig {
public:
    EditorRig();
    ~EditorRig();

    HostedPlugin hosted;
    PluginInstance& plugin() { return *hosted.plugin; }
    RecordingHost& host() { return hosted.host; }

    // Sizes the host window to the editor's rectangle, then opens the editor in it.
    bool open();
    void sizeHostWindow();
    void close();
    // The editor's own window inside the host window (null when closed).
    HWND editorWindow() const;
    // Lets the window paint, then gives the editor `passes` idle calls.
    void idle(int passes = 2);
    // What the editor window shows now.
    Picture shot() { return capture(editorWindow()); }
    // Shows the picture expected for the plug-in's current parameter values.
    Picture expected(const std::set<int>& pressedKeys = {}, int percent = 100);

    // Host calls of one kind since the last clear, as (index, value) pairs;
    // the value is the float argument.
    std::vector<std::pair<int, float>> calls(VstInt32 opcode);

    // Renders `frames` on the calling thread (given notes first) and returns the left channel.
    std::vector<float> render(int frames, const std::vector<std::pair<int, int>>& notes = {});

    // The screen position of a point of the editor window.
    POINT toScreen(int x, int y) const;
};

// Real input from a second thread, through the window system's queue.
using win32test::glide;
using win32test::mouseButton;
using win32test::moveMouseTo;
using win32test::shiftKey;
using win32test::withInjection;

}  // namespace editortest
