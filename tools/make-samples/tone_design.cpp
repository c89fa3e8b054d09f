#include "tools/make-samples/tone_design.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double kPi = 3.14159265358979323846;

double centred(double cycles) { return cycles - std::round(cycles); }

// Where the engine may play a zone up to 12 semitones above its root (the top
// zone) everything stays below 10 kHz; elsewhere (2 semitones) below 17.8 kHz.
double bandLimitOf(int zone) { return zone == 10 ? 9500.0 : 16500.0; }

// Picks the fundamental within half a cent of the nominal pitch that leaves
// the smallest fraction of a cycle over the loop. Recordings 20 and 21 are
// played as stored, without a crossfade: they get a whole number of cycles.
double chooseFundamental(int k, double nominal, double loopValues) {
    const double cycles = nominal * loopValues / kValueRate;
    const double whole = std::round(cycles);
    const double needed = 1200.0 * std::log2(whole / cycles);
    const double limit = k >= kNumPreparedSamples ? 1.0 : 0.5;
    const double cents = std::max(-limit, std::min(limit, needed));
    return nominal * std::pow(2.0, cents / 1200.0);
}

}  // namespace

ToneDesign designTone(int k, const SampleInfo& info) {
    ToneDesign d;
    d.sample = k;
    const int zone = k / 2;
    const bool loud = (k & 1) != 0;
    const double u = zone / 10.0;  // 0 lowest zone .. 1 top zone
    const double loopValues = info.loopEnd - info.loopStart;

    d.nominalFrequency = 440.0 * std::pow(2.0, (info.rootKey - 69) / 12.0);
    d.fundamental = chooseFundamental(k, d.nominalFrequency, loopValues);
    d.loopCycles = d.fundamental * loopValues / kValueRate;
    if (k < kNumPreparedSamples) {
        d.glide = 2.0 * kPi * centred(d.loopCycles);
        // Over the crossfade at least, over the loop's second half where that
        // is longer: the slower the glide, the smaller the pitch bend.
        const double glideValues = std::max(double(kLoopCrossfadeValues), loopValues / 2);
        d.glideStart = std::max(info.loopEnd - glideValues, double(info.loopStart));
    }
    // Everything but the steady tone has died out before the crossfade's
    // source region, so the loop and what it is blended with are steady.
    d.settleEnd = (info.loopStart - kLoopCrossfadeValues) / kValueRate;
    d.attack = loud ? 0.0015 : 0.0025;
    d.bandLimit = bandLimitOf(zone);
    const double f0 = d.fundamental;
    const double settle = d.settleEnd;
    auto capped = [settle](double tau) { return std::min(tau, settle / 2.5); };

    // Harmonics: a steady part (what the loop keeps) and an excess that the
    // pickup's asymmetry adds while the tine swings wide. The loud layer's
    // excess reaches the 5th harmonic and beyond: the bark.
    static const double steadySoft[] = {1.0, 0.07, 0.015, 0.004};
    static const double steadyLoud[] = {1.0, 0.20, 0.07, 0.025, 0.01};
    static const double excessSoft[] = {0.35, 0.12, 0.03, 0.008};
    static const double excessLoud[] = {0.50, 1.00, 0.90, 0.70, 0.50, 0.32, 0.18, 0.10};
    const double* steady = loud ? steadyLoud : steadySoft;
    const int steadyCount = loud ? 5 : 4;
    const double* excess = loud ? excessLoud : excessSoft;
    const int excessCount = loud ? 8 : 4;
    // Low zones are warm: their upper harmonics are a little weaker; they
    // also settle more slowly.
    const double warmth = 0.75 + 0.25 * u;
    const double harmonicDecay = (loud ? 0.22 : 0.12) * (1.0 - 0.3 * u);
    const double fundamentalDecay = capped(0.6 * (1.0 - 0.5 * u));
    for (int h = 1; h <= std::max(steadyCount, excessCount); ++h) {
        const double f = h * f0;
        if (f >= d.bandLimit) break;
        const double shade = h == 1 || loud ? 1.0 : std::pow(warmth, h - 1);
        // Every partial crests together as the onset ramp completes: the
        // note rises to its first peak in the ramp's 1.5 to 2.5 ms.
        const double crest = -2.0 * kPi * f * d.attack;
        if (h <= steadyCount)
            d.partials.push_back({f, steady[h - 1] * shade, crest, 0.0, true, h});
        if (h <= excessCount) {
            const double tau = h == 1 ? fundamentalDecay : capped(harmonicDecay / std::pow(double(h), 0.25));
            d.partials.push_back({f, excess[h - 1] * shade, crest, tau, true, h});
        }
    }

    // The strike: a bright, slightly inharmonic (stretched) series that dies
    // within about 100 ms; high zones ring a little longer (bell-like).
    const double strike = loud ? 0.55 : 0.18;
    const double strikeDecay = 0.012 * (1.0 + 0.9 * u);
    for (int j = 2; j <= 16; ++j) {
        const double f = j * f0 * std::sqrt(1.0 + 0.0009 * j * j);
        if (f >= d.bandLimit) break;
        d.partials.push_back({f, strike * std::pow(j, -0.9), -2.0 * kPi * f * d.attack, capped(strikeDecay), false, 0});
    }
    // The tone bar's inharmonic ring, strongest in the high zones.
    const double bell = (loud ? 0.22 : 0.10) * u;
    const double bellFrequency = 4.16 * f0;
    if (bell > 0 && bellFrequency < d.bandLimit)
        d.partials.push_back({bellFrequency, bell, -2.0 * kPi * bellFrequency * d.attack, capped(0.035), false, 0});
    return d;
}

std::vector<double> synthesise(const ToneDesign& d, const SampleInfo& info) {
    std::vector<double> y(size_t(info.length), 0.0);
    const double glideEnd = info.loopEnd;
    const double glideLength = glideEnd - d.glideStart;
    const double fadeStart = std::max<double>(info.loopEnd + 4, info.length - 2000);
    for (int32_t p = 0; p < info.length; ++p) {
        const double t = p / kValueRate;
        // Fundamental phase, with the glide (a raised cosine) taken out.
        double g = 0;
        if (d.glide != 0 && p > d.glideStart)
            g = p >= glideEnd ? 1.0 : 0.5 * (1.0 - std::cos(kPi * (p - d.glideStart) / glideLength));
        const double theta = 2.0 * kPi * d.fundamental * t - d.glide * g;
        // Decaying parts fade out smoothly over the second half of the settling.
        double taper = 1.0;
        if (t >= d.settleEnd) taper = 0.0;
        else if (t > 0.5 * d.settleEnd) taper = 0.5 * (1.0 + std::cos(kPi * (t - 0.5 * d.settleEnd) / (0.5 * d.settleEnd)));

        double v = 0;
        for (const Partial& q : d.partials) {
            double amplitude = q.amplitude;
            if (q.decay > 0) {
                if (taper == 0.0) continue;
                amplitude *= std::exp(-t / q.decay) * taper;
            }
            const double phase = q.harmonic ? q.number * theta : 2.0 * kPi * q.frequency * t;
            v += amplitude * std::cos(phase + q.phase);
        }
        if (t < d.attack) v *= 0.5 * (1.0 - std::cos(kPi * t / d.attack));
        if (p >= fadeStart) v *= 0.5 * (1.0 + std::cos(kPi * (p - fadeStart) / (info.length - fadeStart)));
        y[size_t(p)] = v;
    }
    return y;
}
