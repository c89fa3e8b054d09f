// The instrument as an LV2 plug-in: the host's ports handed to the engine.
// Each run does what a VST 2 block does, in the same order: the control
// values that changed, the changes of other threads, the block's MIDI at its
// frames, then the render. So the same MIDI and values give the same samples.
#include <lv2/atom/atom.h>
#include <lv2/atom/util.h>
#include <lv2/core/lv2.h>
#include <lv2/midi/midi.h>
#include <lv2/urid/urid.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <memory>
#include <new>

#include "engine/audio_thread.h"
#include "engine/epiano_engine.h"
#include "plugin/lv2/lv2_description.h"

namespace {

class Lv2Epiano final : private EngineObserver {
public:
    Lv2Epiano(float rate, LV2_URID_Map* map);
    ~Lv2Epiano() = default;

    void connect(uint32_t port, void* data);
    void activate();
    QELT_AUDIO_THREAD void run(uint32_t frames);

private:
    void startEngine();
    QELT_AUDIO_THREAD void takeControls();
    QELT_AUDIO_THREAD void takeMidi(uint32_t frames);
    QELT_AUDIO_THREAD void openNotes();
    QELT_AUDIO_THREAD void engineValueChanged(int32_t index, float value) override;
    QELT_AUDIO_THREAD void engineNotesStopped() override;
    QELT_AUDIO_THREAD bool writeNote(int64_t frame, LV2_URID type, const void* body, uint32_t size);

    float rate;
    std::unique_ptr<EpianoEngine> engine;
    bool playedSinceStart = false;

    const LV2_Atom_Sequence* midiIn = nullptr;
    float* left = nullptr;
    float* right = nullptr;
    const float* controls[kNumParams] = {};
    float applied[kNumParams];  // the value each control had when the engine last took it
    LV2_Atom_Sequence* notesOut = nullptr;
    uint32_t notesOutCapacity = 0;  // bytes from the atom's header on, for this run; 0 outside run
    bool keysUpPending = false;     // the engine started over: the UI's keys go dark with the next run
    bool keysUpLast = false;        // the notes output ends with every key released

