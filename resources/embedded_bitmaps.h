// The editor's bitmaps as embedded in the Linux plug-in: whole BMP files
// (the files the generator draws, as the Windows resources hold them), found
// by the same resource numbers.
#pragma once

#include <cstddef>
#include <cstdint>

struct EmbeddedBitmap {
    int32_t resourceID;
    const unsigned char* bytes;  // a BMP file, from its "BM" signature
    size_t size;
};

// The bitmap with that resource number, or null.
const EmbeddedBitmap* findEmbeddedBitmap(int32_t resourceID);
