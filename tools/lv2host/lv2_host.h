// A small LV2 host on lilv, finding and driving a plug-in as hosts do: the
// bundle loaded beside the installed vocabularies, URIs mapped, every port
// connected, and blocks run with MIDI events at their frames. Used by the
// renderer and the tests.
#pragma once

#include <lilv/lilv.h>
#include <lv2/urid/urid.h>

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "tools/plugin_call_watch.h"

// A MIDI message of up to three bytes at a frame of the block.
struct Lv2Midi {
    uint32_t frame = 0;
    uint8_t size = 0;
    uint8_t bytes[3] = {};
};

// A channel message at a frame: two bytes for program change and channel
// pressure, three for the others.
inline Lv2Midi lv2Midi(uint32_t frame, uint8_t status, uint8_t data1, uint8_t data2 = 0) {
    Lv2Midi m;
    m.frame = frame;
    m.size = (status & 0xE0) == 0xC0 ? 2 : 3;
    m.bytes[0] = status;
    m.bytes[1] = data1;
    m.bytes[2] = m.size == 3 ? data2 : 0;
    return m;
}

// An event a plug-in wrote to an atom output: its frame, its type and its body.
struct Lv2OutputEvent {
    int64_t frame = 0;
    LV2_URID type = 0;
    std::vector<uint8_t> body;
};

// URIs to integers and back, for any thread.
class UridMap {
public:
    UridMap();
    UridMap(const UridMap&) = delete;
    UridMap& operator=(const UridMap&) = delete;

    LV2_URID map(const char* uri);
    const char* unmap(LV2_URID urid);
    // Null-terminated, for instantiate and state restore.
    const LV2_Feature* const* features() const { return featureList; }
    LV2_URID_Map* mapInterface() { return &mapData; }
    LV2_URID_Unmap* unmapInterface() { return &unmapData; }

private:
    std::mutex lock;
    std::map<std::string, LV2_URID> ids;
    std::vector<std::unique_ptr<std::string>> uris;  // stable addresses for unmap
    LV2_URID_Map mapData;
    LV2_URID_Unmap unmapData;
    LV2_Feature mapFeature, unmapFeature;
    const LV2_Feature* featureList[3];
};

// The lilv world with one bundle loaded.
class Lv2World {
public:
    Lv2World();
    ~Lv2World();
    Lv2World(const Lv2World&) = delete;
    Lv2World& operator=(const Lv2World&) = delete;

    // Loads the vocabulary bundles installed on LV2_PATH and the bundle at
    // `path` (a folder), and no other, and finds its plug-in: the first one
    // whose data the bundle holds.
    bool loadBundle(const std::string& path, std::string* error);
    const LilvPlugin* plugin() const { return found; }
    LilvWorld* world() const { return lilv; }
    // A node for the URI, kept as long as the world.
    const LilvNode* node(const char* uri);

    UridMap urids;

private:
    void loadVocabularies();
    LilvWorld* lilv;
    const LilvPlugin* found = nullptr;
    std::map<std::string, LilvNode*> nodes;
};

// One instance with every port connected to a buffer of its own.
class Lv2Instance {
public:
    // What an instance plays and what the host gives its atom outputs.
    struct Setup {
        double sampleRate = 44100;
        uint32_t maxBlock = 4096;
        uint32_t atomOutputCapacity = 65536;  // bytes of sequence body per atom output
    };
    // Instantiates and activates; null with a reason when the plug-in needs a
    // feature this host lacks, has a port it cannot connect, or refuses.
    static std::unique_ptr<Lv2Instance> create(Lv2World& world, const Setup& setup, std::string* error);
    ~Lv2Instance();
    Lv2Instance(const Lv2Instance&) = delete;
    Lv2Instance& operator=(const Lv2Instance&) = delete;

    // Control inputs, in port order.
    size_t controlCount() const { return controls.size(); }
    const std::string& controlName(size_t i) const { return ports[controls[i]].name; }
    const std::string& controlSymbol(size_t i) const { return ports[controls[i]].symbol; }
    float control(size_t i) const { return ports[controls[i]].value; }
    void setControl(size_t i, float value) { ports[controls[i]].value = value; }
    // Control input by symbol; false when there is none.
    bool setControl(const std::string& symbol, float value);

    // Hands `events` (frames inside the block, in order) to the MIDI input and
    // runs `frames` frames, at most the set-up's maxBlock.
    void run(const std::vector<Lv2Midi>& events, uint32_t frames);
    size_t audioOutputCount() const { return audioOutputs.size(); }
    const float* output(size_t channel) const { return ports[audioOutputs[channel]].audio.data(); }
    // The events the plug-in wrote to its atom outputs in the last run, of
    // whatever type, and whether every output sequence stayed inside its
    // buffer.
    const std::vector<Lv2OutputEvent>& eventsOut() const { return written; }
    bool outputsInBounds() const { return inBounds; }

    void activate();
    void deactivate();
    // Applies a preset through lilv's state restore, as hosts do.
    bool applyPreset(const char* presetUri, std::string* error);
    // The control values as a host saves them (through lilv, as Turtle
    // text), and such a text restored.
    std::string saveState();
    bool restoreState(const std::string& saved, std::string* error);
    void watchRuns(PluginCallWatch* watch) { runWatch = watch; }

    LilvInstance* instance() const { return lilvInstance; }
    const Setup& setup() const { return settings; }

private:
    enum class Kind { kAudioIn, kAudioOut, kControlIn, kControlOut, kAtomIn, kAtomOut, kCv };
    struct Port {
        Kind kind;
        std::string symbol, name;
        float value = 0;
        std::vector<float> audio;
        std::vector<uint64_t> atom;  // 8-byte aligned, as atoms are
        bool takesMidi = false;
    };
    Lv2Instance(Lv2World& world, const Setup& setup);
    void connect(size_t index);
    void fillMidiInput(Port& port, const std::vector<Lv2Midi>& events);
    void readAtomOutput(const Port& port);
    bool restore(const LilvState* state, const std::string& what, std::string* error);

    Lv2World& world;
    Setup settings;
    LilvInstance* lilvInstance = nullptr;
    bool active = false;
    std::vector<Port> ports;
    std::vector<size_t> controls, audioOutputs;
    std::vector<Lv2OutputEvent> written;
    bool inBounds = true;
    PluginCallWatch* runWatch = nullptr;
    LV2_URID sequenceType, chunkType, midiEventType, floatType, doubleType, intType;
};
