#include "tools/make-bitmaps/bitmap_set.h"

#include "tools/make-bitmaps/keyboard.h"
#include "tools/make-bitmaps/knob.h"
#include "tools/make-bitmaps/layout.h"
#include "tools/make-bitmaps/menu.h"
#include "tools/make-bitmaps/panel.h"

namespace {

// The values of the instrument's default program: the background shows the
// knobs where a fresh instance has them.
const double kDefaultValues[5] = {0.5, 0.5, 0.5, 0.65, 1.0};

Raster filmstrip(const Raster& base, double scale) {
    Raster strip(base.width, base.height * layout::kKnobFrames);
    for (int k = 0; k < layout::kKnobFrames; ++k) {
        Raster frame = drawKnob(base, double(k) / (layout::kKnobFrames - 1), scale);
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

Raster under(const Raster& window, const Box& b) { return crop(window, b.left, b.top, b.width(), b.height()); }

Raster clamped(Raster r) {
    clampHighlights(r);
    return r;
}

Raster keyPictures(int note, double scale) {
    return stack(clamped(keyPicture(note, false, scale)), clamped(keyPicture(note, true, scale)));
}

}  // namespace

int knobFrameForValue(double value) {
    if (!(value >= 0)) return 0;
    int k = int(value * (layout::kKnobFrames - 1));
    return k < layout::kKnobFrames ? k : layout::kKnobFrames - 1;
}

bool makeBitmapSet(const Fonts& fonts, double scale, BitmapSet* set, std::string* error) {
    Raster window = drawPanel(fonts, scale);
    drawKeyboard(window, scale);
    clampHighlights(window);

    const auto& knobs = layout::knobs();
    const Box b0 = layout::toDevice(knobs[0].box, scale), b4 = layout::toDevice(knobs[4].box, scale);
    for (int i = 1; i < 4; ++i)
        if (!(under(window, b0) == under(window, layout::toDevice(knobs[i].box, scale)))) {
            *error = std::string("the panel under knob \"") + knobs[i].name + "\" differs from the one under \"" +
                     knobs[0].name + "\"";
            return false;
        }

    // One picture for the keys of a colour and device width: at 1.5x white
    // keys come in two widths, the lowest key's and another.
    auto deviceKey = [scale](int note) { return layout::toDevice(layout::keyBox(note), scale); };
    const int lowestWhite = layout::kFirstNote, lowestBlack = layout::kFirstNote + 1;
    int otherWhite = 0;
    for (int n = layout::kFirstNote; n <= layout::kLastNote && !otherWhite; ++n)
        if (!layout::isBlackKey(n) && deviceKey(n).width() != deviceKey(lowestWhite).width()) otherWhite = n;

    set->scale = scale;
    set->smallKnob = filmstrip(under(window, b0), scale);
    set->largeKnob = filmstrip(under(window, b4), scale);
    set->whiteKeys = keyPictures(lowestWhite, scale);
    set->blackKeys = keyPictures(lowestBlack, scale);
    set->otherWhiteKeys = otherWhite ? keyPictures(otherWhite, scale) : Raster();

    for (int n = layout::kFirstNote; n <= layout::kLastNote; ++n) {
        const Box b = deviceKey(n);
        const Raster* keys = layout::isBlackKey(n) ? &set->blackKeys : &set->whiteKeys;
        if (keys->width != b.width()) keys = &set->otherWhiteKeys;
        if (keys->width != b.width()) {
            *error = "key " + std::to_string(n) + " has a device width no key picture has";
            return false;
        }
        if (!(under(window, b) == crop(*keys, 0, 0, b.width(), b.height()))) {
            *error = "the keyboard under key " + std::to_string(n) + " differs from its key picture";
            return false;
        }
    }

    set->background = window;
    set->background = composeWindow(*set, kDefaultValues, nullptr, 0);
    set->scaleMenu = drawScaleMenu(fonts, scale);
    return true;
}

Raster composeWindow(const BitmapSet& set, const double knobValues[5], const int* heldNotes, int heldCount) {
    Raster r = set.background;
    const auto& knobs = layout::knobs();
    for (int i = 0; i < 5; ++i) {
        const Raster& strip = i < 4 ? set.smallKnob : set.largeKnob;
        const Box b = layout::toDevice(knobs[i].box, set.scale);
        paste(r, crop(strip, 0, knobFrameForValue(knobValues[i]) * b.height(), b.width(), b.height()), b.left, b.top);
    }
    for (int i = 0; i < heldCount; ++i) {
        int n = heldNotes[i];
        if (n < layout::kFirstNote || n > layout::kLastNote) continue;
        const Box b = layout::toDevice(layout::keyBox(n), set.scale);
        const Raster* keys = layout::isBlackKey(n) ? &set.blackKeys : &set.whiteKeys;
        if (keys->width != b.width()) keys = &set.otherWhiteKeys;
        paste(r, crop(*keys, 0, b.height(), b.width(), b.height()), b.left, b.top);
    }
    return r;
}
