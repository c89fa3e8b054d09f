// The control panel and case: everything of the window picture except the
// keyboard and the knobs themselves.
#pragma once

#include "tools/make-bitmaps/fonts.h"
#include "tools/make-bitmaps/raster.h"

// The lower edge of the control panel; the keyboard well starts below it.
constexpr int kPanelBottom = 164;

// At scale x device pixels per 1x pixel (one of layout::kScales).
Raster drawPanel(const Fonts& fonts, double scale);
