// The whole set: 22 designed, levelled and quantised recordings, with the
// loop tails the instrument's crossfade turns into the designed sound.
#pragma once

#include <cstdint>
#include <vector>

#include "engine/sample_set.h"
#include "tools/make-samples/tone_design.h"

struct RecordingSet {
    std::vector<int16_t> blob;        // the 22 arrays back to back, as stored
    int32_t offset[kNumSamples] = {};  // first value of each array in the blob
    ToneDesign design[kNumSamples];
    double scale[kNumSamples] = {};    // int16 units per unit of the design
    int tailMismatch[kNumSamples] = {};  // prepared tail values off the design by > 1
};

RecordingSet makeRecordingSet();

// What the engine's gain chain does to a note at velocity 127 with the
// default parameters, apart from the recording: 0.039 * velocity, -0.01 neper
// per key above 60, and the louder channel's placement gain.
double noteGain(int key, int velocity = 127);
