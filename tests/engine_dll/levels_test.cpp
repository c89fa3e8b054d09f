// Loudness of the instrument's own recordings, played through the host
// interface with the default program.
#include <gtest/gtest.h>

#include "tests/engine_dll/play_helpers.h"

namespace {

Take note(int key, int velocity, int frames) {
    HostedPlugin p;
    if (!startPlugin(p)) return Take();
    MidiEventBlock b;
    b.add(0, 0x90, (unsigned char)key, (unsigned char)velocity);
    return play(p, frames, &b);
}

// Room for ten-note chords under the pedal in a host mixing at unity gain.
TEST(Levels, Velocity127PeaksBetweenMinus18AndMinus12dBFS) {
    for (int key = 21; key <= 108; key++) {
        double peak = dB(peakOf(note(key, 127, 8820)));
        EXPECT_GT(peak, -18.0) << "key " << key;
        EXPECT_LT(peak, -12.0) << "key " << key;
    }
}

TEST(Levels, Velocity71And72SoundAlikeAcrossTheLayerSwitch) {
    for (int key = 21; key <= 108; key += 3) {
        double soft = rmsOf(note(key, 71, 22050)), loud = rmsOf(note(key, 72, 22050));
        EXPECT_LT(std::fabs(dB(loud / soft)), 1.5) << "key " << key;
    }
}

TEST(Levels, NeighbouringZonesMatchAtTheirBoundary) {
    const int lastKeys[] = {38, 44, 50, 56, 62, 68, 74, 80, 86, 92};
    for (int key : lastKeys)
        for (int velocity : {50, 100}) {
            double below = rmsOf(note(key, velocity, 22050)), above = rmsOf(note(key + 1, velocity, 22050));
            EXPECT_LT(std::fabs(dB(above / below)), 2.0) << "keys " << key << "/" << key + 1 << " velocity " << velocity;
        }
}

}  // namespace
