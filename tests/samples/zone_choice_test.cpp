// The info table as the engine reads it, the zone and layer a note start
// picks, and its 16.16 pitch step, including keys and rates no zone covers.
#include <climits>
#include <cmath>

#include <gtest/gtest.h>

#include "engine/sample_set.h"

namespace {

class ZoneChoice : public ::testing::Test {
protected:
    void SetUp() override { buildSampleZones(zones); }
    int32_t entry(int32_t key, int32_t velocity) const { return chooseSample(zones, key, velocity); }
    SampleZone zones[kNumSamples];
};

TEST(SampleTable, RecordsDescribeElevenZonesOfTwoLayersThatFitTheirArrays) {
    int64_t total = 0;
    for (int k = 0; k < kNumSamples; ++k) {
        const SampleInfo& s = kSampleInfo[k];
        const SampleInfo& pair = kSampleInfo[k ^ 1];
        SCOPED_TRACE(k);
        EXPECT_EQ(s.rootKey, 36 + 6 * (k / 2));
        EXPECT_EQ(s.lowKey, pair.lowKey);
        EXPECT_EQ(s.highKey, pair.highKey);
        EXPECT_EQ(s.layerVelocity, (k & 1) ? 90 : 60);
        // The crossfade's source starts inside the array, and a voice reading
        // at the end position interpolates with two values past the loop end.
        EXPECT_GE(s.loopStart, kLoopCrossfadeValues);
        EXPECT_LT(s.loopStart, s.loopEnd);
        EXPECT_LE(s.loopEnd + 3, s.length);
        if (k >= 2) {
            EXPECT_EQ(s.lowKey, kSampleInfo[k - 2].highKey + 1) << "zones leave no gap";
        }
        total += s.length;
    }
    EXPECT_EQ(total, 4033185);
    EXPECT_EQ(kSampleInfo[18].loopEnd - kSampleInfo[18].loopStart, 19282);
}

TEST_F(ZoneChoice, VelocityAbove71PlaysTheLoudLayer) {
    EXPECT_EQ(entry(60, 64), 8);
    EXPECT_EQ(entry(60, 71), 8);  // 71 is still soft, whatever the records say
    EXPECT_EQ(entry(60, 72), 9);
    EXPECT_EQ(entry(60, 127), 9);
    EXPECT_EQ(entry(60, 1), 8);
    EXPECT_EQ(entry(60, 0), 8);
    EXPECT_EQ(entry(60, -5), 8);
    EXPECT_EQ(entry(60, INT_MAX), 9);
    EXPECT_EQ(entry(60, INT_MIN), 8);
}

TEST_F(ZoneChoice, EveryKeyOfTheKeyboardPlaysTheZoneThatHoldsIt) {
    for (int key = 21; key <= 108; ++key) {
        const int soft = entry(key, 50);
        SCOPED_TRACE(key);
        ASSERT_EQ(soft % 2, 0);
        EXPECT_LE(kSampleInfo[soft].lowKey, key);
        EXPECT_GE(kSampleInfo[soft].highKey, key);
        EXPECT_EQ(entry(key, 100), soft + 1);
    }
    EXPECT_EQ(entry(38, 50), 0);
    EXPECT_EQ(entry(39, 50), 2);
    EXPECT_EQ(entry(92, 100), 19);
    EXPECT_EQ(entry(93, 100), 21);
}

TEST_F(ZoneChoice, KeysOutsideTheZonesPlayTheNearestEndZone) {
    for (int key = 0; key <= 20; ++key) EXPECT_EQ(entry(key, 50), 0) << key;
    for (int key = 109; key <= 127; ++key) {
        EXPECT_EQ(entry(key, 50), 20) << key;
        EXPECT_EQ(entry(key, 100), 21) << key;
    }
    for (int key : {-1, -128, INT_MIN}) EXPECT_EQ(entry(key, 100), 1) << key;
    for (int key : {128, 1000, INT_MAX}) EXPECT_EQ(entry(key, 50), 20) << key;
}

TEST(NoteStep, RootKeyAdvancesOneFrameAtTheRecordingRate) {
    EXPECT_EQ(noteStep(60, 60, 1.f / 44100.f), 65536);
    EXPECT_EQ(noteStep(96, 96, 0.000022675737f), 65536);
    EXPECT_EQ(noteStep(60, 60, 1.f / 48000.f), 60211);
    EXPECT_EQ(noteStep(60, 60, 1.f / 22050.f), 131072);
}

TEST(NoteStep, FollowsEqualTemperamentAcrossTheShifts) {
    const float r = 1.f / 44100.f;
    // Key 38 plays root 36 two semitones up; key 39 plays root 42 three down.
    EXPECT_NEAR(noteStep(38, 36, r), 65536 * std::pow(2.0, 2 / 12.0), 1.0);
    EXPECT_NEAR(noteStep(39, 42, r), 65536 * std::pow(2.0, -3 / 12.0), 1.0);
    EXPECT_NEAR(noteStep(72, 60, r), 131072, 1.0);
    EXPECT_NEAR(noteStep(108, 96, r), 131072, 1.0);
    EXPECT_NEAR(noteStep(0, 36, r), 65536 / 8.0, 1.0);  // key 0: 36 semitones down
    for (int key = 0; key < 127; ++key) EXPECT_LT(noteStep(key, 60, r), noteStep(key + 1, 60, r)) << key;
}

TEST(NoteStep, AnyKeyOrRateGivesADefinedNonNegativeStep) {
    const float r = 1.f / 44100.f;
    EXPECT_NEAR(noteStep(127, 96, r), 65536 * std::pow(2.0, 31 / 12.0), 2.0);
    EXPECT_GT(noteStep(INT_MAX, 96, r), 0);
    EXPECT_EQ(noteStep(INT_MIN, 36, r), 0);
    EXPECT_EQ(noteStep(60, 60, std::nanf("")), 0);
    EXPECT_EQ(noteStep(60, 60, INFINITY), 2147483520);
    // A negative rate would walk the voice off the front of its recording.
    EXPECT_EQ(noteStep(60, 60, -INFINITY), 0);
    EXPECT_EQ(noteStep(60, 60, -1.f / 32768.f), 0);
}

}  // namespace
