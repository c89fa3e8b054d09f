// The memory this process holds, for spotting a leak where allocations
// cannot be counted one by one.
#pragma once

#include <cstdint>

namespace validate {

// Bytes of private memory in use by the process, or -1 if unknown.
int64_t processPrivateBytes();

}  // namespace validate
