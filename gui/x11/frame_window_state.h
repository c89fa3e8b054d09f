// What an X11 frame keeps beside its window: its own display connection (the
// host's is not ours to read events from), the window's visual, the area
// exposed since the last paint and the buttons word of the event in hand.
#pragma once

#include <X11/Xlib.h>
#include <cairo.h>

#include <cstdint>

#include "gui/cgeometry.h"

namespace VSTGUI {

struct CFrameWindowState {
    Display* display = nullptr;
    ::Window window = 0;  // 0 once the window is gone, or before it is made
    // The host's window while it does not exist yet, and since when (ms).
    ::Window pendingParent = 0;
    uint32_t pendingSince = 0;
    Visual* visual = nullptr;
    // Cairo's state for the connection, held so that it can be finished and
    // freed before the connection closes (closing alone leaves some behind).
    cairo_device_t* cairoDevice = nullptr;
    int depth = 0;
    CRect exposed;
    bool anyExposed = false;
    // While a press, motion or release is handled: its buttons word, which
    // the drawing contexts report as the live state; -1 otherwise.
    int32_t eventButtons = -1;
};

// The toolkit's buttons word for an X11 state mask.
int32_t buttonsFromState(unsigned int state);

}  // namespace VSTGUI
