// The program, its five parameters, and the keys on the parameter entry.
#include <cmath>
#include <cstring>

#include "engine/epiano_engine.h"

namespace {

bool isParameter(int32_t index) { return index >= 0 && index < kNumParams; }

}  // namespace

void EpianoEngine::setParameter(int32_t index, float value) {
    if (isParameter(index)) {
        if (!std::isfinite(value)) return;  // would poison the filter states for good
        shownValues[index].store(value, std::memory_order_relaxed);
        queueChange(EngineChange::kParameter, index, value);
    } else if (index >= kFirstKeyIndex && index < kKeyIndexLimit) {
        queueChange(EngineChange::kKey, index, value != 0.f ? 100.f : 0.f);
    } else {
        return;
    }
    if (observer) observer->engineValueChanged(index, value);
}

float EpianoEngine::getParameter(int32_t index) const {
    if (isParameter(index)) return shownValues[index].load(std::memory_order_relaxed);
    return 0.f;
}

void EpianoEngine::selectProgram() { queueChange(EngineChange::kProgram, 0, 0.f); }

// Selecting the program starts afresh: what sounds stops at once, while the
// notes queued for this block still play.
void EpianoEngine::applyProgram() {
    silenceVoices();
    recalculate();
    if (observer) observer->engineNotesStopped();
}

void EpianoEngine::silenceVoices() {
    for (Voice& v : voices) {
        v.level = 0.f;
        v.decay = 0.99f;
    }
}

void EpianoEngine::setProgramName(const char* name) {
    std::strncpy(currentProgram.name, name, kProgramNameSize - 1);
    currentProgram.name[kProgramNameSize - 1] = 0;
}

void EpianoEngine::getProgramName(char* name) const { std::strcpy(name, currentProgram.name); }

void EpianoEngine::parameterName(int32_t index, char* text) {
    if (isParameter(index)) std::strcpy(text, kParameters[index].name);
}

void EpianoEngine::parameterLabel(int32_t index, char* label) {
    std::strcpy(label, isParameter(index) ? kParameters[index].label : "%");
}

void EpianoEngine::parameterDisplay(int32_t index, char* text) const {
    parameterText(index, getParameter(index), text);
}

// Sounding voices and the queued notes are left alone: a knob turned while a
// chord rings changes the sound, not the notes.
void EpianoEngine::recalculate() {
    const EpianoProgram& p = currentProgram;
    output.setTreble(p.param[kTreble], reciprocalRate);
    output.setLfoDepth(p.param[kLfoDepth]);
    maxVoices = kMaxVoices;
    output.setLfoRate(p.param[kLfoRate], reciprocalRate);
    velocityExponent = 1.f;
    panSpread = 0.015f;
    outputVolume = p.param[kVolume];
}
