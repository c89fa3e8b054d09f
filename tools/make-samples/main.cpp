// qelt-make-samples: synthesises the instrument's 22 recordings.
//   --blob FILE    the raw set as embedded (22 arrays, int16 little-endian)
//   --wav DIR      one WAV per recording, loops prepared as the instrument plays them
//   --summary      the design of each recording on standard output
// The output is the same, byte for byte, on every run.
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "tools/make-samples/recording_set.h"
#include "tools/make-samples/wav_file.h"

namespace {

bool writeBlob(const std::string& path, const std::vector<int16_t>& blob) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    std::vector<unsigned char> bytes(blob.size() * 2);
    for (size_t i = 0; i < blob.size(); ++i) {
        bytes[2 * i] = uint8_t(uint16_t(blob[i]));
        bytes[2 * i + 1] = uint8_t(uint16_t(blob[i]) >> 8);
    }
    const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return std::fclose(f) == 0 && ok;
}

}  // namespace

int main(int argc, char** argv) {
    std::string blobPath, wavDir;
    bool summary = false;
    for (int i = 1; i < argc; ++i) {
        if (!std::strcmp(argv[i], "--blob") && i + 1 < argc) blobPath = argv[++i];
        else if (!std::strcmp(argv[i], "--wav") && i + 1 < argc) wavDir = argv[++i];
        else if (!std::strcmp(argv[i], "--summary")) summary = true;
        else {
            std::fprintf(stderr, "usage: %s [--blob FILE] [--wav DIR] [--summary]\n", argv[0]);
            return 2;
        }
    }
    const RecordingSet set = makeRecordingSet();
    int mismatches = 0;
    for (int k = 0; k < kNumSamples; ++k) mismatches += set.tailMismatch[k];
    if (mismatches) {
        std::fprintf(stderr, "qelt-make-samples: %d prepared loop-tail values miss the design\n", mismatches);
        return 1;
    }
    if (summary) {
        std::printf(" #  root  f0(Hz)     cents   loop cycles  glide(cyc)  settle(s)  scale\n");
        for (int k = 0; k < kNumSamples; ++k) {
            const ToneDesign& d = set.design[k];
            std::printf("%2d  %3d  %9.4f  %+6.3f  %11.3f  %+9.3f  %8.3f  %7.1f\n", k, kSampleInfo[k].rootKey,
                        d.fundamental, 1200.0 * std::log2(d.fundamental / d.nominalFrequency), d.loopCycles,
                        d.glide / 6.283185307179586, d.settleEnd, set.scale[k]);
        }
    }
    if (!blobPath.empty() && !writeBlob(blobPath, set.blob)) {
        std::fprintf(stderr, "qelt-make-samples: cannot write %s\n", blobPath.c_str());
        return 1;
    }
    if (!wavDir.empty()) {
        std::vector<int16_t> prepared = set.blob;
        int16_t* arrays[kNumSamples];
        for (int k = 0; k < kNumSamples; ++k) arrays[k] = prepared.data() + set.offset[k];
        prepareLoops(arrays);
        for (int k = 0; k < kNumSamples; ++k) {
            char name[64];
            std::snprintf(name, sizeof name, "/sample%02d-key%d-%s.wav", k, kSampleInfo[k].rootKey,
                          (k & 1) ? "loud" : "soft");
            if (!writeWav(wavDir + name, arrays[k], kSampleInfo[k].length)) {
                std::fprintf(stderr, "qelt-make-samples: cannot write %s%s\n", wavDir.c_str(), name);
                return 1;
            }
        }
    }
    return 0;
}
