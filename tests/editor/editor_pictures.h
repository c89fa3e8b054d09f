// The editor's expected pictures, made from the generated bitmaps the
// library embeds, and the measures of rendered audio the editor tests share
// on every platform.
#pragma once

#include <cstdint>
#include <set>
#include <string>
#include <vector>

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

// The generated pictures the DLL embeds, read from the native build's files:
// at 100 % the BMP files, at 150 and 200 % the packed pictures (where white
// keys come in two widths at 150 %, `otherWhiteKeys` has the second).
struct EditorPictures {
    Picture background, smallKnob, largeKnob, whiteKeys, blackKeys, otherWhiteKeys;
    Picture scaleMenu;  // the right-click menu, plain over ticked
    static const EditorPictures& get(int percent = 100);
};

// A 1x place on the editor at a scale in percent, each edge rounded as the
// pictures' edges are.
Rect scaled(const Rect& r, int percent);
int scaled(int edge, int percent);

// Where the editor's controls sit, worked out from the keyboard's own
// geometry: white keys side by side, each black key at a fixed distance
// from the white key left of it.
Rect knobRect(int tag);
bool isBlackKey(int note);
Rect keyRect(int note);

// What the window should show for these knob values and pressed keys, at a
// scale in percent.
Picture expectedEditor(const float knobValues[5], const std::set<int>& pressedKeys, int percent = 100);
// Empty when `actual` matches `expected` inside `area` (the whole picture by
// default), each channel within `tolerance` levels; otherwise the number of
// differing pixels and the first of them.
std::string differences(const Picture& actual, const Picture& expected, const Rect* area = nullptr, int tolerance = 0);

// A whole file's bytes, empty when it cannot be read; and a file written
// whole with `bytes` (true when it was). The scale tests' settings files.
std::string fileText(const std::string& path);
bool writeFileText(const std::string& path, const std::string& bytes);

// Levels of rendered audio.
float rms(const std::vector<float>& samples, size_t from = 0);
// How closely the signal repeats after `lag` frames: 1 for a steady tone of
// that period, small for other pitches.
float periodicity(const std::vector<float>& samples, int lag);

}  // namespace editortest
