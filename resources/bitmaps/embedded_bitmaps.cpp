#include "resources/bitmaps/embedded_bitmaps.h"

extern "C" {
extern const uint8_t qelt_bitmap_128[], qelt_bitmap_128_end[];
extern const uint8_t qelt_bitmap_130[], qelt_bitmap_130_end[];
extern const uint8_t qelt_bitmap_132[], qelt_bitmap_132_end[];
extern const uint8_t qelt_bitmap_134[], qelt_bitmap_134_end[];
extern const uint8_t qelt_bitmap_135[], qelt_bitmap_135_end[];
}

namespace {

EmbeddedBitmap between(const uint8_t* begin, const uint8_t* end) {
    EmbeddedBitmap bitmap;
    bitmap.bytes = begin;
    bitmap.size = static_cast<size_t>(end - begin);
    return bitmap;
}

}  // namespace

EmbeddedBitmap embeddedBitmap(int32_t resourceID) {
    switch (resourceID) {
        case 128:
            return between(qelt_bitmap_128, qelt_bitmap_128_end);
        case 130:
            return between(qelt_bitmap_130, qelt_bitmap_130_end);
        case 132:
            return between(qelt_bitmap_132, qelt_bitmap_132_end);
        case 134:
            return between(qelt_bitmap_134, qelt_bitmap_134_end);
        case 135:
            return between(qelt_bitmap_135, qelt_bitmap_135_end);
        default:
            return EmbeddedBitmap();
    }
}
