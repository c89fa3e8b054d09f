// The picture of the editor's right-click menu of scales (see layout.h).
#pragma once

#include "tools/make-bitmaps/fonts.h"
#include "tools/make-bitmaps/raster.h"

Raster drawScaleMenu(const Fonts& fonts, double scale);
