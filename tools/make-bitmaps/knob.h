// One picture of a knob turned to a value, drawn over the panel pixels that
// lie under the knob's square so that it blends into the window.
#pragma once

#include "tools/make-bitmaps/raster.h"

// base is the square of panel under the knob (40 or 64 pixels wide at 1x,
// times the scale). Nothing is drawn near the square's edges, so every picture
// meets the panel seamlessly.
Raster drawKnob(const Raster& base, double value, double scale);
