#include <dlfcn.h>

#include "tools/vsthost/plugin_library.h"

bool PluginLibrary::load(const std::string& path, std::string* error) {
    unload();
    // A bare file name would make dlopen search the library path, not the folder we are in.
    std::string where = path.find('/') == std::string::npos ? "./" + path : path;
    // RTLD_LOCAL: two plug-ins' symbols never resolve against each other.
    void* m = dlopen(where.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!m) {
        const char* why = dlerror();
        if (error) *error = "cannot load " + path + " (" + (why ? why : "unknown error") + ")";
        return false;
    }
    module = m;
    return true;
}

VstEntryProc PluginLibrary::entry(const char* name) const {
    if (!module) return nullptr;
    return reinterpret_cast<VstEntryProc>(dlsym(module, name));
}

void PluginLibrary::unload() {
    if (module) dlclose(module);
    module = nullptr;
}
