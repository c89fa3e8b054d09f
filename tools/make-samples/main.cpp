// qelt-make-samples: synthesises the instrument's 22 recordings.
//   --blob FILE    the raw set as embedded (22 arrays, int16 little-endian)
//   --wav DIR      one WAV per recording, loops prepared as the instrument plays them
//   --summary      the design of each recording on standard output
//   --voicing      the timbre of each recording's start as designed (before
//                  levelling and quantisation), for voicing the table quickly
// The output is the same, byte for byte, on every run.
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "tests/samples/timbre_analysis.h"
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

// Attack and body brightness of each design's first 1.1 s, straight from the
// model: what the instrument plays at the root key, but for its held decay.
void printVoicing() {
    std::printf("zone root  layer  swing  attack(dB)  body(dB)  h2..h8 attack (dB)\n");
    for (int k = 0; k < kNumSamples; ++k) {
        const SampleInfo& info = kSampleInfo[k];
        const ToneDesign d = designTone(k, info);
        const std::vector<double> y = synthesise(d, info, int32_t(1.1 * kValueRate));
        std::vector<float> left(y.size() / 2), right(y.size() / 2);
        for (size_t i = 0; i < left.size(); ++i) left[i] = float(y[2 * i]), right[i] = float(y[2 * i + 1]);
        const timbre::NoteTimbre t = timbre::measureNote(left, right, d.nominalFrequency);
        std::printf("%4d  %3d  %-5s  %5.3f  %+9.1f  %+8.1f ", k / 2, info.rootKey, (k & 1) ? "loud" : "soft", d.swing,
                    t.attack.brightness, t.body.brightness);
        for (int n = 2; n <= timbre::kHarmonics; ++n) std::printf(" %+4.0f", t.attack.harmonic[n]);
        std::printf("\n");
    }
}

}  // namespace

int main(int argc, char** argv) {
    std::string blobPath, wavDir;
    bool summary = false, voicing = false;
    for (int i = 1; i < argc; ++i) {
        if (!std::strcmp(argv[i], "--blob") && i + 1 < argc)
            blobPath = argv[++i];
        else if (!std::strcmp(argv[i], "--wav") && i + 1 < argc)
            wavDir = argv[++i];
        else if (!std::strcmp(argv[i], "--summary"))
            summary = true;
        else if (!std::strcmp(argv[i], "--voicing"))
            voicing = true;
        else {
            std::fprintf(stderr, "usage: %s [--blob FILE] [--wav DIR] [--summary] [--voicing]\n", argv[0]);
            return 2;
        }
    }
    if (voicing) {
        printVoicing();
        if (blobPath.empty() && wavDir.empty() && !summary) return 0;
    }
    const RecordingSet set = makeRecordingSet();
    int mismatches = 0;
    for (int k = 0; k < kNumSamples; ++k) mismatches += set.tailMismatch[k];
    if (mismatches) {
        std::fprintf(stderr, "qelt-make-samples: %d prepared loop-tail values miss the design\n", mismatches);
        return 1;
    }
    if (summary) {
        std::printf(
            " #  root  strike(Hz)  cents   loop(Hz)    cents   cycles  glide(s)     swing  settled  offset  "
            "scale\n");
        for (int k = 0; k < kNumSamples; ++k) {
            const ToneDesign& d = set.design[k];
            std::printf("%2d  %3d  %10.4f  %+6.3f  %10.4f  %+6.3f  %6d  %.3f-%.3f  %6.3f  %6.3f  %6.3f  %7.1f\n", k,
                        kSampleInfo[k].rootKey, d.strikeFrequency, centsBetween(d.strikeFrequency, d.nominalFrequency),
                        d.loopFrequency, centsBetween(d.loopFrequency, d.nominalFrequency), d.loopCycles, d.glideStart,
                        d.glideEnd, d.swing, d.settledSwing, d.offset, set.scale[k]);
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
