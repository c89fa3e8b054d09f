// One thread renders without pause while another automates parameters, plays
// keys, changes program and switches the instance off and on at new rates.
// Run under ThreadSanitizer this finds any unsafe hand-over.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <thread>

#include "tests/engine/engine_test_util.h"
#include "tests/engine/synthetic_samples.h"

namespace {

TEST(Stress, RenderingWhileAnotherThreadChangesEverything) {
    auto e = synth::makeEngine();
    std::atomic<bool> stop{false};
    std::atomic<long> blocks{0};
    std::atomic<bool> finite{true};
    std::thread audio([&] {
        std::vector<float> left(512), right(512);
        float* outputs[2] = {left.data(), right.data()};
        MidiList b;
        for (int i = 0; i < 6; i++) b.add(i * 80, 0x90, 40 + i * 7, 90);
        b.add(300, 0xB0, 64, 0);
        b.add(400, 0xB0, 1, 60);
        MidiList none;
        while (!stop.load()) {
            long n = blocks.fetch_add(1);
            sendMidi(*e, n % 3 ? none : b);
            e->setParameter(kLfoDepth, (n % 10) / 10.f);  // automation on the audio thread
            e->render(outputs[0], outputs[1], n % 2 ? 512 : 64);
            for (float x : left)
                if (!std::isfinite(x)) finite = false;
        }
    });
    // At least two seconds and enough work on both sides, however slow the
    // machine or the sanitizer; a minute at the most.
    const auto start = std::chrono::steady_clock::now();
    auto busy = [&](long changes) {
        auto elapsed = std::chrono::steady_clock::now() - start;
        if (elapsed > std::chrono::seconds(60)) return false;
        return elapsed < std::chrono::seconds(2) || blocks.load() < 120 || changes < 1500;
    };
    long changes = 0;
    while (busy(changes)) {
        int k = (int)(changes++ % 1000);
        e->setParameter(k % 5, (k % 11) / 10.f);
        e->getParameter(k % 5);
        e->setParameter(21 + k % 88, (float)(k % 2));
        char text[64];
        e->parameterDisplay(k % 5, text);
        if (k % 50 == 0) e->selectProgram();
        if (k % 97 == 0) e->setSampleRate(k % 2 ? 48000.f : 44100.f);
        if (k % 7 == 0) std::this_thread::yield();
    }
    stop = true;
    audio.join();
    EXPECT_TRUE(finite.load());
    EXPECT_GT(blocks.load(), 100);
    EXPECT_GT(changes, 1000);
    for (int i = 0; i < 5; i++) EXPECT_TRUE(std::isfinite(e->getParameter(i)));
}

}  // namespace
