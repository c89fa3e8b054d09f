#include "tests/samples/timbre_analysis.h"

#include <algorithm>
#include <cmath>
#include <complex>

namespace timbre {
namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kOnsetLevel = 0.01;  // -40 dB
constexpr double kAttackSeconds = 0.100, kBodyStart = 0.95, kBodyEnd = 1.05;
constexpr size_t kPadding = 16;

// Power of both channels, Hann windowed, zero-padded to a power of two of at
// least 16 times the window; bin k is k * kRate / size.
std::vector<double> powerSpectrum(const std::vector<float>& left, const std::vector<float>& right, size_t first,
                                  size_t count) {
    size_t size = 1;
    while (size < kPadding * count) size <<= 1;
    std::vector<double> power(size / 2, 0.0);
    for (const std::vector<float>* channel : {&left, &right}) {
        std::vector<std::complex<double>> a(size);
        for (size_t i = 0; i < count && first + i < channel->size(); ++i)
            a[i] = double((*channel)[first + i]) * hann(i, count);
        fft(a);
        for (size_t k = 0; k < size / 2; ++k) power[k] += std::norm(a[k]);
    }
    return power;
}

// The largest peak (dB of power) between bins lo and hi: the highest local
// maximum, refined by a parabola through it and its neighbours in dB; where
// the range holds none (the skirt of something outside it), its highest bin.
double peakLevel(const std::vector<double>& power, size_t lo, size_t hi) {
    hi = std::min(hi, power.size() - 2);
    lo = std::max<size_t>(lo, 1);
    const double floor = 1e-300;
    size_t best = 0, highest = lo;
    for (size_t k = lo; k <= hi; ++k) {
        if (power[k] > power[highest]) highest = k;
        if (power[k] >= power[k - 1] && power[k] >= power[k + 1] && (!best || power[k] > power[best])) best = k;
    }
    if (!best) return 10 * std::log10(power[highest] + floor);
    const double a = 10 * std::log10(power[best - 1] + floor), b = 10 * std::log10(power[best] + floor),
                 c = 10 * std::log10(power[best + 1] + floor);
    const double denominator = a - 2 * b + c;
    if (denominator >= 0) return b;
    const double shift = std::max(-0.5, std::min(0.5, 0.5 * (a - c) / denominator));
    return b - 0.25 * (a - c) * shift;
}

// A 4-term Blackman-Harris window: its sidelobes (-92 dB) keep the strong
// overtones of a bass note from pulling the fundamental's peak.
double blackmanHarris(size_t n, size_t count) {
    const double x = 2 * kPi * (double(n) + 0.5) / double(count);
    return 0.35875 - 0.48829 * std::cos(x) + 0.14128 * std::cos(2 * x) - 0.01168 * std::cos(3 * x);
}

std::complex<double> component(const std::vector<float>& left, const std::vector<float>& right, size_t first,
                               size_t count, double frequency) {
    std::complex<double> sum = 0, w = 1;
    const std::complex<double> turn = std::polar(1.0, -2 * kPi * frequency / kRate);
    for (size_t n = 0; n < count; ++n, w *= turn)
        sum += blackmanHarris(n, count) * (double(left[first + n]) + double(right[first + n])) * w;
    return sum;
}

}  // namespace

double hann(size_t n, size_t count) { return 0.5 - 0.5 * std::cos(2 * kPi * (double(n) + 0.5) / double(count)); }

void fft(std::vector<std::complex<double>>& a) {
    const size_t n = a.size();
    for (size_t i = 1, j = 0; i < n; ++i) {
        size_t bit = n >> 1;
        for (; j & bit; bit >>= 1) j ^= bit;
        j ^= bit;
        if (i < j) std::swap(a[i], a[j]);
    }
    for (size_t len = 2; len <= n; len <<= 1) {
        const double angle = -2 * kPi / double(len);
        for (size_t k = 0; k < len / 2; ++k) {
            const std::complex<double> w = std::polar(1.0, angle * double(k));
            for (size_t i = k; i < n; i += len) {
                const std::complex<double> u = a[i], v = a[i + len / 2] * w;
                a[i] = u + v;
                a[i + len / 2] = u - v;
            }
        }
    }
}

