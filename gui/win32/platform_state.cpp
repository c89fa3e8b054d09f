#include "gui/win32/platform_state.h"

namespace VSTGUI {

namespace {
AlphaBlendProc alphaBlend = nullptr;
TransparentBltProc transparentBlt = nullptr;
OSVERSIONINFOA versionRecord = {};
bool swappedButtons = false;
}  // namespace

void setAlphaBlendEntry(AlphaBlendProc proc) { alphaBlend = proc; }
AlphaBlendProc alphaBlendEntry() { return alphaBlend; }
void setTransparentBltEntry(TransparentBltProc proc) { transparentBlt = proc; }
TransparentBltProc transparentBltEntry() { return transparentBlt; }

OSVERSIONINFOA& osVersionRecord() { return versionRecord; }

bool isWindows98() {
    return versionRecord.dwMajorVersion == 4 && versionRecord.dwMinorVersion == 10 &&
           versionRecord.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS;
}

void setSwapMouseButtons(bool swapped) { swappedButtons = swapped; }
bool swapMouseButtons() { return swappedButtons; }

HMODULE toolkitModule() {
    static HMODULE module = nullptr;
    if (!module) {
        // The module containing this very function, not the host program.
        GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                           reinterpret_cast<LPCSTR>(&toolkitModule), &module);
    }
    return module;
}

}  // namespace VSTGUI
