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

#include "tests/support/plugin_under_test.h"
#include "tests/support/win32_test_input.h"
#include "tests/support/win32_test_messages.h"
#include "tests/support/win32_test_resources.h"

namespace editortest {

struct Rect {
    int left, top, right, bottom;  // right and bottom exclusive
    int width() const { return right - left; }
    int height() const { return bottom - top; }
    int centerX() const { return (left + right) / 2; }
    int centerY() const { return (top + bottom) / 2; }
};

// Pixels as 0xRRGGBB, top row first.
struct Picture {
    int width = 0, height = 0;
    std::vector<uint32_t> pixels;
    uint32_t at(int x, int y) const { return pixels[(size_t)y * width + x]; }
    uint32_t& at(int x, int y) { return pixels[(size_t)y * width + x]; }
    bool empty() const { return pixels.empty(); }
};

// The generated pictures the DLL embeds, read from the native build's files.
struct EditorPictures {
    Picture background, smallKnob, largeKnob, whiteKeys, blackKeys;
    static const EditorPictures& get();
};

// Where the editor's controls sit, worked out from the keyboard's own
// geometry: white keys side by side, each black key at a fixed distance
// from the white key left of it.
Rect knobRect(int tag);
bool isBlackKey(int note);
Rect keyRect(int note);

// What the window should show for these knob values and pressed keys.
Picture expectedEditor(const float knobValues[5], const std::set<int>& pressedKeys);
// Empty when `actual` matches `expected` inside `area` (the whole picture by
// default); otherwise the number of differing pixels and the first of them.
std::string differences(const Picture& actual, const Picture& expected, const Rect* area = nullptr);

// Reads the window's client area back from its surface.
Picture capture(HWND window);

using win32test::pumpMessages;

// One visible top-level window for the whole program, sized to the editor:
// under Wine a top-level window takes long to go away, so it is kept.
HWND hostWindow();

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

    bool open();
    void close();
    // The editor's own window inside the host window (null when closed).
    HWND editorWindow() const;
    // Lets the window paint, then gives the editor `passes` idle calls.
    void idle(int passes = 2);
    // What the editor window shows now.
    Picture shot() { return capture(editorWindow()); }
    // Shows the picture expected for the plug-in's current parameter values.
    Picture expected(const std::set<int>& pressedKeys = {});

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

// Levels of rendered audio.
float rms(const std::vector<float>& samples, size_t from = 0);
// How closely the signal repeats after `lag` frames: 1 for a steady tone of
// that period, small for other pitches.
float periodicity(const std::vector<float>& samples, int lag);

}  // namespace editortest
