// Hand-over of parameter, program, key and sample-rate changes from any thread
// to the audio thread: a bounded lock-free queue with many producers and one
// consumer (the render side drains it at the start of each MIDI intake and of
// each render). Producers never wait for the consumer and the consumer
// never waits for anyone; the order in which producers claim slots is the
// order in which the changes are applied.
#pragma once

#include <atomic>
#include <cstdint>

#include "engine/audio_thread.h"

struct EngineChange {
    enum Kind : int32_t { kParameter, kKey, kProgram, kSampleRate };
    Kind kind;
    int32_t index;  // parameter index, key number or program
    float value;    // parameter value, key velocity or sample rate
};

class ChangeQueue {
public:
    static constexpr uint32_t kCapacity = 1024;  // a power of two

    ChangeQueue();
    // Any thread. False when the queue is full (the change is not queued).
    QELT_AUDIO_THREAD bool push(const EngineChange& change);
    // The consumer thread only. False when nothing (more) is ready.
    QELT_AUDIO_THREAD bool pop(EngineChange& change);

private:
    struct Cell {
        std::atomic<uint32_t> sequence;
        EngineChange change;
    };
    Cell cells[kCapacity];
    std::atomic<uint32_t> enqueuePosition;
    uint32_t dequeuePosition;
};
