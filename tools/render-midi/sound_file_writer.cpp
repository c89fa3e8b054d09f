#include "tools/render-midi/sound_file_writer.h"

#include <sndfile.h>
#include <strings.h>

#include <cmath>
#include <cstdio>

namespace {

constexpr size_t kChunkFrames = 1024;
constexpr float kFullScale16 = 32767.f, kFullScale24 = 8388607.f;
// libsndfile takes 24-bit samples in the top bits of an int.
constexpr int kShift24 = 8;

}  // namespace

bool isFlacName(const std::string& path) {
    const std::string ending = ".flac";
    return path.size() > ending.size() && strcasecmp(path.c_str() + path.size() - ending.size(), ending.c_str()) == 0;
}

SoundFileWriter::~SoundFileWriter() { abandon(); }

const char* SoundFileWriter::sampleDescription() const {
    if (flac) return bits == 16 ? "16-bit FLAC" : "24-bit FLAC";
    return bits == 16 ? "16-bit PCM" : "32-bit float";
}

bool SoundFileWriter::fail(std::string* error, const std::string& what) {
    const char* why = sf_strerror(file);
    if (error) *error = what + " " + target + (why && *why ? std::string(": ") + why : std::string());
    abandon();
    return false;
}

bool SoundFileWriter::open(const std::string& path, SampleFormat format, uint32_t sampleRate, std::string* error) {
    abandon();
    target = path;
    temporary = path + ".part";
    framesWritten = clipped = 0;
    flac = isFlacName(path);
    bits = format == SampleFormat::Pcm16 ? 16 : flac ? 24 : 32;
    SF_INFO info = {};
    info.samplerate = (int)sampleRate;
    info.channels = 2;
    info.format = (flac ? SF_FORMAT_FLAC : SF_FORMAT_WAV) | (bits == 16   ? SF_FORMAT_PCM_16
                                                             : bits == 24 ? SF_FORMAT_PCM_24
                                                                          : SF_FORMAT_FLOAT);
    file = sf_open(temporary.c_str(), SFM_WRITE, &info);
    if (!file) {
        if (error) *error = "cannot write " + target + ": " + sf_strerror(nullptr);
        temporary.clear();  // nothing was created
        return false;
    }
    // A float WAV's PEAK chunk carries the time of writing: without it, the
    // same song renders to the same bytes every time.
    sf_command(file, SFC_SET_ADD_PEAK_CHUNK, nullptr, SF_FALSE);
    floats.assign(2 * kChunkFrames, 0.f);
    ints.assign(2 * kChunkFrames, 0);
    return true;
}

bool SoundFileWriter::write(const float* left, const float* right, size_t count, std::string* error) {
    if (!file) return false;
    const float scale = bits == 16 ? kFullScale16 : kFullScale24;
    for (size_t done = 0; done < count;) {
        size_t n = count - done < kChunkFrames ? count - done : kChunkFrames;
        for (size_t i = 0; i < 2 * n; i++) {
            float v = (i & 1 ? right : left)[done + i / 2];
            if (!std::isfinite(v)) v = 0.f;
            if (bits == 32) {
                floats[i] = v;
                continue;
            }
            if (v > 1.f || v < -1.f) {  // beyond full scale
                clipped++;
                v = v > 0 ? 1.f : -1.f;
            }
            int32_t value = (int32_t)std::nearbyint(v * scale);
            ints[i] = bits == 16 ? value * (1 << 16) : value * (1 << kShift24);
        }
        sf_count_t wrote = bits == 32 ? sf_writef_float(file, floats.data(), (sf_count_t)n)
                                      : sf_writef_int(file, ints.data(), (sf_count_t)n);
        if (wrote != (sf_count_t)n) return fail(error, "cannot write");
        done += n;
    }
    framesWritten += count;
    return true;
}

bool SoundFileWriter::commit(std::string* error) {
    if (!file) return false;
    int closed = sf_close(file);
    file = nullptr;
    if (closed != 0) return fail(error, "cannot write");
    if (!replaceFile(temporary, target)) return fail(error, "cannot replace");
    temporary.clear();
    return true;
}

void SoundFileWriter::abandon() {
    if (file) sf_close(file);
    file = nullptr;
    if (!temporary.empty()) std::remove(temporary.c_str());
    temporary.clear();
}
