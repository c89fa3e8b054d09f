// Loading a bundle's binary, whatever the platform: the binary opened and
// entered (vst3_module_posix.cpp, vst3_module_windows.cpp), then its factory;
// the factory released before the exit and the unload.
#include "tools/vst3host/vst3_host.h"

namespace v3host {

std::string Vst3Module::bundleName(const std::string& bundle, std::string* folder) {
    std::string trimmed = bundle;
    while (trimmed.size() > 1 && (trimmed.back() == '/' || trimmed.back() == '\\')) trimmed.pop_back();
    std::string base = trimmed.substr(trimmed.find_last_of("/\\") + 1);
    if (base.size() > 5 && base.compare(base.size() - 5, 5, ".vst3") == 0) base.resize(base.size() - 5);
    if (folder) *folder = trimmed;
    return base;
}

bool Vst3Module::load(const std::string& bundle, std::string* error) {
    unload();
    std::string path = binaryPath(bundle);
    if (!open(path, error)) return false;
    using GetFactory = IPluginFactory*(V3_API*)();
    GetFactory getFactory = reinterpret_cast<GetFactory>(symbol("GetPluginFactory"));
    if (!getFactory) {
        if (error) *error = path + " does not export GetPluginFactory";
        unload();
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
    close();
}

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
