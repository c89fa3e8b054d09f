// Construction, the sample rate, and the hand-over of changes to the audio thread.
#include "engine/epiano_engine.h"

#include <cmath>
#include <cstring>

EpianoEngine::EpianoEngine(const EngineSamples& samples) { construct(samples); }

void EpianoEngine::construct(const EngineSamples& set) {
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

    EpianoProgram& p = currentProgram;
    std::memset(&p, 0, sizeof(p));
    std::strcpy(p.name, kDefaultProgramName);
    for (int i = 0; i < kNumParams; i++) p.param[i] = kParameters[i].defaultValue;
    p.param[kVolume] = outputVolume;
    for (int i = 0; i < kNumParams; i++) shownValues[i].store(p.param[i], std::memory_order_relaxed);
    applyProgram();

    for (int i = 0; i < kNumSamples; i++) samples[i] = set.data[i];
    sampleInfo = set.info;
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
}

// A new instance's state in place: the object, and any pointer a host or an
// editor holds to it, stay valid; the recordings and the observer stay too.
// Not while a block renders.
void EpianoEngine::reset() {
    const int16_t* recordings[kNumSamples];
    std::memcpy(recordings, samples, sizeof(samples));
    EngineChange stale;
    while (changes.pop(stale)) {
    }
    construct(EngineSamples{recordings, sampleInfo});
}

// The rate reaches the audio thread with the next block, so a block being
// rendered never sees it change under its voices.
void EpianoEngine::setSampleRate(float rate) {
    if (!std::isfinite(rate) || rate < kMinSampleRate) return;
    requestedRate.store(rate, std::memory_order_relaxed);
    queueChange(EngineChange::kSampleRate, 0, rate);
}

void EpianoEngine::queueChange(EngineChange::Kind kind, int32_t index, float value) {
    // A full queue (a host that never renders) loses the change itself; the
    // audio thread then takes the current values as a whole instead.
    if (!changes.push(EngineChange{kind, index, value})) resyncNeeded.store(true, std::memory_order_release);
}

void EpianoEngine::applyPendingChanges() {
    EngineChange change;
    while (changes.pop(change)) applyChange(change);
    if (resyncNeeded.load(std::memory_order_acquire) && resyncNeeded.exchange(false, std::memory_order_acq_rel)) {
        for (int i = 0; i < kNumParams; i++) currentProgram.param[i] = shownValues[i].load(std::memory_order_relaxed);
        applySampleRate(requestedRate.load(std::memory_order_relaxed));
        recalculate();
    }
}

void EpianoEngine::applyChange(const EngineChange& change) {
    switch (change.kind) {
        case EngineChange::kParameter:
            currentProgram.param[change.index] = change.value;
            recalculate();
            break;
        case EngineChange::kKey:
            playNote(change.index, (int32_t)change.value, false);
            break;
        case EngineChange::kProgram:
            applyProgram();
            break;
        case EngineChange::kSampleRate:
            applySampleRate(change.value);
            break;
    }
}

// Sounding notes keep their pitch in Hz: each takes the step a note start of
// its key would get at the new rate. Position and level go on unchanged.
void EpianoEngine::applySampleRate(float rate) {
    engineRate = rate;
    reciprocalRate = 1.f / rate;
    output.setLfoRate(currentProgram.param[kLfoRate], reciprocalRate);
    for (int32_t i = 0; i < activeVoices; i++)
        voices[i].step = noteStep(voices[i].key, zones[voices[i].sampleIndex].rootKey, reciprocalRate);
}

void EpianoEngine::emptyQueue() {
    events[0].deltaFrames = kEventQueueEnd;
    queuedEvents = 0;
}
