#include <windows.h>

#include "tools/validate/heap_usage.h"

namespace validate {

namespace {
constexpr DWORD kMaxHeaps = 64;
}

// Every heap of the process (a plug-in's C run-time library may keep its own),
// walked block by block.
int64_t heapBytesInUse() {
    HANDLE heaps[kMaxHeaps];
    DWORD count = GetProcessHeaps(kMaxHeaps, heaps);
    if (count == 0 || count > kMaxHeaps) return -1;
    int64_t bytes = 0;
    for (DWORD h = 0; h < count; h++) {
        if (!HeapLock(heaps[h])) return -1;
        PROCESS_HEAP_ENTRY entry = {};
        while (HeapWalk(heaps[h], &entry))
            if (entry.wFlags & PROCESS_HEAP_ENTRY_BUSY) bytes += entry.cbData;
        HeapUnlock(heaps[h]);
    }
    return bytes;
}

}  // namespace validate
