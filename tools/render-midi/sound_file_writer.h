// Writes a stereo WAV or FLAC file with libsndfile, block by block, into a
// temporary file beside the target, which only becomes the target once the
// whole file is written. The same interface as WavWriter.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tools/render-midi/wav_writer.h"

typedef struct sf_private_tag SNDFILE;

class SoundFileWriter {
public:
    SoundFileWriter() {}
    ~SoundFileWriter();  // an unfinished file is removed; the target is left as it was
    SoundFileWriter(const SoundFileWriter&) = delete;
    SoundFileWriter& operator=(const SoundFileWriter&) = delete;

    // A name ending in .flac (any case) makes a FLAC file: 16-bit for Pcm16,
    // 24-bit for Float32 (FLAC holds no floats). Anything else is a WAV file.
    bool open(const std::string& path, SampleFormat format, uint32_t sampleRate, std::string* error);
    // Non-finite samples are written as 0; integer samples are clipped to full scale.
    bool write(const float* left, const float* right, size_t frames, std::string* error);
    // Completes the file and puts it in place of the target.
    bool commit(std::string* error);
    void abandon();

    uint64_t frames() const { return framesWritten; }
    uint64_t clippedSamples() const { return clipped; }
    // "32-bit float", "16-bit PCM", "24-bit FLAC" or "16-bit FLAC", for the summary.
    const char* sampleDescription() const;

private:
    bool fail(std::string* error, const std::string& what);
    SNDFILE* file = nullptr;
    std::string target, temporary;
    int bits = 32;  // 32 float, or 16 or 24 integer
    bool flac = false;
    uint64_t framesWritten = 0;
    uint64_t clipped = 0;
    std::vector<float> floats;
    std::vector<int32_t> ints;
};

// True when the name ends in ".flac", in any case.
bool isFlacName(const std::string& path);
