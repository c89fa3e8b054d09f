// The host's objects and the life of one instance.
#include "tools/vst3host/vst3_host.h"

#include <algorithm>
#include <cstring>

namespace v3host {

std::string narrow(const char16* text) {
    std::string out;
    for (size_t i = 0; text && text[i]; i++) out += text[i] < 128 ? (char)text[i] : '?';
    return out;
}

std::u16string widen(const std::string& text) { return std::u16string(text.begin(), text.end()); }

// ---- MemoryStream ----

tresult MemoryStream::read(void* buffer, int32 numBytes, int32* numBytesRead) {
    if (numBytesRead) *numBytesRead = 0;
    if (numBytes < 0 || (!buffer && numBytes > 0)) return kInvalidArgument;
    mostRead = std::max<int64>(mostRead, numBytes);
    furthestRead = std::max<int64>(furthestRead, position + numBytes);
    int64 available = std::max<int64>(0, (int64)data.size() - position);
    int64 n = std::min<int64>(numBytes, available);
    if (readLimit > 0) n = std::min<int64>(n, readLimit);
    if (n > 0) std::memcpy(buffer, data.data() + position, (size_t)n);
    position += n;
    if (numBytesRead) *numBytesRead = (int32)n;
    return kResultOk;
}

tresult MemoryStream::write(void* buffer, int32 numBytes, int32* numBytesWritten) {
    if (numBytesWritten) *numBytesWritten = 0;
    if (numBytes < 0 || (!buffer && numBytes > 0)) return kInvalidArgument;
    if ((size_t)position + (size_t)numBytes > data.size()) data.resize((size_t)position + (size_t)numBytes);
    if (numBytes > 0) std::memcpy(data.data() + position, buffer, (size_t)numBytes);
    position += numBytes;
    if (numBytesWritten) *numBytesWritten = numBytes;
    return kResultOk;
}

tresult MemoryStream::seek(int64 pos, int32 mode, int64* result) {
    int64 base = mode == kIBSeekSet ? 0 : mode == kIBSeekCur ? position : mode == kIBSeekEnd ? (int64)data.size() : -1;
    if (base < 0 || base + pos < 0) return kInvalidArgument;
    position = base + pos;
    if (result) *result = position;
    return kResultOk;
}

tresult MemoryStream::tell(int64* pos) {
    if (!pos) return kInvalidArgument;
    *pos = position;
    return kResultOk;
}

// ---- AttributeList ----

tresult AttributeList::setInt(AttrID id, int64 value) {
    if (!id) return kInvalidArgument;
    ints[id] = value;
    return kResultOk;
}
tresult AttributeList::getInt(AttrID id, int64& value) {
    auto it = id ? ints.find(id) : ints.end();
    if (it == ints.end()) return kResultFalse;
    value = it->second;
    return kResultOk;
}
tresult AttributeList::setFloat(AttrID id, double value) {
    if (!id) return kInvalidArgument;
    floats[id] = value;
    return kResultOk;
}
tresult AttributeList::getFloat(AttrID id, double& value) {
    auto it = id ? floats.find(id) : floats.end();
    if (it == floats.end()) return kResultFalse;
    value = it->second;
    return kResultOk;
}
tresult AttributeList::setString(AttrID id, const TChar* string) {
    if (!id || !string) return kInvalidArgument;
    strings[id] = string;
    return kResultOk;
}
tresult AttributeList::getString(AttrID id, TChar* string, uint32 sizeInBytes) {
    auto it = id ? strings.find(id) : strings.end();
    if (it == strings.end() || !string || sizeInBytes < sizeof(TChar)) return kResultFalse;
    size_t units = std::min<size_t>(it->second.size(), sizeInBytes / sizeof(TChar) - 1);
    std::memcpy(string, it->second.data(), units * sizeof(TChar));
    string[units] = 0;
    return kResultOk;
}
tresult AttributeList::setBinary(AttrID id, const void* data, uint32 sizeInBytes) {
    if (!id || (!data && sizeInBytes)) return kInvalidArgument;
    const uint8_t* bytes = static_cast<const uint8_t*>(data);
    binaries[id].assign(bytes, bytes + sizeInBytes);
    return kResultOk;
}
tresult AttributeList::getBinary(AttrID id, const void*& data, uint32& sizeInBytes) {
    auto it = id ? binaries.find(id) : binaries.end();
    if (it == binaries.end()) return kResultFalse;
    data = it->second.data();
    sizeInBytes = (uint32)it->second.size();
    return kResultOk;
}

// ---- HostApplication ----

tresult HostApplication::getName(String128 name) {
    const char* text = "qelt-vst3host";
    size_t i = 0;
    for (; text[i] && i < 127; i++) name[i] = (char16)text[i];
    name[i] = 0;
    return kResultOk;
}

tresult HostApplication::createInstance(TUID cid, TUID iid, void** obj) {
    if (!obj) return kInvalidArgument;
    *obj = nullptr;
    FUnknown* made = nullptr;
    if (sameUid(cid, IMessage::iid) && sameUid(iid, IMessage::iid))
        made = static_cast<IMessage*>(new Message());
    else if (sameUid(cid, IAttributeList::iid) && sameUid(iid, IAttributeList::iid))
        made = static_cast<IAttributeList*>(new AttributeList());
    else
        return kResultFalse;
    *obj = made;
    return kResultOk;
}

// ---- Events and parameter changes ----

tresult EventList::getEvent(int32 index, Event& e) {
    if (index < 0 || index >= (int32)events.size()) return kInvalidArgument;
    e = events[(size_t)index];
    return kResultOk;
}

void EventList::noteOn(int32 offset, int16 pitch, float velocity, int16 channel) {
    Event e{};
    e.sampleOffset = offset;
    e.type = kNoteOnEvent;
    e.noteOn.channel = channel;
    e.noteOn.pitch = pitch;
    e.noteOn.velocity = velocity;
    e.noteOn.noteId = -1;
    events.push_back(e);
}

void EventList::noteOff(int32 offset, int16 pitch, int16 channel) {
    Event e{};
    e.sampleOffset = offset;
    e.type = kNoteOffEvent;
    e.noteOff.channel = channel;
    e.noteOff.pitch = pitch;
    e.noteOff.noteId = -1;
    events.push_back(e);
}

tresult ParamValueQueue::getPoint(int32 index, int32& sampleOffset, ParamValue& value) {
    if (index < 0 || index >= (int32)points.size()) return kInvalidArgument;
    sampleOffset = points[(size_t)index].first;
    value = points[(size_t)index].second;
    return kResultOk;
}

tresult ParamValueQueue::addPoint(int32 sampleOffset, ParamValue value, int32& index) {
    index = (int32)points.size();
    points.push_back({sampleOffset, value});
    return kResultOk;
}

ParameterChanges::~ParameterChanges() {
    for (ParamValueQueue* q : queues) q->release();
}

IParamValueQueue* ParameterChanges::getParameterData(int32 index) {
    return index >= 0 && index < (int32)queues.size() ? queues[(size_t)index] : nullptr;
}

IParamValueQueue* ParameterChanges::addParameterData(const ParamID& id, int32& index) {
    for (size_t i = 0; i < queues.size(); i++) {
        if (queues[i]->id == id) {
            index = (int32)i;
            return queues[i];
        }
    }
    index = (int32)queues.size();
    queues.push_back(new ParamValueQueue(id));
    return queues.back();
}

void ParameterChanges::add(ParamID id, int32 offset, ParamValue value) {
    int32 index = 0, at = 0;
    addParameterData(id, index)->addPoint(offset, value, at);
}

bool addMidi(IMidiMapping* mapping, const MidiAt& m, EventList& events, ParameterChanges& changes) {
    int16 channel = (int16)(m.status & 15);
    switch (m.status & 0xF0) {
        case 0x90:
            if (m.data2 > 0) {
                events.noteOn(m.frame, (int16)(m.data1 & 0x7F), (float)(m.data2 & 0x7F) / 127.f, channel);
                return true;
            }
            [[fallthrough]];
        case 0x80:
            events.noteOff(m.frame, (int16)(m.data1 & 0x7F), channel);
            return true;
        case 0xB0: {
            ParamID id = 0;
            if (!mapping || mapping->getMidiControllerAssignment(0, channel, (CtrlNumber)(m.data1 & 0x7F), id) != kResultTrue)
                return false;
            changes.add(id, m.frame, (m.data2 & 0x7F) / 127.0);
            return true;
        }
        default:
            return false;
    }
}

// ---- Vst3Instance ----

namespace {

bool step(tresult result, const char* what, std::string* error) {
    if (result == kResultOk) return true;
    if (error) *error = std::string(what) + " returned " + std::to_string(result);
    return false;
}

}  // namespace

bool Vst3Instance::start(Vst3Module& module, const Vst3Setup& setup, std::string* error) {
    settings = setup;
    IPluginFactory* factory = module.factory();
    Tuid processorCid;
    if (!factory || !module.processorClass(&processorCid)) {
        if (error) *error = "the module has no factory or no processor class";
        return false;
    }
    context.reset(new HostApplication());
    void* made = nullptr;
    if (!step(factory->createInstance(processorCid.bytes, IComponent::iid.bytes, &made), "createInstance(processor)",
              error))
        return false;
    component.reset(static_cast<IComponent*>(made));
    if (!step(component->initialize(context.get()), "processor initialize", error)) return false;
    audioProcessor.reset(query<IAudioProcessor>(component.get()));
    if (!audioProcessor) {
        if (error) *error = "the processor has no IAudioProcessor";
        return false;
    }

    Tuid controllerCid;
    if (!step(component->getControllerClassId(controllerCid.bytes), "getControllerClassId", error)) return false;
    made = nullptr;
    if (!step(factory->createInstance(controllerCid.bytes, IEditController::iid.bytes, &made),
              "createInstance(controller)", error))
        return false;
    editController.reset(static_cast<IEditController*>(made));
    if (!step(editController->initialize(context.get()), "controller initialize", error)) return false;
    mapping.reset(query<IMidiMapping>(editController.get()));

    // Connected through proxies, as hosts do.
    processorPoint = query<IConnectionPoint>(component.get());
    controllerPoint = query<IConnectionPoint>(editController.get());
    if (processorPoint) processorPoint->release();    // borrowed from here on
    if (controllerPoint) controllerPoint->release();
    if (processorPoint && controllerPoint) {
        controllerProxy.reset(new ConnectionProxy(controllerPoint));
        processorProxy.reset(new ConnectionProxy(processorPoint));
        if (!step(processorPoint->connect(controllerProxy.get()), "processor connect", error)) return false;
        if (!step(controllerPoint->connect(processorProxy.get()), "controller connect", error)) return false;
    }

    // The controller follows the processor's state.
    Ref<MemoryStream> state(new MemoryStream());
    if (!step(component->getState(state.get()), "processor getState", error)) return false;
    state->position = 0;
    if (!step(editController->setComponentState(state.get()), "controller setComponentState", error)) return false;

    for (int32 i = 0; i < component->getBusCount(kAudio, kOutput); i++)
        if (!step(component->activateBus(kAudio, kOutput, i, 1), "activateBus(audio)", error)) return false;
    for (int32 i = 0; i < component->getBusCount(kEvent, kInput); i++)
        if (!step(component->activateBus(kEvent, kInput, i, 1), "activateBus(event)", error)) return false;
    if (audioProcessor->canProcessSampleSize(kSample32) != kResultTrue) {
        if (error) *error = "32-bit samples refused";
        return false;
    }
    return switchOn(error);
}

bool Vst3Instance::switchOn(std::string* error) {
    ProcessSetup ps{kRealtime, kSample32, settings.maxBlock, settings.sampleRate};
    if (!step(audioProcessor->setupProcessing(ps), "setupProcessing", error)) return false;
    if (!step(component->setActive(1), "setActive(true)", error)) return false;
    if (!step(audioProcessor->setProcessing(1), "setProcessing(true)", error)) return false;
    running = true;
    return true;
}

bool Vst3Instance::switchOff(std::string* error) {
    if (!step(audioProcessor->setProcessing(0), "setProcessing(false)", error)) return false;
    return step(component->setActive(0), "setActive(false)", error);
}

void Vst3Instance::stop() {
    if (!component) return;
    stopResults.clear();
    if (running) {
        stopResults.push_back(audioProcessor->setProcessing(0));
        stopResults.push_back(component->setActive(0));
        running = false;
    }
    if (processorPoint && controllerPoint && controllerProxy) {
        stopResults.push_back(processorPoint->disconnect(controllerProxy.get()));
        stopResults.push_back(controllerPoint->disconnect(processorProxy.get()));
    }
    mapping.reset();
    if (editController) stopResults.push_back(editController->terminate());
    stopResults.push_back(component->terminate());
    audioProcessor.reset();
    editController.reset();
    component.reset();
    controllerProxy.reset();
    processorProxy.reset();
    context.reset();
    processorPoint = controllerPoint = nullptr;
}

tresult Vst3Instance::process(int32 frames, EventList* events, ParameterChanges* changes) {
    size_t n = frames > 0 ? (size_t)frames : 0;
    left.assign(n, 1.f);  // not zeros: what the plug-in leaves unwritten shows
    right.assign(n, 1.f);
    extra.assign(n, 1.f);
    float* channels[3] = {left.data(), right.data(), extra.data()};
    AudioBusBuffers out{};
    out.numChannels = offerThirdChannel ? 3 : 2;
    out.silenceFlags = silenceFlagsIn;
    out.channelBuffers32 = channels;
    ProcessData data{};
    data.processMode = kRealtime;
    data.symbolicSampleSize = kSample32;
    data.numSamples = frames;
    data.numInputs = 0;
    data.numOutputs = 1;
    data.outputs = &out;
    data.inputParameterChanges = changes;
    data.inputEvents = events;
    tresult result = audioProcessor->process(data);
    silenceFlags = out.silenceFlags;
    return result;
}

tresult Vst3Instance::flush(ParameterChanges* changes, EventList* events) {
    ProcessData data{};
    data.processMode = kRealtime;
    data.symbolicSampleSize = kSample32;
    data.inputParameterChanges = changes;
    data.inputEvents = events;
    return audioProcessor->process(data);
}

bool Vst3Instance::changeRate(double rate, std::string* error) {
    settings.sampleRate = rate;
    return switchOff(error) && switchOn(error);
}

std::vector<ParameterInfo> Vst3Instance::automatableParameters() const {
    std::vector<ParameterInfo> found;
    IEditController* c = editController.get();
    for (int32 i = 0; c && i < c->getParameterCount(); i++) {
        ParameterInfo info;
        if (c->getParameterInfo(i, info) == kResultOk && (info.flags & kCanAutomate)) found.push_back(info);
    }
    return found;
}

std::vector<uint8_t> Vst3Instance::saveState() {
    Ref<MemoryStream> stream(new MemoryStream());
    if (component->getState(stream.get()) != kResultOk) return {};
    return stream->data;
}

tresult Vst3Instance::loadState(const std::vector<uint8_t>& bytes, tresult* controllerResult) {
    Ref<MemoryStream> forProcessor(new MemoryStream(bytes));
    Ref<MemoryStream> forController(new MemoryStream(bytes));
    tresult result = component->setState(forProcessor.get());
    tresult other = editController->setComponentState(forController.get());
    if (controllerResult) *controllerResult = other;
    return result;
}

}  // namespace v3host
