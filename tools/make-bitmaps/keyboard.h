// The keyboard: the well with its rails, felt and wooden cheeks, and the
// pictures of the keys. Drawn pixel by pixel so that every key of a colour
// is exactly the same picture wherever it sits.
#pragma once

#include "tools/make-bitmaps/raster.h"

// The lower part of a white key (the part the key control covers), 13 x 21.
Raster whiteKeyPicture(bool pressed);

// A black key, 8 x 25.
Raster blackKeyPicture(bool pressed);

// Draws the keyboard with every key released into the window picture.
void drawKeyboard(Raster& window);
