// The MIDI file reader against hand-built files: each feature, each kind of
// damage, and every truncation and many byte flips of a valid file.
#include <gtest/gtest.h>

#include <cstdio>
#include <random>

#include "tests/render/midi_builder.h"
#include "tools/render-midi/midi_file.h"

namespace {

MidiSong parsed(const Bytes& file) {
    MidiSong song;
    MidiFileError error;
    EXPECT_TRUE(parseMidiFile(file, &song, &error)) << "byte " << error.offset << ": " << error.message;
    return song;
}

std::vector<int> statuses(const MidiSong& song) {
    std::vector<int> out;
    for (const MidiMessage& m : song.messages) out.push_back(m.bytes[0]);
    return out;
}

TEST(MidiReader, FormatZeroTimesFollowTheDefaultTempoAndPpq) {
    // 480 ticks per quarter at 120 bpm: a quarter is half a second.
    Bytes file = header(0, 1, 480) +
                 track(ev(0, {0x90, 60, 100}) + ev(480, {0x80, 60, 0}) + ev(240, {0x90, 62, 1}) + endOfTrack(960));
    MidiSong song = parsed(file);
    EXPECT_EQ(song.format, 0);
    EXPECT_EQ(song.ticksPerQuarter, 480);
    ASSERT_EQ(song.messages.size(), 3u);
    EXPECT_DOUBLE_EQ(song.messages[0].seconds, 0.0);
    EXPECT_DOUBLE_EQ(song.messages[1].seconds, 0.5);
    EXPECT_DOUBLE_EQ(song.messages[2].seconds, 0.75);
    EXPECT_EQ(song.messages[2].tick, 720u);
    EXPECT_DOUBLE_EQ(song.lengthSeconds, 1.75) << "the end of the track counts toward the length";
}

TEST(MidiReader, EveryChannelMessageKindPassesThroughWithItsBytes) {
    Bytes file = header(0, 1, 96) + track(ev(0, {0x91, 64, 90}) + ev(0, {0xA1, 64, 33}) + ev(0, {0xB1, 1, 127}) +
                                          ev(0, {0xC1, 5}) + ev(0, {0xD1, 77}) + ev(0, {0xE1, 0x00, 0x40}) +
                                          ev(0, {0x81, 64, 12}) + endOfTrack());
    MidiSong song = parsed(file);
    ASSERT_EQ(song.messages.size(), 7u);
    EXPECT_EQ(statuses(song), (std::vector<int>{0x91, 0xA1, 0xB1, 0xC1, 0xD1, 0xE1, 0x81}));
    EXPECT_EQ(song.messages[3].size, 2) << "program change has one data byte";
    EXPECT_EQ(song.messages[3].bytes[1], 5);
    EXPECT_EQ(song.messages[4].size, 2) << "channel pressure has one data byte";
    EXPECT_EQ(song.messages[4].bytes[1], 77);
    EXPECT_EQ(song.messages[5].size, 3);
    EXPECT_EQ(song.messages[5].bytes[2], 0x40);
    EXPECT_EQ(song.messages[1].bytes[2], 33) << "polyphonic aftertouch";
}

TEST(MidiReader, RunningStatusRepeatsTheLastChannelStatus) {
    // Two notes and a one-byte message under running status; meta and sysex events cancel it.
    Bytes file = header(0, 1, 96) + track(ev(0, {0x90, 60, 100}) + ev(10, {62, 100}) + ev(10, {60, 0}) +
                                          ev(0, {0xC2, 7}) + ev(5, {9}) + endOfTrack());
    MidiSong song = parsed(file);
    EXPECT_EQ(statuses(song), (std::vector<int>{0x90, 0x90, 0x90, 0xC2, 0xC2}));
    EXPECT_EQ(song.messages[1].bytes[1], 62);
    EXPECT_EQ(song.messages[2].bytes[2], 0) << "note-on with velocity 0 is passed on as it is";
    EXPECT_EQ(song.messages[4].bytes[1], 9);

    MidiSong none;
    MidiFileError error;
    for (Bytes cancel : {Bytes{0xFF, 0x01, 0x01, 'x'}, Bytes{0xF0, 0x02, 0x7E, 0xF7}}) {
        Bytes broken = header(0, 1, 96) + track(ev(0, {0x90, 60, 100}) + vlq(0) + cancel + ev(0, {62, 100}));
        EXPECT_FALSE(parseMidiFile(broken, &none, &error));
        EXPECT_EQ(error.offset, 14u + 8 + 4 + 1 + cancel.size() + 1);
        EXPECT_NE(error.message.find("running status"), std::string::npos) << error.message;
    }
}

TEST(MidiReader, TempoChangesInTheFirstTrackTimeEveryTrack) {
    // Track 0: 120 bpm, then 60 bpm from tick 96 (one quarter); track 1 holds the notes.
    Bytes conductor = track(tempoEvent(0, 500000) + tempoEvent(96, 1000000) + endOfTrack());
    Bytes notes = track(ev(48, {0x90, 60, 100}) + ev(48, {0x90, 61, 100}) + ev(96, {0x90, 62, 100}) +
                        ev(48, {0x90, 63, 100}) + endOfTrack());
    MidiSong song = parsed(header(1, 2, 96) + conductor + notes);
    ASSERT_EQ(song.messages.size(), 4u);
    EXPECT_DOUBLE_EQ(song.messages[0].seconds, 0.25);
    EXPECT_DOUBLE_EQ(song.messages[1].seconds, 0.5) << "at the tempo change itself";
    EXPECT_DOUBLE_EQ(song.messages[2].seconds, 1.5);
    EXPECT_DOUBLE_EQ(song.messages[3].seconds, 2.0);
    EXPECT_EQ(song.skippedEvents, 2u) << "tempo events are meta events and are not passed on";

    // A tempo change in a later track counts too.
    Bytes late = track(tempoEvent(96, 250000) + endOfTrack());
    MidiSong fast = parsed(header(1, 2, 96) + track(ev(192, {0x90, 60, 1}) + endOfTrack()) + late);
    EXPECT_DOUBLE_EQ(fast.messages[0].seconds, 0.75);
}

TEST(MidiReader, TracksMergeInTimeOrderStablyForEqualTimes) {
    Bytes a = track(ev(0, {0x90, 1, 1}) + ev(100, {0x90, 2, 1}) + ev(0, {0x80, 3, 0}) + ev(0, {0x90, 3, 1}) +
                    endOfTrack());
    Bytes b = track(ev(50, {0x90, 10, 1}) + ev(50, {0x90, 11, 1}) + ev(1, {0x90, 12, 1}) + endOfTrack());
    Bytes c = track(ev(100, {0x90, 20, 1}) + endOfTrack());
    MidiSong song = parsed(header(1, 3, 96) + a + b + c);
    std::vector<int> keys, tracks;
    for (const MidiMessage& m : song.messages) {
        keys.push_back(m.bytes[1]);
        tracks.push_back(m.track);
    }
    // At tick 100: track 0's three events in file order (note-off before note-on
    // of key 3), then track 1's, then track 2's.
    EXPECT_EQ(keys, (std::vector<int>{1, 10, 2, 3, 3, 11, 20, 12}));
    EXPECT_EQ(tracks, (std::vector<int>{0, 1, 0, 0, 0, 1, 2, 1}));
    EXPECT_EQ(song.messages[3].bytes[0], 0x80);
    for (size_t i = 1; i < song.messages.size(); i++)
        EXPECT_LE(song.messages[i - 1].seconds, song.messages[i].seconds);
}

TEST(MidiReader, SysexAndMetaEventsAreSkippedAndCounted) {
    Bytes events = ev(0, {0xFF, 0x03, 0x04, 'n', 'a', 'm', 'e'}) + ev(0, {0xF0, 0x03, 0x7E, 0x09, 0xF7}) +
                   ev(10, {0x90, 60, 100}) + ev(0, {0xF7, 0x02, 0x01, 0x02}) + ev(0, {0xFF, 0x59, 0x02, 0x00, 0x00}) +
                   ev(10, {0x80, 60, 0}) + endOfTrack();
    MidiSong song = parsed(header(0, 1, 96) + track(events));
    EXPECT_EQ(statuses(song), (std::vector<int>{0x90, 0x80}));
    EXPECT_EQ(song.skippedEvents, 4u);
}

TEST(MidiReader, SmpteDivisionCountsTicksPerFrameAndIgnoresTempo) {
    // 25 frames per second, 40 ticks per frame: a tick is one millisecond.
    int division = (0x100 - 25) << 8 | 40;
    MidiSong song = parsed(header(0, 1, division) + track(tempoEvent(0, 250000) + ev(1000, {0x90, 60, 100}) +
                                                           ev(250, {0x80, 60, 0}) + endOfTrack()));
    EXPECT_EQ(song.smpteFramesPerSecond, 25);
    EXPECT_EQ(song.ticksPerSmpteFrame, 40);
    ASSERT_EQ(song.messages.size(), 2u);
    EXPECT_DOUBLE_EQ(song.messages[0].seconds, 1.0);
    EXPECT_DOUBLE_EQ(song.messages[1].seconds, 1.25);

    MidiSong drop = parsed(header(0, 1, (0x100 - 29) << 8 | 100) + track(ev(2997, {0x90, 60, 1}) + endOfTrack()));
    EXPECT_NEAR(drop.messages[0].seconds, 2997 * 1001 / 3e6, 1e-12) << "29 stands for 30000/1001 frames per second";
}

TEST(MidiReader, TrackEndsAtItsEndEventOrItsChunk) {
    // Bytes after the end-of-track event are not played; a track without one ends with its chunk.
    Bytes withTail = track(ev(0, {0x90, 60, 1}) + endOfTrack(5) + ev(0, {0x90, 61, 1}));
    Bytes unterminated = track(ev(7, {0x90, 62, 1}));
    MidiSong song = parsed(header(1, 2, 96) + withTail + unterminated);
    std::vector<int> keys;
    for (const MidiMessage& m : song.messages) keys.push_back(m.bytes[1]);
    EXPECT_EQ(keys, (std::vector<int>{60, 62}));
}

TEST(MidiReader, ForeignChunksLongHeadersAndTrailingBytesArePassedOver) {
    Bytes file = header(0, 1, 96, 8) + Bytes{0, 0} + chunk("XFIH", Bytes{1, 2, 3}) +
                 track(ev(0, {0x90, 60, 1}) + endOfTrack()) + Bytes{0, 0, 0};
    EXPECT_EQ(parsed(file).messages.size(), 1u);
}

struct Damage {
    const char* what;
    Bytes file;
    size_t offset;
    const char* says;
};

TEST(MidiReader, DamagedFilesFailWithTheOffsetOfTheProblem) {
    Bytes h = header(0, 1, 96);  // 14 bytes; a track's events start at 22
    const std::vector<Damage> cases = {
        {"empty", Bytes{}, 0, "not a MIDI file"},
        {"text", Bytes{'h', 'e', 'l', 'l', 'o', ' ', 'w', 'o', 'r', 'l', 'd', '\n', 'x', 'y', 'z'}, 0,
         "not a MIDI file"},
        {"RIFF", Bytes{'R', 'I', 'F', 'F', 0, 0, 0, 4, 'W', 'A', 'V', 'E', 0, 0}, 0, "not a MIDI file"},
        {"short header", Bytes{'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 0}, 10, "truncated header"},
        {"header length below 6", header(0, 1, 96, 4) + track(endOfTrack()), 4, "below 6"},
        {"header longer than the file", header(0, 1, 96, 1000), 4, "past the end"},
        {"format 2", header(2, 1, 96) + track(endOfTrack()), 8, "format 2"},
        {"format 7", header(7, 1, 96) + track(endOfTrack()), 8, "unknown format"},
        {"no tracks", header(0, 0, 96), 10, "no tracks"},
        {"zero division", header(0, 1, 0) + track(endOfTrack()), 12, "division"},
        {"SMPTE 23 fps", header(0, 1, (0x100 - 23) << 8 | 4) + track(endOfTrack()), 12, "SMPTE"},
        {"SMPTE 0 ticks", header(0, 1, (0x100 - 25) << 8) + track(endOfTrack()), 13, "SMPTE"},
        {"missing track", header(1, 2, 96) + track(endOfTrack()), 26, "track 2 of 2"},
        {"garbage for a chunk", h + Bytes{0x00, 0x01, 0x02, 0x03, 0, 0, 0, 0}, 14, "no chunk"},
        {"chunk past the end", h + Bytes{'M', 'T', 'r', 'k', 0, 0, 0, 50} + endOfTrack(), 18, "past the end"},
        {"delta longer than 4 bytes", h + track(Bytes{0x81, 0x81, 0x81, 0x81, 0x01} + endOfTrack()), 22,
         "longer than 4 bytes"},
        {"delta cut off", h + track(Bytes{0x00, 0x90, 60, 1, 0x81}), 27, "truncated delta"},
        {"event cut off after its delta", h + track(Bytes{0x00}), 23, "truncated event"},
        {"data byte first", h + track(ev(0, {60, 100}) + endOfTrack()), 23, "without a running status"},
        {"status where data belongs", h + track(ev(0, {0x90, 60, 0x80}) + endOfTrack()), 25, "where a data byte"},
        {"note cut off", h + track(ev(0, {0x90, 60})), 25, "truncated 0x90"},
        {"meta cut off", h + track(Bytes{0x00, 0xFF}), 24, "truncated meta"},
        {"meta past its track", h + track(ev(0, {0xFF, 0x01, 0x09, 'a'}) + endOfTrack()), 25, "past the end of its"},
        {"sysex past its track", h + track(ev(0, {0xF0, 0x7F, 0x01})), 24, "past the end of its"},
        {"sysex length cut off", h + track(ev(0, {0xF0, 0x81})), 25, "truncated system exclusive"},
        {"system common status", h + track(ev(0, {0xF2, 0x00, 0x00}) + endOfTrack()), 23, "does not belong"},
        {"real-time status", h + track(ev(0, {0xF8}) + endOfTrack()), 23, "does not belong"},
        {"tempo of 2 bytes", h + track(ev(0, {0xFF, 0x51, 0x02, 1, 2}) + endOfTrack()), 25, "tempo event"},
        {"tempo of zero", h + track(ev(0, {0xFF, 0x51, 0x03, 0, 0, 0}) + endOfTrack()), 26, "tempo of 0"},
    };
    for (const Damage& d : cases) {
        MidiSong song;
        song.messages.resize(3);
        MidiFileError error;
        EXPECT_FALSE(parseMidiFile(d.file, &song, &error)) << d.what;
        EXPECT_EQ(error.offset, d.offset) << d.what << ": " << error.message;
        EXPECT_NE(error.message.find(d.says), std::string::npos) << d.what << ": " << error.message;
        EXPECT_TRUE(song.messages.empty()) << d.what << ": a failed parse leaves no partial song";
    }
}

Bytes validSong() {
    return header(1, 2, 96) + track(tempoEvent(0, 400000) + ev(0, {0xFF, 0x03, 0x02, 'a', 'b'}) + endOfTrack()) +
           track(ev(0, {0x90, 60, 100}) + ev(10, {62, 90}) + ev(0, {0xF0, 0x02, 0x01, 0xF7}) +
                 ev(0x81, {0xB0, 64, 127}) + ev(3, {0xE0, 0, 64}) + ev(300, {0x80, 60, 0}) + endOfTrack());
}

TEST(MidiReader, EveryTruncationFailsCleanlyAndReportsAnOffsetInsideTheFile) {
    Bytes full = validSong();
    ASSERT_EQ(parsed(full).messages.size(), 5u);
    for (size_t n = 0; n < full.size(); n++) {
        Bytes cut(full.begin(), full.begin() + n);
        MidiSong song;
        MidiFileError error;
        EXPECT_FALSE(parseMidiFile(cut, &song, &error)) << "cut at " << n;
        EXPECT_LE(error.offset, n) << "cut at " << n << ": " << error.message;
        EXPECT_FALSE(error.message.empty());
    }
}

TEST(MidiReader, FlippedBytesNeverCrashAndGiveOrderedFiniteTimes) {
    Bytes full = validSong();
    std::mt19937 random(20240611);
    for (int round = 0; round < 20000; round++) {
        Bytes damaged = full;
        for (int flips = 1 + round % 3; flips > 0; flips--)
            damaged[random() % damaged.size()] ^= (uint8_t)(1u << (random() % 8));
        MidiSong song;
        MidiFileError error;
        if (!parseMidiFile(damaged, &song, &error)) {
            EXPECT_LE(error.offset, damaged.size());
            continue;
        }
        for (size_t i = 0; i < song.messages.size(); i++) {
            ASSERT_TRUE(std::isfinite(song.messages[i].seconds));
            if (i) {
                ASSERT_LE(song.messages[i - 1].seconds, song.messages[i].seconds);
            }
            ASSERT_LT(song.messages[i].bytes[0], 0xF0);
            ASSERT_TRUE(song.messages[i].size == 2 || song.messages[i].size == 3);
        }
    }
}

TEST(MidiReader, ReadsFromDiskAndNamesAMissingFile) {
    MidiSong song;
    MidiFileError error;
    EXPECT_FALSE(readMidiFile("no/such/file.mid", &song, &error));
    EXPECT_EQ(error.offset, 0u);
    EXPECT_NE(error.message.find("cannot open"), std::string::npos);

    std::string path = testing::TempDir() + "reader_test.mid";
    Bytes file = validSong();
    std::FILE* f = std::fopen(path.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    std::fwrite(file.data(), 1, file.size(), f);
    std::fclose(f);
    EXPECT_TRUE(readMidiFile(path, &song, &error)) << error.message;
    EXPECT_EQ(song.messages.size(), 5u);
    std::remove(path.c_str());
}

}  // namespace
