// What a careless or hostile host may send: the instance stays sound.
#include <gtest/gtest.h>

#include <cmath>

#include "tests/engine/engine_test_util.h"
#include "tests/engine/synthetic_samples.h"

namespace {

bool allFinite(const Stereo& s) {
    for (size_t i = 0; i < s.size(); i++)
        if (!std::isfinite(s.left[i]) || !std::isfinite(s.right[i])) return false;
    return true;
}

TEST(BadInput, NegativeAndOutOfOrderOffsetsPlayInFrameOrder) {
    auto e = synth::makeEngine();
    MidiList b;
    b.add(-50, 0x90, 60, 100);
    b.add(40, 0x90, 64, 100);
    b.add(20, 0x90, 64, 100);  // earlier than its predecessor: played at 20
    b.add(-2147483647 - 1, 0x90, 64, 80);
    Stereo out = renderBlock(*e, 64, &b);
    EXPECT_NE(out.left[0], 0.f) << "negative offset: at the block's start";
    ASSERT_EQ(e->voiceCount(), 4);
    const Voice* v[4] = {&e->voice(0), &e->voice(1), &e->voice(2), &e->voice(3)};
    EXPECT_EQ(v[0]->note, 64) << "the lowest offset first";
    EXPECT_EQ(v[1]->note, 60);
    EXPECT_LT(v[2]->level, v[3]->level) << "the one at 20 has decayed for 20 frames longer";
}

TEST(BadInput, MissingOutputBuffersAndFrameCounts) {
    auto e = synth::makeEngine();
    MidiList on = noteOn(0, 60, 100);
    sendMidi(*e, on);
    e->render(nullptr, nullptr, 256);
    EXPECT_EQ(e->voiceCount(), 1) << "time still passes";
    float buffer[300];
    for (float& x : buffer) x = 7.f;
    e->render(nullptr, buffer, 256);
    EXPECT_NE(buffer[0], 7.f);
    EXPECT_EQ(buffer[256], 7.f) << "nothing written past the block";
    e->render(buffer, nullptr, 256);
    for (float& x : buffer) x = 7.f;
    for (int32_t frames : {0, -1, -2147483647 - 1}) {
        e->render(buffer, buffer + 150, frames);
        for (float x : buffer) ASSERT_EQ(x, 7.f);
    }
    EXPECT_EQ(e->eventQueue()[0].deltaFrames, kEventQueueEnd);
}

TEST(BadInput, SampleRatesThatWouldBreakThePlayPositionAreRefused) {
    auto e = synth::makeEngine();
    for (float rate : {0.f, -44100.f, NAN, INFINITY, -INFINITY, 999.f, 1e-30f}) {
        e->setSampleRate(rate);
        renderBlock(*e, 1);
        EXPECT_EQ(e->engineSampleRate(), 44100.f) << rate;
    }
    e->setSampleRate(kMinSampleRate);
    renderBlock(*e, 1);
    EXPECT_EQ(e->engineSampleRate(), kMinSampleRate);
}

TEST(BadInput, PlayPositionsStayInsideTheLoopForEveryKeyAtExtremeRates) {
    for (float rate : {kMinSampleRate, 8000.f, 44100.f, 384000.f, 1e9f}) {
        auto e = synth::makeEngine();
        e->setSampleRate(rate);
        e->setParameter(kSustain, 1.f);
        e->setParameter(kLfoRate, 1.f);
        for (int first = 0; first < 128; first += 32) {
            MidiList b;
            for (int key = first; key < first + 32; key++) b.add(0, 0x90, key, 127);
            for (int block = 0; block < 40; block++) {
                Stereo out = renderBlock(*e, 512, block ? nullptr : &b);
                ASSERT_TRUE(allFinite(out));
                for (int i = 0; i < e->voiceCount(); i++) {
                    const Voice& v = e->voice(i);
                    ASSERT_GE(v.position, 0) << rate << " key " << v.note;
                    ASSERT_LE(v.position, v.endPosition + 1) << rate << " key " << v.note;
                }
            }
        }
    }
}

TEST(BadInput, OutOfRangeParametersNeverGiveNonFiniteOutput) {
    auto e = synth::makeEngine();
    const float values[] = {-1e30f, -3.f, 2.f, 40.f, 1e30f, 3.4e38f};
    for (int p = 0; p < 5; p++)
        for (float v : values) {
            e->setParameter(p, v);
            MidiList b;
            for (int k = 40; k < 80; k += 7) b.add(k, 0x90, k, 127);
            b.add(0, 0xB0, 1, 127);
            Stereo out = renderBlock(*e, 600, &b);
            ASSERT_TRUE(allFinite(out)) << "parameter " << p << " = " << v;
        }
    // Back in range the instrument plays normally again.
    for (int p = 0; p < 5; p++) e->setParameter(p, p == 4 ? 1.f : 0.5f);
    e->setParameter(kLfoRate, 0.65f);
    renderBlock(*e, 64);
    MidiList on = noteOn(0, 60, 100);
    Stereo out = renderBlock(*e, 256, &on);
    EXPECT_TRUE(allFinite(out));
    EXPECT_GT(std::fabs(out.left[100]), 1e-4f);
    EXPECT_TRUE(std::isfinite(e->outputStage().lfoSine));
}

}  // namespace
