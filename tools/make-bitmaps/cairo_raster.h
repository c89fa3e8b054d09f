// Moves pictures between our RGB rasters and cairo image surfaces.
#pragma once

#include <cairo.h>

#include "tools/make-bitmaps/raster.h"

// A new RGB24 surface holding a copy of the raster; the caller destroys it.
cairo_surface_t* surfaceFromRaster(const Raster& r);

Raster rasterFromSurface(cairo_surface_t* s);
