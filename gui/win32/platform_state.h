// Process-wide drawing state shared by every frame of the library: the blit
// entry points loaded at run time, the operating-system version record and
// the swapped-mouse-buttons flag. Written when a frame is created, read while
// drawing; user-interface thread only.
#pragma once

#include <windows.h>

namespace VSTGUI {

typedef BOOL(WINAPI* AlphaBlendProc)(HDC, int, int, int, int, HDC, int, int, int, int, BLENDFUNCTION);
typedef BOOL(WINAPI* TransparentBltProc)(HDC, int, int, int, int, HDC, int, int, int, int, UINT);

// Either entry may be empty: drawing then uses its fallback.
void setAlphaBlendEntry(AlphaBlendProc proc);
AlphaBlendProc alphaBlendEntry();
void setTransparentBltEntry(TransparentBltProc proc);
TransparentBltProc transparentBltEntry();

// The version record as filled by GetVersionExA (zeroed until then).
OSVERSIONINFOA& osVersionRecord();
bool isWindows98();

void setSwapMouseButtons(bool swapped);
bool swapMouseButtons();

// The module that contains the toolkit: the plug-in DLL, or the program the
// toolkit is linked into. Bitmap resources and the window class belong to it.
HMODULE toolkitModule();

}  // namespace VSTGUI
