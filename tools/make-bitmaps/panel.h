// The control panel and case: everything of the window picture except the
// keyboard and the knobs themselves.
#pragma once

#include "tools/make-bitmaps/fonts.h"
#include "tools/make-bitmaps/raster.h"

// The lower edge of the control panel; the keyboard well starts below it.
constexpr int kPanelBottom = 164;

Raster drawPanel(const Fonts& fonts);
