// Watches the host's audio calls: while a thread is inside one, every
// allocation and every lock it takes is counted. On Linux the allocator and
// the lock calls are interposed for the whole process; on Windows the loaded
// plug-in's imports of them are redirected.
#pragma once

#include <cstdint>

namespace audioguard {

// Starts watching the plug-in loaded as `module`; false if it cannot be.
bool watchPlugin(void* module);
// True once allocations and locks inside audio calls are seen.
bool watching();
// Which calls are seen, for the summary.
const char* watchedCalls();

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
