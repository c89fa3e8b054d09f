// The timbre figures of a note, measured as the tine piano's reference figures
// are: onset at -40 dB re the peak, a Hann window zero-padded to at least 16x,
// the power of both channels summed, harmonic n the largest peak within
// (n -+ 1/4) f0 (parabolic interpolation), in dB re the fundamental in the
// same window; brightness the summed power of harmonics 2..8 re the
// fundamental. Works on any stereo render at 44.1 kHz; no engine needed.
#pragma once

#include <complex>
#include <cstddef>
#include <vector>

namespace timbre {

// The Hann window's weight of sample n of count.
double hann(size_t n, size_t count);
// In-place radix-2 FFT; the size must be a power of two.
void fft(std::vector<std::complex<double>>& a);

constexpr double kRate = 44100.0;
constexpr int kHarmonics = 8;
constexpr double kAbsent = -90.0;  // a harmonic below this counts as absent

struct Spectrum {
    double harmonic[kHarmonics + 1] = {};  // [n] in dB re the fundamental; [1] is 0, [0] unused
    double brightness = 0;                 // dB
};

struct NoteTimbre {
    Spectrum attack;  // 0 to 100 ms after the onset
    Spectrum body;    // 0.95 to 1.05 s after the onset
};

// First frame where either channel exceeds -40 dB re the note's peak.
size_t onsetFrame(const std::vector<float>& left, const std::vector<float>& right);
// The harmonic levels and brightness of frames [first, first + count).
Spectrum measureWindow(const std::vector<float>& left, const std::vector<float>& right, size_t first, size_t count,
                       double f0);
// Attack and body of a note at least 1.05 s long after its onset.
NoteTimbre measureNote(const std::vector<float>& left, const std::vector<float>& right, double f0);
// Brightness (dB) from harmonic levels 2..8 in dB, absent ones left out.
double brightnessOf(const double harmonic[kHarmonics + 1]);

// Amplitude-weighted spectral centroid (Hz) of 2048 frames of both channels
// centred `seconds` after the onset.
double centroidAfterOnset(const std::vector<float>& left, const std::vector<float>& right, double seconds);

// Frequency (Hz) of the strongest component within 15 cents of `guess` in
// frames [first, first + count) of the channel sum (Blackman-Harris window),
// to a hundredth of a cent.
double pitchOf(const std::vector<float>& left, const std::vector<float>& right, size_t first, size_t count,
               double guess);

}  // namespace timbre
