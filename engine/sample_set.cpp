// Zone table, zone and layer choice, and the pitch step of a note start.
#include <cmath>

#include "engine/sample_set.h"

void buildSampleZones(SampleZone zones[kNumSamples], const SampleInfo info[kNumSamples]) {
    for (int k = 0; k < kNumSamples; ++k) {
        zones[k].index = k;
        zones[k].rootKey = info[k].rootKey;
        zones[k].highKey = info[k].highKey;
        zones[k].startPosition = 0;
        zones[k].loopEnd = info[k].loopEnd;
        zones[k].loopLength = info[k].loopEnd - info[k].loopStart;
    }
}

int32_t chooseSample(const SampleZone zones[kNumSamples], int32_t key, int32_t velocity) {
    // The first soft entry whose zone reaches the key. Keys above the top
    // zone (109 and up, or any larger number a host sends) play the top zone,
    // so every key has an entry and no lookup runs past the table.
    int32_t entry = kNumSamples - 2;
    for (int32_t k = 0; k < kNumSamples; k += 2) {
        if (zones[k].highKey >= key) {
            entry = k;
            break;
        }
    }
    if (velocity > 71) entry += 1;
    return entry;
}

int32_t noteStep(int32_t key, int32_t rootKey, float reciprocalSampleRate) {
    // The difference in double first: any two int32 keys subtract safely.
    const float d = float(double(key) - double(rootKey));
    const float ratio = float(std::exp(double(d) * 0.05776226505));
    const float speed = ratio * (44100.f * reciprocalSampleRate);
    const float step = speed * 65536.f;
    // A host can send any key and rate: keep the conversion defined, and never
    // step backwards (a negative rate), which would walk a voice off the
    // front of its recording.
    if (!(step > 0.f)) return 0;
    if (step >= 2147483520.f) return 2147483520;
    return int32_t(step);
}
