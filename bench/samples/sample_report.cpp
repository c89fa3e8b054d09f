// qelt-sample-report: the measured figures of every recording as the
// instrument plays it (loops prepared), one line per recording.
#include <algorithm>
#include <cmath>
#include <cstdio>

#include "tests/samples/sound_measures.h"

using namespace measure;

int main() {
    int16_t* const* samples = preparedSamples();
    std::printf(" #  key layer  pitch(c)  centroid  loopdrift(dB)  wrapstep  xfade(dB)      chdiff(dB)  band(dB)  "
                "onset90(ms)  peak@root(dBFS)  peak range(dBFS)\n");
    for (int k = 0; k < kNumSamples; ++k) {
        const SampleInfo& info = kSampleInfo[k];
        const int16_t* s = samples[k];
        const double f = nominalFrequency(info.rootKey);
        const int32_t first = (info.loopStart - kLoopCrossfadeValues) / 2;
        const int32_t loop = info.loopEnd - info.loopStart;
        const int32_t frames = std::min(loop, loop / 2 + kLoopCrossfadeValues) / 2;
        const double pitch = refineFrequency(s, 0, first, frames, f);
        const double cents = 1200.0 * std::log2(pitch / f);
        const int zoneSoft = k & ~1;
        const double centroidRatio = spectralCentroid(samples[zoneSoft + 1], 2205, 2048) /
                                     spectralCentroid(samples[zoneSoft], 2205, 2048);
        const int32_t w = wholeCycles(f, 8820);
        const double drift = dB(rms(s, info.loopEnd - w, w) / rms(s, info.loopStart, w));
        const double step = std::max(wrapStepRatio(s, info, 0), wrapStepRatio(s, info, 1));
        double low, high;
        crossfadeRmsRange(s, info, f, &low, &high);
        const double diff = std::max(channelDifference(s, info, 0), channelDifference(s, info, 1));
        const double shift = info.highKey - info.rootKey;
        const double band = energyAbove(s, info.length, 20000.0 / std::pow(2.0, shift / 12.0));
        const double rootPeak = dB(renderNote(samples, info.rootKey, (k & 1) ? 127 : 70, 8820).peak());
        double lo = 1e9, hi = -1e9;
        for (int key = std::max(21, info.lowKey); key <= info.highKey; ++key) {
            const double p = dB(renderNote(samples, key, (k & 1) ? 127 : 70, 8820).peak());
            lo = std::min(lo, p), hi = std::max(hi, p);
        }
        std::printf("%2d  %3d  %-5s  %+7.3f  %8.2f  %+12.3f  %8.3f  %+5.2f..%+5.2f  %10.1f  %8.1f  %11.2f  "
                    "%15.2f  %6.2f..%6.2f\n",
                    k, info.rootKey, (k & 1) ? "loud" : "soft", cents, centroidRatio, drift, step, low, high,
                    diff, band, onsetTime(s, 0.9), rootPeak, lo, hi);
    }
    std::printf("(soft layers rendered at velocity 70, loud at 127)\n\n");
    // Loudness (RMS of the first 500 ms as played) across the layer switch
    // and across the zone boundaries.
    std::printf("zone  root  vel72-vel71(dB)   boundary keys  vel50(dB)  vel100(dB)\n");
    for (int z = 0; z < 11; ++z) {
        const SampleInfo& info = kSampleInfo[2 * z];
        const double layer = dB(renderNote(samples, info.rootKey, 72, 22050).rms() /
                                renderNote(samples, info.rootKey, 71, 22050).rms());
        std::printf("%4d  %4d  %+15.2f", z, info.rootKey, layer);
        if (z < 10) {
            const int key = info.highKey;
            const double soft = dB(renderNote(samples, key + 1, 50, 22050).rms() / renderNote(samples, key, 50, 22050).rms());
            const double loud = dB(renderNote(samples, key + 1, 100, 22050).rms() / renderNote(samples, key, 100, 22050).rms());
            std::printf("   %5d/%-5d  %+9.2f  %+10.2f", key, key + 1, soft, loud);
        }
        std::printf("\n");
    }
    return 0;
}