size_t onsetFrame(const std::vector<float>& left, const std::vector<float>& right) {
    double peak = 0;
    for (size_t i = 0; i < left.size(); ++i)
        peak = std::max({peak, double(std::fabs(left[i])), double(std::fabs(right[i]))});
    for (size_t i = 0; i < left.size(); ++i)
        if (std::max(std::fabs(left[i]), std::fabs(right[i])) > kOnsetLevel * peak) return i;
    return 0;
}

double brightnessOf(const double harmonic[kHarmonics + 1]) {
    double sum = 0;
    for (int n = 2; n <= kHarmonics; ++n)
        if (harmonic[n] >= kAbsent) sum += std::pow(10.0, harmonic[n] / 10.0);
    return sum > 0 ? 10.0 * std::log10(sum) : -999.0;
}

Spectrum measureWindow(const std::vector<float>& left, const std::vector<float>& right, size_t first, size_t count,
                       double f0) {
    const std::vector<double> power = powerSpectrum(left, right, first, count);
    const double binsPerHz = 2.0 * double(power.size()) / kRate;
    auto level = [&](double centre) {
        return peakLevel(power, size_t(std::ceil((centre - f0 / 4) * binsPerHz)),
                         size_t(std::floor((centre + f0 / 4) * binsPerHz)));
    };
    Spectrum s;
    const double fundamental = level(f0);
    s.harmonic[1] = 0;
    for (int n = 2; n <= kHarmonics; ++n)
        s.harmonic[n] = (n + 0.25) * f0 < kRate / 2 ? level(n * f0) - fundamental : -999.0;
    s.brightness = brightnessOf(s.harmonic);
    return s;
}

NoteTimbre measureNote(const std::vector<float>& left, const std::vector<float>& right, double f0) {
    const size_t onset = onsetFrame(left, right);
    NoteTimbre t;
    t.attack = measureWindow(left, right, onset, size_t(kAttackSeconds * kRate), f0);
    t.body =
        measureWindow(left, right, onset + size_t(kBodyStart * kRate), size_t((kBodyEnd - kBodyStart) * kRate), f0);
    return t;
}

double centroidAfterOnset(const std::vector<float>& left, const std::vector<float>& right, double seconds) {
    const size_t count = 2048;
    const size_t first = onsetFrame(left, right) + size_t(seconds * kRate) - count / 2;
    std::vector<std::complex<double>> a(count);
    double weighted = 0, total = 0;
    std::vector<double> magnitude(count / 2, 0.0);
    for (const std::vector<float>* channel : {&left, &right}) {
        for (size_t i = 0; i < count; ++i) a[i] = double((*channel)[first + i]) * hann(i, count);
        fft(a);
        for (size_t k = 0; k < count / 2; ++k) magnitude[k] += std::abs(a[k]);
    }
    for (size_t k = 1; k < count / 2; ++k) {
        weighted += magnitude[k] * double(k) * kRate / double(count);
        total += magnitude[k];
    }
    return weighted / total;
}

double pitchOf(const std::vector<float>& left, const std::vector<float>& right, size_t first, size_t count,
               double guess) {
    auto level = [&](double f) { return std::abs(component(left, right, first, count, f)); };
    double best = guess, bestLevel = -1;
    for (int i = -15; i <= 15; ++i) {  // a cent apart
        const double f = guess * std::pow(2.0, i / 1200.0);
        const double l = level(f);
        if (l > bestLevel) bestLevel = l, best = f;
    }
    double lo = best * std::pow(2.0, -1 / 1200.0), hi = best * std::pow(2.0, 1 / 1200.0);
    const double g = 0.6180339887498949;
    double a = hi - g * (hi - lo), b = lo + g * (hi - lo);
    double la = level(a), lb = level(b);
    for (int i = 0; i < 30; ++i) {
        if (la > lb) {
            hi = b, b = a, lb = la, a = hi - g * (hi - lo);
            la = level(a);
        } else {
            lo = a, a = b, la = lb, b = lo + g * (hi - lo);
            lb = level(b);
        }
    }
    return 0.5 * (lo + hi);
}

}  // namespace timbre
