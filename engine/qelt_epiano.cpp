// Construction, switching on, and the hand-over of changes to the audio thread.
#include "engine/qelt_epiano.h"

#include <cmath>
#include <cstring>

#include "engine/instrument_editor.h"

QeltEpiano::QeltEpiano(audioMasterCallback audioMaster, const EngineSamples& samples)
    : AudioEffectX(audioMaster, kNumPrograms, kNumParams) {
    construct(&samples, nullptr);
}

void QeltEpiano::construct(const EngineSamples* given, EngineSamples (*source)()) {
    std::memset(events, 0, sizeof(events));
    std::memset(zones, 0, sizeof(zones));
    std::memset(voices, 0, sizeof(voices));
    std::memset(samples, 0, sizeof(samples));
    queuedEvents = 0;
    events[0].deltaFrames = kEventQueueEnd;
    activeVoices = 0;
    maxVoices = kMaxVoices;
    panSpread = 0.015f;
    sustainPedal = 0;
    velocityExponent = 1.f;
    channelVolume = 0.2f;
    resyncNeeded.store(false, std::memory_order_relaxed);

    engineRate = 44100.f;
    reciprocalRate = 1.f / engineRate;
    requestedRate.store(engineRate, std::memory_order_relaxed);
    outputVolume = 1.f;

    // A failed allocation throws; the factory turns that into "no instance".
    programs.reset(new EpianoProgram[kNumPrograms]);
    EpianoProgram& p = programs[0];
    std::memset(&p, 0, sizeof(p));
    std::strcpy(p.name, "Default");
    p.param[kSustain] = 0.5f;
    p.param[kTreble] = 0.5f;
    p.param[kLfoDepth] = 0.5f;
    p.param[kLfoRate] = 0.65f;
    p.param[kVolume] = outputVolume;
    for (int i = 0; i < kNumParams; i++) shownValues[i].store(p.param[i], std::memory_order_relaxed);
    selectProgram();

    if (audioMaster) {
        setNumInputs(0);
        setNumOutputs(2);
        canProcessReplacing(true);
        isSynth(true);
        setUniqueID(fourCharCode('Q', 'Z', 'E', 'P'));
    }

    EngineSamples set = given ? *given : source();
    for (int i = 0; i < kNumSamples; i++) samples[i] = set.data[i];
    buildSampleZones(zones, set.info);

    for (Voice& v : voices) {
        v.level = 0.f;
        v.decay = 0.99f;
    }

    channelVolume = 0.2f;
    emptyQueue();
    activeVoices = 0;
    sustainPedal = 0;
    output.reset();
    outputVolume = 1.f;

    recalculate();

    // Registered through the base as well, so the record's editor flag
    // follows whether there is one.
    setEditor(createInstrumentEditor(this));
}

QeltEpiano::~QeltEpiano() {}

// Switching on: the rate reaches the audio thread with the next block, so a
// block being rendered never sees it change under its voices.
void QeltEpiano::resume() {
    float rate = getSampleRate();
    if (std::isfinite(rate) && rate >= kMinSampleRate) {
        requestedRate.store(rate, std::memory_order_relaxed);
        queueChange(EngineChange::kSampleRate, 0, rate);
    }
    wantEvents(1);
}

void QeltEpiano::queueChange(EngineChange::Kind kind, int32_t index, float value) {
    // A full queue (a host that never renders) loses the change itself; the
    // audio thread then takes the current values as a whole instead.
    if (!changes.push(EngineChange{kind, index, value})) resyncNeeded.store(true, std::memory_order_release);
}

void QeltEpiano::applyPendingChanges() {
    EngineChange change;
    while (changes.pop(change)) applyChange(change);
    if (resyncNeeded.load(std::memory_order_acquire) && resyncNeeded.exchange(false, std::memory_order_acq_rel)) {
        for (int i = 0; i < kNumParams; i++) programs[0].param[i] = shownValues[i].load(std::memory_order_relaxed);
        applySampleRate(requestedRate.load(std::memory_order_relaxed));
        recalculate();
    }
}

void QeltEpiano::applyChange(const EngineChange& change) {
    switch (change.kind) {
        case EngineChange::kParameter:
            programs[0].param[change.index] = change.value;
            recalculate();
            break;
        case EngineChange::kKey:
            playNote(change.index, (int32_t)change.value, false);
            break;
        case EngineChange::kProgram:
            selectProgram();
            break;
        case EngineChange::kSampleRate:
            applySampleRate(change.value);
            break;
    }
}

// Sounding notes keep their pitch in Hz: each takes the step a note start of
// its key would get at the new rate. Position and level go on unchanged.
void QeltEpiano::applySampleRate(float rate) {
    engineRate = rate;
    reciprocalRate = 1.f / rate;
    output.setLfoRate(programs[0].param[kLfoRate], reciprocalRate);
    for (int32_t i = 0; i < activeVoices; i++)
        voices[i].step = noteStep(voices[i].key, zones[voices[i].sampleIndex].rootKey, reciprocalRate);
}

void QeltEpiano::emptyQueue() {
    events[0].deltaFrames = kEventQueueEnd;
    queuedEvents = 0;
}
