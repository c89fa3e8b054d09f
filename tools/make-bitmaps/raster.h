// A plain 8-bit RGB picture, the form every generated bitmap takes before it is
// written out, and the few pixel operations the generator needs.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

struct Rgb {
    uint8_t r = 0, g = 0, b = 0;
};

inline bool operator==(Rgb a, Rgb b) { return a.r == b.r && a.g == b.g && a.b == b.b; }
inline bool operator!=(Rgb a, Rgb b) { return !(a == b); }

struct Raster {
    int width = 0;
    int height = 0;
    std::vector<Rgb> pixels;  // row-major, top row first

    Raster() {}
    Raster(int w, int h, Rgb fill = Rgb()) : width(w), height(h), pixels(size_t(w) * h, fill) {}

    Rgb& at(int x, int y) { return pixels[size_t(y) * width + x]; }
    Rgb at(int x, int y) const { return pixels[size_t(y) * width + x]; }
};

bool operator==(const Raster& a, const Raster& b);

// The w x h block of src whose top-left corner is (x, y).
Raster crop(const Raster& src, int x, int y, int w, int h);

// Copies all of src into dst with its top-left corner at (x, y).
void paste(Raster& dst, const Raster& src, int x, int y);

// Pure white is the toolkit's transparent colour; no generated pixel may be it,
// so every channel is kept at 254 or below.
void clampHighlights(Raster& r);
