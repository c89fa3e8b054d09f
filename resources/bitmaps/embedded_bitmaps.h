// The editor's pictures embedded as BMP files in builds that have no
// resource section to keep them in, found by their resource number.
#pragma once

#include <cstddef>
#include <cstdint>

struct EmbeddedBitmap {
    const uint8_t* bytes = nullptr;
    size_t size = 0;
};

// Empty when no picture has this number.
EmbeddedBitmap embeddedBitmap(int32_t resourceID);
