#include <malloc.h>

#include "tools/validate/heap_usage.h"

namespace validate {

int64_t heapBytesInUse() { return (int64_t)mallinfo2().uordblks; }

}  // namespace validate
