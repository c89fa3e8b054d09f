// MIDI intake: what is queued, what acts at once, and the queue's limits.
#include <gtest/gtest.h>

#include <cmath>

#include "tests/engine/engine_test_util.h"
#include "tests/engine/synthetic_samples.h"

namespace {

struct Midi : ::testing::Test {
    std::unique_ptr<EpianoEngine> e = synth::makeEngine();
    void send(MidiList& b) { sendMidi(*e, b); }
    int queued() {
        int n = 0;
        while (e->eventQueue()[n].deltaFrames != kEventQueueEnd) n++;
        return n;
    }
};

TEST_F(Midi, NotesAreQueuedOnEveryChannelWithTheirOffsets) {
    MidiList b;
    b.add(10, 0x93, 60, 100);
    b.add(50, 0x8F, 60, 33);
    b.add(60, 0x90, 0xC8, 0xFF);  // data bytes are masked to 7 bits
    send(b);
    ASSERT_EQ(queued(), 3);
    const NoteEvent* q = e->eventQueue();
    EXPECT_EQ(q[0].deltaFrames, 10);
    EXPECT_EQ(q[0].note, 60);
    EXPECT_EQ(q[0].velocity, 100);
    EXPECT_EQ(q[1].velocity, 0) << "note off carries no velocity";
    EXPECT_EQ(q[2].note, 0x48);
    EXPECT_EQ(q[2].velocity, 0x7F);
}

TEST_F(Midi, OtherMessagesAndEventTypesChangeNothing) {
    MidiList b;
    b.add(0, 0xA0, 60, 100);
    b.add(0, 0xD0, 60, 0);
    b.add(0, 0xE0, 0, 127);
    b.add(0, 0xF0, 1, 2);
    b.add(0, 0xB0, 120, 0);  // all sound off: not handled
    b.add(0, 0xB0, 121, 0);
    b.add(0, 0xC0, 1, 0);  // program 1: ignored
    MidiList on = noteOn(0, 60, 100);
    renderBlock(*e, 16, &on);
    send(b);
    EXPECT_EQ(queued(), 0);
    Stereo out = renderBlock(*e, 16);
    EXPECT_NE(out.left[15], 0.f) << "the note plays on";
    EXPECT_EQ(e->voice(0).decay, (float)std::exp(-(double)(float)std::exp((double)(0.03f * 60.f - 2.f)) / 44100.0));
}

TEST_F(Midi, IntakesMergeInFrameOrderAndAFullQueueKeepsTheReleases) {
    // Two intakes before one render: merged by frame, equal frames in arrival order.
    MidiList first, second;
    first.add(30, 0x90, 60, 100);
    first.add(10, 0x90, 62, 100);
    second.add(20, 0x90, 64, 100);
    second.add(30, 0x80, 60, 0);
    send(first);
    send(second);
    ASSERT_EQ(queued(), 4);
    const NoteEvent* q = e->eventQueue();
    EXPECT_EQ(q[0].note, 62);
    EXPECT_EQ(q[1].note, 64);
    EXPECT_EQ(q[2].note, 60);
    EXPECT_EQ(q[2].velocity, 100);
    EXPECT_EQ(q[3].velocity, 0);
    renderBlock(*e, 64);
    EXPECT_EQ(e->voiceCount(), 3);

    // Filled with note-ons, then releases and a pedal-up arrive: each takes
    // the place of the latest note-on, so none of them is lost.
    MidiList full;
    for (int i = 0; i < kMaxQueuedEvents; i++) full.add(i % 4096, 0x90, 21 + i % 88, 100);
    full.add(4000, 0xB0, 7, 127);  // a controller past the limit still acts
    full.add(4095, 0x90, 100, 100);  // no room for another note-on
    for (int key = 21; key <= 108; key++) full.add(4095, 0x80, key, 0);
    full.add(4095, 0xB0, 64, 0);
    send(full);
    ASSERT_EQ(queued(), kMaxQueuedEvents);
    int releases = 0;
    for (int i = 0; i < kMaxQueuedEvents; i++) releases += q[i].velocity == 0;
    EXPECT_EQ(releases, 89);
    EXPECT_NEAR(e->channelVolumeValue(), 0.32258f, 1e-5f);
    renderBlock(*e, 8192);
    for (int i = 0; i < e->voiceCount(); i++) EXPECT_LT(e->voice(i).decay, 0.9995f) << "voice " << i << " rings on";
}

TEST_F(Midi, EventsOfABlockWithoutFramesWaitForTheNextBlocksFirstFrame) {
    MidiList chord;
    for (int key : {60, 64}) chord.add(0, 0x90, key, 100);
    renderBlock(*e, 64, &chord);
    float level = e->voice(0).level, heldDecay = e->voice(0).decay;
    MidiList release;
    release.add(30, 0x80, 60, 0);
    release.add(10, 0x90, 67, 90);
    release.add(40, 0xB0, 64, 0);  // a pedal-up queues a release too
    for (int frames : {0, -5}) {
        renderBlock(*e, frames, &release);
        EXPECT_EQ(e->voiceCount(), 2) << "nothing plays in a block without frames";
        EXPECT_EQ(e->voice(0).level, level);
        EXPECT_EQ(e->voice(0).decay, heldDecay);
    }
    ASSERT_EQ(queued(), 6) << "both blocks' events wait";
    for (int i = 0; i < 6; i++) EXPECT_EQ(e->eventQueue()[i].deltaFrames, 0);
    EXPECT_EQ(e->eventQueue()[0].note, 67) << "in their order";
    MidiList next = noteOn(0, 72, 100);
    renderBlock(*e, 16, &next);
    EXPECT_EQ(queued(), 0);
    ASSERT_EQ(e->voiceCount(), 5) << "60 and 64 from before, 67 twice, then 72";
    EXPECT_LT(e->voice(0).decay, heldDecay) << "key 60 released at the first frame";
    EXPECT_EQ(e->voice(4).note, 72);
}

TEST_F(Midi, ModulationWheelSetsTheDepthAboveSix) {
    MidiList six;
    six.add(0, 0xB0, 1, 6);
    send(six);
    EXPECT_EQ(e->outputStage().lfoDepthLeft, 0.f);
    MidiList seven;
    seven.add(0, 0xB0, 1, 7);
    send(seven);
    EXPECT_EQ(e->outputStage().lfoDepthLeft, 7.f * 0.0078f);
    EXPECT_EQ(e->outputStage().lfoDepthRight, 7.f * 0.0078f);
    e->setParameter(kLfoDepth, 0.3f);  // auto-pan side: right is negated
    MidiList more;
    more.add(0, 0xB0, 1, 100);
    send(more);
    EXPECT_EQ(e->outputStage().lfoDepthLeft, 0.78f);
    EXPECT_EQ(e->outputStage().lfoDepthRight, -0.78f);
    e->setParameter(kLfoDepth, 0.3f);
    e->applyPendingChanges();
    EXPECT_NEAR(e->outputStage().lfoDepthLeft, -0.4f, 1e-6f) << "recalculate overwrites the wheel";
}

TEST_F(Midi, ChannelVolumeSetsTheGainsOfLaterNotesOnly) {
    MidiList first = noteOn(0, 60, 100);
    renderBlock(*e, 4, &first);
    MidiList b;
    b.add(0, 0xB0, 7, 127);
    b.add(1, 0x90, 72, 100);
    renderBlock(*e, 4, &b);
    EXPECT_EQ(e->voice(0).gainLeft, 0.2f);
    float cv = (float)(127 * 127) * 0.00002f;
    EXPECT_EQ(e->voice(1).gainRight, cv + cv * 0.015f * 12.f);
    MidiList zero;
    zero.add(0, 0xB0, 7, 0);
    send(zero);
    EXPECT_EQ(e->channelVolumeValue(), 0.f);
}

TEST_F(Midi, PedalValue63IsUp64IsDownAndSostenutoActsTheSame) {
    for (int controller : {64, 66}) {
        MidiList b;
        b.add(3, 0xB0, controller, 64);
        send(b);
        EXPECT_EQ(e->sustainPedalValue(), 64);
        EXPECT_EQ(queued(), 0);
        MidiList up;
        up.add(3, 0xB0, controller, 63);
        send(up);
        EXPECT_EQ(e->sustainPedalValue(), 0);
        ASSERT_EQ(queued(), 1);
        EXPECT_EQ(e->eventQueue()[0].note, kHeldNote);
        EXPECT_EQ(e->eventQueue()[0].deltaFrames, 3);
        renderBlock(*e, 4);
    }
}

TEST_F(Midi, PedalStateIsTakenAtIntakeBeforeTheBlockRenders) {
    MidiList b;
    b.add(0, 0x90, 60, 100);
    b.add(100, 0x80, 60, 0);
    b.add(200, 0xB0, 64, 127);
    renderBlock(*e, 256, &b);
    EXPECT_EQ(e->voice(0).note, kHeldNote) << "held: the pedal was down at intake";
}

TEST_F(Midi, PedalUpInTheSameBlockAsTheNoteOff) {
    MidiList down;
    down.add(0, 0xB0, 64, 127);
    down.add(0, 0x90, 48, 100);
    down.add(1, 0x90, 60, 100);
    down.add(2, 0x80, 48, 0);  // held by the pedal
    renderBlock(*e, 8, &down);
    MidiList b;
    b.add(100, 0x80, 60, 0);
    b.add(300, 0xB0, 64, 0);
    renderBlock(*e, 200, &b);
    float own = (float)std::exp(-(double)(float)std::exp((double)(6.f + 0.6f - 2.5f)) / 44100.0);
    EXPECT_NEAR(e->voice(1).decay, own, 1e-7f) << "released at 100 with its own rate";
    EXPECT_EQ(e->voice(0).note, kHeldNote);
    float before = e->voice(0).decay;
    renderBlock(*e, 400, &b);  // now the key-128 release at 300 is inside the block
    EXPECT_LT(e->voice(0).decay, before);
}

TEST_F(Midi, PedalUpThenDownInOneBlockReleasesNothing) {
    MidiList down;
    down.add(0, 0xB0, 64, 127);
    down.add(0, 0x90, 60, 100);
    down.add(1, 0x80, 60, 0);
    renderBlock(*e, 8, &down);
    float held = e->voice(0).decay;
    MidiList b;
    b.add(100, 0xB0, 64, 0);
    b.add(200, 0xB0, 64, 127);
    renderBlock(*e, 256, &b);
    EXPECT_EQ(e->voice(0).decay, held);
    EXPECT_EQ(e->voice(0).note, kHeldNote);
}

TEST_F(Midi, AllNotesOffAndModeMessagesFadeEverythingAndLiftThePedal) {
    for (int controller = 123; controller <= 127; controller++) {
        e = synth::makeEngine();
        MidiList b;
        b.add(0, 0xB0, 64, 127);
        b.add(0, 0x90, 60, 100);
        b.add(0, 0x90, 64, 100);
        renderBlock(*e, 8, &b);
        MidiList off;
        off.add(0, 0xB0, controller, 0);
        send(off);
        EXPECT_EQ(e->sustainPedalValue(), 0);
        EXPECT_EQ(e->voice(0).decay, 0.99f);
        EXPECT_EQ(e->voice(1).decay, 0.99f);
        EXPECT_EQ(e->voice(5).decay, 0.99f) << "free voices too";
        renderBlock(*e, 1500);  // about 0.99^1500: far below the removal level
        renderBlock(*e, 1);     // (the voice moved into the first hole goes a block later)
        EXPECT_EQ(e->voiceCount(), 0) << controller;
    }
}

TEST_F(Midi, ProgramChangeSilencesWhatSoundsButNotWhatIsQueued) {
    MidiList on = noteOn(0, 48, 100);
    renderBlock(*e, 32, &on);
    MidiList block;
    block.add(0, 0x90, 60, 100);
    block.add(0, 0xC0, 0, 0);
    block.add(5, 0x90, 64, 100);
    renderBlock(*e, 32, &block);
    // The sounding note stops: it is removed at the block's end and the last voice takes its place.
    ASSERT_EQ(e->voiceCount(), 2);
    EXPECT_EQ(e->voice(0).note, 64);
    EXPECT_EQ(e->voice(1).note, 60);
    EXPECT_GT(e->voice(0).level, 0.f);
    EXPECT_GT(e->voice(1).level, 0.f);
}

}  // namespace
