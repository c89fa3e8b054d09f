// A small VST 2.4 host: a recording host callback with settable answers, a
// wrapper that drives one instance as a careful host does, and MIDI event
// blocks. Used by the tests and by the command-line renderer.
#pragma once

#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "plugin/vst_abi.h"

typedef AEffect*(VSTCALLBACK* VstEntryProc)(audioMasterCallback);

struct HostCall {
    AEffect* effect;
    VstInt32 opcode;
    VstInt32 index;
    VstIntPtr value;
    std::string text;  // the text a canDo request asked about
    float opt;
};

class RecordingHost {
public:
    RecordingHost();
    ~RecordingHost();
    RecordingHost(const RecordingHost&) = delete;
    RecordingHost& operator=(const RecordingHost&) = delete;

    // Calls the plug-in's entry with this host's callback; null if the plug-in refused.
    AEffect* create(VstEntryProc entry);

    // Answers. `respond`, when set, decides every answer instead.
    VstIntPtr versionAnswer = 2400;
    VstIntPtr canDoSizeWindowAnswer = 1;
    VstIntPtr sizeWindowAnswer = 1;
    std::function<VstIntPtr(const HostCall&)> respond;
    // Called (outside the record lock) for every request, after it is recorded.
    std::function<void(const HostCall&)> onCall;

    std::vector<HostCall> calls() const;
    int count(VstInt32 opcode) const;
    void clear();

    static VstIntPtr VSTCALLBACK callback(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr value,
                                          void* ptr, float opt);

private:
    VstIntPtr handle(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt);
    mutable std::mutex lock;
    std::vector<HostCall> log;
};

// A block of MIDI events as a host hands it to effProcessEvents.
class MidiEventBlock {
public:
    void add(VstInt32 deltaFrames, unsigned char status, unsigned char data1, unsigned char data2);
    void addEvent(const VstEvent& raw);  // any record type, copied as given
    void clear();
    size_t size() const { return events.size(); }
    VstEvents* get();  // valid until the block changes

private:
    std::vector<VstMidiEvent> events;
    std::vector<unsigned char> storage;
};

// One instance driven through its record.
class PluginInstance {
public:
    explicit PluginInstance(AEffect* effect) : effect(effect) {}
    ~PluginInstance() { close(); }
    PluginInstance(const PluginInstance&) = delete;
    PluginInstance& operator=(const PluginInstance&) = delete;

    AEffect* record() const { return effect; }
    VstIntPtr dispatch(VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0, void* ptr = nullptr,
                       float opt = 0.f);
    std::string text(VstInt32 opcode, VstInt32 index = 0);  // a text answer, from a zeroed buffer
    void setParameter(VstInt32 index, float value) { effect->setParameter(effect, index, value); }
    float getParameter(VstInt32 index) { return effect->getParameter(effect, index); }

    // The start-up a careful host makes: open, rate, block size, switch on.
    void start(float sampleRate, VstInt32 blockSize);
    // Hands `events` (may be empty: then nothing is sent) and renders `frames`
    // frames, appending them to left and right.
    void render(MidiEventBlock* events, VstInt32 frames, std::vector<float>& left, std::vector<float>& right);
    void close();

private:
    AEffect* effect;
};
