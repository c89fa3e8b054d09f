// A small VST 3 host, loading a bundle as hosts do: the binary in
// Contents/<arch>-linux (ModuleEntry) or Contents/<arch>-win (InitDll),
// GetPluginFactory, both classes made
// and connected through the host's proxies, set up, switched on, processing;
// shut down in reverse. The host's own objects (streams, messages, event
// lists, parameter changes) are here too. Used by the tests and the
// same-sound session.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "plugin/vst3/vst3_abi.h"

namespace v3host {

using namespace v3;

// A host object counting its references; deleted at zero.
template <class Base>
class Counted : public Base {
public:
    uint32 V3_API addRef() override { return ++refs; }
    uint32 V3_API release() override {
        uint32 left = --refs;
        if (left == 0) delete this;
        return left;
    }
    uint32 references() const { return refs; }

protected:
    virtual ~Counted() = default;
    tresult answer(const TUID id, void** obj, const Tuid& own) {
        if (!obj) return kInvalidArgument;
        if (sameUid(id, FUnknown::iid) || sameUid(id, own)) {
            *obj = static_cast<Base*>(this);
            addRef();
            return kResultOk;
        }
        *obj = nullptr;
        return kNoInterface;
    }

private:
    uint32 refs = 1;
};

// A stream in memory, read and written at one position.
class MemoryStream final : public Counted<IBStream> {
public:
    MemoryStream() = default;
    explicit MemoryStream(std::vector<uint8_t> bytes) : data(std::move(bytes)) {}
    tresult V3_API queryInterface(const TUID id, void** obj) override { return answer(id, obj, IBStream::iid); }
    tresult V3_API read(void* buffer, int32 numBytes, int32* numBytesRead) override;
    tresult V3_API write(void* buffer, int32 numBytes, int32* numBytesWritten) override;
    tresult V3_API seek(int64 pos, int32 mode, int64* result) override;
    tresult V3_API tell(int64* pos) override;

    std::vector<uint8_t> data;
    int64 position = 0;
    int64 mostRead = 0;         // the largest single read asked for
    int64 furthestRead = 0;     // the highest position a read asked to reach
    int32 readLimit = 0;        // > 0: each read gives at most this many bytes
};

class AttributeList final : public Counted<IAttributeList> {
public:
    tresult V3_API queryInterface(const TUID id, void** obj) override { return answer(id, obj, IAttributeList::iid); }
    tresult V3_API setInt(AttrID id, int64 value) override;
    tresult V3_API getInt(AttrID id, int64& value) override;
    tresult V3_API setFloat(AttrID id, double value) override;
    tresult V3_API getFloat(AttrID id, double& value) override;
    tresult V3_API setString(AttrID id, const TChar* string) override;
    tresult V3_API getString(AttrID id, TChar* string, uint32 sizeInBytes) override;
    tresult V3_API setBinary(AttrID id, const void* data, uint32 sizeInBytes) override;
    tresult V3_API getBinary(AttrID id, const void*& data, uint32& sizeInBytes) override;

private:
    std::map<std::string, int64> ints;
    std::map<std::string, double> floats;
    std::map<std::string, std::u16string> strings;
    std::map<std::string, std::vector<uint8_t>> binaries;
};

class Message final : public Counted<IMessage> {
public:
    Message() : attributes(new AttributeList()) {}
    tresult V3_API queryInterface(const TUID id, void** obj) override { return answer(id, obj, IMessage::iid); }
    FIDString V3_API getMessageID() override { return id.c_str(); }
    void V3_API setMessageID(FIDString text) override { id = text ? text : ""; }
    IAttributeList* V3_API getAttributes() override { return attributes; }

private:
    ~Message() override { attributes->release(); }
    std::string id;
    AttributeList* attributes;
};

// The context given to initialize: it names the host and makes messages.
class HostApplication final : public Counted<IHostApplication> {
public:
    tresult V3_API queryInterface(const TUID id, void** obj) override { return answer(id, obj, IHostApplication::iid); }
    tresult V3_API getName(String128 name) override;
    tresult V3_API createInstance(TUID cid, TUID iid, void** obj) override;
};

// What the host puts between the two halves: each sees the proxy, never the
// other object, and messages pass through it (counted, for the tests).
class ConnectionProxy final : public Counted<IConnectionPoint> {
public:
    explicit ConnectionProxy(IConnectionPoint* destination) : destination(destination) {}
    tresult V3_API queryInterface(const TUID id, void** obj) override { return answer(id, obj, IConnectionPoint::iid); }
    tresult V3_API connect(IConnectionPoint*) override { return kResultFalse; }
    tresult V3_API disconnect(IConnectionPoint*) override { return kResultFalse; }
    tresult V3_API notify(IMessage* message) override {
        messages++;
        return destination ? destination->notify(message) : kResultFalse;
    }
    int messages = 0;

private:
    IConnectionPoint* destination;  // borrowed: the host holds both halves
};

class EventList final : public Counted<IEventList> {
public:
    tresult V3_API queryInterface(const TUID id, void** obj) override { return answer(id, obj, IEventList::iid); }
    int32 V3_API getEventCount() override { return (int32)events.size(); }
    tresult V3_API getEvent(int32 index, Event& e) override;
    tresult V3_API addEvent(Event& e) override {
        events.push_back(e);
        return kResultOk;
    }
    void noteOn(int32 offset, int16 pitch, float velocity, int16 channel = 0);
    void noteOff(int32 offset, int16 pitch, int16 channel = 0);

