// The chain every mixed frame passes: treble shelf (one-pole low-pass mixed
// back), tremolo/auto-pan oscillator (coupled sine/cosine form), volume.
#pragma once

#include <cstdint>

#include "engine/audio_thread.h"

struct OutputStage {
    float lfoSine = 0.f;
    float lfoCosine = 1.f;  // the modulation signal after each update
    float lfoIncrement = 0.f;
    float lfoDepthLeft = 0.f;
    float lfoDepthRight = 0.f;
    float trebleAmount = 0.f;
    float trebleCoefficient = 0.f;
    float lowpassLeft = 0.f;
    float lowpassRight = 0.f;

    // Construction values: oscillator at sine 0 / cosine 1, filters empty.
    void reset();
    QELT_AUDIO_THREAD void setTreble(float treble, float reciprocalSampleRate);
    QELT_AUDIO_THREAD void setLfoDepth(float depth);
    QELT_AUDIO_THREAD void setLfoRate(float rate, float reciprocalSampleRate);
    // The modulation wheel (w already scaled to 0..1); the program's depth
    // still decides tremolo or auto-pan.
    QELT_AUDIO_THREAD void setWheelDepth(float wheel, float programDepth);
    // So a tremolo restarts from the same phase after silence.
    QELT_AUDIO_THREAD void resetPhase();
    // Block end: tiny filter states become exactly 0, and a state that went
    // non-finite (an out-of-range rate or level) restarts from its initial value.
    QELT_AUDIO_THREAD void flush();

    // One frame; every step rounds to single precision.
    QELT_AUDIO_THREAD void process(float a, float b, float volume, float& left, float& right) {
        lowpassLeft = lowpassLeft + (a - lowpassLeft) * trebleCoefficient;
        lowpassRight = lowpassRight + (b - lowpassRight) * trebleCoefficient;
        float yl = a + (a - lowpassLeft) * trebleAmount;
        float yr = b + (b - lowpassRight) * trebleAmount;
        lfoSine = lfoSine + lfoIncrement * lfoCosine;
        lfoCosine = lfoCosine - lfoSine * lfoIncrement;
        float m = lfoCosine;
        float l = yl + m * (lfoDepthLeft * yl);
        float r = yr + m * (lfoDepthRight * yr);
        left = l * volume;
        right = r * volume;
    }

    // Frames of a mix into the host's buffers (either may be null); a result
    // that is not finite or is subnormal is written as 0, so no host ever
    // receives inf, NaN or a subnormal.
    QELT_AUDIO_THREAD void processBlock(const float* mixLeft, const float* mixRight, int32_t frames, float volume,
                                        float* left, float* right);
};
