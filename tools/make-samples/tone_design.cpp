#include "tools/make-samples/tone_design.h"

#include <algorithm>
#include <cmath>

#include "tools/make-samples/noise.h"
#include "tools/make-samples/pickup.h"

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr int kMaxHarmonics = 64;    // the widest bass swing's pickup output is 100 dB down by then
constexpr int kSwingGrid = 96;       // pickup harmonics are interpolated between these swings
constexpr double kGlideStart = 0.2;  // s: the note sounds its strike pitch until here
// What a held note may be off its nominal pitch as it starts, and how far it
// may move by the end of a loop pass.
constexpr double kRootCents = 2.0, kPassCents = 8.0;
constexpr int32_t kEndFadeValues = 2000;
// The hammer's felt thumps the tine: a burst of white noise at this share of
// the fundamental's strike level, dying with this time constant; two one-pole
// low-passes at this corner (about -25 dB of it pass) keep it a thump, not a hiss.
constexpr double kThumpLevel = 0.3, kThumpDecay = 0.002, kThumpCorner = 1200.0;

// Where the engine may play a zone up to 12 semitones above its root (the top
// zone) everything stays below 10 kHz; elsewhere (2 semitones) below 17.8 kHz.
double bandLimitOf(int zone) { return zone == 10 ? 9500.0 : 16500.0; }

// The strike pitch for a loop that sounds `loopCents` off nominal: all of it
// when small, otherwise the share that weighs both limits alike (a fifth of
// it goes to the start, four fifths to the glide), never less than 1.5 cents.
double strikeCents(double loopCents) {
    const double size = std::fabs(loopCents);
    const double share = std::max(1.5, size * kRootCents / (kRootCents + kPassCents));
    return std::copysign(std::min(size, share), loopCents);
}

double raisedCosine(double x) { return x <= 0 ? 0.0 : x >= 1 ? 1.0 : 0.5 * (1.0 - std::cos(kPi * x)); }

// Fundamental cycles since the strike at value p: the strike frequency, then
// a raised-cosine glide to the loop frequency, then whole cycles per loop.
class Phase {
public:
    Phase(const ToneDesign& d, const SampleInfo& info)
        : strike(d.strikeFrequency),
          loop(d.loopFrequency),
          from(d.glideStart),
          length(d.glideEnd - d.glideStart),
          steadyValue(info.loopStart - kLoopCrossfadeValues),
          loopValues(info.loopEnd - info.loopStart),
          cyclesPerLoop(d.loopCycles),
          atSteady(glided(steadyValue / kValueRate)) {}

    double cycles(int32_t p) const {
        if (p < steadyValue) return glided(p / kValueRate);
        return atSteady + double(cyclesPerLoop) * double(p - steadyValue) / double(loopValues);
    }
    double frequency(int32_t p) const {
        return strike + (loop - strike) * raisedCosine((p / kValueRate - from) / length);
    }

private:
    double glided(double t) const {
        double ramp = 0;  // integral of the raised cosine
        if (t > from + length)
            ramp = t - from - 0.5 * length;
        else if (t > from)
            ramp = 0.5 * ((t - from) - length / kPi * std::sin(kPi * (t - from) / length));
        return strike * t + (loop - strike) * ramp;
    }
    double strike, loop, from, length;
    int32_t steadyValue, loopValues;
    int cyclesPerLoop;
    double atSteady;
};

// The hammer's thump, one value at a time from the strike on.
class HammerThump {
public:
    HammerThump(int sample, double level)
        : noise(0x9E3779B97F4A7C15ull * uint64_t(sample + 1)),
          level(level),
          pole(1.0 - std::exp(-2 * kPi * kThumpCorner / kValueRate)) {}
    static bool sounds(double t) { return t < 20 * kThumpDecay; }
    double next(double t) {
        const double white = 2.0 * noise.uniform() - 1.0;
        low[0] += pole * (white * std::exp(-t / kThumpDecay) - low[0]);
        low[1] += pole * (low[0] - low[1]);
        return level * low[1];
    }

private:
    Noise noise;
    double level, pole;
    double low[2] = {0, 0};
};

}  // namespace

double centsBetween(double frequency, double reference) { return 1200.0 * std::log2(frequency / reference); }

ToneDesign designTone(int k, const SampleInfo& info) {
    ToneDesign d;
    d.sample = k;
    const int zone = k / 2;
    const bool loud = (k & 1) != 0;
    const TineVoicing& v = kTineVoicing[zone];
    const double strike = loud ? 1.0 : kSoftStrike;
    const double loopValues = info.loopEnd - info.loopStart;

    d.nominalFrequency = 440.0 * std::pow(2.0, (info.rootKey - 69) / 12.0);
    d.loopCycles = std::max(1, int(std::lround(d.nominalFrequency * loopValues / kValueRate)));
    d.loopFrequency = d.loopCycles * kValueRate / loopValues;
    d.strikeFrequency =
        d.nominalFrequency * std::pow(2.0, strikeCents(centsBetween(d.loopFrequency, d.nominalFrequency)) / 1200.0);
    // Everything but the steady tone has died out before the crossfade's
    // source region, so the loop and what it is blended with are steady.
    d.settleEnd = (info.loopStart - kLoopCrossfadeValues) / kValueRate;
    d.glideStart = std::min(kGlideStart, 0.6 * d.settleEnd);
    d.glideEnd = d.settleEnd;
    d.attack = loud ? 0.0015 : 0.0025;  // a harder strike, a shorter contact
    d.bandLimit = bandLimitOf(zone);

    d.swing = v.swing * strike;
    d.settledSwing = v.settledSwing * strike;
    d.settleTime = v.settleTime;
    d.offset = v.offset;
    // Chords struck on one frame then do not all start on the same crest.
    d.polarity = zone % 2 ? -1.0 : 1.0;
    const double modeSwing = v.modeSwing * v.swing * std::pow(strike, kModeStrikePower);
    const BendingMode first{v.modeRatio * d.strikeFrequency, modeSwing, v.modeDecay};
    const BendingMode second{first.frequency * kSecondModeRatio, modeSwing * kSecondModeShare, v.modeDecay / 2};
    for (const BendingMode& m : {first, second})
        if (m.frequency < d.bandLimit) d.modes.push_back(m);
    return d;
}