    std::vector<Event> events;
};

class ParamValueQueue final : public Counted<IParamValueQueue> {
public:
    explicit ParamValueQueue(ParamID id) : id(id) {}
    tresult V3_API queryInterface(const TUID iid, void** obj) override { return answer(iid, obj, IParamValueQueue::iid); }
    ParamID V3_API getParameterId() override { return id; }
    int32 V3_API getPointCount() override { return (int32)points.size(); }
    tresult V3_API getPoint(int32 index, int32& sampleOffset, ParamValue& value) override;
    tresult V3_API addPoint(int32 sampleOffset, ParamValue value, int32& index) override;

    ParamID id;
    std::vector<std::pair<int32, ParamValue>> points;
};

class ParameterChanges final : public Counted<IParameterChanges> {
public:
    tresult V3_API queryInterface(const TUID id, void** obj) override { return answer(id, obj, IParameterChanges::iid); }
    int32 V3_API getParameterCount() override { return (int32)queues.size(); }
    IParamValueQueue* V3_API getParameterData(int32 index) override;
    IParamValueQueue* V3_API addParameterData(const ParamID& id, int32& index) override;
    // A point for `id` at `offset`, in a queue of its own per parameter.
    void add(ParamID id, int32 offset, ParamValue value);
    bool empty() const { return queues.empty(); }

private:
    ~ParameterChanges() override;
    std::vector<ParamValueQueue*> queues;
};

// Releases a reference when it goes.
template <class T>
struct Ref {
    T* p = nullptr;
    Ref() = default;
    explicit Ref(T* owned) : p(owned) {}
    ~Ref() { reset(); }
    Ref(const Ref&) = delete;
    Ref& operator=(const Ref&) = delete;
    void reset(T* owned = nullptr) {
        if (p) p->release();
        p = owned;
    }
    T* operator->() const { return p; }
    T* get() const { return p; }
    explicit operator bool() const { return p != nullptr; }
};

// Asks `object` for interface I; null when it has none.
template <class I, class T>
I* query(T* object) {
    void* found = nullptr;
    if (!object || object->queryInterface(I::iid.bytes, &found) != kResultOk) return nullptr;
    return static_cast<I*>(found);
}

// A MIDI message at a frame of a block.
struct MidiAt {
    int32 frame;
    uint8_t status, data1, data2;
};

// A MIDI message as a VST 3 host passes it: a note as an event (velocity
// v / 127; a note-on at velocity 0 is a note-off), a controller as a point
// of the parameter the controller maps it to (value / 127). False when VST 3
// carries no such message (program change) or nothing is mapped to it.
bool addMidi(IMidiMapping* mapping, const MidiAt& message, EventList& events, ParameterChanges& changes);

// One block's input as a host builds it from MIDI messages: notes as
// events, controllers as points of their mapped parameters; what VST 3
// cannot carry is counted. Parameter points of the host's own go into
// `changes` too.
struct BlockInput {
    explicit BlockInput(IMidiMapping* mapping) : mapping(mapping) {}
    void midi(const MidiAt& message) {
        if (!addMidi(mapping, message, *events.get(), *changes.get())) uncarried++;
    }
    IMidiMapping* mapping;  // borrowed from the instance
    Ref<EventList> events{new EventList()};
    Ref<ParameterChanges> changes{new ParameterChanges()};
    int uncarried = 0;
};

// The bundle's binary loaded and entered, and its factory.
class Vst3Module {
public:
    Vst3Module() = default;
    ~Vst3Module() { unload(); }
    Vst3Module(const Vst3Module&) = delete;
    Vst3Module& operator=(const Vst3Module&) = delete;

