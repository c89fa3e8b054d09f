#include "tests/bitmaps/bmp_reader.h"

#include <cstdio>

const BitmapEntry kBitmaps[5] = {
    {128, "background.bmp", 730, 248}, {130, "knob-small.bmp", 40, 2560}, {132, "knob-large.bmp", 64, 4096},
    {134, "keys-white.bmp", 13, 42},   {135, "keys-black.bmp", 8, 50},
};

namespace {

uint32_t le(const std::vector<uint8_t>& b, size_t at, int n) {
    uint32_t v = 0;
    for (int i = n - 1; i >= 0; --i) v = v << 8 | b[at + i];
    return v;
}

}  // namespace

Pixel BmpFile::at(int x, int y) const {
    size_t row = size_t(height - 1 - y);  // stored bottom-up
    size_t i = pixelOffset + row * stride() + size_t(x) * 3;
    return Pixel{bytes[i + 2], bytes[i + 1], bytes[i]};
}

BmpFile readBmp(const std::string& path) {
    BmpFile f;
    FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) return f;
    uint8_t chunk[65536];
    size_t n;
    while ((n = std::fread(chunk, 1, sizeof chunk, file)) > 0) f.bytes.insert(f.bytes.end(), chunk, chunk + n);
    std::fclose(file);
    if (f.bytes.size() < 54) return f;
    f.magic = uint16_t(le(f.bytes, 0, 2));
    f.fileSize = le(f.bytes, 2, 4);
    f.pixelOffset = le(f.bytes, 10, 4);
    f.infoSize = le(f.bytes, 14, 4);
    f.width = int32_t(le(f.bytes, 18, 4));
    f.height = int32_t(le(f.bytes, 22, 4));
    f.planes = uint16_t(le(f.bytes, 26, 2));
    f.bitsPerPixel = uint16_t(le(f.bytes, 28, 2));
    f.compression = le(f.bytes, 30, 4);
    f.imageSize = le(f.bytes, 34, 4);
    return f;
}
