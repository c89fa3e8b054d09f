// The scale the system asks of windows on a screen.
#pragma once

namespace VSTGUI {

class CFrame;

// The factor for windows on the screen that holds `window` (an HWND, or an
// X11 window id; null: the system's default screen), 1 for 96 dpi; 0 when
// the system says nothing. Asks the system anew each time, so that a change
// is seen (Windows: the monitor's DPI as the window's awareness sees it,
// else the system DPI; X11: the server's Xft.dpi resource, else GDK_SCALE or
// QT_SCALE_FACTOR).
double systemScaleFactor(void* window);
// The same for the screen that holds an open frame, asked through the
// frame's own connection where it has one (cheap enough for every second).
double systemScaleFactor(const CFrame& frame);

#ifndef _WIN32
// The factor of the "Xft.dpi" line in an X resource manager string (dpi over
// 96); 0 when there is none or it says nothing sensible.
double scaleFromXResources(const char* resources);
// The factor of GDK_SCALE, else QT_SCALE_FACTOR; 0 when neither says one.
double scaleFromEnvironment();
#endif

}  // namespace VSTGUI