    // The binary's path inside a bundle: Contents/<machine>-linux/<Name>.so,
    // or on Windows Contents/x86_64-win (x86-win)/<Name>.vst3.
    static std::string binaryPath(const std::string& bundle);
    bool load(const std::string& bundle, std::string* error);
    // Releases the factory, calls the exit (ModuleExit, ExitDll) and unloads.
    void unload();
    IPluginFactory* factory() const { return pluginFactory; }
    IPluginFactory3* factory3() const { return pluginFactory3; }
    // The exported function of that name, or null.
    void* symbol(const char* name) const;
    // The loaded binary's handle (dlopen's, or the HMODULE), or null.
    void* handle() const { return library; }
    // The processor class's ID (the first "Audio Module Class"); false if none.
    bool processorClass(Tuid* cid) const;

private:
    // <Name> of <folder>/<Name>.vst3, and the folder without trailing separators.
    static std::string bundleName(const std::string& bundle, std::string* folder);
    // The platform's part: the binary loaded and entered; exited and unloaded.
    bool open(const std::string& binary, std::string* error);
    void close();

    void* library = nullptr;
    IPluginFactory* pluginFactory = nullptr;
    IPluginFactory3* pluginFactory3 = nullptr;
};

struct Vst3Setup {
    double sampleRate = 44100;
    int32 maxBlock = 4096;
};

// One instance of the module's instrument: processor and controller, made,
// connected, synchronised, set up and switched on; shut down in reverse.
class Vst3Instance {
public:
    ~Vst3Instance() { stop(); }
    // Every step checked; false with the failing step in `error`.
    bool start(Vst3Module& module, const Vst3Setup& setup, std::string* error);
    // The reverse order; every step's result kept in `stopResults`.
    void stop();

    // One block: the events and parameter changes (either may be null) with
    // `frames` frames into left and right (resized to hold them).
    tresult process(int32 frames, EventList* events, ParameterChanges* changes);
    tresult process(int32 frames, BlockInput& input) { return process(frames, input.events.get(), input.changes.get()); }
    // A flush as hosts send it: no frames, no buses, null buffer arrays.
    tresult flush(ParameterChanges* changes, EventList* events = nullptr);
    // Switched off and set up again at another rate, as hosts change it.
    bool changeRate(double rate, std::string* error);

    // The processor's state as the host saves it, and a state given back to
    // processor and controller as the host loads it.
    std::vector<uint8_t> saveState();
    tresult loadState(const std::vector<uint8_t>& bytes, tresult* controllerResult);

    IComponent* processor() const { return component.get(); }
    IAudioProcessor* audio() const { return audioProcessor.get(); }
    IEditController* controller() const { return editController.get(); }
    // The controller's MIDI mapping, or null where it has none.
    IMidiMapping* midiMapping() const { return mapping.get(); }
    // The automatable parameters, in the controller's order.
    std::vector<v3::ParameterInfo> automatableParameters() const;
    ConnectionProxy* toController() const { return controllerProxy.get(); }
    ConnectionProxy* toProcessor() const { return processorProxy.get(); }

    std::vector<float> left, right, extra;  // extra: a third channel offered, to see it cleared
    uint64 silenceFlags = 0;
    bool offerThirdChannel = false;
    uint64 silenceFlagsIn = 0;  // what the host leaves in the flags before processing
    std::vector<tresult> stopResults;

private:
    Ref<HostApplication> context;
    Ref<IComponent> component;
    Ref<IAudioProcessor> audioProcessor;
    Ref<IEditController> editController;
    Ref<IMidiMapping> mapping;
    Ref<ConnectionProxy> controllerProxy, processorProxy;
    IConnectionPoint* processorPoint = nullptr;   // borrowed from component
    IConnectionPoint* controllerPoint = nullptr;  // borrowed from editController
    Vst3Setup settings;
    bool running = false;
    // Set up at the settings' rate, then switched on and processing; and back.
    bool switchOn(std::string* error);
    bool switchOff(std::string* error);
};

// Text helpers: UTF-16 to ASCII and back.
std::string narrow(const char16* text);
std::u16string widen(const std::string& text);

}  // namespace v3host
