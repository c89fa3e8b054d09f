// The renderer's host driving the impulse test instrument: on Windows the
// DLL loaded through its exported entry, natively the same code linked in.
#include <gtest/gtest.h>

#include <cmath>
#include <sstream>

#include "tests/render/impulse_instrument.h"
#include "tests/render/midi_builder.h"
#include "tools/render-midi/render_host.h"

#ifdef _WIN32
#include "tools/vsthost/plugin_library.h"
#else
extern "C" AEffect* VSTPluginMain(audioMasterCallback host);
extern "C" const ImpulseEvent* impulseEvents(int* count);
extern "C" const char* impulseCalls();
extern "C" int impulseMisplaced();
#endif

namespace {

struct Instrument {
    VstEntryProc entry = nullptr;
    ImpulseEventsProc events = nullptr;
    ImpulseCallsProc calls = nullptr;
    ImpulseMisplacedProc misplaced = nullptr;
};

Instrument instrument(bool plain = false) {
    Instrument i;
#ifdef _WIN32
    static PluginLibrary libraries[2];
    PluginLibrary& library = libraries[plain];
    if (!library.handle() && !library.load(plain ? "impulse-plain.dll" : "impulse-instrument.dll", nullptr)) return i;
    i.entry = library.entry();
    i.events = (ImpulseEventsProc)(void*)library.entry("impulseEvents");
    i.calls = (ImpulseCallsProc)(void*)library.entry("impulseCalls");
    i.misplaced = (ImpulseMisplacedProc)(void*)library.entry("impulseMisplaced");
#else
    if (plain) return i;
    i.entry = VSTPluginMain;
    i.events = impulseEvents;
    i.calls = impulseCalls;
    i.misplaced = impulseMisplaced;
#endif
    return i;
}

constexpr uint32_t kRate = 48000;
constexpr int kFramesPerTick = 48;  // 1000 ticks per quarter at 60 bpm: a tick is 1 ms

struct Sent {
    uint32_t tick;
    std::vector<uint8_t> bytes;
};

// Frames: 0, 48, 192 (a block boundary for 1, 48, 64, 96, 192), 1008, 4800 (a
// boundary for most sizes; a note-off and note-on of one key share it), 9744, 24000.
const std::vector<Sent> kSong = {
    {0, {0x90, 60, 100}},  {1, {0xB0, 1, 64}},  {4, {0x90, 64, 50}},  {4, {0xC0, 3}},
    {21, {0xE0, 0, 80}},   {100, {0x80, 60, 0}}, {100, {0x90, 60, 127}}, {203, {0xD0, 90}},
    {500, {0x80, 64, 0}},  {500, {0x90, 60, 0}},
};

MidiSong songOf(const std::vector<Sent>& sent) {
    Bytes events = tempoEvent(0, 1000000);
    uint32_t now = 0;
    for (const Sent& s : sent) {
        events = events + vlq(s.tick - now) + Bytes(s.bytes.begin(), s.bytes.end());
        now = s.tick;
    }
    MidiSong song;
    MidiFileError error;
    EXPECT_TRUE(parseMidiFile(header(0, 1, 1000) + track(events + endOfTrack()), &song, &error)) << error.message;
    return song;
}

struct Rendered {
    std::vector<float> left, right;
    RenderStats stats;
    std::vector<ImpulseEvent> received;
    std::string calls;
    int misplaced = 0;
};

Rendered render(const MidiSong& song, VstInt32 block, const std::vector<ParamSetting>& params = {},
                double maxTail = 2, bool plain = false) {
    Rendered r;
    Instrument inst = instrument(plain);
    EXPECT_NE(inst.entry, nullptr);
    if (!inst.entry) return r;
    RenderHost host;
    std::string error;
    EXPECT_TRUE(host.start(inst.entry, kRate, block, &error)) << error;
    EXPECT_TRUE(host.applyParameters(params, &error)) << error;
    RenderSettings settings;
    settings.sampleRate = kRate;
    settings.blockSize = block;
    settings.maxTailSeconds = maxTail;
    auto sink = [&](const float* l, const float* rt, VstInt32 n) {
        r.left.insert(r.left.end(), l, l + n);
        r.right.insert(r.right.end(), rt, rt + n);
        return true;
    };
    EXPECT_TRUE(host.render(song, settings, sink, &r.stats));
    host.stop();
    int count = 0;
    const ImpulseEvent* events = inst.events(&count);
    r.received.assign(events, events + count);
    r.calls = inst.calls();
    r.misplaced = inst.misplaced();
    return r;
}

TEST(RenderHost, EveryEventReachesThePluginAtItsExactFrameWhateverTheBlockSize) {
    MidiSong song = songOf(kSong);
    for (VstInt32 block : {1, 7, 48, 64, 100, 192, 512, 4096}) {
        SCOPED_TRACE("block " + std::to_string(block));
        Rendered r = render(song, block);
        ASSERT_EQ(r.received.size(), kSong.size());
        for (size_t i = 0; i < kSong.size(); i++) {
            EXPECT_EQ(r.received[i].frame, (long long)kSong[i].tick * kFramesPerTick) << "event " << i;
            for (size_t b = 0; b < kSong[i].bytes.size(); b++)
                EXPECT_EQ(r.received[i].bytes[b], kSong[i].bytes[b]) << "event " << i << " byte " << b;
        }
        EXPECT_EQ(r.misplaced, 0) << "every event inside the block it was handed with";
        EXPECT_EQ(r.stats.eventsBeyondBlockEnd, 0u);
        EXPECT_EQ(r.stats.eventsSent, kSong.size());
        EXPECT_EQ(r.stats.nonFiniteSamples, 0u);

        // The impulses are where the events are, and nothing else sounds.
        ASSERT_GT(r.left.size(), 24000u);
        EXPECT_FLOAT_EQ(r.left[0], 100 / 127.f);
        EXPECT_FLOAT_EQ(r.left[192], 50 / 127.f + 0.125f) << "note-on and program change share frame 192";
        EXPECT_FLOAT_EQ(r.left[4800], -0.25f + 1.f) << "note-off and note-on of one key at one frame";
        EXPECT_FLOAT_EQ(r.right[1008], 0.f) << "pitch bend's first data byte";
        EXPECT_FLOAT_EQ(r.right[9744], 90 / 127.f) << "channel pressure";
        int sounding = 0;
        for (size_t f = 0; f < r.left.size(); f++) sounding += r.left[f] != 0.f;
        EXPECT_EQ(sounding, 7) << "one impulse per frame that has events";
        EXPECT_NEAR(r.stats.peak, 124 / 127.0, 1e-6) << "the largest impulse: keys 64 and 60 at frame 24000";
    }
}

TEST(RenderHost, DrivesThePluginAsACarefulHostDoes) {
    Rendered r = render(songOf(kSong), 64);
    std::istringstream words(r.calls);
    std::vector<std::string> calls;
    for (std::string w; words >> w;) calls.push_back(w);
    ASSERT_GE(calls.size(), 7u);
    EXPECT_EQ(std::vector<std::string>(calls.begin(), calls.begin() + 5),
              (std::vector<std::string>{"version=2400", "open", "rate=48000", "block=64", "mains=1"}));
    EXPECT_EQ(std::vector<std::string>(calls.end() - 2, calls.end()), (std::vector<std::string>{"mains=0", "close"}));
    size_t processed = 0, eventBlocks = 0;
    for (size_t i = 5; i + 2 < calls.size(); i++) {
        if (calls[i].rfind("events=", 0) == 0) {
            eventBlocks++;
            EXPECT_EQ(calls[i + 1], "process=64") << "events come just before the block they belong to";
        } else {
            EXPECT_EQ(calls[i], "process=64") << "call " << i;
            processed++;
        }
    }
    EXPECT_EQ(processed * 64, r.left.size());
    EXPECT_EQ(eventBlocks, 6u) << "one event call per block with events, none for the others";
}

TEST(RenderHost, TheTailRunsUntilSilenceOrItsLimit) {
    MidiSong song = songOf(kSong);
    const uint64_t songEnd = 500 * kFramesPerTick + 1;
    const uint64_t silence = kRate / 4;
    Rendered quiet = render(song, 100);
    EXPECT_FALSE(quiet.stats.tailCut);
    EXPECT_EQ(quiet.stats.songFrames, songEnd);
    EXPECT_GE(quiet.left.size(), songEnd + silence - 100) << "a quarter second of silence after the song";
    EXPECT_LT(quiet.left.size(), songEnd + silence + 100);

    // A plug-in that never falls silent is cut off at the tail limit.
    Rendered humming = render(song, 100, {{"Hum", 1.f}}, 1.5);
    EXPECT_TRUE(humming.stats.tailCut);
    EXPECT_GE(humming.left.size(), songEnd + kRate * 3 / 2);
    EXPECT_LT(humming.left.size(), songEnd + kRate * 3 / 2 + 100);
    EXPECT_FLOAT_EQ(humming.right.back(), 0.001f);

    // An empty song is a quarter second of silence.
    Rendered empty = render(songOf({}), 512);
    EXPECT_EQ(empty.stats.eventsSent, 0u);
    EXPECT_EQ(empty.left.size(), 12288u) << "24 blocks of 512 reach 12000 frames of silence";
    EXPECT_EQ(empty.stats.peak, 0.0);
}

TEST(RenderHost, ParametersAreSetByIndexOrByNameBeforeTheRender) {
    MidiSong song = songOf({{0, {0x90, 60, 127}}});
    EXPECT_FLOAT_EQ(render(song, 64, {{"Level", 0.5f}}).left[0], 0.5f);
    EXPECT_FLOAT_EQ(render(song, 64, {{" level ", 0.25f}}).left[0], 0.25f) << "names match without case or spaces";
    EXPECT_FLOAT_EQ(render(song, 64, {{"0", 0.75f}}).left[0], 0.75f);
    EXPECT_FLOAT_EQ(render(song, 64, {{"0", 0.2f}, {"Level", 0.4f}}).left[0], 0.4f) << "the last setting wins";

    Instrument inst = instrument();
    ASSERT_NE(inst.entry, nullptr);
    RenderHost host;
    std::string error;
    ASSERT_TRUE(host.start(inst.entry, kRate, 64, &error)) << error;
    EXPECT_EQ(host.parameterNames(), (std::vector<std::string>{"Level", "Treble", "Hum", "Broken"}));
    EXPECT_FALSE(host.applyParameters({{"Level", 0.1f}, {"Bass", 0.5f}}, &error));
    EXPECT_EQ(error, "no parameter named \"Bass\" (the plug-in has: Level, Treble, Hum, Broken)");
    EXPECT_FLOAT_EQ(host.instance()->getParameter(0), 1.f) << "nothing is set when one setting is wrong";
    EXPECT_FALSE(host.applyParameters({{"4", 0.5f}}, &error));
    EXPECT_NE(error.find("out of range"), std::string::npos) << error;
    EXPECT_FALSE(host.applyParameters({{"21", 1.f}}, &error)) << "no index beyond the plug-in's parameters";
}

TEST(RenderHost, NonFiniteOutputIsCountedAndKeptOutOfTheLevels) {
    Rendered r = render(songOf(kSong), 64, {{"Broken", 1.f}});
    EXPECT_EQ(r.stats.nonFiniteSamples, 7u) << "one per frame with events";
    EXPECT_TRUE(std::isfinite(r.stats.peak));
    EXPECT_TRUE(std::isfinite(r.stats.rms()));
    EXPECT_NEAR(r.stats.peak, 124 / 127.0, 1e-6) << "the right channel's largest impulse";
}

TEST(RenderHost, ASinkThatFailsStopsTheRender) {
    Instrument inst = instrument();
    ASSERT_NE(inst.entry, nullptr);
    RenderHost host;
    std::string error;
    ASSERT_TRUE(host.start(inst.entry, kRate, 64, &error));
    RenderStats stats;
    int blocks = 0;
    EXPECT_FALSE(host.render(songOf(kSong), RenderSettings(), [&](const float*, const float*, VstInt32) {
        return ++blocks < 3;
    }, &stats));
    EXPECT_EQ(blocks, 3);
}

#ifdef _WIN32
TEST(RenderHost, EveryDeclaredInputAndOutputGetsABuffer) {
    // One input and three outputs: a host that passed fewer buffers would crash it.
    Rendered r = render(songOf(kSong), 64, {}, 2, true);
    ASSERT_EQ(r.received.size(), kSong.size());
    EXPECT_FLOAT_EQ(r.left[0], 100 / 127.f);
    EXPECT_FLOAT_EQ(r.right[0], 60 / 127.f);
}
#endif

TEST(RenderHost, AnEntryThatRefusesIsReported) {
    RenderHost host;
    std::string error;
    EXPECT_FALSE(host.start([](audioMasterCallback) -> AEffect* { return nullptr; }, kRate, 64, &error));
    EXPECT_EQ(error, "the plug-in's entry returned no instance");
}

}  // namespace
