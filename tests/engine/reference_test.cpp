// The optimised render against the frame-by-frame model: same events, same
// parameter changes, same rates; every output value must match to the bit.
// And the voice mix on its own, on every instruction set it has, against the
// model's mix of the same voice records.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "engine/voice_mix.h"
#include "tests/engine/engine_test_util.h"
#include "tests/engine/reference_engine.h"
#include "tests/engine/synthetic_samples.h"

namespace {

struct Random {
    uint32_t state;
    uint32_t next() { return state = state * 1664525u + 1013904223u; }
    int below(int n) { return (int)((next() >> 8) % (uint32_t)n); }
};

struct Pair {
    std::unique_ptr<EpianoEngine> engine = synth::makeEngine();
    ReferenceEngine model{synth::samples().data, synth::samples().info};

    void setParameter(int index, float value) {
        engine->setParameter(index, value);
        model.setParameter(index, value);
    }
    void setRate(float rate) {
        engine->setSampleRate(rate);
        model.setSampleRate(rate);
    }
    // One block; returns false at the first differing bit.
    bool block(MidiList& events, int frames, std::string* where) {
        Stereo got = renderBlock(*engine, frames, events.size() ? &events : nullptr);
        if (events.size()) model.processEvents(events);
        std::vector<float> l(frames), r(frames);
        model.process(l.data(), r.data(), frames);
        for (int f = 0; f < frames; f++)
            if (std::memcmp(&got.left[f], &l[f], 4) || std::memcmp(&got.right[f], &r[f], 4)) {
                *where = "frame " + std::to_string(f) + ": " + std::to_string(got.left[f]) + " vs " +
                         std::to_string(l[f]) + ", " + std::to_string(got.right[f]) + " vs " + std::to_string(r[f]);
                return false;
            }
        return got.size() == (size_t)frames && engine->voiceCount() == model.active;
    }
};

// Random playing: chords, releases, pedal, wheel, channel volume, all-notes-off,
// out-of-order and negative offsets, parameter and rate changes between blocks.
void playRandomly(uint32_t seed, int blocks, bool changeParameters) {
    Pair p;
    Random rnd{seed};
    const int sizes[] = {0, 1, 17, 64, 256, 300, 512, 1000, 2048};  // 0: the events wait
    long frames = 0, sounding = 0;
    int mostVoices = 0;
    for (int b = 0; b < blocks; b++) {
        int n = sizes[rnd.below(9)];
        MidiList events;
        int count = rnd.below(12);
        for (int i = 0, at = 0; i < count; i++) {
            at += rnd.below(n / count + 1);
            int kind = rnd.below(20);
            int delta = rnd.below(30) == 0 ? at - 40 : at;  // now and then an earlier offset
            if (kind < 10)
                events.add(delta, 0x90 | rnd.below(16), 15 + rnd.below(105), rnd.below(128));
            else if (kind < 15)
                events.add(delta, 0x80, 15 + rnd.below(105), 64);
            else if (kind == 15)
                events.add(delta, 0xB0, rnd.below(2) ? 64 : 66, rnd.below(128));
            else if (kind == 16)
                events.add(delta, 0xB0, 1, rnd.below(128));
            else if (kind == 17)
                events.add(delta, 0xB0, 7, rnd.below(128));
            else if (kind == 18 && rnd.below(4) == 0)
                events.add(delta, 0xB0, 123 + rnd.below(5), 0);
            else
                events.add(delta, 0xE0, 0, 64);  // pitch bend: ignored
        }
        if (changeParameters && rnd.below(10) == 0)
            p.setParameter(rnd.below(5), rnd.below(101) / 100.f);
        if (changeParameters && rnd.below(25) == 0) p.setRate(rnd.below(2) ? 48000.f : 22050.f + rnd.below(80000));
        if (rnd.below(15) == 0) p.setParameter(21 + rnd.below(88), (float)rnd.below(2));
        std::string where;
        ASSERT_TRUE(p.block(events, n, &where)) << "seed " << seed << " block " << b << " at " << frames << " "
                                                << where;
        frames += n;
        mostVoices = std::max(mostVoices, p.engine->voiceCount());
        sounding += p.engine->voiceCount() > 0;
    }
    // The comparison means something only if the playing was busy.
    EXPECT_EQ(mostVoices, kMaxVoices) << "voices were stolen";
    EXPECT_GT(sounding, blocks / 2);
}

TEST(RenderMatchesFrameByFrameModel, DefaultProgramBusyPlaying) { playRandomly(1, 400, false); }

TEST(RenderMatchesFrameByFrameModel, WithParameterAndRateChanges) {
    playRandomly(7, 400, true);
    playRandomly(12345, 400, true);
}

// Floods of releases fill the queue: every note-off must still reach its key
// as in the model, whose queue has no limit. Each case: a chord held from the
// block before, then one 8192-frame block with the flood and the releases.
TEST(RenderMatchesFrameByFrameModel, FloodsOfReleasesLoseNoNoteOff) {
    struct Flood {
        const char* what;
        int pedalUps, repeatedOffs;  // of key 60, before the real releases
        bool pedalDown;              // the pedal down before the flood
    };
    const Flood floods[] = {
        {"pedal-ups with the pedal already up", kMaxQueuedEvents, 0, false},
        {"pedal-ups that free the held chord", kMaxQueuedEvents, 0, true},
        {"note-offs of one key", 0, kMaxQueuedEvents, false},
        {"both, interleaved", kMaxQueuedEvents / 2, kMaxQueuedEvents / 2, false},
    };
    const int chord[] = {61, 64, 67, 72};
    for (const Flood& flood : floods) {
        SCOPED_TRACE(flood.what);
        Pair p;
        MidiList start;
        if (flood.pedalDown) start.add(0, 0xB0, 64, 127);
        for (int key : chord) start.add(0, 0x90, key, 100);
        if (flood.pedalDown)
            for (int key : chord) start.add(200, 0x80, key, 0);  // held by the pedal
        std::string where;
        ASSERT_TRUE(p.block(start, 256, &where)) << where;
        MidiList block;
        for (int i = 0; i < std::max(flood.pedalUps, flood.repeatedOffs); i++) {
            if (i < flood.pedalUps) block.add(i * 2, 0xB0, 64, 0);
            if (i < flood.repeatedOffs) block.add(i * 2 + 1, 0x80, 60, 0);
        }
        for (int k = 0; k < 4; k++) block.add(8000 + k, 0x80, chord[k], 0);  // the last ones of all
        block.add(100, 0x80, chord[0], 0);  // and one earlier than much of the flood
        ASSERT_TRUE(p.block(block, 8192, &where)) << where;
        for (int b = 0; b < 4; b++) {
            MidiList none;
            ASSERT_TRUE(p.block(none, 8192, &where)) << "block " << b << " after: " << where;
        }
        for (int i = 0; i < p.engine->voiceCount(); i++)
            EXPECT_LT(p.engine->voice(i).decay, 0.9995f) << "key " << p.engine->voice(i).key << " rings on";
    }
}

TEST(RenderMatchesFrameByFrameModel, EveryProgramCorner) {
    // Treble both sides of 0.5, tremolo and auto-pan, soft volume, slow and fast LFO.
    const float settings[][5] = {
        {0.f, 0.f, 0.f, 0.f, 0.3f}, {1.f, 1.f, 1.f, 1.f, 1.f}, {0.2f, 0.8f, 0.75f, 0.4f, 0.7f}, {0.9f, 0.3f, 0.1f, 0.9f, 2.f}};
    for (const auto& s : settings) {
        Pair p;
        for (int i = 0; i < 5; i++) p.setParameter(i, s[i]);
        Random rnd{99};
        for (int b = 0; b < 60; b++) {
            MidiList events;
            for (int i = 0; i < 6; i++) events.add(i * 40, rnd.below(3) ? 0x90 : 0x80, 21 + rnd.below(88), 1 + rnd.below(127));
            std::string where;
            ASSERT_TRUE(p.block(events, 300, &where)) << where;
        }
    }
}

// The voice mix on its own: voice records straight from a table of ways to
// start them, mixed in blocks of every size by each path and by the model;
// outputs and voice records must match to the bit after every block.

// The test recordings with room before and after: a voice stepping
// backwards, or at the loop's end, reads there.
constexpr int kRoom = 24000;
struct RoomyRecordings {
    std::vector<int16_t> values[kNumSamples];
    const int16_t* start[kNumSamples];
    RoomyRecordings() {
        for (int k = 0; k < kNumSamples; k++) {
            values[k].resize(kRoom + synth::kLength + kRoom);
            for (size_t i = 0; i < values[k].size(); i++)
                values[k][i] = synth::value(k, (int)((i + synth::kLength - kRoom % synth::kLength) % synth::kLength));
            start[k] = values[k].data() + kRoom;
        }
    }
};

enum class Start { Anywhere, NearTheEnd, AtOrPastTheEnd, Silenced };
enum class Steps { Pitched, Extreme };

// Steps the vector paths take and those they leave to one frame at a time:
// standing still, crawling, at and past the vector limit, far past the loop
// in one frame, backwards.
const int32_t kExtremeSteps[] = {0, 1, 65535, 65536, (1 << 23) - 1, 1 << 23, 1 << 27, 1 << 30, -1, -65536, -131072};

Voice startVoice(Random& rnd, Start start, Steps steps) {
    Voice v{};
    v.sampleIndex = rnd.below(kNumSamples);
    v.endPosition = synth::loopEnd(v.sampleIndex) - 1;
    v.loopLength = synth::loopEnd(v.sampleIndex) - synth::loopStart(v.sampleIndex);  // odd for odd entries
    v.step = steps == Steps::Pitched ? 8000 + rnd.below(400000) : kExtremeSteps[rnd.below(std::size(kExtremeSteps))];
    v.fraction = rnd.below(65536);
    v.position = start == Start::Anywhere || start == Start::Silenced ? rnd.below(v.endPosition + 1)
                 : start == Start::NearTheEnd ? v.endPosition - rnd.below(40)
                                              : v.endPosition + rnd.below(3) * rnd.below(200);
    if (start == Start::AtOrPastTheEnd && rnd.below(3) == 0) v.loopLength = rnd.below(2);  // stays past the end
    v.level = 0.01f + rnd.below(500) / 100.f;
    if (rnd.below(8) == 0) v.level = rnd.below(2) ? 1e-30f : 3e37f;  // runs into subnormals, or past the top
    if (start == Start::Silenced) v.level = 0.f;  // as a program change leaves them: -0 from negative values
    v.decay = rnd.below(8) == 0 ? 1.5f : 0.99f + rnd.below(1000) / 100000.f;
    v.gainLeft = 0.05f + rnd.below(100) / 100.f;
    v.gainRight = 0.4f - rnd.below(100) / 400.f;
    return v;
}

bool sameVoice(const Voice& a, const Voice& b) {
    return a.fraction == b.fraction && a.position == b.position && std::memcmp(&a.level, &b.level, 4) == 0;
}

struct MixCase {
    const char* name;
    int firstCount, lastCount;  // every voice count in between
    Start start;
    Steps steps;
    int blocks;
};

const MixCase kMixCases[] = {
    {"every voice count, anywhere in the loop", 1, 32, Start::Anywhere, Steps::Pitched, 12},
    {"wraps inside a group, odd and even loops", 1, 9, Start::NearTheEnd, Steps::Pitched, 30},
    {"extreme steps", 1, 12, Start::Anywhere, Steps::Extreme, 16},
    {"at or past the loop's end", 1, 12, Start::AtOrPastTheEnd, Steps::Pitched, 16},
    {"extreme steps past the end", 1, 12, Start::AtOrPastTheEnd, Steps::Extreme, 16},
    {"silenced, still playing to the block's end", 1, 5, Start::Silenced, Steps::Pitched, 16},
};

// Block sizes around every vector width and the render call's stretch.
const int kBlockSizes[] = {1,  2,  3,  4,  5,   7,   8,   9,   15,  16,  17,  31,
                           32, 33, 63, 64, 65, 127, 128, 129, 255, 256, 257, 4096};

// Each path on its own, named: SSE2 runs everywhere (also where the processor
// has AVX2 and the engine would take that), AVX2 says it was skipped where
// there is none, rather than passing on SSE2 alone.
struct MixMatchesFrameByFrameModel : ::testing::TestWithParam<MixPath> {};

TEST_P(MixMatchesFrameByFrameModel, EveryCaseEveryBlockSize) {
    const MixPath path = GetParam();
    if (!mixPathAvailable(path)) GTEST_SKIP() << "skipped: no AVX2 (not in this processor, or a 32-bit build)";
    static const RoomyRecordings recordings;
    for (const MixCase& c : kMixCases)
        for (int count = c.firstCount; count <= c.lastCount; count++) {
            Random rnd{(uint32_t)(count * 7919 + (int)c.start * 31 + (int)c.steps)};
            std::vector<Voice> mixed, model;
            for (int i = 0; i < count; i++) mixed.push_back(startVoice(rnd, c.start, c.steps));
            model = mixed;
            for (int b = 0; b < c.blocks; b++) {
                int n = kBlockSizes[rnd.below(std::size(kBlockSizes))];
                if (c.steps == Steps::Extreme && n > 257) n = 257;  // backward steps stay inside the room
                std::vector<float> l(n, -1.f), r(n, -1.f), ml(n), mr(n);
                mixVoicesOn(path, mixed.data(), recordings.start, count, n, l.data(), r.data());
                referenceMixFrames(model.data(), recordings.start, count, n, ml.data(), mr.data());
                std::string where = std::string(path == MixPath::Avx2 ? "AVX2" : "SSE2") + ", " + c.name +
                                    ", " + std::to_string(count) + " voices, block " + std::to_string(b) +
                                    " of " + std::to_string(n) + " frames";
                ASSERT_TRUE(sameBits(l, ml) && sameBits(r, mr)) << where;
                for (int i = 0; i < count; i++)
                    ASSERT_TRUE(sameVoice(mixed[i], model[i])) << where << ", voice " << i;
            }
        }
}

INSTANTIATE_TEST_SUITE_P(Path, MixMatchesFrameByFrameModel, ::testing::Values(MixPath::Sse2, MixPath::Avx2),
                         [](const ::testing::TestParamInfo<MixPath>& info) {
                             return std::string(info.param == MixPath::Avx2 ? "Avx2" : "Sse2");
                         });

// Through the engine: every block size from 1 to 64 and a few long ones,
// while 32 voices play, wrapping on the short test loops.
TEST(RenderMatchesFrameByFrameModel, BlocksOfEverySizeUpTo64) {
    Pair p;
    MidiList chord;
    for (int i = 0; i < kMaxVoices; i++) chord.add(0, 0x90, (unsigned char)(30 + 2 * i), (unsigned char)(40 + 2 * i));
    std::string where;
    ASSERT_TRUE(p.block(chord, 1, &where)) << where;
    ASSERT_EQ(p.engine->voiceCount(), kMaxVoices);
    for (int n : {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 23, 24, 25, 31, 32, 33, 47, 48, 49, 55, 56,
                  57, 61, 62, 63, 64, 4096, 3000, 129}) {
        MidiList none;
        ASSERT_TRUE(p.block(none, n, &where)) << n << " frames: " << where;
    }
}

}  // namespace
