// Uncompressed 24- and 32-bit BMP files turned into cairo images.
#pragma once

#include <cairo.h>

#include <cstddef>
#include <cstdint>

namespace VSTGUI {

// An image of the file's pixels, all opaque; null when the bytes are not a
// BMP file of that kind or are cut short.
cairo_surface_t* decodeBmp(const uint8_t* bytes, size_t size);

// A copy with alpha in which the pixels of one colour (0xRRGGBB) are fully
// transparent and all others opaque; null on failure.
cairo_surface_t* keyedCopy(cairo_surface_t* opaque, uint32_t keyColor);

// A width x height block of `opaque` from (left, top), faded to constant
// alpha (premultiplied); outside the image it is transparent. Null on failure.
cairo_surface_t* fadedBlock(cairo_surface_t* opaque, int left, int top, int width, int height, uint8_t alpha);

}  // namespace VSTGUI
