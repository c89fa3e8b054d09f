#include <windows.h>
#include <psapi.h>

#include "tools/validate/process_memory.h"

namespace validate {

int64_t processPrivateBytes() {
    PROCESS_MEMORY_COUNTERS_EX counters = {};
    counters.cb = sizeof(counters);
    if (!GetProcessMemoryInfo(GetCurrentProcess(), (PROCESS_MEMORY_COUNTERS*)&counters, sizeof(counters))) return -1;
    return (int64_t)counters.PrivateUsage;
}

}  // namespace validate
