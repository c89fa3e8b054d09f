#include "tests/support/plugin_under_test.h"

#if defined(_WIN32) || defined(QELT_PLUGIN_LIBRARY)
#include "tools/vsthost/plugin_library.h"

#ifndef QELT_PLUGIN_LIBRARY
#define QELT_PLUGIN_LIBRARY "Qelt-epiano.dll"
#endif

VstEntryProc pluginEntry(const char* exportName) {
    static PluginLibrary library;  // loaded once, kept for the whole test program
    if (!library.handle() && !library.load(QELT_PLUGIN_LIBRARY, nullptr)) return nullptr;
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
