// The editor's key presses on their way from the UI thread (the processor's
// notify) to the audio thread (process): a fixed ring with one producer and
// one consumer, no lock and no allocation on either side.
#pragma once

#include <atomic>
#include <cstdint>

#include "engine/audio_thread.h"

struct KeyPress {
    uint8_t key;
    bool down;
};

class KeyQueue {
public:
    static constexpr uint32_t kCapacity = 256;  // a power of two; far more than a mouse can click a block

    // The UI thread. False when full: the press is dropped.
    bool push(KeyPress press) {
        const uint32_t tail = written.load(std::memory_order_relaxed);
        if (tail - taken.load(std::memory_order_acquire) >= kCapacity) return false;
        ring[tail & (kCapacity - 1)] = press;
        written.store(tail + 1, std::memory_order_release);
        return true;
    }

    // The audio thread. False when empty.
    QELT_AUDIO_THREAD bool pop(KeyPress& press) {
        const uint32_t head = taken.load(std::memory_order_relaxed);
        if (head == written.load(std::memory_order_acquire)) return false;
        press = ring[head & (kCapacity - 1)];
        taken.store(head + 1, std::memory_order_release);
        return true;
    }

private:
    KeyPress ring[kCapacity] = {};
    std::atomic<uint32_t> written{0};
    std::atomic<uint32_t> taken{0};
};
