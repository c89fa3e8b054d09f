#include "tools/make-bitmaps/layout.h"

#include <cmath>

namespace layout {

double angleForValue(double value) {
    return (kSweepStartDegrees + kSweepDegrees * value) * M_PI / 180.0;
}

const std::vector<Knob>& knobs() {
    static const std::vector<Knob> list = {
        {"Sustain", {355, 76, 395, 116}},  {"Treble", {412, 76, 452, 116}},
        {"LFO depth", {490, 76, 530, 116}}, {"LFO Rate", {547, 76, 587, 116}},
        {"Volume", {624, 72, 688, 136}},
    };
    return list;
}

bool isBlackKey(int note) {
    switch (note % 12) {
        case 1: case 3: case 6: case 8: case 10: return true;
        default: return false;
    }
}

Box keyBox(int note) {
    // Two running rectangles walked in note order: white keys step by one key
    // width, black keys by 15 within a group and 23 across the gap after D# and A#.
    int whiteLeft = 27, blackLeft = 38;
    for (int n = kFirstNote; n < note; ++n) {
        if (!isBlackKey(n)) whiteLeft += kWhiteKeyWidth;
        else blackLeft += (n % 12 == 3 || n % 12 == 10) ? 23 : 15;
    }
    if (isBlackKey(note)) return {blackLeft, 187, blackLeft + kBlackKeyWidth, 187 + kBlackKeyHeight};
    return {whiteLeft, 215, whiteLeft + kWhiteKeyWidth, 215 + kWhiteKeyHeight};
}

}  // namespace layout
