// Rendering and measuring notes through the host interface.
#pragma once

#include <cmath>
#include <vector>

#include "tests/support/plugin_under_test.h"

struct Take {
    std::vector<float> left, right;
};

// A started instance (44.1 kHz unless told otherwise, 512-frame blocks).
inline bool startPlugin(HostedPlugin& p, float rate = 44100.f) {
    if (!p.create()) return false;
    p.plugin->start(rate, 512);
    return true;
}

// Renders `frames` frames in 512-frame blocks; `first` goes with the first block.
inline Take play(HostedPlugin& p, int frames, MidiEventBlock* first = nullptr) {
    Take t;
    for (int done = 0; done < frames; done += 512) {
        int n = frames - done < 512 ? frames - done : 512;
        p.plugin->render(done ? nullptr : first, n, t.left, t.right);
    }
    return t;
}

inline double peakOf(const Take& t) {
    double peak = 0;
    for (size_t i = 0; i < t.left.size(); i++) peak = std::fmax(peak, std::fmax(std::fabs(t.left[i]), std::fabs(t.right[i])));
    return peak;
}

inline double rmsOf(const Take& t, size_t from = 0) {
    double sum = 0;
    size_t n = 0;
    for (size_t i = from; i < t.left.size(); i++, n++) sum += t.left[i] * t.left[i] + t.right[i] * t.right[i];
    return n ? std::sqrt(sum / (2.0 * n)) : 0.0;
}

inline double dB(double ratio) { return 20.0 * std::log10(ratio); }

// Fundamental (Hz) of `x` near `guess`, by the autocorrelation peak within
// ±8 % of the expected period, refined by a parabola through its neighbours.
inline double pitchOf(const std::vector<float>& x, size_t from, size_t count, double rate, double guess) {
    int lo = (int)(rate / guess / 1.08), hi = (int)(rate / guess * 1.08) + 1;
    auto corr = [&](int lag) {
        double s = 0, a = 0, b = 0;
        for (size_t i = from; i < from + count; i++) {
            s += x[i] * x[i + lag];
            a += x[i] * x[i];
            b += x[i + lag] * x[i + lag];
        }
        return s / std::sqrt(a * b + 1e-30);
    };
    int best = lo;
    double bestValue = -2;
    for (int lag = lo; lag <= hi; lag++) {
        double c = corr(lag);
        if (c > bestValue) bestValue = c, best = lag;
    }
    double l = corr(best - 1), c = bestValue, r = corr(best + 1);
    double shift = (l - r) / (2 * (l - 2 * c + r));
    return rate / (best + shift);
}
