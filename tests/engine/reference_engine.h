// A slow model of the instrument's sound, written straight from its rules:
// one frame at a time, every voice in index order, then the output chain.
// The real engine must match it to the bit.
#pragma once

#include <cstdint>
#include <vector>

#include "engine/sample_set.h"
#include "engine/voice.h"
#include "tests/engine/engine_test_util.h"

// One frame of one voice by the rules: step, wrap, read (linear
// interpolation, 16-bit fraction), decay. x and y get the frame's left and
// right values before the gains.
void referenceVoiceFrame(const int16_t* s, int32_t step, int32_t end, int32_t loop, float decay, int32_t& fraction,
                         int32_t& position, float& level, float& x, float& y);

// The voices' mix by the rules, frame by frame: each frame's sums start at 0
// and add the voices in index order. Same contract as mixVoices.
void referenceMixFrames(Voice* voices, const int16_t* const* data, int32_t count, int32_t frames, float* left,
                        float* right);

struct ReferenceEngine {
    struct V {
        int32_t sample, step, fraction, position, end, loop;
        float level, decay, gl, gr;
        int32_t note, key;
    };
    explicit ReferenceEngine(const int16_t* const* data, const SampleInfo* info);

    void setParameter(int32_t index, float value);  // 0..4 and keys, applied at once
    void setSampleRate(float rate);                 // resume with a new rate
    void processEvents(const MidiList& events);
    void process(float* left, float* right, int32_t frames);

    float param[5] = {0.5f, 0.5f, 0.5f, 0.65f, 1.f};
    float rate = 44100.f, inverse = 1.f / 44100.f;
    std::vector<int32_t> queue;  // triples
    SampleZone zones[kNumSamples];
    const int16_t* const* data;
    V voice[32] = {};
    int32_t active = 0;
    int32_t pedal = 0;
    float volume = 1.f, channel = 0.2f;
    float sine = 0.f, cosine = 1.f, increment = 0.f, depthL = 0.f, depthR = 0.f, amount = 0.f, coefficient = 0.f,
          lowL = 0.f, lowR = 0.f;

private:
    void silence();
    void recalc();
    void enqueue(int32_t frame, int32_t key, int32_t velocity);
    void note(int32_t key, int32_t velocity);
};
