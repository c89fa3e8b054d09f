// Voices: interpolation, looping as stored, timing to the frame, stealing,
// removal, releases and the pedal. Default program: the output is the mix.
#include <gtest/gtest.h>

#include <cmath>

#include "tests/engine/engine_test_util.h"
#include "tests/engine/synthetic_samples.h"

namespace {

struct Voices : ::testing::Test {
    void TearDown() override { synth::restore(); }
    std::unique_ptr<EpianoEngine> e = synth::makeEngine();
};

// Key 60 below velocity 72 plays entry 8 (root 60).
const int kSoft60 = 8;

TEST_F(Voices, InterpolatesLinearlyWithSixteenBitFraction) {
    int16_t* s = synth::array(kSoft60);
    for (int i = 0; i < 40; i++) s[i] = (int16_t)(i % 2 ? -300 * i : 1000 * i);
    // Key 61: step trunc(65536 * 2^(1/12)) = 69432, so the first frame sits at
    // value 2 with fraction 69432 - 65536 = 3896.
    MidiList on = noteOn(0, 61, 64);
    Stereo out = renderBlock(*e, 3, &on);
    const Voice& v = e->voice(0);
    EXPECT_EQ(v.step, 69432);
    float level = 0.0078f * 64.f * 5.f * (float)std::exp((double)(-0.01f));
    float gainLeft = 0.2f * 2.f - (0.2f + 0.2f * 0.015f * 1.f);
    int32_t left = s[2] + (((s[4] - s[2]) * 3896) >> 16);
    EXPECT_EQ(out.left[0], gainLeft * ((float)left * level * (1.f / 32768.f)));
    int32_t right = s[3] + (((s[5] - s[3]) * 3896) >> 16);
    EXPECT_EQ(right, -936) << "the shift rounds a negative product down";
    float gainRight = 0.2f + 0.2f * 0.015f * 1.f;
    EXPECT_EQ(out.right[0], gainRight * ((float)right * level * (1.f / 32768.f)));
}

TEST_F(Voices, ALoopPassHasNoSilentFrameAtItsEnd) {
    // At the root key the voice steps one frame at a time, so it stands exactly
    // on the loop's last frame whenever its parity allows: that frame must
    // sound, or every pass of a held note clicks.
    for (int entry : {8, 9}) {
        int16_t* s = synth::array(entry);
        for (int i = 0; i < synth::kLength; i++) s[i] = 1000;
        e = synth::makeEngine();
        MidiList on = noteOn(0, 60, entry == 9 ? 100 : 50);
        int loop = synth::loopEnd(entry) - synth::loopStart(entry);
        Stereo out = renderBlock(*e, 3 * synth::loopEnd(entry), &on);
        for (size_t f = 0; f < out.left.size(); f++) {
            ASSERT_GT(out.left[f], 0.f) << "entry " << entry << " loop " << loop << " frame " << f;
            ASSERT_GT(out.right[f], 0.f) << "entry " << entry << " frame " << f;
        }
        synth::restore();
    }
}

TEST_F(Voices, OddLoopSwapsTheChannelsAtEachWrapEvenLoopDoesNot) {
    // Entry 9 (key 60, velocity 100) has an odd loop; entry 8 an even one.
    for (int entry : {8, 9}) {
        int16_t* s = synth::array(entry);
        for (int i = 0; i < synth::kLength; i++) s[i] = (int16_t)(i % 2 ? -1000 : 1000);
        e = synth::makeEngine();
        int loop = synth::loopEnd(entry) - synth::loopStart(entry);
        int framesToWrap = (synth::loopEnd(entry) - 1) / 2;
        MidiList on = noteOn(0, 60, entry == 9 ? 100 : 50);
        Stereo out = renderBlock(*e, framesToWrap + loop, &on);
        EXPECT_EQ(e->voice(0).loopLength, loop);
        EXPECT_GT(out.left[framesToWrap - 5], 0.f);
        EXPECT_LT(out.right[framesToWrap - 5], 0.f);
        bool swapped = out.left[framesToWrap + 5] < 0.f;
        EXPECT_EQ(swapped, loop % 2 == 1) << "entry " << entry;
        EXPECT_EQ(out.right[framesToWrap + 5] > 0.f, swapped);
        // The second wrap swaps them back.
        Stereo more = renderBlock(*e, loop / 2 + 10);
        EXPECT_GT(more.left.back(), 0.f);
        synth::restore();
    }
}

TEST_F(Voices, NoteStartsAtItsFrameAndEventsAtOrBeyondTheBlockAreDropped) {
    MidiList block;
    block.add(100, 0x90, 60, 100);
    block.add(256, 0x90, 64, 100);
    block.add(1000, 0x90, 67, 100);
    Stereo out = renderBlock(*e, 256, &block);
    for (int f = 0; f < 100; f++) ASSERT_EQ(out.left[f], 0.f) << f;
    EXPECT_NE(out.left[100], 0.f);
    EXPECT_EQ(e->voiceCount(), 1);
    EXPECT_EQ(e->eventQueue()[0].deltaFrames, kEventQueueEnd);
    Stereo next = renderBlock(*e, 256);
    EXPECT_EQ(e->voiceCount(), 1) << "dropped events do not come back";
}

TEST_F(Voices, ReleaseStartsAtItsOffset) {
    MidiList block;
    block.add(10, 0x90, 60, 100);
    block.add(50, 0x80, 60, 0);
    renderBlock(*e, 50, &block);
    // Frames 10..49 held, the release applied at 50 (not reached yet in a
    // 50-frame block: it is dropped), so render it again inside the block.
    EXPECT_FLOAT_EQ(e->voice(0).decay, (float)std::exp(-std::exp(0.03 * 60 - 2) / 44100.0));
    e = synth::makeEngine();
    Stereo out = renderBlock(*e, 64, &block);
    float releaseDecay = (float)std::exp(-(float)std::exp((double)(6.f + 0.6f - 2.5f)) * (1.0 / 44100.0));
    EXPECT_NEAR(e->voice(0).decay, releaseDecay, 1e-6f);
    EXPECT_EQ(out.left[9], 0.f);
    EXPECT_NE(out.left[10], 0.f);
}

TEST_F(Voices, LevelCurveAndKeyPlacement) {
    MidiList block;
    block.add(0, 0x90, 108, 127);
    block.add(0, 0x90, 21, 1);
    block.add(0, 0x90, 5, 64);  // below the keyboard: placed as key 21
    block.add(0, 0x90, 30, 64);
    renderBlock(*e, 1, &block);
    ASSERT_EQ(e->voiceCount(), 4);
    const Voice& top = e->voice(0);
    EXPECT_NEAR(top.gainLeft / 0.2f, 0.28f, 1e-5f);
    EXPECT_NEAR(top.gainRight / 0.2f, 1.72f, 1e-5f);
    EXPECT_EQ(e->voice(2).gainLeft, e->voice(1).gainLeft);
    EXPECT_EQ(e->voice(2).note, 5) << "the note number is kept unclamped";
    // Held decays: 0.29 s at 108, 1.97 s up to key 44.
    EXPECT_NEAR(-1.f / std::log(top.decay) / 44100.f, 0.29f, 0.01f);
    EXPECT_EQ(e->voice(3).decay, e->voice(1).decay);
    EXPECT_NEAR(-1.f / std::log(e->voice(3).decay) / 44100.f, 1.97f, 0.01f);
}

TEST_F(Voices, ThirtyThirdNoteStealsTheQuietestVoiceAtOnce) {
    MidiList block;
    for (int i = 0; i < 32; i++) block.add(0, 0x90, 40 + i, i == 13 ? 5 : 100 + (i % 20));
    renderBlock(*e, 10, &block);
    ASSERT_EQ(e->voiceCount(), 32);
    MidiList steal = noteOn(0, 90, 80);
    renderBlock(*e, 1, &steal);
    EXPECT_EQ(e->voiceCount(), 32);
    EXPECT_EQ(e->voice(13).note, 90);
    EXPECT_EQ(e->voice(13).position, e->voice(13).step >> 15) << "restarted from the first value";
    for (int i = 0; i < 32; i++)
        if (i != 13) {
            EXPECT_EQ(e->voice(i).note, 40 + i);
        }
}

TEST_F(Voices, StealingTiesGoToTheLowestIndex) {
    MidiList block;
    for (int i = 0; i < 32; i++) block.add(0, 0x90, 50, 60);
    renderBlock(*e, 5, &block);
    MidiList steal = noteOn(0, 70, 60);
    renderBlock(*e, 1, &steal);
    EXPECT_EQ(e->voice(0).note, 70);
}

TEST_F(Voices, DeadVoicesAreRemovedAtBlockEndByMovingTheLast) {
    MidiList block;
    for (int k : {40, 50, 60, 70}) block.add(0, 0x90, k, 100);
    renderBlock(*e, 16, &block);
    // All notes off fades everything with 0.99 per sample; key 50 is released
    // normally, so the order of dying varies: just follow the packing.
    MidiList off;
    off.add(0, 0x80, 50, 0);
    renderBlock(*e, 16, &off);
    EXPECT_EQ(e->voiceCount(), 4);
    e->selectProgram();  // silences all: levels 0, removed at the end of the next block
    renderBlock(*e, 0);
    EXPECT_EQ(e->voiceCount(), 4) << "a block without frames changes nothing";
    renderBlock(*e, 1);
    // Each pass skips the voice it moved into a hole, so four dead voices
    // take three blocks to clear.
    EXPECT_EQ(e->voiceCount(), 2);
    renderBlock(*e, 1);
    EXPECT_EQ(e->voiceCount(), 1);
    renderBlock(*e, 1);
    EXPECT_EQ(e->voiceCount(), 0);
    // One pass moves the last voice into a hole without examining it again.
    MidiList two;
    two.add(0, 0x90, 60, 100);
    two.add(0, 0x90, 61, 100);
    renderBlock(*e, 4, &two);
    MidiList allOff;
    allOff.add(0, 0xB0, 123, 0);
    renderBlock(*e, 2000, &allOff);  // both levels now far below 0.0001
    EXPECT_EQ(e->voiceCount(), 1) << "the voice moved into slot 0 waits for the next block";
    EXPECT_EQ(e->voice(0).note, 61);
    renderBlock(*e, 1);
    EXPECT_EQ(e->voiceCount(), 0);
}

TEST_F(Voices, ReleaseFindsEveryVoiceOfTheKeyIncludingRepeatedPresses) {
    MidiList block;
    block.add(0, 0x90, 60, 100);
    block.add(1, 0x90, 60, 90);
    block.add(2, 0x90, 62, 90);
    block.add(3, 0x90, 60, 0);  // velocity 0 is a release
    renderBlock(*e, 8, &block);
    float released = e->voice(0).decay;
    EXPECT_EQ(e->voice(1).decay, released);
    EXPECT_LT(released, e->voice(2).decay);
}

TEST_F(Voices, PedalHoldsReleasedKeysUntilKey128Releases) {
    MidiList down;
    down.add(0, 0xB0, 64, 127);
    down.add(0, 0x90, 60, 100);
    down.add(0, 0x90, 72, 100);
    down.add(5, 0x80, 60, 0);
    renderBlock(*e, 10, &down);
    const float held = e->voice(0).decay;
    EXPECT_EQ(e->voice(0).note, kHeldNote);
    EXPECT_EQ(e->voice(1).note, 72);
    MidiList again;
    again.add(0, 0x80, 60, 0);  // a second release of 60 finds nothing
    renderBlock(*e, 4, &again);
    EXPECT_EQ(e->voice(0).decay, held);
    MidiList up;
    up.add(7, 0xB0, 64, 0);
    renderBlock(*e, 10, &up);
    float key128 = (float)std::exp(-(double)(float)std::exp((double)(6.f + 1.28f - 2.5f)) / 44100.0);
    EXPECT_NEAR(e->voice(0).decay, key128, 1e-6f) << "the rate of key 128, not 60";
    EXPECT_NE(e->voice(1).decay, e->voice(0).decay) << "a key still down is not released";
}

TEST_F(Voices, LfoPhaseResetsBeforeAnEventOnlyWhenSilentAndTremolo) {
    e->setParameter(kLfoDepth, 0.7f);
    renderBlock(*e, 100);
    MidiList on = noteOn(0, 60, 100);
    renderBlock(*e, 0, &on);
    EXPECT_NE(e->outputStage().lfoSine, -0.7071f);
    MidiList one = noteOn(0, 60, 100);
    sendMidi(*e, one);
    e->render(nullptr, nullptr, 1);
    // Reset, then one frame of the oscillator.
    float inc = e->outputStage().lfoIncrement;
    float sine = -0.7071f + inc * 0.7071f;
    EXPECT_EQ(e->outputStage().lfoSine, sine);
    EXPECT_EQ(e->outputStage().lfoCosine, 0.7071f - sine * inc);
    MidiList off;
    off.add(0, 0x80, 60, 0);
    float before = e->outputStage().lfoSine + inc * e->outputStage().lfoCosine;
    renderBlock(*e, 1, &off);
    EXPECT_EQ(e->outputStage().lfoSine, before) << "a voice is active: no reset";
}

TEST_F(Voices, ARateChangeGivesSoundingNotesTheStepOfTheNewRate) {
    MidiList b;
    b.add(0, 0xB0, 64, 127);
    b.add(0, 0x90, 67, 100);
    b.add(0, 0x80, 67, 0);  // held by the pedal: note becomes 128
    b.add(0, 0x90, 30, 50);
    renderBlock(*e, 100, &b);
    Voice before = e->voice(0);
    ASSERT_EQ(before.note, kHeldNote);
    e->setSampleRate(48000.f);
    EXPECT_EQ(e->voice(0).step, before.step) << "not while a block may be rendering";
    renderBlock(*e, 0);
    EXPECT_EQ(e->voice(0).step, noteStep(67, 66, 1.f / 48000.f));
    EXPECT_EQ(e->voice(1).step, noteStep(30, 36, 1.f / 48000.f));
    EXPECT_EQ(e->voice(0).position, before.position);
    EXPECT_EQ(e->voice(0).fraction, before.fraction);
    EXPECT_EQ(e->voice(0).level, before.level);
    EXPECT_EQ(e->voice(0).decay, before.decay) << "decays keep their per-sample values";
}

}  // namespace
