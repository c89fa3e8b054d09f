#include "resources/bitmaps/embedded_bitmaps.h"

#include "embedded_bitmap_table.inc"

EmbeddedBitmap embeddedBitmap(int32_t resourceID) {
    EmbeddedBitmap bitmap;
    for (const auto& e : kEmbedded)
        if (e.id == resourceID) {
            bitmap.bytes = e.begin;
            bitmap.size = static_cast<size_t>(e.end - e.begin);
        }
    return bitmap;
}
