// Loudness of single notes with the default parameters, computed through the
// voice arithmetic and gain chain from the real recordings.
#include <cmath>

#include <gtest/gtest.h>

#include "tests/samples/sound_measures.h"

using namespace measure;

namespace {

TEST(NoteLevels, Velocity127PeaksBetweenMinus9AndMinus3dBFS) {
    for (int key = 21; key <= 108; ++key) {
        const double peak = dB(renderNote(preparedSamples(), key, 127, 8820).peak());
        EXPECT_GT(peak, -9.0) << "key " << key;
        EXPECT_LT(peak, -3.0) << "key " << key;
    }
}

TEST(NoteLevels, LayerSwitchChangesTimbreNotLoudness) {
    for (int key = 21; key <= 108; ++key) {
        const double soft = renderNote(preparedSamples(), key, 71, 22050).rms();
        const double loud = renderNote(preparedSamples(), key, 72, 22050).rms();
        EXPECT_LT(std::fabs(dB(loud / soft)), 1.5) << "key " << key;
    }
}

TEST(NoteLevels, NeighbouringZonesMatchAtTheirSharedBoundary) {
    for (int z = 0; z < 10; ++z) {
        const int key = kSampleInfo[2 * z].highKey;
        for (int velocity : {30, 70, 100, 127}) {
            const double below = renderNote(preparedSamples(), key, velocity, 22050).rms();
            const double above = renderNote(preparedSamples(), key + 1, velocity, 22050).rms();
            EXPECT_LT(std::fabs(dB(above / below)), 2.0) << "keys " << key << "/" << key + 1 << " velocity " << velocity;
        }
    }
}

TEST(NoteLevels, KeysBeyondTheKeyboardStayFiniteAndBelowFullScale) {
    for (int key : {0, 5, 20, 109, 115, 127}) {
        const Rendered note = renderNote(preparedSamples(), key, 127, 44100);
        EXPECT_TRUE(std::isfinite(note.rms())) << key;
        EXPECT_LT(note.peak(), 1.0) << key;
        EXPECT_GT(note.rms(), 0.0) << key;
    }
}

}  // namespace
