// The tine model's pickup and the timbre measure, on signals whose answers
// are known without either: the symmetry of a centred tine, the purity of a
// small swing, and a measure that reads back the harmonics it was given.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "tests/samples/timbre_analysis.h"
#include "tools/make-samples/pickup.h"

namespace {

constexpr double kPi = 3.14159265358979323846;

double overtonesOverFundamental(const std::vector<double>& b) {
    double sum = 0;
    for (size_t n = 2; n < b.size(); ++n) sum += b[n] * b[n];
    return 10 * std::log10(sum / (b[1] * b[1]));
}

TEST(Pickup, ACentredTineSoundsTheOctaveAndAnOffsetOneItsOwnPitch) {
    // Centred, the tine passes the pickup twice a cycle: even harmonics only.
    const std::vector<double> centred = pickupHarmonics(1.0, 0.0, 8), offset = pickupHarmonics(1.0, 0.5, 8);
    for (int n = 1; n <= 8; ++n) {
        if (n % 2)
            EXPECT_LT(std::fabs(centred[size_t(n)]), 1e-12) << n;
        else
            EXPECT_GT(std::fabs(centred[size_t(n)]), 1e-3) << n;
        EXPECT_GT(std::fabs(offset[size_t(n)]), 1e-6) << n;
    }
    EXPECT_GT(std::fabs(offset[1]), std::fabs(offset[2])) << "off the axis the fundamental leads";
}

TEST(Pickup, AWiderSwingDrivesTheFluxHarderAndBrightens) {
    double previous = -1e9;
    for (double swing : {0.01, 0.03, 0.1, 0.3, 1.0, 2.0}) {
        const double bright = overtonesOverFundamental(pickupHarmonics(swing, 0.5, 64));
        EXPECT_GT(bright, previous + 3.0) << "swing " << swing;
        previous = bright;
    }
    EXPECT_LT(overtonesOverFundamental(pickupHarmonics(0.01, 0.5, 64)), -50.0) << "a small swing is nearly a sine";
    EXPECT_GT(overtonesOverFundamental(pickupHarmonics(2.0, 0.5, 64)), 0.0) << "a wide one growls";
}

// A stereo note of known harmonics (dB re the fundamental), starting at frame 0.
void note(double f0, const std::vector<double>& harmonicsDb, std::vector<float>* left, std::vector<float>* right) {
    const size_t frames = size_t(1.2 * timbre::kRate);
    left->assign(frames, 0.f);
    right->assign(frames, 0.f);
    for (size_t i = 0; i < frames; ++i) {
        const double t = double(i) / timbre::kRate;
        double v = std::sin(2 * kPi * f0 * t);
        for (size_t h = 0; h < harmonicsDb.size(); ++h)
            v += std::pow(10.0, harmonicsDb[h] / 20) * std::sin(2 * kPi * f0 * double(h + 2) * t + h);
        (*left)[i] = float(0.3 * v);
        (*right)[i] = float(0.2 * v);
    }
}

TEST(TimbreMeasure, ReadsBackTheHarmonicsOfAKnownNote) {
    struct Case {
        double f0;
        std::vector<double> harmonicsDb;  // 2, 3, ...
        double brightness;
    };
    const Case cases[] = {
        {65.41, {6, -3, -12, -20, -30, -40, -50}, 6.6},
        {261.63, {-20, -30}, -19.6},
        {2093.0, {-40}, -40.0},
    };
    for (const Case& c : cases) {
        std::vector<float> left, right;
        note(c.f0, c.harmonicsDb, &left, &right);
        const timbre::NoteTimbre t = timbre::measureNote(left, right, c.f0);
        for (size_t h = 0; h < c.harmonicsDb.size(); ++h) {
            EXPECT_NEAR(t.attack.harmonic[h + 2], c.harmonicsDb[h], 0.2) << c.f0 << " Hz, harmonic " << h + 2;
            EXPECT_NEAR(t.body.harmonic[h + 2], c.harmonicsDb[h], 0.2) << c.f0 << " Hz, harmonic " << h + 2;
        }
        for (size_t h = c.harmonicsDb.size() + 2; h <= 8; ++h)
            EXPECT_LT(t.attack.harmonic[h], timbre::kAbsent) << c.f0 << " Hz, absent harmonic " << h;
        EXPECT_NEAR(t.attack.brightness, c.brightness, 0.2) << c.f0 << " Hz";
    }
}

TEST(TimbreMeasure, FindsThePitchToAHundredthOfACent) {
    for (double f : {65.41 * std::pow(2.0, 3.7 / 1200), 1046.5 * std::pow(2.0, -1.3 / 1200)}) {
        std::vector<float> left, right;
        note(f, {0, -6}, &left, &right);
        const double found = timbre::pitchOf(left, right, 4410, 16384, f * std::pow(2.0, 5.0 / 1200));
        EXPECT_NEAR(1200 * std::log2(found / f), 0.0, 0.01) << f;
    }
}

}  // namespace
