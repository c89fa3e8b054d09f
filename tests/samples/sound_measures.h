// Measurements of the recordings as the instrument plays them: pitch, spectrum,
// loop behaviour, stereo image, onset, and a note rendered through the
// instrument's voice arithmetic and gain chain (default parameters).
#pragma once

#include <cstdint>
#include <vector>

#include "engine/sample_set.h"
#include "tests/samples/timbre_analysis.h"

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
// The strongest component at or above `limit` Hz re the strongest of all (dB),
// in the power spectrum of both channels averaged over the whole array: a
// partial that would fold back when played higher shows; the dither's flat
// floor, far below any partial, does not.
double strongestAbove(const int16_t* s, int32_t values, double limit);

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

// Audio rendered by the instrument itself: a native instance playing the
// library's recordings with the default parameters at 44.1 kHz, 512-frame blocks.
struct Rendered {
    std::vector<float> left, right;
    double peak() const;
    double rms() const;
};
struct TimedEvent {
    int32_t frame;
    unsigned char status, data1, data2;
};
// `events` in time order; `frames` frames in all.
Rendered renderEvents(const std::vector<TimedEvent>& events, int32_t frames);
// One note held from frame 0.
Rendered renderNote(int key, int velocity, int32_t frames);
// A dense phrase: the sustain pedal held down through eight two-hand chords
// of ten notes each, every hand's notes struck on the same frame, at
// velocities from 96 to 127, across the keyboard from A0 to C8.
std::vector<TimedEvent> denseChordPhrase(int32_t* frames);

// The timbre of a held note as the instrument plays it (attack and body,
// harmonics 2..8 and brightness, as the tine piano's reference figures are measured).
timbre::NoteTimbre noteTimbre(int key, int velocity);
// Spectral centroid 50 ms after the onset over that at the other velocity.
double centroidRatio(int key, int loudVelocity, int softVelocity);

// The pitch of a note held at a zone's root key, from 100 ms after the strike
// to the end of one whole pass through the loop after the first wrap:
// where it starts (re nominal) and how far it moves, in cents.
struct HeldPitch {
    double rootCents;   // the first 93 ms window, from 100 ms (the strike's modes have died)
    double spread;      // highest minus lowest of all windows
    double loopSpread;  // the same of the windows wholly within the loop
};
HeldPitch heldPitch(int sample);

}  // namespace measure
