// The multisample: 22 stereo 16-bit recordings at 44100 frames per second,
// 11 key zones of two velocity layers, and what a note start needs of them.
// Positions, loop points and lengths count 16-bit values (two per frame).
#pragma once

#include <cstdint>

#include "engine/audio_thread.h"

constexpr int kNumSamples = 22;
constexpr int kNumPreparedSamples = 20;  // samples 20 and 21 play as stored
constexpr int kLoopCrossfadeValues = 28000;

struct SampleInfo {
    int32_t rootKey;
    int32_t lowKey;
    int32_t highKey;
    int32_t layerVelocity;
    int32_t lowVelocity;
    int32_t highVelocity;
    int32_t loopStart;
    int32_t loopEnd;
    int32_t length;
};
static_assert(sizeof(SampleInfo) == 36, "nine int32 per record");

// The info table of the 22 recordings, record 2z soft and 2z+1 loud of zone z.
extern const SampleInfo kSampleInfo[kNumSamples];

struct SampleZone {
    int32_t index;
    int32_t rootKey;
    int32_t highKey;
    int32_t startPosition;
    int32_t loopEnd;
    int32_t loopLength;
};

// Fills the run-time zone table from the info records, in record order.
void buildSampleZones(SampleZone zones[kNumSamples], const SampleInfo info[kNumSamples] = kSampleInfo);

// Crossfades the loop tails of samples 0..19 in place (the exact blend of the
// instrument). Works on any arrays laid out as the info records say.
void prepareLoops(int16_t* const samples[kNumSamples], const SampleInfo info[kNumSamples] = kSampleInfo);

// The library's own recordings, with their loops prepared exactly once per
// process (thread-safe); every instance reads these same arrays.
int16_t* const* preparedSamples();

// The sample entry a note start plays: zone by key, layer by velocity.
QELT_AUDIO_THREAD int32_t chooseSample(const SampleZone zones[kNumSamples], int32_t key, int32_t velocity);

// The 16.16 step of a note: 2^((key - rootKey)/12) * 44100 * reciprocalRate.
QELT_AUDIO_THREAD int32_t noteStep(int32_t key, int32_t rootKey, float reciprocalSampleRate);
