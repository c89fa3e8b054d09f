#include "tests/support/plugin_under_test.h"

#ifdef _WIN32
#include "tools/vsthost/plugin_library.h"

VstEntryProc pluginEntry(const char* exportName) {
    static PluginLibrary library;  // loaded once, kept for the whole test program
    if (!library.handle() && !library.load("Qelt-epiano.dll", nullptr)) return nullptr;
    return library.entry(exportName);
}
#else
#include <cstring>

#include "plugin/plugin_entry.h"

VstEntryProc pluginEntry(const char* exportName) {
    if (std::strcmp(exportName, "VSTPluginMain") == 0 || std::strcmp(exportName, "main") == 0) return VSTPluginMain;
    return nullptr;
}
#endif

bool HostedPlugin::create(const char* exportName) {
    VstEntryProc entry = pluginEntry(exportName);
    if (!entry) return false;
    AEffect* effect = host.create(entry);
    if (!effect) return false;
    plugin.reset(new PluginInstance(effect));
    return true;
}
