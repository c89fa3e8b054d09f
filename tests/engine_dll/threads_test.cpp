// A host's two threads on one instance of the real library: the audio thread
// renders without pause while the user-interface thread moves parameters,
// presses keys, reselects the program and switches the instance off and on
// at another rate.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "tests/engine_dll/play_helpers.h"

namespace {

TEST(Threads, RenderingGoesOnSafelyWhileTheHostChangesEverything) {
    HostedPlugin p;
    ASSERT_TRUE(startPlugin(p));
    AEffect* e = p.record();
    std::atomic<bool> stop{false};
    std::atomic<long> blocks{0}, bad{0};
    std::thread audio([&] {
        std::vector<float> left(512), right(512);
        float* outputs[2] = {left.data(), right.data()};
        MidiEventBlock b;
        for (int i = 0; i < 4; i++) b.add(i * 100, 0x90, 48 + i * 5, 100);
        while (!stop) {
            if (blocks % 4 == 0) e->dispatcher(e, effProcessEvents, 0, 0, b.get(), 0.f);
            e->processReplacing(e, nullptr, outputs, 512);
            for (int f = 0; f < 512; f++) bad += !std::isfinite(left[f]) || !std::isfinite(right[f]);
            blocks++;
        }
    });
    // A second and a half with enough blocks rendered, however loaded the
    // machine; half a minute at the most.
    const auto start = std::chrono::steady_clock::now();
    auto busy = [&] {
        auto elapsed = std::chrono::steady_clock::now() - start;
        if (elapsed > std::chrono::seconds(30)) return false;
        return elapsed < std::chrono::milliseconds(1500) || blocks.load() < 40;
    };
    for (int k = 0; busy(); k++) {
        p.plugin->setParameter(k % 5, (k % 10) / 10.f);
        p.plugin->setParameter(21 + k % 88, (float)(k % 2));
        EXPECT_EQ(p.plugin->getParameter(k % 5), (k % 10) / 10.f);
        if (k % 40 == 0) p.plugin->dispatch(effSetProgram, 0, 0);
        if (k % 90 == 0) {
            p.plugin->dispatch(effMainsChanged, 0, 0);
            p.plugin->dispatch(effSetSampleRate, 0, 0, nullptr, k % 180 ? 48000.f : 44100.f);
            p.plugin->dispatch(effMainsChanged, 0, 1);
        }
        std::this_thread::yield();
    }
    stop = true;
    audio.join();
    EXPECT_GT(blocks.load(), 20);
    EXPECT_EQ(bad.load(), 0);
    // Quiet again, it plays normally.
    MidiEventBlock on;
    on.add(0, 0x90, 60, 100);
    Take t = play(p, 4096, &on);
    EXPECT_GT(peakOf(t), 0.01);
}

}  // namespace
