// What the window system asks of the thread that runs an editor's windows.
#pragma once

namespace VSTGUI {

// Per-thread set-up needed before the windows can take part in drag and drop
// (OLE on Windows). True when it was done here and leaveWindowThread must
// undo it.
bool enterWindowThread();
void leaveWindowThread();

// Handles one paint request waiting for this thread's windows, if there is
// one, so that a modal mouse loop keeps the window painted.
void dispatchWaitingPaint();

}  // namespace VSTGUI
