// Writes a stereo WAV file block by block into a temporary file beside the
// target, which only becomes the target once the whole file is written.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

enum class SampleFormat { Float32, Pcm16 };

class WavWriter {
public:
    WavWriter() {}
    ~WavWriter();  // an unfinished file is removed; the target is left as it was
    WavWriter(const WavWriter&) = delete;
    WavWriter& operator=(const WavWriter&) = delete;

    bool open(const std::string& path, SampleFormat format, uint32_t sampleRate, std::string* error);
    // Non-finite samples are written as 0; 16-bit samples are clipped to full scale.
    bool write(const float* left, const float* right, size_t frames, std::string* error);
    // Completes the header and puts the file in place of the target.
    bool commit(std::string* error);
    void abandon();

    uint64_t frames() const { return framesWritten; }
    uint64_t clippedSamples() const { return clipped; }
    const char* sampleDescription() const { return format == SampleFormat::Float32 ? "32-bit float" : "16-bit PCM"; }

private:
    bool fail(std::string* error, const std::string& what);
    std::FILE* file = nullptr;
    std::string target, temporary;
    SampleFormat format = SampleFormat::Float32;
    uint32_t rate = 44100;
    uint64_t framesWritten = 0;
    uint64_t clipped = 0;
    unsigned char buffer[4096];
    size_t buffered = 0;
};

// Puts `from` in place of `to`, replacing a file that is already there.
bool replaceFile(const std::string& from, const std::string& to);
