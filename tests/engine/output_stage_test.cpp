// The output chain on simple signals.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "engine/output_stage.h"
#include "tests/engine/engine_test_util.h"
#include "tests/engine/synthetic_samples.h"

namespace {

OutputStage stageFor(float treble, float depth, float rate, float reciprocal = 1.f / 44100.f) {
    OutputStage s;
    s.reset();
    s.setTreble(treble, reciprocal);
    s.setLfoDepth(depth);
    s.setLfoRate(rate, reciprocal);
    return s;
}

TEST(OutputStage, NeutralSettingsPassTheMixUnchanged) {
    OutputStage s = stageFor(0.5f, 0.5f, 0.65f);
    for (int i = 0; i < 1000; i++) {
        float a = std::sin(i * 0.1f) * 0.8f, b = (i % 7) * -0.1f, l, r;
        s.process(a, b, 1.f, l, r);
        ASSERT_EQ(l, a);
        ASSERT_EQ(r, b);
    }
}

TEST(OutputStage, TrebleZeroIsTheOnePoleLowPass) {
    OutputStage s = stageFor(0.f, 0.5f, 0.65f);
    EXPECT_NEAR(s.trebleCoefficient, 0.1072f, 1e-4f);
    EXPECT_EQ(s.trebleAmount, -1.f);
    float l, r, expected = 0.f;
    for (int i = 0; i < 50; i++) {
        s.process(1.f, -1.f, 1.f, l, r);
        expected = expected + (1.f - expected) * s.trebleCoefficient;
        ASSERT_EQ(l, 1.f + (1.f - expected) * -1.f);
        ASSERT_NEAR(l, expected, 1e-6f);
        ASSERT_NEAR(r, -expected, 1e-6f);
    }
}

TEST(OutputStage, TrebleOneBoostsHighsFourfold) {
    OutputStage s = stageFor(1.f, 0.5f, 0.65f);
    float l, r;
    s.process(1.f, 0.f, 1.f, l, r);  // a step: the low-pass has hardly moved
    EXPECT_NEAR(l, 4.f - 3.f * s.lowpassLeft, 1e-6f);
    for (int i = 0; i < 2000; i++) s.process(1.f, 0.f, 1.f, l, r);
    EXPECT_NEAR(l, 1.f, 1e-5f) << "DC passes at unit gain";
}

TEST(OutputStage, TremoloAndAutoPanDepths) {
    OutputStage trem = stageFor(0.5f, 1.f, 0.65f);
    OutputStage pan = stageFor(0.5f, 0.f, 0.65f);
    float minL = 9, maxL = -9;
    for (int i = 0; i < 44100; i++) {
        float l, r, pl, pr;
        trem.process(1.f, 1.f, 1.f, l, r);
        pan.process(1.f, 1.f, 1.f, pl, pr);
        ASSERT_EQ(r, l) << "tremolo: both channels alike";
        ASSERT_NEAR(pl + pr, 2.f, 1e-5f) << "auto-pan: left and right in opposite phase";
        minL = std::min(minL, l);
        maxL = std::max(maxL, l);
    }
    EXPECT_NEAR(minL, 0.f, 0.01f);
    EXPECT_NEAR(maxL, 2.f, 0.01f);
}

TEST(OutputStage, LfoFrequencyFollowsTheRate) {
    for (float rate : {44100.f, 96000.f}) {
        OutputStage s = stageFor(0.5f, 1.f, 0.65f, 1.f / rate);
        int crossings = 0;
        float previous = s.lfoCosine;
        for (int i = 0; i < (int)rate * 10; i++) {
            float l, r;
            s.process(0.f, 0.f, 1.f, l, r);
            if ((previous < 0.f) != (s.lfoCosine < 0.f)) crossings++;
            previous = s.lfoCosine;
        }
        EXPECT_NEAR(crossings / 20.0, std::exp(6.22 * 0.65 - 2.61), 0.15) << rate;
    }
}

TEST(OutputStage, FlushClearsTinyStatesAndRestartsBrokenOnes) {
    OutputStage s = stageFor(0.5f, 0.5f, 0.65f);
    s.lowpassLeft = 5e-11f;
    s.lowpassRight = -2e-10f;
    s.flush();
    EXPECT_EQ(s.lowpassLeft, 0.f);
    EXPECT_EQ(s.lowpassRight, -2e-10f);
    s.lfoSine = NAN;
    s.lowpassRight = INFINITY;
    s.flush();
    EXPECT_EQ(s.lfoSine, 0.f);
    EXPECT_EQ(s.lfoCosine, 1.f);
    EXPECT_EQ(s.lowpassRight, 0.f);
}

TEST(OutputStage, NonFiniteAndSubnormalResultsNeverReachTheHost) {
    OutputStage s = stageFor(0.5f, 0.5f, 0.65f);
    float mix[4] = {1.f, 2.f, 3.f, 4.f}, left[4], right[4];
    s.processBlock(mix, mix, 4, 3e38f, left, right);
    EXPECT_EQ(left[0], 3e38f) << "large but finite: kept";
    for (int i = 1; i < 4; i++) EXPECT_EQ(left[i], 0.f);
    s.processBlock(mix, mix, 4, 1.f, nullptr, right);
    EXPECT_EQ(right[3], 4.f);
    float tiny[4] = {1e-30f, 2e-30f, 1e-20f, -1e-30f};
    s.processBlock(tiny, tiny, 4, 1e-10f, left, right);
    EXPECT_EQ(left[0], 0.f) << "1e-40 is subnormal";
    EXPECT_EQ(left[1], 0.f);
    EXPECT_EQ(left[2], 1e-20f * 1e-10f) << "the smallest normal numbers are kept";
    EXPECT_EQ(right[3], 0.f);
}

TEST(OutputStage, EngineRateChangeMovesTheLfoButNotTheTrebleCorner) {
    auto e = synth::makeEngine();
    e->setParameter(kTreble, 0.f);
    renderBlock(*e, 1);
    float coefficient = e->outputStage().trebleCoefficient;
    e->setSampleRate(96000.f);
    renderBlock(*e, 1);
    EXPECT_EQ(e->engineSampleRate(), 96000.f);
    EXPECT_EQ(e->outputStage().trebleCoefficient, coefficient) << "until the next recalculation";
    EXPECT_NEAR(e->outputStage().lfoIncrement, std::exp(6.22 * 0.65 - 2.61) / 96000.0 * 6.283, 1e-8);
    e->setParameter(kTreble, 0.f);
    renderBlock(*e, 1);
    EXPECT_NEAR(e->outputStage().trebleCoefficient, 1.f - std::exp(-5000.f / 96000.f), 1e-6f);
}

}  // namespace
