// Loading a bundle's binary on Linux: dlopen, ModuleEntry with the handle,
// GetPluginFactory; ModuleExit before dlclose.
#include <dlfcn.h>
#include <sys/utsname.h>

#include "tools/vst3host/vst3_host.h"

namespace v3host {

std::string Vst3Module::binaryPath(const std::string& bundle) {
    std::string folder = bundle;
    while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
    std::string base = folder.substr(folder.find_last_of('/') + 1);
    if (base.size() > 5 && base.compare(base.size() - 5, 5, ".vst3") == 0) base.resize(base.size() - 5);
    struct utsname machine;
    std::string arch = uname(&machine) == 0 ? machine.machine : "x86_64";
    return folder + "/Contents/" + arch + "-linux/" + base + ".so";
}

bool Vst3Module::load(const std::string& bundle, std::string* error) {
    unload();
    std::string path = binaryPath(bundle);
    if (path.find('/') == std::string::npos) path = "./" + path;
    library = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!library) {
        const char* why = dlerror();
        if (error) *error = "cannot load " + path + " (" + (why ? why : "unknown error") + ")";
        return false;
    }
    using Entry = bool (*)(void*);
    using GetFactory = IPluginFactory* (V3_API*)();
    Entry entry = reinterpret_cast<Entry>(symbol("ModuleEntry"));
    GetFactory getFactory = reinterpret_cast<GetFactory>(symbol("GetPluginFactory"));
    if (!entry || !getFactory || !symbol("ModuleExit")) {
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
    pluginFactory = getFactory();
    if (!pluginFactory) {
        if (error) *error = "GetPluginFactory returned null";
        unload();
        return false;
    }
    pluginFactory3 = query<IPluginFactory3>(pluginFactory);
    return true;
}

void Vst3Module::unload() {
    if (pluginFactory3) pluginFactory3->release();
    if (pluginFactory) pluginFactory->release();
    pluginFactory3 = nullptr;
    pluginFactory = nullptr;
    if (library) {
        using Exit = bool (*)();
        Exit exit = reinterpret_cast<Exit>(symbol("ModuleExit"));
        if (exit) exit();
        dlclose(library);
    }
    library = nullptr;
}

void* Vst3Module::symbol(const char* name) const { return library ? dlsym(library, name) : nullptr; }

bool Vst3Module::processorClass(Tuid* cid) const {
    if (!pluginFactory) return false;
    for (int32 i = 0; i < pluginFactory->countClasses(); i++) {
        PClassInfo info;
        if (pluginFactory->getClassInfo(i, &info) != kResultOk) continue;
        if (std::string(info.category) == "Audio Module Class") {
            for (int b = 0; b < 16; b++) cid->bytes[b] = info.cid[b];
            return true;
        }
    }
    return false;
}

}  // namespace v3host
