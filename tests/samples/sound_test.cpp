// The recordings as the instrument plays them (embedded, loops prepared),
// measured against the sound they are meant to have.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>

#include "tests/samples/sound_measures.h"
#include "tools/make-samples/recording_set.h"

using namespace measure;

namespace {

class Recordings : public ::testing::Test {
protected:
    static int16_t* const* samples() { return preparedSamples(); }
    static const SampleInfo& info(int k) { return kSampleInfo[k]; }
    static double rootFrequency(int k) { return nominalFrequency(info(k).rootKey); }
};

TEST_F(Recordings, EmbeddedSetIsTheGeneratorsOutputPreparedOnce) {
    RecordingSet fresh = makeRecordingSet();
    const RecordingSet again = makeRecordingSet();
    ASSERT_TRUE(fresh.blob == again.blob) << "the generator is deterministic";
    int16_t* pointers[kNumSamples];
    for (int k = 0; k < kNumSamples; ++k) pointers[k] = fresh.blob.data() + fresh.offset[k];
    prepareLoops(pointers);
    for (int k = 0; k < kNumSamples; ++k)
        EXPECT_EQ(std::memcmp(pointers[k], samples()[k], size_t(info(k).length) * 2), 0) << "recording " << k;
}

TEST_F(Recordings, HeldNotesStartInTuneAndMoveLittleThroughALoopPass) {
    // Whole cycles per loop put some loops several cents off; each note starts
    // within 2 cents and glides at most 8 cents by the end of a loop pass.
    for (int k = 0; k < kNumSamples; ++k) {
        const HeldPitch pitch = heldPitch(k);
        EXPECT_LE(std::fabs(pitch.rootCents), 2.0) << "recording " << k;
        EXPECT_LE(pitch.spread, 8.0) << "recording " << k;
    }
}

TEST_F(Recordings, StrikeDiesAndTheToneSettlesBeforeTheLoop) {
    for (int k = 0; k < kNumSamples; ++k) {
        SCOPED_TRACE(testing::Message() << "recording " << k);
        const double f0 = rootFrequency(k);
        // From 150 ms on nothing sounds between the harmonics any more.
        const int32_t at = 6615, frames = 11025;
        const double fundamental = componentLevel(samples()[k], 0, at, frames, f0);
        for (double between = 1.5; between * f0 < 8000; between += 1.0)
            EXPECT_LT(dB(componentLevel(samples()[k], 0, at, frames, between * f0) / fundamental), -45.0)
                << between << " x f0";
        // Louder at the start than in the loop: the tone settles, then holds.
        const int32_t w = wholeCycles(f0, 8820);
        EXPECT_GT(dB(rms(samples()[k], 0, w) / rms(samples()[k], info(k).loopStart, w)), 1.0);
    }
}

TEST_F(Recordings, LoopsAreSteadyAndWrapWithoutAClickOrDip) {
    for (int k = 0; k < kNumSamples; ++k) {
        SCOPED_TRACE(testing::Message() << "recording " << k);
        const int16_t* s = samples()[k];
        const int32_t w = wholeCycles(rootFrequency(k), 8820);
        EXPECT_LT(std::fabs(dB(rms(s, info(k).loopEnd - w, w) / rms(s, info(k).loopStart, w))), 0.5);
        for (int parity = 0; parity < 2; ++parity) EXPECT_LE(wrapStepRatio(s, info(k), parity), 1.5) << parity;
        if (k < kNumPreparedSamples) {
            double low, high;
            crossfadeRmsRange(s, info(k), rootFrequency(k), &low, &high);
            EXPECT_GT(low, -1.0);
            EXPECT_LT(high, 1.0);
        }
    }
}

TEST_F(Recordings, NearMonoSoAnOddLoopsChannelSwapIsInaudible) {
    for (int k = 0; k < kNumSamples; ++k)
        for (int parity = 0; parity < 2; ++parity)
            EXPECT_LT(channelDifference(samples()[k], info(k), parity), -20.0) << "recording " << k;
}

TEST_F(Recordings, NoPartialReaches20kHzAtTheLargestUpwardShift) {
    for (int k = 0; k < kNumSamples; ++k) {
        const double shift = info(k).highKey - info(k).rootKey;
        const double limit = 20000.0 / std::pow(2.0, shift / 12.0);
        EXPECT_LT(strongestAbove(samples()[k], info(k).length, limit), -70.0) << "recording " << k;
    }
}

TEST_F(Recordings, OnsetStartsAtZeroAndRisesWithoutAClick) {
    for (int k = 0; k < kNumSamples; ++k) {
        SCOPED_TRACE(testing::Message() << "recording " << k);
        const int16_t* s = samples()[k];
        EXPECT_LE(std::abs(s[0]), 16);
        EXPECT_LE(std::abs(s[1]), 64);
        // A ramp, not a jump: a tenth of the first peak takes a while, and
        // the rise to nine tenths lasts 1 ms at least (the hammer's contact)
        // and 10 at most (where a bass tine first sweeps past the pickup).
        EXPECT_GE(onsetTime(s, 0.1), 0.2);
        const double rise = onsetTime(s, 0.9);
        EXPECT_GE(rise, 1.0);
        EXPECT_LE(rise, 10.0);
    }
}

}  // namespace
