// Protocol errors on the toolkit's own display connections are expected (the
// host may destroy its window, and ours with it, at any time) and must not
// reach Xlib's default handler, which ends the process. Errors on other
// connections go on to the handler that was there before.
#pragma once

#include <X11/Xlib.h>

namespace VSTGUI {

void watchDisplayErrors(Display* display);
void forgetDisplayErrors(Display* display);
// Whether a protocol error arrived on this connection since the last call;
// clears the flag. Call after XSync to check a request.
bool takeDisplayError(Display* display);

}  // namespace VSTGUI
