#include "tools/make-bitmaps/raster.h"

#include <algorithm>

bool operator==(const Raster& a, const Raster& b) {
    return a.width == b.width && a.height == b.height && a.pixels == b.pixels;
}

Raster crop(const Raster& src, int x, int y, int w, int h) {
    Raster out(w, h);
    for (int j = 0; j < h; ++j)
        for (int i = 0; i < w; ++i) out.at(i, j) = src.at(x + i, y + j);
    return out;
}

void paste(Raster& dst, const Raster& src, int x, int y) {
    for (int j = 0; j < src.height; ++j)
        for (int i = 0; i < src.width; ++i) dst.at(x + i, y + j) = src.at(i, j);
}

void clampHighlights(Raster& r) {
    for (Rgb& p : r.pixels) {
        p.r = std::min<uint8_t>(p.r, 254);
        p.g = std::min<uint8_t>(p.g, 254);
        p.b = std::min<uint8_t>(p.b, 254);
    }
}
