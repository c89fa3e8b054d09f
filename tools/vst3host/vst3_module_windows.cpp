// Opening a bundle's binary on Windows: LoadLibrary of
// Contents/<arch>-win/<Name>.vst3, then InitDll where the binary has it
// (hosts do not require it); ExitDll before FreeLibrary.
#include <windows.h>

#include "tools/vst3host/vst3_host.h"

namespace v3host {

std::string Vst3Module::binaryPath(const std::string& bundle) {
    std::string folder;
    std::string base = bundleName(bundle, &folder);
#ifdef _WIN64
    const char* arch = "x86_64-win";
#else
    const char* arch = "x86-win";
#endif
    return folder + "/Contents/" + arch + "/" + base + ".vst3";
}

bool Vst3Module::open(const std::string& binary, std::string* error) {
    // LoadLibrary asks for backslashes in a path.
    std::string path = binary;
    for (char& c : path)
        if (c == '/') c = '\\';
    HMODULE module = LoadLibraryA(path.c_str());
    if (!module) {
        if (error) *error = "cannot load " + path + " (error " + std::to_string(GetLastError()) + ")";
        return false;
    }
    library = (void*)module;
    using Entry = bool (*)();
    Entry entry = reinterpret_cast<Entry>(symbol("InitDll"));
    if (entry && !entry()) {
        if (error) *error = "InitDll refused";
        FreeLibrary(module);
        library = nullptr;
        return false;
    }
    return true;
}

void Vst3Module::close() {
    if (library) {
        using Exit = bool (*)();
        Exit exit = reinterpret_cast<Exit>(symbol("ExitDll"));
        if (exit) exit();
        FreeLibrary((HMODULE)library);
    }
    library = nullptr;
}

void* Vst3Module::symbol(const char* name) const {
    return library ? reinterpret_cast<void*>(GetProcAddress((HMODULE)library, name)) : nullptr;
}

}  // namespace v3host
