// Protocol errors on the toolkit's own display connections are expected (the
// host may destroy its window, and ours with it, at any time; a parent may
// not exist yet). They are caught on the connection itself, never through
// Xlib's process-wide handler, which is the host's: when the connection
// closes, nothing of ours is left in the process.
#pragma once

#include <X11/Xlib.h>

namespace VSTGUI {

// Takes every protocol error of this connection from now until it closes.
void watchDisplayErrors(Display* display);
// Call before the connection closes.
void forgetDisplayErrors(Display* display);
// Whether a protocol error arrived on this connection since the last call;
// clears the flag. Call after XSync to check a request.
bool takeDisplayError(Display* display);

}  // namespace VSTGUI
