// The whole set: 22 designed, levelled, dithered and quantised recordings,
// with the loop tails the instrument's crossfade turns into the designed sound.
#pragma once

#include <cstdint>
#include <vector>

#include "engine/sample_set.h"
#include "tools/make-samples/tone_design.h"

struct RecordingSet {
    std::vector<int16_t> blob;         // the 22 arrays back to back, as stored
    int32_t offset[kNumSamples] = {};  // first value of each array in the blob
    ToneDesign design[kNumSamples];
    double scale[kNumSamples] = {};      // int16 units per unit of the design
    int tailMismatch[kNumSamples] = {};  // prepared tail values off the design by > 1.5
};

RecordingSet makeRecordingSet();

// Where a loud note at velocity 127 peaks at its zone's root (dBFS, default
// parameters), on the keyboard's average: low enough that ten-note chords
// under the pedal stay clear of full scale. Each zone sits this share of the
// way from equal loudness (0) to exactly that peak (1): the treble, whose
// strike dies fast and so peaks high for its loudness, ends up a little above
// it, the sustained bass a little below.
constexpr double kRootPeak = -15.3;
constexpr double kPeakShare = 0.6;

// What the engine's gain chain does to a note at `velocity` with the default
// parameters, apart from the recording: 0.039 * velocity, -0.01 neper per key
// above 60, and the louder channel's placement gain.
double noteGain(int key, int velocity = 127);
