// Counters of live window-system objects, for tests that look for leaks.
#pragma once

namespace win32test {

// Live GDI objects of the process. Wine's GetGuiResources answers 0; there
// the live entries of the GDI handle table are counted instead (Wine accepts
// a handle given as its bare table index).
int gdiObjectCount();
// Windows of this thread: its top-level windows and all their descendants.
int threadWindowCount();

}  // namespace win32test
