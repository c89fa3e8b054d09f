// Reads a 24-bit BMP file as written for the editor, header fields as stored,
// so that tests can check both the format and the pixels.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct Pixel {
    int r = 0, g = 0, b = 0;
    int luminance() const { return (r * 299 + g * 587 + b * 114) / 1000; }
    bool operator==(const Pixel& o) const { return r == o.r && g == o.g && b == o.b; }
};

struct BmpFile {
    std::vector<uint8_t> bytes;  // the whole file
    // Header fields.
    uint16_t magic = 0;
    uint32_t fileSize = 0, pixelOffset = 0, infoSize = 0, compression = 0, imageSize = 0;
    int32_t width = 0, height = 0;
    uint16_t planes = 0, bitsPerPixel = 0;

    uint32_t stride() const { return (uint32_t(width) * 3 + 3) & ~3u; }
    // (x, y) counted from the top-left corner, as the picture is seen.
    Pixel at(int x, int y) const;
};

// Empty bytes if the file cannot be read.
BmpFile readBmp(const std::string& path);

// The file's name for each resource, in the order 128, 130, 132, 134, 135.
struct BitmapEntry {
    int resourceId;
    const char* file;
    int width, height;
};
extern const BitmapEntry kBitmaps[5];
