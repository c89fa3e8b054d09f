// The keyboard: the well with its rails, felt and wooden cheeks, and the
// pictures of the keys. Drawn pixel by pixel so that every key of a colour
// and device width is exactly the same picture wherever it sits.
#pragma once

#include "tools/make-bitmaps/raster.h"

// The picture of a key's control at a scale (one of layout::kScales): for a
// white key the front 21 rows at 1x. Its columns follow the key's own device
// width, so keys of one width share one picture.
Raster keyPicture(int note, bool pressed, double scale);

// Draws the keyboard with every key released into the window picture.
void drawKeyboard(Raster& window, double scale);
