#include "tools/render-midi/bmp_writer.h"

#include <cstdio>
#include <cstring>

#include "tools/render-midi/little_endian.h"
#include "tools/render-midi/wav_writer.h"

bool writeBmp(const std::string& path, int width, int height, const std::vector<uint32_t>& pixels,
              std::string* error) {
    if (width <= 0 || height <= 0 || width > 16384 || height > 16384 ||
        pixels.size() != (size_t)width * (size_t)height) {
        *error = "no picture to write (" + std::to_string(width) + " by " + std::to_string(height) + ")";
        return false;
    }
    const uint32_t stride = ((uint32_t)width * 3 + 3) & ~3u;  // rows are padded to 4 bytes
    const uint32_t imageBytes = stride * (uint32_t)height;
    unsigned char h[54];
    std::memset(h, 0, sizeof(h));
    h[0] = 'B';
    h[1] = 'M';
    put32(h + 2, 54 + imageBytes);
    put32(h + 10, 54);
    put32(h + 14, 40);
    put32(h + 18, (uint32_t)width);
    put32(h + 22, (uint32_t)height);  // positive: bottom row first
    put16(h + 26, 1);
    put16(h + 28, 24);
    put32(h + 34, imageBytes);
    put32(h + 38, 2835);  // 72 dpi
    put32(h + 42, 2835);

    std::string temporary = path + ".part";
    std::FILE* f = std::fopen(temporary.c_str(), "wb");
    if (!f) {
        *error = "cannot write " + path;
        return false;
    }
    bool ok = std::fwrite(h, 1, sizeof(h), f) == sizeof(h);
    std::vector<unsigned char> row(stride, 0);
    for (int y = height - 1; ok && y >= 0; y--) {
        for (int x = 0; x < width; x++) {
            uint32_t p = pixels[(size_t)y * width + x];
            row[x * 3] = (unsigned char)p;               // blue
            row[x * 3 + 1] = (unsigned char)(p >> 8);    // green
            row[x * 3 + 2] = (unsigned char)(p >> 16);   // red
        }
        ok = std::fwrite(row.data(), 1, stride, f) == stride;
    }
    ok = std::fclose(f) == 0 && ok;
    if (!ok || !replaceFile(temporary, path)) {
        std::remove(temporary.c_str());
        *error = "cannot write " + path;
        return false;
    }
    return true;
}
