// Opening a bundle's binary on Linux: dlopen, then ModuleEntry with the
// handle; ModuleExit before dlclose.
#include <dlfcn.h>
#include <sys/utsname.h>

#include "tools/vst3host/vst3_host.h"

namespace v3host {

std::string Vst3Module::binaryPath(const std::string& bundle) {
    std::string folder;
    std::string base = bundleName(bundle, &folder);
    struct utsname machine;
    std::string arch = uname(&machine) == 0 ? machine.machine : "x86_64";
    return folder + "/Contents/" + arch + "-linux/" + base + ".so";
}

bool Vst3Module::open(const std::string& binary, std::string* error) {
    std::string path = binary.find('/') == std::string::npos ? "./" + binary : binary;
    library = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!library) {
        const char* why = dlerror();
        if (error) *error = "cannot load " + path + " (" + (why ? why : "unknown error") + ")";
        return false;
    }
    using Entry = bool (*)(void*);
    Entry entry = reinterpret_cast<Entry>(symbol("ModuleEntry"));
    if (!entry || !symbol("GetPluginFactory") || !symbol("ModuleExit")) {
        if (error) *error = path + " lacks ModuleEntry, ModuleExit or GetPluginFactory";
        dlclose(library);
        library = nullptr;
        return false;
    }
    if (!entry(library)) {
        if (error) *error = "ModuleEntry refused";
        dlclose(library);
        library = nullptr;
        return false;
    }
    return true;
}

void Vst3Module::close() {
    if (library) {
        using Exit = bool (*)();
        Exit exit = reinterpret_cast<Exit>(symbol("ModuleExit"));
        if (exit) exit();
        dlclose(library);
    }
    library = nullptr;
}

void* Vst3Module::symbol(const char* name) const { return library ? dlsym(library, name) : nullptr; }

}  // namespace v3host
