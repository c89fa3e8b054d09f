// The pictures of the editor, made together so that they fit each other.
#pragma once

#include <string>

#include "tools/make-bitmaps/fonts.h"
#include "tools/make-bitmaps/raster.h"

// Sizes are those at 1x times the scale, rounded as layout.h says.
struct BitmapSet {
    double scale = 1.0;
    Raster background;  // resource 128
    Raster smallKnob;   // resource 130: 64 frames of 40 x 40
    Raster largeKnob;   // resource 132: 64 frames of 64 x 64
    Raster whiteKeys;   // resource 134: released over pressed
    Raster blackKeys;   // resource 135: released over pressed
    // Where rounding makes white keys of two device widths (1.5x), the
    // pictures of the keys of the other width than the lowest key's; empty
    // where every white key is as wide.
    Raster otherWhiteKeys;
    Raster scaleMenu;  // resource 137: the right-click menu, plain over ticked
};

// False, with the reason, if the panel under knobs or keys that share one
// picture is not the same everywhere (the shared picture would show a seam).
bool makeBitmapSet(const Fonts& fonts, double scale, BitmapSet* set, std::string* error);

// The frame a knob shows for a value: the value times 63, truncated.
int knobFrameForValue(double value);

// The window as the editor shows it with these knob values and these notes
// held.
Raster composeWindow(const BitmapSet& set, const double knobValues[5], const int* heldNotes, int heldCount);
