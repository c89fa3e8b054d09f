// What the window system asks of the thread that runs an editor's windows.
#pragma once

#include <cstdint>

namespace VSTGUI {

// The calling thread's identity, from the operating system itself. Safe on any
// thread: the audio thread asks it too, and the thread library's own identity
// allocates a record the first time a thread it did not start asks.
uintptr_t currentThreadIdentity();

// Handles one paint request waiting for this thread's windows, if there is
// one, so that a modal mouse loop keeps the window painted.
void dispatchWaitingPaint();

}  // namespace VSTGUI