std::vector<double> synthesise(const ToneDesign& d, const SampleInfo& info) { return synthesise(d, info, info.length); }

std::vector<double> synthesise(const ToneDesign& d, const SampleInfo& info, int32_t count) {
    count = std::min(count, info.length);
    std::vector<double> y(size_t(std::max(count, 0)), 0.0);
    const Phase phase(d, info);
    const int harmonics =
        std::max(1, std::min(kMaxHarmonics, int((d.bandLimit - 1) / std::max(d.strikeFrequency, d.loopFrequency))));

    // The pickup's harmonics at swings from the settled one up to the strike's.
    const bool settles = d.swing > d.settledSwing * (1 + 1e-9);
    const int grid = settles ? kSwingGrid : 1;
    const double swingSpan = settles ? std::log(d.swing / d.settledSwing) : 1.0;
    std::vector<std::vector<double>> table;
    for (int g = 0; g < grid; ++g)
        table.push_back(
            pickupHarmonics(d.settledSwing * std::exp(swingSpan * g / std::max(1, grid - 1)), d.offset, harmonics));

    // Harmonics 140 dB below the strongest are left out: the treble's pickup
    // output is nearly a sine, and the sum is the generator's main cost.
    double strongest = 0;
    for (const std::vector<double>& row : table)
        for (double x : row) strongest = std::max(strongest, std::fabs(x));
    int used = 1;
    for (const std::vector<double>& row : table)
        for (int n = 1; n <= harmonics; ++n)
            if (std::fabs(row[size_t(n)]) > 1e-7 * strongest) used = std::max(used, n);

    const double restSlope = pickupSlope(d.offset);
    // Re the fundamental at the strike; a softer felt thumps less still.
    const double strike = (d.sample & 1) ? 1.0 : kSoftStrike;
    HammerThump thump(d.sample, kThumpLevel * strike * 2 * kPi * d.strikeFrequency * std::fabs(table.back()[1]));
    const double fadeStart = std::max<double>(info.loopEnd + 4, info.length - kEndFadeValues);
    std::vector<double> b(size_t(harmonics) + 1);
    for (int32_t p = 0; p < count; ++p) {
        const double t = p / kValueRate;
        // The strike's burst fades out over the second half of the settling.
        const double taper = 1.0 - raisedCosine((t - 0.5 * d.settleEnd) / (0.5 * d.settleEnd));
        const double swing = d.settledSwing + (d.swing - d.settledSwing) * std::exp(-t / d.settleTime) * taper;
        if (settles) {
            const double at = std::log(swing / d.settledSwing) / swingSpan * (grid - 1);
            const int g = std::min(grid - 2, std::max(0, int(at)));
            const double w = std::min(1.0, std::max(0.0, at - g));
            for (int n = 1; n <= used; ++n)
                b[size_t(n)] = (1 - w) * table[size_t(g)][size_t(n)] + w * table[size_t(g + 1)][size_t(n)];
        } else if (p == 0) {
            b = table[0];
        }
        // x = swing * cos(theta) starts at rest position moving outwards.
        const double cycles = phase.cycles(p);
        const double theta = 2 * kPi * (cycles - std::floor(cycles)) - 0.5 * kPi;
        const double omega = 2 * kPi * phase.frequency(p);
        // -omega * sum b[n] sin(n theta), by the recurrence of sin(n theta).
        const double c2 = 2 * std::cos(theta);
        double previous = 0, current = std::sin(theta), sum = 0;
        for (int n = 1; n <= used; ++n) {
            sum += b[size_t(n)] * current;
            const double next = c2 * current - previous;
            previous = current, current = next;
        }
        double v = -d.polarity * omega * sum;
        // The bending modes, small: the pickup's slope at rest turns their
        // velocity into voltage (no sidebands above the band limit).
        if (taper > 0) {
            double modes = 0;
            for (const BendingMode& m : d.modes) {
                const double w = 2 * kPi * m.frequency;
                modes += m.swing * std::exp(-t / m.decay) * w * std::cos(w * t);
            }
            v += d.polarity * restSlope * modes * taper;
        }
        if (HammerThump::sounds(t)) v += thump.next(t);
        if (t < d.attack) v *= raisedCosine(t / d.attack);
        if (p >= fadeStart) v *= 1.0 - raisedCosine((p - fadeStart) / (info.length - fadeStart));
        y[size_t(p)] = v;
    }
    return y;
}
