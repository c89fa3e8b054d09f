// Where the editor puts its controls, in window pixels, and the knobs' sweep.
// The pictures are drawn to fit these places exactly.
#pragma once

#include <cmath>
#include <vector>

struct Box {
    int left, top, right, bottom;  // right and bottom exclusive
    int width() const { return right - left; }
    int height() const { return bottom - top; }
};

namespace layout {

constexpr int kWidth = 730;
constexpr int kHeight = 248;

constexpr int kKnobFrames = 64;
constexpr int kSmallKnob = 40;  // frame size of the four small knobs
constexpr int kLargeKnob = 64;  // frame size of the volume knob

constexpr int kWhiteKeyWidth = 13, kWhiteKeyHeight = 21;
constexpr int kBlackKeyWidth = 8, kBlackKeyHeight = 25;

constexpr int kFirstNote = 21, kLastNote = 108;

// Value 0 sits at 225 degrees (lower left) and value 1 at -45 degrees (lower
// right), turning clockwise over the top; angles are counter-clockwise from
// the right with screen y pointing down.
constexpr double kSweepStartDegrees = 225.0;
constexpr double kSweepDegrees = -270.0;

double angleForValue(double value);  // radians

struct Knob {
    const char* name;
    Box box;
};

// The five knobs, tags 0 to 4.
const std::vector<Knob>& knobs();

bool isBlackKey(int note);

// The editor is drawn at these scales. Every edge of the 1x layout lands on
// device pixel round(edge x scale), halves rounded up, each edge on its own:
// neighbouring boxes still meet and nothing is cut off, but a box's device
// size can depend on where it sits (at 1.5x white keys are 19 or 20 pixels
// wide, small knobs all 60). The editor and the generator both take device
// places from here; the rule is inline so that the editor needs only this
// header.
constexpr double kScales[3] = {1.0, 1.5, 2.0};

inline int toDevice(int edge, double scale) { return int(std::floor(edge * scale + 0.5)); }

inline Box toDevice(const Box& b, double scale) {
    return {toDevice(b.left, scale), toDevice(b.top, scale), toDevice(b.right, scale), toDevice(b.bottom, scale)};
}

// The 1x pixel a device pixel belongs to: the last edge at or before it.
inline int fromDevice(int devicePixel, double scale) { return int(std::ceil((devicePixel + 0.5) / scale)) - 1; }

// Within a box whose own pictures must not depend on where it sits (the
// keys), device column u of `deviceWidth` shows 1x column i of `width`.
inline int columnInBox(int u, int width, int deviceWidth) {
    int i = int(std::floor((u + 0.5) * width / deviceWidth));
    return i < width ? i : width - 1;
}

// The click rectangle of each key, notes 21 to 108.
Box keyBox(int note);

// The right-click menu of the editor's scale: four rows ("100 %", "150 %",
// "200 %", "Automatic") inside a thin border, placed wherever the click was.
// Its picture holds the menu twice, one above the other: as it is, then
// with every row ticked, for the row of the current choice.
constexpr int kMenuWidth = 112, kMenuRowHeight = 20, kMenuRows = 4, kMenuInset = 2;
constexpr int kMenuHeight = kMenuRows * kMenuRowHeight + 2 * kMenuInset;
inline int menuRowTop(int row) { return kMenuInset + row * kMenuRowHeight; }

}  // namespace layout
