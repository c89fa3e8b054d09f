// The recordings as embedded in the library: the 22 arrays of the info table,
// back to back, 16-bit little-endian, in a writable data section (the loop
// preparation rewrites the tails in place).
#pragma once

#include <cstdint>

constexpr int32_t kSampleBlobValues = 4033185;

extern "C" int16_t qelt_sample_blob[kSampleBlobValues];
