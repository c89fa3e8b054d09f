// Reading a device's pixels back, as the display shows them.
#pragma once

#include <windows.h>

#include <cstdint>
#include <vector>

// Copies width x height pixels from the top left of `source` with a blit (so
// that the device's clip region hides none of them) into `pixels` as 32-bit
// values 0x??RRGGBB, top row first; the top byte is whatever the blit left.
// False, with `pixels` untouched, when the copy cannot be made.
bool readDevicePixels(HDC source, int width, int height, std::vector<uint32_t>* pixels);
