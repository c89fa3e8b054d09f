#include <pthread.h>

#include "gui/window_thread.h"

namespace VSTGUI {

// X11 asks nothing of the thread; each frame has a connection of its own and
// takes its events (paints included) when the editor idles.
bool enterWindowThread() { return false; }
void leaveWindowThread() {}
void dispatchWaitingPaint() {}

uintptr_t currentThreadIdentity() { return static_cast<uintptr_t>(pthread_self()); }

}  // namespace VSTGUI
