#include <unistd.h>

#include <cstdio>

#include "tools/validate/process_memory.h"

namespace validate {

// Resident pages that are not shared with any file (statm: resident - shared).
int64_t processPrivateBytes() {
    FILE* f = std::fopen("/proc/self/statm", "r");
    if (!f) return -1;
    long size = 0, resident = 0, shared = 0;
    int read = std::fscanf(f, "%ld %ld %ld", &size, &resident, &shared);
    std::fclose(f);
    if (read != 3) return -1;
    return (int64_t)(resident - shared) * sysconf(_SC_PAGESIZE);
}

}  // namespace validate
