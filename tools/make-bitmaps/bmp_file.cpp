#include "tools/make-bitmaps/bmp_file.h"

#include <cstdio>

namespace {

void put16(std::vector<uint8_t>& out, uint32_t v) {
    out.push_back(uint8_t(v));
    out.push_back(uint8_t(v >> 8));
}

void put32(std::vector<uint8_t>& out, uint32_t v) {
    put16(out, v & 0xffff);
    put16(out, v >> 16);
}

}  // namespace

std::vector<uint8_t> encodeBmp(const Raster& picture) {
    const uint32_t stride = (uint32_t(picture.width) * 3 + 3) & ~3u;
    const uint32_t imageSize = stride * uint32_t(picture.height);
    const uint32_t headers = 14 + 40;
    std::vector<uint8_t> out;
    out.reserve(headers + imageSize);

    // BITMAPFILEHEADER
    out.push_back('B');
    out.push_back('M');
    put32(out, headers + imageSize);
    put32(out, 0);
    put32(out, headers);
    // BITMAPINFOHEADER: positive height means bottom-up rows.
    put32(out, 40);
    put32(out, uint32_t(picture.width));
    put32(out, uint32_t(picture.height));
    put16(out, 1);
    put16(out, 24);
    put32(out, 0);  // BI_RGB
    put32(out, imageSize);
    put32(out, 2835);  // 72 dpi
    put32(out, 2835);
    put32(out, 0);
    put32(out, 0);

    for (int y = picture.height - 1; y >= 0; --y) {
        size_t rowStart = out.size();
        for (int x = 0; x < picture.width; ++x) {
            Rgb p = picture.at(x, y);
            out.push_back(p.b);
            out.push_back(p.g);
            out.push_back(p.r);
        }
        while (out.size() - rowStart < stride) out.push_back(0);
    }
    return out;
}

bool writeBmp(const std::string& path, const Raster& picture) {
    std::vector<uint8_t> bytes = encodeBmp(picture);
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return std::fclose(f) == 0 && ok;
}
