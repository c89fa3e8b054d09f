// The instrument as a host plays it: timing, velocity, parameters, keys on the
// parameter entry, and a change of sample rate.
#include <gtest/gtest.h>

#include <cstring>

#include "tests/engine_dll/play_helpers.h"

namespace {

constexpr VstInt32 kVolumeIndex = 4;

TEST(Playing, NoteAtOffset100IsSilentBeforeFrame100) {
    HostedPlugin p;
    ASSERT_TRUE(startPlugin(p));
    MidiEventBlock b;
    b.add(100, 0x90, 60, 100);
    Take t = play(p, 256, &b);
    for (int f = 0; f < 100; f++) {
        ASSERT_EQ(t.left[f], 0.f) << f;
        ASSERT_EQ(t.right[f], 0.f) << f;
    }
    bool sounding = false;
    for (int f = 100; f < 110; f++) sounding |= t.left[f] != 0.f && t.right[f] != 0.f;
    EXPECT_TRUE(sounding) << "the note's first output is at frame 100";
}

TEST(Playing, VelocityScalesTheOutputLinearly) {
    // Within a layer the level is 0.039 x velocity: twice the velocity gives
    // exactly twice every output value at the neutral settings.
    Take takes[2];
    for (int i = 0; i < 2; i++) {
        HostedPlugin p;
        ASSERT_TRUE(startPlugin(p));
        MidiEventBlock b;
        b.add(0, 0x90, 64, i ? 60 : 30);
        takes[i] = play(p, 8192, &b);
    }
    ASSERT_GT(peakOf(takes[0]), 0.01);
    for (size_t f = 0; f < takes[0].left.size(); f++) {
        ASSERT_EQ(takes[1].left[f], 2.f * takes[0].left[f]) << f;
        ASSERT_EQ(takes[1].right[f], 2.f * takes[0].right[f]) << f;
    }
    // In the loud layer as well (80 against 120), to rounding.
    for (int i = 0; i < 2; i++) {
        HostedPlugin p;
        ASSERT_TRUE(startPlugin(p));
        MidiEventBlock b;
        b.add(0, 0x90, 64, i ? 120 : 80);
        takes[i] = play(p, 4096, &b);
    }
    for (size_t f = 0; f < takes[0].left.size(); f++)
        ASSERT_NEAR(takes[1].left[f], 1.5f * takes[0].left[f], 1e-6f + 1e-5f * std::fabs(takes[1].left[f])) << f;
}

// A held chord through one 1024-frame stretch, then one parameter moved by
// the host: the RMS of the next 1024 frames against the same frames of an
// untouched instance.
struct ParameterMove {
    VstInt32 index;
    float value;
    double lowest, highest;  // ratio of RMS after the move to the untouched one's
};
const ParameterMove kParameterMoves[] = {
    {0, 0.9f, 1.0, 1.0},    // sustain reaches released keys only
    {1, 0.9f, 1.2, 4.0},    // treble: the shelf boosts
    {1, 0.1f, 0.2, 0.95},   // treble: low-passed
    {2, 0.9f, 0.3, 1.7},    // tremolo
    {3, 0.3f, 1.0, 1.0},    // rate, with no depth to show it
    {4, 0.5f, 0.49, 0.51},  // volume
};

Take chordThenMove(const ParameterMove* move) {
    HostedPlugin p;
    if (!startPlugin(p)) return {};
    MidiEventBlock chord;
    for (int k : {48, 60, 64, 67}) chord.add(0, 0x90, k, 110);
    play(p, 1024, &chord);
    if (move) p.plugin->setParameter(move->index, move->value);
    return play(p, 1024);
}

TEST(Playing, NotesSoundOnWhileEachParameterMoves) {
    const Take untouched = chordThenMove(nullptr);
    ASSERT_GT(rmsOf(untouched), 0.01);
    for (const ParameterMove& move : kParameterMoves) {
        const double ratio = rmsOf(chordThenMove(&move)) / rmsOf(untouched);
        EXPECT_GE(ratio, move.lowest) << "parameter " << move.index << " to " << move.value;
        EXPECT_LE(ratio, move.highest) << "parameter " << move.index << " to " << move.value;
    }
}

// Two ways of handing one block's notes over that must sound the same.
Take deliver(bool split, bool changeBetween) {
    HostedPlugin p;
    if (!startPlugin(p)) return {};
    AEffect* e = p.record();
    MidiEventBlock first, second, both;
    second.add(100, 0x90, 64, 90);
    second.add(400, 0x80, 64, 0);
    for (MidiEventBlock* b : {&both, &first}) b->add(300, 0x90, 60, 100);
    both.add(100, 0x90, 64, 90);
    both.add(400, 0x80, 64, 0);
    if (!changeBetween) p.plugin->setParameter(kVolumeIndex, 0.5f);
    if (split) {
        p.plugin->dispatch(effProcessEvents, 0, 0, first.get());
        p.plugin->dispatch(effProcessEvents, 0, 0, second.get());
    } else {
        p.plugin->dispatch(effProcessEvents, 0, 0, both.get());
    }
    if (changeBetween) p.plugin->setParameter(kVolumeIndex, 0.5f);
    Take t;
    t.left.resize(512);
    t.right.resize(512);
    float* outputs[2] = {t.left.data(), t.right.data()};
    e->processReplacing(e, nullptr, outputs, 512);
    return t;
}

TEST(Playing, EveryIntakeOfABlockPlaysAtItsFrames) {
    const Take reference = deliver(false, false);
    ASSERT_GT(peakOf(reference), 0.01);
    EXPECT_EQ(reference.left[99], 0.f);
    EXPECT_NE(reference.left[100], 0.f);
    for (bool split : {false, true})
        for (bool changeBetween : {false, true}) {
            if (!split && !changeBetween) continue;
            const Take t = deliver(split, changeBetween);
            EXPECT_EQ(std::memcmp(t.left.data(), reference.left.data(), 512 * 4), 0)
                << (split ? "two intakes" : "one intake") << (changeBetween ? ", volume moved before the render" : "");
            EXPECT_EQ(std::memcmp(t.right.data(), reference.right.data(), 512 * 4), 0);
        }
}

TEST(Playing, AThousandEventsInOneLongBlockAllApply) {
    HostedPlugin p;
    ASSERT_TRUE(startPlugin(p));
    // 500 short notes across an 8192-frame block: every note-off must land,
    // or its key rings on for seconds, and the last note-ons must sound.
    MidiEventBlock dense;
    for (int i = 0; i < 500; i++) {
        dense.add(i * 16, 0x90, 36 + i % 60, 100);
        dense.add(i * 16 + 8, 0x80, 36 + i % 60, 0);
    }
    Take t;
    p.plugin->render(&dense, 8192, t.left, t.right);
    Take early{std::vector<float>(t.left.begin(), t.left.begin() + 512), std::vector<float>(512)};
    Take late{std::vector<float>(t.left.end() - 512, t.left.end()), std::vector<float>(512)};
    EXPECT_GT(rmsOf(late), 0.3 * rmsOf(early)) << "the block's last notes were played";
    Take after = play(p, 44100);
    Take tail{std::vector<float>(after.left.end() - 4410, after.left.end()), std::vector<float>(4410)};
    EXPECT_LT(peakOf(tail), 1e-4) << "every note was released";
}

// Releases a host hands over in ways that once lost them: with a block of no
// frames (the next block plays them at its first frame), and behind a flood
// of pedal-ups or repeated note-offs that fills the queue. The chord must be
// silent a second later.
TEST(Playing, NoReleaseIsLostWhateverCarriesIt) {
    enum Carrier { kZeroFrameBlock, kPedalUpFlood, kNoteOffFlood };
    for (Carrier carrier : {kZeroFrameBlock, kPedalUpFlood, kNoteOffFlood}) {
        SCOPED_TRACE(carrier == kZeroFrameBlock ? "a block of no frames"
                     : carrier == kPedalUpFlood ? "2048 pedal-ups first" : "2048 note-offs of another key first");
        HostedPlugin p;
        ASSERT_TRUE(startPlugin(p));
        MidiEventBlock chord;
        for (int key : {61, 65, 68}) chord.add(0, 0x90, key, 100);
        Take t = play(p, 512, &chord);
        ASSERT_GT(peakOf(t), 0.01);
        MidiEventBlock release;
        for (int i = 0; carrier != kZeroFrameBlock && i < 2048; i++)
            release.add(i * 3, carrier == kPedalUpFlood ? 0xB0 : 0x80, carrier == kPedalUpFlood ? 64 : 40, 0);
        for (int key : {61, 65, 68}) release.add(8000, 0x80, key, 0);
        p.plugin->render(&release, carrier == kZeroFrameBlock ? 0 : 8192, t.left, t.right);
        Take after = play(p, 44100);
        Take tail{std::vector<float>(after.left.end() - 4410, after.left.end()), std::vector<float>(4410)};
        EXPECT_LT(peakOf(tail), 1e-4) << "the chord rings on";
    }
}

TEST(Playing, KeyOnTheParameterEntryEqualsAMidiNoteOn) {
    HostedPlugin viaParameter, viaMidi;
    ASSERT_TRUE(startPlugin(viaParameter));
    ASSERT_TRUE(startPlugin(viaMidi));
    viaParameter.plugin->setParameter(60, 1.0f);
    Take a = play(viaParameter, 4096);
    MidiEventBlock b;
    b.add(0, 0x90, 60, 100);
    Take m = play(viaMidi, 4096, &b);
    ASSERT_GT(peakOf(a), 0.01);
    ASSERT_EQ(a.left.size(), m.left.size());
    EXPECT_EQ(std::memcmp(a.left.data(), m.left.data(), a.left.size() * 4), 0);
    EXPECT_EQ(std::memcmp(a.right.data(), m.right.data(), a.right.size() * 4), 0);
    // Releasing through the entry equals a MIDI note-off.
    viaParameter.plugin->setParameter(60, 0.f);
    MidiEventBlock off;
    off.add(0, 0x80, 60, 0);
    a = play(viaParameter, 8192);
    m = play(viaMidi, 8192, &off);
    EXPECT_EQ(std::memcmp(a.left.data(), m.left.data(), a.left.size() * 4), 0);
    EXPECT_LT(peakOf(Take{std::vector<float>(a.left.end() - 256, a.left.end()), std::vector<float>(256)}), 1e-3)
        << "released: faded within 0.2 s";
}

TEST(Playing, NotesKeepTheirPitchInHertzAcrossARateChange) {
    HostedPlugin p;
    ASSERT_TRUE(startPlugin(p, 44100.f));
    MidiEventBlock b;
    b.add(0, 0x90, 69, 100);  // A4
    Take at44 = play(p, 22050, &b);
    double f44 = pitchOf(at44.left, 4410, 8192, 44100.0, 440.0);
    EXPECT_NEAR(f44, 440.0, 440.0 * 0.004);

    // The host switches off, changes the rate and switches on while the key is held.
    p.plugin->dispatch(effMainsChanged, 0, 0);
    p.plugin->dispatch(effSetSampleRate, 0, 0, nullptr, 48000.f);
    p.plugin->dispatch(effMainsChanged, 0, 1);
    Take held = play(p, 2048);
    // The sounding voice carries on from where it was (no jump, no silence) at
    // the same pitch in Hz...
    double lastStep = std::fabs(at44.left.back() - at44.left[at44.left.size() - 2]);
    EXPECT_LT(std::fabs(held.left[0] - at44.left.back()), 4 * lastStep + 1e-3);
    EXPECT_GT(peakOf(held), 0.01);
    double fHeld = pitchOf(held.left, 0, 1536, 48000.0, 440.0);
    EXPECT_NEAR(fHeld, f44, f44 * 0.004) << "held note at 48 kHz";
    // ...and the key struck again at the new rate sounds at the same pitch in Hz.
    MidiEventBlock again;
    again.add(0, 0xB0, 123, 0);
    play(p, 2048, &again);
    MidiEventBlock strike;
    strike.add(0, 0x90, 69, 100);
    Take at48 = play(p, 24000, &strike);
    double f48 = pitchOf(at48.left, 4800, 8192, 48000.0, 440.0);
    EXPECT_NEAR(f48, f44, f44 * 0.002) << "44.1 kHz: " << f44 << " Hz, 48 kHz: " << f48 << " Hz";
}

TEST(Playing, RefusedRatesLeaveThePitchAlone) {
    HostedPlugin p;
    ASSERT_TRUE(startPlugin(p, 44100.f));
    for (float bad : {0.f, -1.f, NAN, INFINITY}) {
        p.plugin->dispatch(effSetSampleRate, 0, 0, nullptr, bad);
        p.plugin->dispatch(effMainsChanged, 0, 1);
    }
    MidiEventBlock b;
    b.add(0, 0x90, 69, 100);
    Take t = play(p, 22050, &b);
    EXPECT_NEAR(pitchOf(t.left, 4410, 8192, 44100.0, 440.0), 440.0, 440.0 * 0.004);
    for (float x : t.left) ASSERT_TRUE(std::isfinite(x));
}

TEST(Playing, BadBuffersAndBlocksThroughTheRecord) {
    HostedPlugin p;
    ASSERT_TRUE(startPlugin(p));
    AEffect* e = p.record();
    EXPECT_EQ(p.plugin->dispatch(effProcessEvents, 0, 0, nullptr), 1);
    e->processReplacing(e, nullptr, nullptr, 512);
    float left[64];
    float* onlyLeft[2] = {left, nullptr};
    MidiEventBlock b;
    b.add(-10, 0x90, 60, 100);
    p.plugin->dispatch(effProcessEvents, 0, 0, b.get());
    e->processReplacing(e, nullptr, onlyLeft, 64);
    EXPECT_NE(left[0], 0.f);
    e->processReplacing(e, nullptr, onlyLeft, -64);
    Take t = play(p, 512);
    for (float x : t.left) ASSERT_TRUE(std::isfinite(x));
}

}  // namespace
