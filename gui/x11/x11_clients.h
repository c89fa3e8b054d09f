// Which client of the X server an id belongs to, for a parent window that
// does not exist yet.
#pragma once

#include <X11/Xlib.h>

namespace VSTGUI {

// Whether `id` lies in the resource-id range of a client connected to the
// server now, as the X-Resource extension lists them; false on a server
// without that extension. A window id of such a client that names no window
// is one its owner has made but not yet sent to the server.
bool isIdOfLiveClient(Display* display, XID id);

}  // namespace VSTGUI
