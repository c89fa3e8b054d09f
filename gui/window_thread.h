// What the window system asks of the thread that runs an editor's windows.
#pragma once

#include <cstdint>

namespace VSTGUI {

// The calling thread's identity, from the operating system itself. Safe on any
// thread: the audio thread asks it too, and the thread library's own identity
// allocates a record the first time a thread it did not start asks.
uintptr_t currentThreadIdentity();

// Per-thread set-up needed before the windows can take part in drag and drop
// (OLE on Windows). True when it was done here and leaveWindowThread must
// undo it.
bool enterWindowThread();
void leaveWindowThread();

// Handles one paint request waiting for this thread's windows, if there is
// one, so that a modal mouse loop keeps the window painted.
void dispatchWaitingPaint();

}  // namespace VSTGUI
