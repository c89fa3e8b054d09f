#include "tools/render-midi/wav_writer.h"

#include <cerrno>
#include <cmath>
#include <cstring>

#include "tools/render-midi/little_endian.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace {

constexpr size_t kFloatHeader = 58;  // RIFF, fmt (18 bytes), fact, data
constexpr size_t kPcmHeader = 44;    // RIFF, fmt (16 bytes), data
// The RIFF sizes are 32-bit: the data chunk must stay below 4 GiB.
constexpr uint64_t kMaxDataBytes = 0xFFFFFFFFull - kFloatHeader;

// The header for `frames` frames.
size_t header(unsigned char* h, SampleFormat format, uint32_t rate, uint64_t frames) {
    bool isFloat = format == SampleFormat::Float32;
    uint32_t bytesPerSample = isFloat ? 4 : 2;
    uint32_t dataBytes = (uint32_t)(frames * 2 * bytesPerSample);
    size_t size = isFloat ? kFloatHeader : kPcmHeader;
    std::memcpy(h, "RIFF", 4);
    put32(h + 4, (uint32_t)(size - 8 + dataBytes));
    std::memcpy(h + 8, "WAVEfmt ", 8);
    put32(h + 16, isFloat ? 18 : 16);
    put16(h + 20, isFloat ? 3 : 1);  // IEEE float or integer PCM
    put16(h + 22, 2);
    put32(h + 24, rate);
    put32(h + 28, rate * 2 * bytesPerSample);
    put16(h + 32, 2 * bytesPerSample);
    put16(h + 34, bytesPerSample * 8);
    unsigned char* p = h + 36;
    if (isFloat) {
        put16(p, 0);  // no extension
        std::memcpy(p + 2, "fact", 4);
        put32(p + 6, 4);
        put32(p + 10, (uint32_t)frames);
        p += 14;
    }
    std::memcpy(p, "data", 4);
    put32(p + 4, dataBytes);
    return size;
}

}  // namespace

bool replaceFile(const std::string& from, const std::string& to) {
#ifdef _WIN32
    return MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_COPY_ALLOWED) != 0;
#else
    return std::rename(from.c_str(), to.c_str()) == 0;
#endif
}

WavWriter::~WavWriter() { abandon(); }

bool WavWriter::fail(std::string* error, const std::string& what) {
    if (error) *error = what + " " + target + (errno ? std::string(": ") + std::strerror(errno) : std::string());
    abandon();
    return false;
}

bool WavWriter::open(const std::string& path, SampleFormat sampleFormat, uint32_t sampleRate, std::string* error) {
    abandon();
    target = path;
    temporary = path + ".part";
    format = sampleFormat;
    rate = sampleRate;
    framesWritten = clipped = 0;
    buffered = 0;
    errno = 0;
    file = std::fopen(temporary.c_str(), "wb");
    if (!file) return fail(error, "cannot write");
    unsigned char h[kFloatHeader];
    size_t n = header(h, format, rate, 0);
    if (std::fwrite(h, 1, n, file) != n) return fail(error, "cannot write");
    return true;
}

bool WavWriter::write(const float* left, const float* right, size_t count, std::string* error) {
    if (!file) return false;
    size_t bytesPerFrame = format == SampleFormat::Float32 ? 8 : 4;
    if ((framesWritten + count) * bytesPerFrame > kMaxDataBytes) {
        errno = 0;
        return fail(error, "more audio than a WAV file can hold for");
    }
    for (size_t i = 0; i < count; i++) {
        const float pair[2] = {left[i], right[i]};
        for (float v : pair) {
            if (!std::isfinite(v)) v = 0.f;
            if (format == SampleFormat::Float32) {
                uint32_t bits;
                std::memcpy(&bits, &v, 4);
                put32(buffer + buffered, bits);
                buffered += 4;
            } else {
                if (v > 1.f || v < -1.f) {  // beyond full scale
                    clipped++;
                    v = v > 0 ? 1.f : -1.f;
                }
                float scaled = std::nearbyint(v * 32767.f);
                put16(buffer + buffered, (uint32_t)(int32_t)scaled & 0xFFFF);
                buffered += 2;
            }
        }
        if (buffered > sizeof(buffer) - 8) {
            errno = 0;
            if (std::fwrite(buffer, 1, buffered, file) != buffered) return fail(error, "cannot write");
            buffered = 0;
        }
    }
    framesWritten += count;
    return true;
}

bool WavWriter::commit(std::string* error) {
    if (!file) return false;
    errno = 0;
    if (buffered && std::fwrite(buffer, 1, buffered, file) != buffered) return fail(error, "cannot write");
    buffered = 0;
    unsigned char h[kFloatHeader];
    size_t n = header(h, format, rate, framesWritten);
    if (std::fseek(file, 0, SEEK_SET) != 0 || std::fwrite(h, 1, n, file) != n) return fail(error, "cannot write");
    int closed = std::fclose(file);
    file = nullptr;
    if (closed != 0) return fail(error, "cannot write");
    if (!replaceFile(temporary, target)) return fail(error, "cannot replace");
    temporary.clear();
    return true;
}

void WavWriter::abandon() {
    if (file) std::fclose(file);
    file = nullptr;
    if (!temporary.empty()) std::remove(temporary.c_str());
    temporary.clear();
}
