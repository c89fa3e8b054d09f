// The sound of one recording: a struck tine over a magnetic pickup, written as
// a sum of partials. The stereo pair is one mono signal sampled at twice the
// frame rate: value index p (left, right, left, ...) sits at time p / 88200 s,
// so the right channel runs half a frame behind the left. Loops measured in
// values, of either parity, then close on the same waveform, and the channel
// swap of an odd loop is a half-frame shift instead of a jump.
#pragma once

#include <vector>

#include "engine/sample_set.h"

constexpr double kValueRate = 88200.0;  // 16-bit values per second

struct Partial {
    double frequency;  // Hz
    double amplitude;  // relative to the steady fundamental
    double phase;      // radians at t = 0, of a cosine
    double decay;      // time constant in s; 0 = steady
    bool harmonic;     // follows the loop glide (k times the fundamental's)
    int number;        // harmonic number when harmonic
};

struct ToneDesign {
    int sample = 0;
    double nominalFrequency = 0;  // equal temperament, A4 = 440 Hz
    double fundamental = 0;       // as synthesised (within half a cent, see below)
    double loopCycles = 0;        // fundamental cycles over the loop
    double glide = 0;             // phase (rad) taken out over the loop's last part (at
                                  // least the crossfade, at most half the loop, or all of a short one)
    double glideStart = 0;        // value index where the glide begins
    double settleEnd = 0;         // s: from here on only steady partials sound
    double attack = 0;            // s: raised-cosine onset
    double bandLimit = 0;         // Hz: no partial at or above it
    std::vector<Partial> partials;
};

// The design of recording k (0..21), from its zone, layer and loop points.
ToneDesign designTone(int k, const SampleInfo& info);

// The signal of a design at every value index 0 .. info.length-1, unscaled.
// Inside the glide the steady partials are time-warped by `glide` so that one
// pass over the loop holds a whole number of cycles.
std::vector<double> synthesise(const ToneDesign& design, const SampleInfo& info);
