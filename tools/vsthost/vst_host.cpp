#include "tools/vsthost/vst_host.h"

#include <cstring>

namespace {
std::mutex creatingLock;
RecordingHost* creating = nullptr;  // the host whose entry call is running
}  // namespace

RecordingHost::RecordingHost() {}
RecordingHost::~RecordingHost() {}

AEffect* RecordingHost::create(VstEntryProc entry) {
    std::lock_guard<std::mutex> guard(creatingLock);
    creating = this;
    AEffect* effect = entry(callback);
    creating = nullptr;
    if (effect) effect->user = this;
    return effect;
}

VstIntPtr VSTCALLBACK RecordingHost::callback(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr value,
                                              void* ptr, float opt) {
    RecordingHost* host = nullptr;
    if (effect && effect->user) host = (RecordingHost*)effect->user;
    if (!host) host = creating;  // during the entry call: the record is not ours yet
    if (!host) return 0;
    return host->handle(effect, opcode, index, value, ptr, opt);
}

VstIntPtr RecordingHost::handle(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                                float opt) {
    HostCall call{effect, opcode, index, value, std::string(), opt};
    if (opcode == audioMasterCanDo && ptr) call.text = (const char*)ptr;
    {
        std::lock_guard<std::mutex> guard(lock);
        log.push_back(call);
    }
    if (onCall) onCall(call);
    if (respond) return respond(call);
    switch (opcode) {
        case audioMasterVersion:
            return versionAnswer;
        case audioMasterCanDo:
            return call.text == "sizeWindow" ? canDoSizeWindowAnswer : 0;
        case audioMasterSizeWindow:
            return sizeWindowAnswer;
        case audioMasterBeginEdit:
        case audioMasterEndEdit:
            return 1;
        default:
            return 0;
    }
}

std::vector<HostCall> RecordingHost::calls() const {
    std::lock_guard<std::mutex> guard(lock);
    return log;
}

int RecordingHost::count(VstInt32 opcode) const {
    std::lock_guard<std::mutex> guard(lock);
    int n = 0;
    for (const HostCall& c : log) n += c.opcode == opcode;
    return n;
}

void RecordingHost::clear() {
    std::lock_guard<std::mutex> guard(lock);
    log.clear();
}

void MidiEventBlock::add(VstInt32 deltaFrames, unsigned char status, unsigned char data1, unsigned char data2) {
    VstMidiEvent e;
    std::memset(&e, 0, sizeof(e));
    e.type = kVstMidiType;
    e.byteSize = sizeof(VstMidiEvent);
    e.deltaFrames = deltaFrames;
    e.flags = 1;
    e.midiData[0] = (char)status;
    e.midiData[1] = (char)data1;
    e.midiData[2] = (char)data2;
    events.push_back(e);
}

void MidiEventBlock::addEvent(const VstEvent& raw) {
    VstMidiEvent e;
    std::memset(&e, 0, sizeof(e));
    std::memcpy(&e, &raw, sizeof(raw) < sizeof(e) ? sizeof(raw) : sizeof(e));
    events.push_back(e);
}

void MidiEventBlock::clear() { events.clear(); }

VstEvents* MidiEventBlock::get() {
    size_t n = events.size();
    size_t bytes = offsetof(VstEvents, events) + (n < 2 ? 2 : n) * sizeof(VstEvent*);
    storage.assign(bytes, 0);
    VstEvents* block = (VstEvents*)storage.data();
    block->numEvents = (VstInt32)n;
    block->reserved = 0;
    VstEvent** entries = block->events;  // n long, past the record's declared two
    for (size_t i = 0; i < n; i++) entries[i] = (VstEvent*)&events[i];
    return block;
}

VstIntPtr PluginInstance::dispatch(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt) {
    if (!effect) return 0;
    VstIntPtr result = effect->dispatcher(effect, opcode, index, value, ptr, opt);
    if (opcode == effClose) effect = nullptr;
    return result;
}

std::string PluginInstance::text(VstInt32 opcode, VstInt32 index) {
    char buffer[256];
    std::memset(buffer, 0, sizeof(buffer));
    dispatch(opcode, index, 0, buffer, 0.f);
    buffer[sizeof(buffer) - 1] = 0;
    return buffer;
}

void PluginInstance::start(float sampleRate, VstInt32 blockSize) {
    dispatch(effOpen);
    dispatch(effSetSampleRate, 0, 0, nullptr, sampleRate);
    dispatch(effSetBlockSize, 0, blockSize);
    dispatch(effMainsChanged, 0, 1);
}

void PluginInstance::render(MidiEventBlock* events, VstInt32 frames, std::vector<float>& left,
                            std::vector<float>& right) {
    if (!effect) return;
    if (events && events->size() > 0) dispatch(effProcessEvents, 0, 0, events->get());
    size_t at = left.size();
    left.resize(at + (frames > 0 ? frames : 0));
    right.resize(at + (frames > 0 ? frames : 0));
    float* outputs[2] = {left.data() + at, right.data() + at};
    effect->processReplacing(effect, nullptr, outputs, frames);
}

void PluginInstance::close() {
    if (!effect) return;
    dispatch(effMainsChanged, 0, 0);
    dispatch(effClose);
    effect = nullptr;
}
