#include "tools/make-bitmaps/bitmap_set.h"

#include "tools/make-bitmaps/keyboard.h"
#include "tools/make-bitmaps/knob.h"
#include "tools/make-bitmaps/layout.h"
#include "tools/make-bitmaps/panel.h"

namespace {

// The values of the instrument's default program: the background shows the
// knobs where a fresh instance has them.
const double kDefaultValues[5] = {0.5, 0.5, 0.5, 0.65, 1.0};

Raster filmstrip(const Raster& base) {
    Raster strip(base.width, base.height * layout::kKnobFrames);
    for (int k = 0; k < layout::kKnobFrames; ++k) {
        Raster frame = drawKnob(base, double(k) / (layout::kKnobFrames - 1));
        clampHighlights(frame);
        paste(strip, frame, 0, k * base.height);
    }
    return strip;
}

Raster stack(const Raster& top, const Raster& bottom) {
    Raster r(top.width, top.height + bottom.height);
    paste(r, top, 0, 0);
    paste(r, bottom, 0, top.height);
    return r;
}

bool sameUnderEvery(const Raster& window, const Box& first, const Box& other) {
    return crop(window, first.left, first.top, first.width(), first.height()) ==
           crop(window, other.left, other.top, other.width(), other.height());
}

}  // namespace

int knobFrameForValue(double value) {
    if (!(value >= 0)) return 0;
    int k = int(value * (layout::kKnobFrames - 1));
    return k < layout::kKnobFrames ? k : layout::kKnobFrames - 1;
}

bool makeBitmapSet(const Fonts& fonts, BitmapSet* set, std::string* error) {
    Raster window = drawPanel(fonts);
    drawKeyboard(window);
    clampHighlights(window);

    const auto& knobs = layout::knobs();
    for (int i = 1; i < 4; ++i)
        if (!sameUnderEvery(window, knobs[0].box, knobs[i].box)) {
            *error = std::string("the panel under knob \"") + knobs[i].name + "\" differs from the one under \"" +
                     knobs[0].name + "\"";
            return false;
        }
    for (int n = layout::kFirstNote; n <= layout::kLastNote; ++n) {
        Box first = layout::keyBox(layout::isBlackKey(n) ? 22 : 21);
        if (!sameUnderEvery(window, first, layout::keyBox(n))) {
            *error = "the keyboard under key " + std::to_string(n) + " differs from its key picture";
            return false;
        }
    }

    const Box& b0 = knobs[0].box;
    const Box& b4 = knobs[4].box;
    set->smallKnob = filmstrip(crop(window, b0.left, b0.top, b0.width(), b0.height()));
    set->largeKnob = filmstrip(crop(window, b4.left, b4.top, b4.width(), b4.height()));

    Box w = layout::keyBox(21), k = layout::keyBox(22);
    Raster whitePressed = whiteKeyPicture(true), blackPressed = blackKeyPicture(true);
    clampHighlights(whitePressed);
    clampHighlights(blackPressed);
    set->whiteKeys = stack(crop(window, w.left, w.top, w.width(), w.height()), whitePressed);
    set->blackKeys = stack(crop(window, k.left, k.top, k.width(), k.height()), blackPressed);

    set->background = window;
    set->background = composeWindow(*set, kDefaultValues, nullptr, 0);
    return true;
}

Raster composeWindow(const BitmapSet& set, const double knobValues[5], const int* heldNotes, int heldCount) {
    Raster r = set.background;
    const auto& knobs = layout::knobs();
    for (int i = 0; i < 5; ++i) {
        const Raster& strip = i < 4 ? set.smallKnob : set.largeKnob;
        const Box& b = knobs[i].box;
        paste(r, crop(strip, 0, knobFrameForValue(knobValues[i]) * b.height(), b.width(), b.height()), b.left, b.top);
    }
    for (int i = 0; i < heldCount; ++i) {
        int n = heldNotes[i];
        if (n < layout::kFirstNote || n > layout::kLastNote) continue;
        const Raster& keys = layout::isBlackKey(n) ? set.blackKeys : set.whiteKeys;
        Box b = layout::keyBox(n);
        paste(r, crop(keys, 0, b.height(), b.width(), b.height()), b.left, b.top);
    }
    return r;
}
