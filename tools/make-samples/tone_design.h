// The sound of one recording: a struck tine over a magnetic pickup. The tine's
// fundamental swing decays fast at first (the tone bar takes its share), then
// holds (the instrument adds the held decay); its inharmonic bending modes die
// within tens of milliseconds. The pickup turns the swing into a voltage
// through its nonlinear flux, so a wide swing growls and a small one is
// nearly a sine.
//
// The stereo pair is one mono signal sampled at twice the frame rate: value
// index p (left, right, left, ...) sits at time p / 88200 s, so the right
// channel runs half a frame behind the left. Loops measured in values, of
// either parity, then close on the same waveform, and the channel swap of an
// odd loop is a half-frame shift instead of a jump.
#pragma once

#include <vector>

#include "engine/sample_set.h"
#include "tools/make-samples/tine_voicing.h"

constexpr double kValueRate = 88200.0;  // 16-bit values per second

struct BendingMode {
    double frequency;  // Hz
    double swing;      // pickup widths
    double decay;      // s
};

struct ToneDesign {
    int sample = 0;
    double nominalFrequency = 0;  // equal temperament, A4 = 440 Hz
    // The loop holds a whole number of cycles, so it sounds a little off the
    // nominal pitch; the note starts closer to it (within 2 cents) and glides
    // to the loop's pitch before the loop: the best trade between the two.
    double strikeFrequency = 0;
    double loopFrequency = 0;
    int loopCycles = 0;
    double glideStart = 0, glideEnd = 0;  // s
    double settleEnd = 0;                 // s: from here on the tone is steady
    double attack = 0;                    // s: the hammer's contact, a raised-cosine onset
    double bandLimit = 0;                 // Hz: no partial at or above it
    double swing = 0, settledSwing = 0, settleTime = 0, offset = 0;
    double polarity = 1;  // the pickups are wired in alternate senses, zone by zone (hum-cancelling)
    std::vector<BendingMode> modes;
};

// The design of recording k (0..21), from its zone, layer and loop points.
ToneDesign designTone(int k, const SampleInfo& info);

// The signal of a design at every value index 0 .. count-1 (at most the
// recording's length), unscaled.
std::vector<double> synthesise(const ToneDesign& design, const SampleInfo& info, int32_t count);
std::vector<double> synthesise(const ToneDesign& design, const SampleInfo& info);

// Cents between two frequencies.
double centsBetween(double frequency, double reference);
