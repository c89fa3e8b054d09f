#include <pthread.h>

#include "gui/window_thread.h"

namespace VSTGUI {

// Each frame has a connection of its own and takes its events (paints
// included) when the editor idles.
void dispatchWaitingPaint() {}

uintptr_t currentThreadIdentity() { return static_cast<uintptr_t>(pthread_self()); }

}  // namespace VSTGUI
