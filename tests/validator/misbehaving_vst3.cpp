// A VST 3 module with one fault of a kind the validator must catch, chosen
// when it is built (QELT_FAULT): the instrument's own processor and
// controller, the processor behind a wrapper that adds the fault. Built
// without one it is the instrument and must pass.
#include <cmath>
#include <cstdlib>
#include <limits>
#include <mutex>
#include <new>

#include "plugin/vst3/vst3_description.h"
#include "plugin/vst3/vst3_parts.h"

using namespace v3;

namespace {

enum Fault { kNone, kAllocates, kLocks, kNotANumber, kLeaks, kForgets, kOnceOnly };
constexpr Fault kFault = (Fault)QELT_FAULT;

class FaultyProcessor final : public IComponent, public IAudioProcessor {
public:
    explicit FaultyProcessor(IComponent* inner) : inner(inner) {
        void* found = nullptr;
        inner->queryInterface(IAudioProcessor::iid.bytes, &found);
        audio = static_cast<IAudioProcessor*>(found);
    }

    tresult V3_API queryInterface(const TUID id, void** obj) override {
        if (!obj) return kInvalidArgument;
        *obj = nullptr;
        if (sameUid(id, FUnknown::iid) || sameUid(id, IPluginBase::iid) || sameUid(id, IComponent::iid))
            *obj = static_cast<IComponent*>(this);
        else if (sameUid(id, IAudioProcessor::iid))
            *obj = static_cast<IAudioProcessor*>(this);
        if (!*obj) return kNoInterface;
        ++refs;
        return kResultOk;
    }
    uint32 V3_API addRef() override { return ++refs; }
    uint32 V3_API release() override {
        uint32 left = --refs;
        if (left == 0) delete this;
        return left;
    }

    tresult V3_API initialize(FUnknown* context) override {
        if (kFault == kOnceOnly && initialized++ > 0) return kResultFalse;
        return inner->initialize(context);
    }
    tresult V3_API terminate() override { return inner->terminate(); }
    tresult V3_API getControllerClassId(TUID classId) override { return inner->getControllerClassId(classId); }
    tresult V3_API setIoMode(IoMode mode) override { return inner->setIoMode(mode); }
    int32 V3_API getBusCount(MediaType type, BusDirection dir) override { return inner->getBusCount(type, dir); }
    tresult V3_API getBusInfo(MediaType type, BusDirection dir, int32 index, BusInfo& bus) override {
        return inner->getBusInfo(type, dir, index, bus);
    }
    tresult V3_API getRoutingInfo(RoutingInfo& in, RoutingInfo& out) override { return inner->getRoutingInfo(in, out); }
    tresult V3_API activateBus(MediaType type, BusDirection dir, int32 index, TBool state) override {
        return inner->activateBus(type, dir, index, state);
    }
    tresult V3_API setActive(TBool state) override { return inner->setActive(state); }
    tresult V3_API setState(IBStream* state) override {
        return kFault == kForgets ? kResultOk : inner->setState(state);
    }
    tresult V3_API getState(IBStream* state) override { return inner->getState(state); }

    tresult V3_API setBusArrangements(SpeakerArrangement* ins, int32 numIns, SpeakerArrangement* outs,
                                      int32 numOuts) override {
        return audio->setBusArrangements(ins, numIns, outs, numOuts);
    }
    tresult V3_API getBusArrangement(BusDirection dir, int32 index, SpeakerArrangement& arr) override {
        return audio->getBusArrangement(dir, index, arr);
    }
    tresult V3_API canProcessSampleSize(int32 size) override { return audio->canProcessSampleSize(size); }
    uint32 V3_API getLatencySamples() override { return audio->getLatencySamples(); }
    tresult V3_API setupProcessing(ProcessSetup& setup) override { return audio->setupProcessing(setup); }
    tresult V3_API setProcessing(TBool state) override { return audio->setProcessing(state); }
    uint32 V3_API getTailSamples() override { return audio->getTailSamples(); }
    tresult V3_API process(ProcessData& data) override {
        if (kFault == kAllocates) {
            static void* volatile scratch;  // kept through the optimiser, which drops a malloc freed unused
            scratch = std::malloc(64);
            std::free(scratch);
        }
        if (kFault == kLocks) std::lock_guard<std::mutex> hold(lock);
        tresult result = audio->process(data);
        if (kFault == kNotANumber && data.numSamples > 0 && data.numOutputs > 0 && data.outputs->channelBuffers32)
            data.outputs->channelBuffers32[0][data.numSamples - 1] = std::numeric_limits<float>::quiet_NaN();
        return result;
    }

private:
    ~FaultyProcessor() {
        audio->release();
        inner->release();
    }
    IComponent* inner;
    IAudioProcessor* audio = nullptr;
    uint32 refs = 1;
    int initialized = 0;
    std::mutex lock;
};

// The instrument's two classes, the processor wrapped.
class Factory final : public IPluginFactory {
public:
    tresult V3_API queryInterface(const TUID id, void** obj) override {
        if (!obj) return kInvalidArgument;
        *obj = sameUid(id, FUnknown::iid) || sameUid(id, IPluginFactory::iid) ? this : nullptr;
        return *obj ? kResultOk : kNoInterface;
    }
    uint32 V3_API addRef() override { return 1; }
    uint32 V3_API release() override { return 1; }
    tresult V3_API getFactoryInfo(PFactoryInfo* info) override {
        *info = PFactoryInfo{};
        return kResultOk;
    }
    int32 V3_API countClasses() override { return 2; }
    tresult V3_API getClassInfo(int32 index, PClassInfo* info) override {
        if (index < 0 || index > 1) return kInvalidArgument;
        *info = PClassInfo{};
        Tuid t = toTuid(index == 0 ? kProcessorUid : kControllerUid);
        for (int i = 0; i < 16; i++) info->cid[i] = t.bytes[i];
        info->cardinality = kManyInstances;
        copy(info->category, index == 0 ? kVst3ProcessorCategory : kVst3ControllerCategory);
        copy(info->name, "misbehaving");
        return kResultOk;
    }
    tresult V3_API createInstance(FIDString cid, FIDString iid, void** obj) override {
        *obj = nullptr;
        FUnknown* made = nullptr;
        if (sameUid(cid, toTuid(kProcessorUid))) {
            if (kFault == kLeaks) leaked = new (std::nothrow) char[16];
            made = static_cast<IComponent*>(new FaultyProcessor(newVst3Processor()));
        } else if (sameUid(cid, toTuid(kControllerUid))) {
            made = newVst3Controller();
        }
        if (!made) return kInvalidArgument;
        tresult result = made->queryInterface(iid, obj);
        made->release();
        return result;
    }

private:
    static void copy(char8* to, const char* from) {
        size_t i = 0;
        for (; from[i]; i++) to[i] = from[i];
        to[i] = 0;
    }
    char* volatile leaked = nullptr;
};

Factory factory;

}  // namespace

extern "C" {
__attribute__((visibility("default"))) IPluginFactory* GetPluginFactory() { return &factory; }
__attribute__((visibility("default"))) bool ModuleEntry(void*) { return true; }
__attribute__((visibility("default"))) bool ModuleExit() { return true; }
}
