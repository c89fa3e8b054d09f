#include "engine/output_stage.h"

#include <cfloat>
#include <cmath>

namespace {
bool finite(float x) { return std::fabs(x) <= 3.40282347e+38f; }  // false for inf and NaN

// A result that is not finite (an out-of-range rate or level) or below the
// normal range (a filter state dying away within a long block) reaches the
// host as 0: hosts may meter, mix or feed back what they get, and subnormals
// are slow on every path they take.
float forHost(float x) { return finite(x) && std::fabs(x) >= FLT_MIN ? x : 0.f; }
}  // namespace

void OutputStage::reset() {
    lfoIncrement = 0.f;
    lfoSine = 0.f;
    lfoCosine = 1.f;
    lowpassLeft = 0.f;
    lowpassRight = 0.f;
}

void OutputStage::setTreble(float treble, float reciprocalSampleRate) {
    trebleAmount = 4.f * treble * treble - 1.f;
    float corner = treble > 0.5f ? 14000.f : 5000.f;
    trebleCoefficient = 1.f - (float)std::exp((double)(-(corner * reciprocalSampleRate)));
}

void OutputStage::setLfoDepth(float depth) {
    lfoDepthLeft = lfoDepthRight = 2.f * depth - 1.f;
    if (depth < 0.5f) lfoDepthRight = 1.f - 2.f * depth;
}

void OutputStage::setLfoRate(float rate, float reciprocalSampleRate) {
    float exponent = 6.22f * rate - 2.61f;
    lfoIncrement = (float)std::exp((double)exponent) * reciprocalSampleRate * 6.283f;
}

void OutputStage::setWheelDepth(float wheel, float programDepth) {
    lfoDepthLeft = lfoDepthRight = wheel;
    if (programDepth < 0.5f) lfoDepthRight = -wheel;
}

void OutputStage::resetPhase() {
    lfoSine = -0.7071f;
    lfoCosine = 0.7071f;
}

void OutputStage::flush() {
    if (std::fabs(lowpassLeft) < 1e-10f) lowpassLeft = 0.f;
    if (std::fabs(lowpassRight) < 1e-10f) lowpassRight = 0.f;
    if (!finite(lowpassLeft)) lowpassLeft = 0.f;
    if (!finite(lowpassRight)) lowpassRight = 0.f;
    if (!finite(lfoSine) || !finite(lfoCosine)) {
        lfoSine = 0.f;
        lfoCosine = 1.f;
    }
}

// The state is copied into locals so that stores to the host's buffers cannot
// alias it; per frame the arithmetic is exactly process().
void OutputStage::processBlock(const float* mixLeft, const float* mixRight, int32_t frames, float volume,
                               float* left, float* right) {
    OutputStage s = *this;
    for (int32_t f = 0; f < frames; f++) {
        float l, r;
        s.process(mixLeft[f], mixRight[f], volume, l, r);
        if (left) left[f] = forHost(l);
        if (right) right[f] = forHost(r);
    }
    *this = s;
}
