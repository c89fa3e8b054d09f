#include "tools/make-samples/recording_set.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>
#include <string>

#include "tools/make-samples/noise.h"

namespace {

// Loudness as heard: RMS over the first half second, weighted by the engine's
// own held decay at the root key (time constant e^(2 - 0.03 k) s).
double heardLoudness(const std::vector<double>& y, int rootKey) {
    const double tau = std::exp(2.0 - 0.03 * std::max(rootKey, 44));
    const size_t n = std::min(y.size(), size_t(0.5 * kValueRate));
    double sum = 0, weights = 0;
    for (size_t p = 0; p < n; ++p) {
        const double w = std::exp(-2.0 * (p / kValueRate) / tau);
        sum += w * y[p] * y[p];
        weights += w;
    }
    return std::sqrt(sum / weights);
}

double peakOf(const std::vector<double>& y) {
    double peak = 0;
    for (double v : y) peak = std::max(peak, std::fabs(v));
    return peak;
}

int16_t toValue(double v) {
    const double r = std::round(v);
    if (r > 32767 || r < -32768) throw std::runtime_error("recording exceeds 16 bits");
    return int16_t(r);
}

// Triangular dither of one step peak to peak either way, from a fixed seed,
// so every run writes the same bytes.
class Dither {
public:
    explicit Dither(uint64_t seed) : noise(seed * 0x9E3779B97F4A7C15ull + 1) {}
    double next() { return noise.uniform() + noise.uniform() - 1.0; }

private:
    Noise noise;
};

// The values to store before the loop end so that the instrument's crossfade
// (x * source + (1 - x) * stored, x rising from 0 in single-precision steps,
// truncated) yields the designed tail. The pass is followed value by value,
// reading sources as the pass leaves them (a short loop's source overlaps the
// tail). Where x is near 1 the designed tail equals the source up to a tiny
// remainder, so the stored values stay bounded.
void storeLoopTail(const std::vector<double>& designed, const SampleInfo& info, int16_t* stored) {
    const int32_t source = info.loopStart - kLoopCrossfadeValues;
    const int32_t target = info.loopEnd - kLoopCrossfadeValues;
    std::vector<int16_t> played(stored, stored + info.length);
    float x = 0.f;
    for (int32_t i = 0; i < kLoopCrossfadeValues; ++i) {
        const double a = played[size_t(source + i)];
        const double w = double(x);
        const double wanted = designed[size_t(target + i)];
        const int16_t value = toValue((wanted - w * a) / (1.0 - w));
        stored[target + i] = value;
        played[size_t(target + i)] = int16_t(int32_t(w * a + (1.0 - w) * value));
        x = std::min(1.f, x + 3.5714285e-05f);
    }
}

}  // namespace

double noteGain(int key, int velocity) {
    double level = 0.039 * velocity;
    if (key > 60) level *= std::exp((60 - key) * 0.01);
    const int k = std::max(21, std::min(108, key));
    const double placement = 1.0 + 0.015 * std::abs(k - 60);
    return level * 0.2 * placement / 32768.0;
}

RecordingSet makeRecordingSet() {
    RecordingSet set;
    std::vector<double> signal[kNumSamples];
    for (int k = 0; k < kNumSamples; ++k) {
        set.design[k] = designTone(k, kSampleInfo[k]);
        signal[k] = synthesise(set.design[k], kSampleInfo[k]);
    }
    // Equally loud zones would peak where their crests (peak over heard
    // loudness) put them: the treble, whose strike dies fast, far higher than
    // the sustained bass. Each zone is moved part of the way from there towards
    // kRootPeak, so that neighbours' loudness stays close while every peak
    // stays near kRootPeak. The soft layer is as loud as the loud one (the
    // layer switch changes the timbre, not the level).
    double loudness[kNumSamples], crest[kNumSamples], meanCrest = 0;
    for (int k = 0; k < kNumSamples; ++k) {
        loudness[k] = heardLoudness(signal[k], kSampleInfo[k].rootKey);
        crest[k] = 20.0 * std::log10(peakOf(signal[k]) / loudness[k]);
        if (k & 1) meanCrest += crest[k] / (kNumSamples / 2);
    }
    for (int k = 1; k < kNumSamples; k += 2) {
        const int root = kSampleInfo[k].rootKey;
        const double peak = kRootPeak + (1.0 - kPeakShare) * (crest[k] - meanCrest);
        set.scale[k] = std::pow(10.0, (peak - crest[k]) / 20.0) / (noteGain(root) * loudness[k]);
        set.scale[k - 1] = set.scale[k] * loudness[k] / loudness[k - 1];
    }

    int32_t total = 0;
    for (int k = 0; k < kNumSamples; ++k) {
        set.offset[k] = total;
        total += kSampleInfo[k].length;
    }
    set.blob.resize(size_t(total));
    for (int k = 0; k < kNumSamples; ++k) {
        const SampleInfo& info = kSampleInfo[k];
        std::vector<double>& y = signal[k];
        Dither dither(uint64_t(k) + 1);
        for (double& v : y) v = v * set.scale[k] + dither.next();
        int16_t* out = set.blob.data() + set.offset[k];
        for (int32_t p = 0; p < info.length; ++p) out[p] = toValue(y[size_t(p)]);
        if (k < kNumPreparedSamples) storeLoopTail(y, info, out);
    }

    // Check the tails against what the instrument's own preparation makes.
    std::vector<int16_t> prepared = set.blob;
    int16_t* arrays[kNumSamples];
    for (int k = 0; k < kNumSamples; ++k) arrays[k] = prepared.data() + set.offset[k];
    prepareLoops(arrays);
    for (int k = 0; k < kNumPreparedSamples; ++k) {
        const SampleInfo& info = kSampleInfo[k];
        for (int32_t p = info.loopEnd - kLoopCrossfadeValues; p < info.loopEnd; ++p)
            if (std::fabs(arrays[k][p] - signal[k][size_t(p)]) > 1.5) ++set.tailMismatch[k];
    }
    return set;
}
