// Writes a picture as a Windows device-independent bitmap file: 24 bits per
// pixel, uncompressed (BI_RGB), bottom-up rows padded to four bytes.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tools/make-bitmaps/raster.h"

std::vector<uint8_t> encodeBmp(const Raster& picture);

// False if the file cannot be written.
bool writeBmp(const std::string& path, const Raster& picture);
