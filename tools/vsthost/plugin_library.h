// Loads a plug-in library (a Windows DLL or a Linux shared object) and finds its exported entry.
#pragma once

#include <string>

#include "tools/vsthost/vst_host.h"

class PluginLibrary {
public:
    PluginLibrary() {}
    ~PluginLibrary() { unload(); }
    PluginLibrary(const PluginLibrary&) = delete;
    PluginLibrary& operator=(const PluginLibrary&) = delete;

    // Loads the library; on failure says why in `error`.
    bool load(const std::string& path, std::string* error);
    // The exported entry of that name, or null.
    VstEntryProc entry(const char* name = "VSTPluginMain") const;
    void unload();
    void* handle() const { return module; }

private:
    void* module = nullptr;
};
