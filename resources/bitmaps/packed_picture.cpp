#include "resources/bitmaps/packed_picture.h"

#include <cstring>

namespace {

constexpr size_t kHeader = 16;
constexpr int kMaxSide = 1 << 14;

struct Grid {
    int width, height, frameHeight;
    const uint8_t* rgb;
    const uint8_t* predicted(int x, int y) const {
        static const uint8_t black[3] = {0, 0, 0};
        if (frameHeight && y >= frameHeight) return rgb + (size_t(y - frameHeight) * width + x) * 3;
        if (x > 0) return rgb + (size_t(y) * width + x - 1) * 3;
        if (y > 0) return rgb + size_t(y - 1) * width * 3;
        return black;
    }
    bool matches(size_t i) const { return std::memcmp(rgb + i * 3, predicted(int(i % width), int(i / width)), 3) == 0; }
};

void put32(std::vector<uint8_t>& out, uint32_t v) {
    for (int i = 0; i < 4; ++i) out.push_back(uint8_t(v >> (8 * i)));
}

uint32_t get32(const uint8_t* p) { return p[0] | p[1] << 8 | p[2] << 16 | uint32_t(p[3]) << 24; }

}  // namespace

std::vector<uint8_t> packPicture(int width, int height, int frameHeight, const uint8_t* rgb) {
    std::vector<uint8_t> out = {'Q', 'P', 'P', '1'};
    put32(out, uint32_t(width));
    put32(out, uint32_t(height));
    put32(out, uint32_t(frameHeight));
    const Grid grid{width, height, frameHeight, rgb};
    const size_t pixels = size_t(width) * height;
    for (size_t i = 0; i < pixels;) {
        const bool predicted = grid.matches(i);
        size_t n = 1;
        while (i + n < pixels && n < 128 && grid.matches(i + n) == predicted) ++n;
        out.push_back(uint8_t(predicted ? n - 1 : n + 127));
        if (!predicted) out.insert(out.end(), rgb + i * 3, rgb + (i + n) * 3);
        i += n;
    }
    return out;
}

bool unpackPicture(const uint8_t* bytes, size_t size, UnpackedPicture* out) {
    *out = UnpackedPicture();
    if (!bytes || size < kHeader || std::memcmp(bytes, "QPP1", 4) != 0) return false;
    const uint32_t width = get32(bytes + 4), height = get32(bytes + 8), frameHeight = get32(bytes + 12);
    if (width == 0 || height == 0 || width > kMaxSide || height > kMaxSide || frameHeight > height) return false;
    std::vector<uint8_t> rgb(size_t(width) * height * 3);
    const Grid grid{int(width), int(height), int(frameHeight), rgb.data()};
    const size_t pixels = size_t(width) * height;
    size_t at = kHeader, i = 0;
    while (i < pixels) {
        if (at >= size) return false;
        const uint8_t c = bytes[at++];
        const size_t n = c < 128 ? c + 1u : c - 127u;
        if (i + n > pixels) return false;
        if (c >= 128) {
            if (size - at < n * 3) return false;
            std::memcpy(&rgb[i * 3], bytes + at, n * 3);
            at += n * 3;
            i += n;
        } else {
            for (size_t end = i + n; i < end; ++i)
                std::memcpy(&rgb[i * 3], grid.predicted(int(i % width), int(i / width)), 3);
        }
    }
    if (at != size) return false;
    out->width = int(width);
    out->height = int(height);
    out->rgb.swap(rgb);
    return true;
}

int32_t scaledResourceId(int32_t resourceID, int scalePercent) {
    return scalePercent == 150 ? resourceID + 1000 : scalePercent == 200 ? resourceID + 2000 : resourceID;
}
