// Measurements of the recordings as the instrument plays them: pitch, spectrum,
// loop behaviour, stereo image, onset, and a note rendered through the
// instrument's voice arithmetic and gain chain (default parameters).
#pragma once

#include <cstdint>
#include <vector>

#include "engine/sample_set.h"

namespace measure {

constexpr double kFrameRate = 44100.0;

double nominalFrequency(int key);
double dB(double ratio);

// Frequency (Hz) of the strongest component near `guess` in frames
// [first, first + count) of one channel (channel 0 left, 1 right).
double refineFrequency(const int16_t* s, int channel, int32_t firstFrame, int32_t frames, double guess);
// Magnitude of the component at `frequency` (Hann window) in those frames.
double componentLevel(const int16_t* s, int channel, int32_t firstFrame, int32_t frames, double frequency);
// Amplitude-weighted spectral centroid (Hz) of `frames` frames centred at `atFrame`.
double spectralCentroid(const int16_t* s, int32_t atFrame, int32_t frames);
// Fraction (dB) of the energy at or above `limit` Hz, both channels, whole array.
double energyAbove(const int16_t* s, int32_t values, double limit);

// RMS of values [first, first + count) of the interleaved data.
double rms(const int16_t* s, int32_t first, int32_t count);
// Values per whole number of fundamental cycles closest to `approx` values.
int32_t wholeCycles(double frequency, int32_t approx);

// Largest sample-to-sample step of one output channel within 2 ms after the
// wrap over the largest in the 20 ms before it, playing at the root pitch
// with the read position on even (first pass) or odd (after an odd wrap) values.
double wrapStepRatio(const int16_t* s, const SampleInfo& info, int parity);
// Lowest and highest RMS (dB) through the crossfade relative to the RMS before it.
void crossfadeRmsRange(const int16_t* s, const SampleInfo& info, double frequency, double* low, double* high);
// Channel difference over channel sum (dB) in the loop, pairing values from
// `parity` (0: as stored, 1: as played after an odd wrap).
double channelDifference(const int16_t* s, const SampleInfo& info, int parity);
// Time (ms) at which the running peak first reaches `fraction` of the first 30 ms' peak.
double onsetTime(const int16_t* s, double fraction);

// One note through the voice arithmetic (16.16 step, linear interpolation,
// loop wrap, held decay, level and stereo placement) at the root rate
// 44100 with the default parameters (the output equals the voice mix).
struct Rendered {
    std::vector<float> left, right;
    double peak() const;
    double rms() const;
};
Rendered renderNote(int16_t* const* samples, int key, int velocity, int32_t frames);

}  // namespace measure
