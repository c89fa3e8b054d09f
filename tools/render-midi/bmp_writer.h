// Saves a picture as a 24-bit BMP file (through a temporary file beside it).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// `pixels`: width * height values 0xRRGGBB, top row first.
bool writeBmp(const std::string& path, int width, int height, const std::vector<uint32_t>& pixels,
              std::string* error);
