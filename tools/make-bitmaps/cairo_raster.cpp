#include "tools/make-bitmaps/cairo_raster.h"

#include <cstdint>

cairo_surface_t* surfaceFromRaster(const Raster& r) {
    cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_RGB24, r.width, r.height);
    cairo_surface_flush(s);
    unsigned char* data = cairo_image_surface_get_data(s);
    int stride = cairo_image_surface_get_stride(s);
    for (int y = 0; y < r.height; ++y) {
        uint32_t* row = reinterpret_cast<uint32_t*>(data + size_t(y) * stride);
        for (int x = 0; x < r.width; ++x) {
            Rgb p = r.at(x, y);
            row[x] = 0xff000000u | uint32_t(p.r) << 16 | uint32_t(p.g) << 8 | p.b;
        }
    }
    cairo_surface_mark_dirty(s);
    return s;
}

Raster rasterFromSurface(cairo_surface_t* s) {
    cairo_surface_flush(s);
    Raster r(cairo_image_surface_get_width(s), cairo_image_surface_get_height(s));
    const unsigned char* data = cairo_image_surface_get_data(s);
    int stride = cairo_image_surface_get_stride(s);
    for (int y = 0; y < r.height; ++y) {
        const uint32_t* row = reinterpret_cast<const uint32_t*>(data + size_t(y) * stride);
        for (int x = 0; x < r.width; ++x)
            r.at(x, y) = Rgb{uint8_t(row[x] >> 16), uint8_t(row[x] >> 8), uint8_t(row[x])};
    }
    return r;
}
