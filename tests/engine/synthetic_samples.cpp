#include "tests/engine/synthetic_samples.h"

#include <cmath>

namespace synth {
namespace {

const int32_t kRootKeys[11] = {36, 42, 48, 54, 60, 66, 72, 78, 84, 90, 96};
const int32_t kHighKeys[11] = {38, 44, 50, 56, 62, 68, 74, 80, 86, 92, 108};

int16_t data[kNumSamples][kLength];
SampleInfo table[kNumSamples];
const int16_t* pointers[kNumSamples];
bool ready = false;

void build() {
    for (int k = 0; k < kNumSamples; k++) {
        int z = k / 2;
        table[k] = SampleInfo{kRootKeys[z], z ? kHighKeys[z - 1] + 1 : 21, kHighKeys[z], k % 2 ? 90 : 60,
                              k % 2 ? 71 : 1, k % 2 ? 127 : 70, loopStart(k), loopEnd(k), kLength};
        pointers[k] = data[k];
    }
    restore();
    ready = true;
}

}  // namespace

int32_t loopStart(int k) { return 2000 + 2 * k; }
int32_t loopEnd(int k) { return 5000 + 2 * k + (k % 2); }

int16_t value(int k, int i) {
    int frame = i / 2;
    if (i % 40 == 38) return (int16_t)(i % 80 == 38 ? 32767 : -32768);  // full-scale jumps
    double t = frame * (0.01 + 0.002 * k);
    double v = i % 2 ? 14000 * std::sin(t) + 3000 * std::cos(3.1 * t) : 16000 * std::cos(1.7 * t) - 2500;
    return (int16_t)v;
}

int16_t* array(int k) {
    if (!ready) build();
    return data[k];
}

void restore() {
    for (int k = 0; k < kNumSamples; k++)
        for (int i = 0; i < kLength; i++) data[k][i] = value(k, i);
}

EngineSamples samples() {
    if (!ready) build();
    return EngineSamples{pointers, table};
}

const SampleInfo* info() {
    if (!ready) build();
    return table;
}

std::unique_ptr<EpianoEngine> makeEngine() { return std::unique_ptr<EpianoEngine>(new EpianoEngine(samples())); }

}  // namespace synth
