#include <windows.h>

#include "tools/vsthost/plugin_library.h"

bool PluginLibrary::load(const std::string& path, std::string* error) {
    unload();
    HMODULE m = LoadLibraryA(path.c_str());
    if (!m) {
        if (error) *error = "cannot load " + path + " (error " + std::to_string(GetLastError()) + ")";
        return false;
    }
    module = (void*)m;
    return true;
}

VstEntryProc PluginLibrary::entry(const char* name) const {
    if (!module) return nullptr;
    return (VstEntryProc)(void*)GetProcAddress((HMODULE)module, name);
}

void PluginLibrary::unload() {
    if (module) FreeLibrary((HMODULE)module);
    module = nullptr;
}
