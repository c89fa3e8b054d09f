// Rendering allocates nothing: every allocation in this program is counted
// while the audio calls run.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>

#include "tests/engine/engine_test_util.h"
#include "tests/engine/synthetic_samples.h"

namespace {
std::atomic<bool> counting{false};
std::atomic<long> allocations{0};
}  // namespace

void* operator new(std::size_t size) {
    if (counting.load(std::memory_order_relaxed)) allocations.fetch_add(1);
    if (void* p = std::malloc(size ? size : 1)) return p;
    throw std::bad_alloc();
}
void* operator new[](std::size_t size) { return operator new(size); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }

namespace {

TEST(RealTime, AudioCallsAndParameterChangesAllocateNothing) {
    auto e = synth::makeEngine();
    // Event blocks and buffers are made before counting starts.
    std::vector<MidiList> blocks(64);
    for (int b = 0; b < 64; b++) {
        for (int i = 0; i < 8; i++) blocks[b].add(i * 50, i % 3 ? 0x90 : 0x80, 30 + (b * 7 + i * 5) % 70, 100);
        blocks[b].add(10, 0xB0, b % 2 ? 64 : 1, b % 128);
        if (b % 16 == 5) blocks[b].add(20, 0xC0, 0, 0);
        if (b % 16 == 9) blocks[b].add(20, 0xB0, 123, 0);
    }
    std::vector<float> left(4096), right(4096);
    float* outputs[2] = {left.data(), right.data()};
    const int sizes[] = {1, 64, 512, 4096};

    counting = true;
    for (int round = 0; round < 200; round++) {
        sendMidi(*e, blocks[round % 64]);
        if (round % 10 == 3) e->setParameter(round % 5, 0.3f + (round % 7) * 0.1f);
        if (round % 4 == 1) e->setParameter(40 + round % 50, (float)(round % 2));
        if (round % 50 == 7) e->setSampleRate(round % 100 == 7 ? 48000.f : 44100.f);
        e->render(outputs[0], outputs[1], sizes[round % 4]);
    }
    counting = false;
    EXPECT_EQ(allocations.load(), 0);
    EXPECT_GT(e->voiceCount(), 0) << "something was playing";
}

}  // namespace
