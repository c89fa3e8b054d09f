#include "resources/embedded_bitmaps.h"

#define BITMAP_LABELS(name) extern "C" const unsigned char qelt_bitmap_##name[], qelt_bitmap_##name##_end[];
BITMAP_LABELS(background)
BITMAP_LABELS(knob_small)
BITMAP_LABELS(knob_large)
BITMAP_LABELS(keys_white)
BITMAP_LABELS(keys_black)

namespace {

// The numbers are those of the Windows resources: the editor asks for these.
#define BITMAP(id, name) \
    { id, qelt_bitmap_##name, (size_t)(qelt_bitmap_##name##_end - qelt_bitmap_##name) }
const EmbeddedBitmap table[] = {
    BITMAP(128, background), BITMAP(130, knob_small), BITMAP(132, knob_large),
    BITMAP(134, keys_white), BITMAP(135, keys_black),
};

}  // namespace

const EmbeddedBitmap* findEmbeddedBitmap(int32_t resourceID) {
    for (const EmbeddedBitmap& bitmap : table)
        if (bitmap.resourceID == resourceID) return &bitmap;
    return nullptr;
}