    LV2_URID sequenceType, midiEventType, beatTimeUnit, keyStateType, allKeysUpType;
};

Lv2Epiano::Lv2Epiano(float rate, LV2_URID_Map* map)
    : rate(rate),
      sequenceType(map->map(map->handle, LV2_ATOM__Sequence)),
      midiEventType(map->map(map->handle, LV2_MIDI__MidiEvent)),
      beatTimeUnit(map->map(map->handle, LV2_ATOM__beatTime)),
      keyStateType(map->map(map->handle, kLv2KeyStateUri)),
      allKeysUpType(map->map(map->handle, kLv2AllKeysUpUri)) {
    startEngine();
}

// The engine as a new instance has it, with no history. It is made once and
// reset in place afterwards, so no pointer to it ever goes stale.
void Lv2Epiano::startEngine() {
    if (engine)
        engine->reset();
    else
        engine.reset(new EpianoEngine());
    engine->setSampleRate(rate);
    engine->setObserver(this);
    for (int i = 0; i < kNumParams; i++) applied[i] = engine->getParameter(i);
    playedSinceStart = false;
}

void Lv2Epiano::connect(uint32_t port, void* data) {
    if (port == kLv2MidiInPort) {
        midiIn = static_cast<const LV2_Atom_Sequence*>(data);
    } else if (port == kLv2LeftOutPort) {
        left = static_cast<float*>(data);
    } else if (port == kLv2RightOutPort) {
        right = static_cast<float*>(data);
    } else if (port >= kLv2FirstControlPort && port < kLv2FirstControlPort + kNumParams) {
        controls[port - kLv2FirstControlPort] = static_cast<const float*>(data);
    } else if (port == kLv2NotifyPort) {
        notesOut = static_cast<LV2_Atom_Sequence*>(data);
    }
}

// A host re-activates to start over: nothing of what was played may remain,
// on the UI's keys either. Only a run may write to the notes output.
void Lv2Epiano::activate() {
    if (!playedSinceStart) return;
    startEngine();
    keysUpPending = true;
}

void Lv2Epiano::run(uint32_t frames) {
    playedSinceStart = true;
    // First, so that the engine's reports during this run reach the UI.
    openNotes();
    takeControls();
    engine->applyPendingChanges();
    takeMidi(frames);
    // Hosts do not run blocks of 2^31 frames; such a count renders nothing.
    engine->render(left, right, frames <= INT32_MAX ? (int32_t)frames : 0);
    notesOutCapacity = 0;
}

// Only values that changed reach the engine, as a knob's moves do in the VST
// build; a value outside the ports' range is taken at the nearest end, one
// that is not a number not at all.
void Lv2Epiano::takeControls() {
    for (int i = 0; i < kNumParams; i++) {
        if (!controls[i]) continue;
        float value = *controls[i];
        if (!std::isfinite(value)) continue;
        value = value < 0.f ? 0.f : value > 1.f ? 1.f : value;
        if (value == applied[i]) continue;
        applied[i] = value;
        engine->setParameter(i, value);
    }
}

// Every MIDI message goes to the engine at its frame. Frames outside the
// block are taken at its nearest end, so no note-off is ever lost.
void Lv2Epiano::takeMidi(uint32_t frames) {
    if (!midiIn || midiIn->atom.type != sequenceType) return;
    const bool beats = midiIn->body.unit == beatTimeUnit;
    const int64_t last = frames > 0 ? (int64_t)frames - 1 : 0;
    LV2_ATOM_SEQUENCE_FOREACH(midiIn, event) {
        if (event->body.type != midiEventType || event->body.size == 0) continue;
        const uint8_t* message = reinterpret_cast<const uint8_t*>(event + 1);
        int64_t frame = beats ? 0 : event->time.frames;
        frame = frame < 0 ? 0 : frame > last ? last : frame;
        engine->midiMessage((int32_t)frame, message[0], event->body.size > 1 ? message[1] : 0,
                            event->body.size > 2 ? message[2] : 0);
    }
}

// The notes output starts each run as an empty sequence. Its capacity is
// taken as the whole buffer with the header, the narrower of the two ways
// hosts state it.
void Lv2Epiano::openNotes() {
    if (!notesOut) return;
    uint32_t capacity = notesOut->atom.size;
    if (capacity < sizeof(LV2_Atom_Sequence)) {
        notesOut->atom.size = 0;
        return;
    }
    notesOut->atom.type = sequenceType;
    notesOut->atom.size = sizeof(LV2_Atom_Sequence_Body);
    notesOut->body.unit = 0;
    notesOut->body.pad = 0;
    notesOutCapacity = capacity;
    keysUpLast = false;
    if (keysUpPending) engineNotesStopped();
    keysUpPending = false;
}

// A key of the 88 played or released, at the frame where the engine plays it.
void Lv2Epiano::engineValueChanged(int32_t index, float value) {
    if (index < kLowestKey || index > kHighestKey) return;
    const int velocity = value >= 127.f ? 127 : value >= 1.f ? (int)value : 0;
    const Lv2KeyState key = {(uint8_t)index, (uint8_t)velocity};
    writeNote(engine->noteFrame(), keyStateType, &key, sizeof(key));
    keysUpLast = false;
}

// The engine takes controllers and program changes as they come, ahead of the
// block's notes: what sounded before the block stops from its first frame,
// and the block's notes still play. So the keys go dark at frame 0, before
// any key of this run lights (the sequence is in time order). One release of
// all keys in a row is enough.
void Lv2Epiano::engineNotesStopped() {
    if (keysUpLast) return;
    keysUpLast = writeNote(0, allKeysUpType, nullptr, 0);
}

// One event on the notes output; a full output, or none, drops it.
bool Lv2Epiano::writeNote(int64_t frame, LV2_URID type, const void* body, uint32_t size) {
    if (notesOutCapacity == 0) return false;
    const uint32_t eventBytes = lv2_atom_pad_size(sizeof(LV2_Atom_Event) + size);
    if (sizeof(LV2_Atom) + notesOut->atom.size + eventBytes > notesOutCapacity) return false;
    LV2_Atom_Event header = {};
    header.time.frames = frame;
    header.body.type = type;
    header.body.size = size;
    // Sizes stay padded, so the sequence ends right after its atom.size bytes.
    uint8_t* end = reinterpret_cast<uint8_t*>(notesOut) + sizeof(LV2_Atom) + notesOut->atom.size;
    std::memset(end, 0, eventBytes);
    std::memcpy(end, &header, sizeof(header));
    if (size) std::memcpy(end + sizeof(header), body, size);
    notesOut->atom.size += eventBytes;
    return true;
}

LV2_URID_Map* findMap(const LV2_Feature* const* features) {
    for (; features && *features; features++)
        if ((*features)->URI && std::strcmp((*features)->URI, LV2_URID__map) == 0)
            return static_cast<LV2_URID_Map*>((*features)->data);
    return nullptr;
}

// A rate the engine would refuse gets no instance rather than one at another rate.
LV2_Handle instantiate(const LV2_Descriptor*, double rate, const char*, const LV2_Feature* const* features) {
    LV2_URID_Map* map = findMap(features);
    float engineRate = (float)rate;
    if (!map || !map->map || !std::isfinite(engineRate) || engineRate < kMinSampleRate) return nullptr;
    try {
        return new Lv2Epiano(engineRate, map);
    } catch (...) {  // out of memory: no instance, and nothing thrown into the host
        return nullptr;
    }
}

void connectPort(LV2_Handle instance, uint32_t port, void* data) {
    static_cast<Lv2Epiano*>(instance)->connect(port, data);
}

void activate(LV2_Handle instance) {
    try {
        static_cast<Lv2Epiano*>(instance)->activate();
    } catch (...) {  // out of memory: the instance plays on from where it was
    }
}

void run(LV2_Handle instance, uint32_t frames) { static_cast<Lv2Epiano*>(instance)->run(frames); }

void cleanup(LV2_Handle instance) { delete static_cast<Lv2Epiano*>(instance); }

const void* extensionData(const char*) { return nullptr; }

// Nothing to do on deactivate: activate starts afresh.
const LV2_Descriptor kDescriptor = {
    kLv2PluginUri, instantiate, connectPort, activate, run, nullptr, cleanup, extensionData,
};

}  // namespace

LV2_SYMBOL_EXPORT const LV2_Descriptor* lv2_descriptor(uint32_t index) { return index == 0 ? &kDescriptor : nullptr; }
