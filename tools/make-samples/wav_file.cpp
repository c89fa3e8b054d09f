#include "tools/make-samples/wav_file.h"

#include <cstdio>

namespace {
void put32(std::FILE* f, uint32_t v) {
    const unsigned char b[4] = {uint8_t(v), uint8_t(v >> 8), uint8_t(v >> 16), uint8_t(v >> 24)};
    std::fwrite(b, 1, 4, f);
}
void put16(std::FILE* f, uint16_t v) {
    const unsigned char b[2] = {uint8_t(v), uint8_t(v >> 8)};
    std::fwrite(b, 1, 2, f);
}
}  // namespace

bool writeWav(const std::string& path, const int16_t* values, int32_t count, int channels, int rate) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    // An odd count cannot fill the last frame: it is dropped.
    const uint32_t frames = uint32_t(count / channels);
    const uint32_t bytes = frames * uint32_t(channels) * 2;
    std::fwrite("RIFF", 1, 4, f);
    put32(f, 36 + bytes);
    std::fwrite("WAVEfmt ", 1, 8, f);
    put32(f, 16);
    put16(f, 1);
    put16(f, uint16_t(channels));
    put32(f, uint32_t(rate));
    put32(f, uint32_t(rate * channels * 2));
    put16(f, uint16_t(channels * 2));
    put16(f, 16);
    std::fwrite("data", 1, 4, f);
    put32(f, bytes);
    for (uint32_t i = 0; i < frames * uint32_t(channels); ++i) put16(f, uint16_t(values[i]));
    const bool ok = std::ferror(f) == 0;
    return std::fclose(f) == 0 && ok;
}
