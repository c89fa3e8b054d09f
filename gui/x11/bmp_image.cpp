#include "gui/x11/bmp_image.h"

namespace VSTGUI {

namespace {

constexpr size_t kFileHeaderSize = 14;
constexpr uint32_t kMinInfoHeaderSize = 40;
constexpr uint32_t kNoCompression = 0;
constexpr uint32_t kBitFields = 3;  // 32-bit files often say this with the usual masks
constexpr int32_t kLargestSide = 16384;

uint32_t read16(const uint8_t* p) { return uint32_t(p[0]) | uint32_t(p[1]) << 8; }
uint32_t read32(const uint8_t* p) { return read16(p) | read16(p + 2) << 16; }

}  // namespace

cairo_surface_t* decodeBmp(const uint8_t* bytes, size_t size) {
    if (!bytes || size < kFileHeaderSize + kMinInfoHeaderSize || bytes[0] != 'B' || bytes[1] != 'M') return nullptr;
    const uint32_t pixelOffset = read32(bytes + 10);
    const uint8_t* info = bytes + kFileHeaderSize;
    if (read32(info) < kMinInfoHeaderSize) return nullptr;
    const int32_t width = (int32_t)read32(info + 4);
    const int32_t signedHeight = (int32_t)read32(info + 8);
    const uint32_t bitsPerPixel = read16(info + 14);
    const uint32_t compression = read32(info + 16);
    if (width <= 0 || width > kLargestSide || signedHeight == 0 || signedHeight < -kLargestSide ||
        signedHeight > kLargestSide)
        return nullptr;
    if (!(bitsPerPixel == 24 && compression == kNoCompression) &&
        !(bitsPerPixel == 32 && (compression == kNoCompression || compression == kBitFields)))
        return nullptr;
    const bool bottomUp = signedHeight > 0;
    const int32_t height = bottomUp ? signedHeight : -signedHeight;
    const size_t bytesPerPixel = bitsPerPixel / 8;
    const size_t stride = ((size_t)width * bytesPerPixel + 3) & ~(size_t)3;
    if (pixelOffset > size || (size - pixelOffset) / stride < (size_t)height) return nullptr;

    // Opaque pixels with alpha: cairo 1.16 loses some memory for every
    // display connection an RGB24 image has been painted to, none for ARGB32.
    cairo_surface_t* image = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height);
    if (cairo_surface_status(image) != CAIRO_STATUS_SUCCESS) {
        cairo_surface_destroy(image);
        return nullptr;
    }
    cairo_surface_flush(image);
    uint8_t* target = cairo_image_surface_get_data(image);
    const int targetStride = cairo_image_surface_get_stride(image);
    for (int32_t y = 0; y < height; ++y) {
        const uint8_t* row = bytes + pixelOffset + stride * (size_t)(bottomUp ? height - 1 - y : y);
        uint32_t* out = reinterpret_cast<uint32_t*>(target + (size_t)y * targetStride);
        for (int32_t x = 0; x < width; ++x) {
            const uint8_t* p = row + (size_t)x * bytesPerPixel;  // blue, green, red
            out[x] = 0xFF000000u | uint32_t(p[2]) << 16 | uint32_t(p[1]) << 8 | p[0];
        }
    }
    cairo_surface_mark_dirty(image);
    return image;
}

cairo_surface_t* keyedCopy(cairo_surface_t* opaque, uint32_t keyColor) {
    if (!opaque) return nullptr;
    const int width = cairo_image_surface_get_width(opaque);
    const int height = cairo_image_surface_get_height(opaque);
    cairo_surface_t* keyed = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height);
    if (cairo_surface_status(keyed) != CAIRO_STATUS_SUCCESS) {
        cairo_surface_destroy(keyed);
        return nullptr;
    }
    cairo_surface_flush(opaque);
    cairo_surface_flush(keyed);
    const uint8_t* source = cairo_image_surface_get_data(opaque);
    uint8_t* target = cairo_image_surface_get_data(keyed);
    const int sourceStride = cairo_image_surface_get_stride(opaque);
    const int targetStride = cairo_image_surface_get_stride(keyed);
    for (int y = 0; y < height; ++y) {
        const uint32_t* in = reinterpret_cast<const uint32_t*>(source + (size_t)y * sourceStride);
        uint32_t* out = reinterpret_cast<uint32_t*>(target + (size_t)y * targetStride);
        for (int x = 0; x < width; ++x) {
            const uint32_t rgb = in[x] & 0xFFFFFFu;
            // Premultiplied: a transparent pixel is all zero.
            out[x] = rgb == keyColor ? 0u : 0xFF000000u | rgb;
        }
    }
    cairo_surface_mark_dirty(keyed);
    return keyed;
}

cairo_surface_t* fadedBlock(cairo_surface_t* opaque, int left, int top, int width, int height, uint8_t alpha) {
    if (!opaque || width <= 0 || height <= 0) return nullptr;
    cairo_surface_t* faded = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height);
    if (cairo_surface_status(faded) != CAIRO_STATUS_SUCCESS) {
        cairo_surface_destroy(faded);
        return nullptr;
    }
    cairo_surface_flush(opaque);
    cairo_surface_flush(faded);
    const int sourceWidth = cairo_image_surface_get_width(opaque);
    const int sourceHeight = cairo_image_surface_get_height(opaque);
    const uint8_t* source = cairo_image_surface_get_data(opaque);
    uint8_t* target = cairo_image_surface_get_data(faded);
    const int sourceStride = cairo_image_surface_get_stride(opaque);
    const int targetStride = cairo_image_surface_get_stride(faded);
    for (int y = 0; y < height; ++y) {
        uint32_t* out = reinterpret_cast<uint32_t*>(target + (size_t)y * targetStride);
        const int sy = top + y;
        for (int x = 0; x < width; ++x) {
            const int sx = left + x;
            if (sx < 0 || sy < 0 || sx >= sourceWidth || sy >= sourceHeight) {
                out[x] = 0;
                continue;
            }
            const uint32_t p = reinterpret_cast<const uint32_t*>(source + (size_t)sy * sourceStride)[sx];
            uint32_t value = uint32_t(alpha) << 24;
            for (int shift = 0; shift < 24; shift += 8)
                value |= ((((p >> shift) & 0xFFu) * alpha + 127u) / 255u) << shift;
            out[x] = value;
        }
    }
    cairo_surface_mark_dirty(faded);
    return faded;
}

}  // namespace VSTGUI
