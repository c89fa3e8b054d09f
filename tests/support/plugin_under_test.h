// The instrument as the tests reach it: on Windows the real DLL and in the
// Linux plug-in tree the real .so, loaded through the exported entry;
// natively the same code linked in.
#pragma once

#include <memory>

#include "tools/vsthost/vst_host.h"

// The entry under that export name ("VSTPluginMain" or "main"); null when the
// library or the export is missing.
VstEntryProc pluginEntry(const char* exportName = "VSTPluginMain");

// A host with one started-or-not instance of the instrument.
struct HostedPlugin {
    RecordingHost host;
    std::unique_ptr<PluginInstance> plugin;

    // Creates the instance through the entry; false if the entry refused.
    bool create(const char* exportName = "VSTPluginMain");
    AEffect* record() const { return plugin ? plugin->record() : nullptr; }
};
