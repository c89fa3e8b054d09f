// The library's recordings: one embedded blob of the 22 arrays back to back,
// loops prepared once per process before any instance reads them.
#include <mutex>

#include "engine/sample_set.h"
#include "resources/embedded_samples.h"

int16_t* const* preparedSamples() {
    static int16_t* pointers[kNumSamples];
    static std::once_flag prepared;
    // Every instance shares these arrays, so they are rewritten exactly once:
    // a later instance never blends a tail that another one is playing.
    std::call_once(prepared, [] {
        int16_t* next = qelt_sample_blob;
        for (int k = 0; k < kNumSamples; ++k) {
            pointers[k] = next;
            next += kSampleInfo[k].length;
        }
        prepareLoops(pointers);
    });
    return pointers;
}
