// Heap memory in use by the whole process, for spotting a leak where the
// allocations cannot be counted one by one.
#pragma once

#include <cstdint>

namespace validate {

// Bytes in allocated heap blocks, or -1 if unknown.
int64_t heapBytesInUse();

}  // namespace validate
