// Watches the host's audio calls: while a thread is inside one, every
// allocation and every lock it takes is counted. Where the build cannot see
// them (a plug-in with its own run-time library), `watching()` is false.
#pragma once

#include <cstdint>

namespace audioguard {

// True when allocations and locks inside audio calls are seen on this build.
bool watching();

// Marks the calling thread as inside an audio call for its lifetime.
class AudioCall {
public:
    AudioCall();
    ~AudioCall();
    AudioCall(const AudioCall&) = delete;
    AudioCall& operator=(const AudioCall&) = delete;
};

struct Violations {
    int64_t allocations = 0;
    int64_t locks = 0;
    const char* first = nullptr;  // the first call seen, e.g. "malloc"
};
Violations violations();

// Allocations made and not yet freed, by every thread (-1 where not watching).
int64_t liveAllocations();

}  // namespace audioguard
