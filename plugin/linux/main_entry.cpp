// Older Linux hosts look for the entry under the name "main". A C++ function
// cannot be called main with this signature, so the alias gets the name
// through its assembler label.
#include "plugin/plugin_entry.h"

extern "C" QELT_EXPORT AEffect* VSTCALLBACK qeltLegacyMainEntry(audioMasterCallback audioMaster) __asm__("main");

extern "C" AEffect* VSTCALLBACK qeltLegacyMainEntry(audioMasterCallback audioMaster) {
    return VSTPluginMain(audioMaster);
}
