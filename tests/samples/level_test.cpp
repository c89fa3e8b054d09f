// Loudness and headroom with the default parameters, played by the instrument
// from the real recordings: single notes, the layer switch, the zone joins and
// a dense phrase of ten-note chords under the pedal.
#include <gtest/gtest.h>

#include <cmath>

#include "tests/samples/sound_measures.h"

using namespace measure;

namespace {

constexpr double kLowestPeak = -18.0, kHighestPeak = -12.0;  // dBFS, one note at velocity 127
constexpr double kDensePeak = -3.0;                          // dBFS

TEST(NoteLevels, Velocity127PeaksBetweenMinus18AndMinus12dBFS) {
    for (int key = 21; key <= 108; ++key) {
        const double peak = dB(renderNote(key, 127, 8820).peak());
        EXPECT_GT(peak, kLowestPeak) << "key " << key;
        EXPECT_LT(peak, kHighestPeak) << "key " << key;
    }
}

TEST(NoteLevels, DenseChordsUnderThePedalStayBelowMinus3dBFS) {
    int32_t frames = 0;
    const std::vector<TimedEvent> phrase = denseChordPhrase(&frames);
    const Rendered take = renderEvents(phrase, frames);
    EXPECT_LT(dB(take.peak()), kDensePeak);
    EXPECT_GT(dB(take.peak()), kHighestPeak) << "the chords add up";
}

TEST(NoteLevels, LayerSwitchChangesTimbreNotLoudness) {
    for (int key = 21; key <= 108; ++key) {
        const double soft = renderNote(key, 71, 22050).rms();
        const double loud = renderNote(key, 72, 22050).rms();
        EXPECT_LT(std::fabs(dB(loud / soft)), 1.5) << "key " << key;
    }
}

TEST(NoteLevels, NeighbouringZonesMatchAtTheirSharedBoundary) {
    for (int z = 0; z < 10; ++z) {
        const int key = kSampleInfo[2 * z].highKey;
        for (int velocity : {30, 70, 100, 127}) {
            const double below = renderNote(key, velocity, 22050).rms();
            const double above = renderNote(key + 1, velocity, 22050).rms();
            EXPECT_LT(std::fabs(dB(above / below)), 2.0)
                << "keys " << key << "/" << key + 1 << " velocity " << velocity;
        }
    }
}

TEST(NoteLevels, KeysBeyondTheKeyboardStayFiniteAndBelowFullScale) {
    for (int key : {0, 5, 20, 109, 115, 127}) {
        const Rendered note = renderNote(key, 127, 44100);
        EXPECT_TRUE(std::isfinite(note.rms())) << key;
        EXPECT_LT(note.peak(), 1.0) << key;
        EXPECT_GT(note.rms(), 0.0) << key;
    }
}

}  // namespace
