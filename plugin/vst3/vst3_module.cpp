// The VST 3 module: its entries and its one factory with the processor and
// controller classes.
#include <atomic>
#include <cstdio>

#include "plugin/vst3/vst3_description.h"
#include "plugin/vst3/vst3_object.h"
#include "plugin/vst3/vst3_parts.h"
#include "release_version.h"

// Linux exports by visibility (with exports.map); Windows by exports.def.
#if defined(__ELF__)
#define QELT_VST3_EXPORT __attribute__((visibility("default")))
#else
#define QELT_VST3_EXPORT
#endif

using namespace v3;

namespace {

constexpr int32 kClassCount = 2;  // 0: the processor, 1: the controller

// "major.minor.micro.build", as hosts read class versions.
void versionText(char* text, size_t size) {
    std::snprintf(text, size, "%d.%d.%d.0", kReleaseMajor, kReleaseMinor, kReleaseMicro);
}

const char* category(int32 index) { return index == 0 ? kVst3ProcessorCategory : kVst3ControllerCategory; }
Uid classUid(int32 index) { return index == 0 ? kProcessorUid : kControllerUid; }

void fillCommon(int32 index, char* cid, int32* cardinality, char8* categoryField) {
    Tuid t = toTuid(classUid(index));
    for (int i = 0; i < 16; i++) cid[i] = t.bytes[i];
    *cardinality = kManyInstances;
    copyText8(categoryField, 32, category(index));
}

// Lives as long as the module: hosts' references only count.
class Factory final : public IPluginFactory3 {
public:
    tresult V3_API queryInterface(const TUID id, void** obj) override {
        if (!obj) return kInvalidArgument;
        if (sameUid(id, FUnknown::iid) || sameUid(id, IPluginFactory::iid) || sameUid(id, IPluginFactory2::iid) ||
            sameUid(id, IPluginFactory3::iid)) {
            *obj = static_cast<IPluginFactory3*>(this);
            addRef();
            return kResultOk;
        }
        *obj = nullptr;
        return kNoInterface;
    }
    uint32 V3_API addRef() override { return ++refs; }
    uint32 V3_API release() override { return refs > 0 ? --refs : 0; }

    tresult V3_API getFactoryInfo(PFactoryInfo* info) override {
        if (!info) return kInvalidArgument;
        *info = PFactoryInfo{};
        copyText8(info->vendor, sizeof info->vendor, kQeltVendor);
        info->flags = kFactoryUnicode;
        return kResultOk;
    }
    int32 V3_API countClasses() override { return kClassCount; }
    tresult V3_API getClassInfo(int32 index, PClassInfo* info) override {
        if (!info || index < 0 || index >= kClassCount) return kInvalidArgument;
        *info = PClassInfo{};
        fillCommon(index, info->cid, &info->cardinality, info->category);
        copyText8(info->name, sizeof info->name, kQeltEffectName);
        return kResultOk;
    }
    tresult V3_API getClassInfo2(int32 index, PClassInfo2* info) override {
        if (!info || index < 0 || index >= kClassCount) return kInvalidArgument;
        *info = PClassInfo2{};
        fillCommon(index, info->cid, &info->cardinality, info->category);
        copyText8(info->name, sizeof info->name, kQeltEffectName);
        info->classFlags = 0;
        copyText8(info->subCategories, sizeof info->subCategories, index == 0 ? kVst3SubCategories : "");
        copyText8(info->vendor, sizeof info->vendor, kQeltVendor);
        versionText(info->version, sizeof info->version);
        copyText8(info->sdkVersion, sizeof info->sdkVersion, kVst3SdkVersion);
        return kResultOk;
    }
    tresult V3_API getClassInfoUnicode(int32 index, PClassInfoW* info) override {
        if (!info || index < 0 || index >= kClassCount) return kInvalidArgument;
        *info = PClassInfoW{};
        fillCommon(index, info->cid, &info->cardinality, info->category);
        copyText16(info->name, 64, kQeltEffectName);
        info->classFlags = 0;
        copyText8(info->subCategories, sizeof info->subCategories, index == 0 ? kVst3SubCategories : "");
        copyText16(info->vendor, 64, kQeltVendor);
        char version[64];
        versionText(version, sizeof version);
        copyText16(info->version, 64, version);
        copyText16(info->sdkVersion, 64, kVst3SdkVersion);
        return kResultOk;
    }
    tresult V3_API createInstance(FIDString cid, FIDString iid, void** obj) override {
        if (!obj) return kInvalidArgument;
        *obj = nullptr;
        FUnknown* made = nullptr;
        if (sameUid(cid, toTuid(kProcessorUid)))
            made = newVst3Processor();
        else if (sameUid(cid, toTuid(kControllerUid)))
            made = newVst3Controller();
        else
            return kInvalidArgument;
        if (!made) return kOutOfMemory;
        tresult result = made->queryInterface(iid, obj);
        made->release();  // the caller's reference, if any, is the one queryInterface added
        return result;
    }
    // No host service is needed yet.
    tresult V3_API setHostContext(FUnknown*) override { return kResultOk; }

private:
    std::atomic<uint32> refs{0};
};

Factory factory;
std::atomic<int> entries{0};

// Nothing is set up per process: the counter only answers hosts that enter
// several times, and refuses an exit without an entry.
bool enter() {
    ++entries;
    return true;
}

bool leave() {
    if (entries <= 0) return false;
    --entries;
    return true;
}

}  // namespace

extern "C" {

QELT_VST3_EXPORT IPluginFactory* V3_API GetPluginFactory() {
    factory.addRef();
    return &factory;
}

#ifdef _WIN32
// Windows hosts call these around LoadLibrary and FreeLibrary; plain C calls
// on both widths (exports.def names all three without decoration).
bool InitDll() { return enter(); }
bool ExitDll() { return leave(); }
#else
QELT_VST3_EXPORT bool ModuleEntry(void*) { return enter(); }
QELT_VST3_EXPORT bool ModuleExit() { return leave(); }
#endif
}
