// The optimised render against the frame-by-frame model: same events, same
// parameter changes, same rates; every output value must match to the bit.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>

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
    const int sizes[] = {1, 17, 64, 256, 300, 512, 1000, 2048};
    long frames = 0, sounding = 0;
    int mostVoices = 0;
    for (int b = 0; b < blocks; b++) {
        int n = sizes[rnd.below(8)];
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

}  // namespace
