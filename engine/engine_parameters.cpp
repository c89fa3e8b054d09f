// The program, its five parameters, and the keys on the parameter entry.
#include <cmath>
#include <cstdio>
#include <cstring>

#include "engine/epiano_engine.h"

namespace {

constexpr int kDisplayLength = 8;

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

void EpianoEngine::parameterDisplay(int32_t index, char* text) const { displayText(index, getParameter(index), text); }

void EpianoEngine::displayText(int32_t index, float v, char* text) {
    char buffer[64];
    buffer[0] = 0;
    switch (index) {
        case kSustain:
            std::snprintf(buffer, sizeof(buffer), "%.0f", v * 100.f);
            break;
        case kTreble:
            std::snprintf(buffer, sizeof(buffer), "%.0f", v * 100.f - 50.f);
            break;
        case kLfoDepth:
            if (v > 0.5f)
                std::snprintf(buffer, sizeof(buffer), "Trem %.0f", 200.f * v - 100.f);
            else
                std::snprintf(buffer, sizeof(buffer), "Pan %.0f", 100.f - 200.f * v);
            break;
        case kLfoRate:
            std::snprintf(buffer, sizeof(buffer), "%.2f", (float)std::exp((double)(6.22f * v - 2.61f)));
            break;
        case kVolume:
            // A negative gain sounds at its magnitude (inverted); 0 is silence.
            if (v == 0.f)
                std::strcpy(buffer, "-inf");
            else
                std::snprintf(buffer, sizeof(buffer), "%d", (int)(20.f * (float)std::log10((double)std::fabs(v))));
            break;
        default:
            break;
    }
    buffer[kDisplayLength] = 0;
    std::strcpy(text, buffer);
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
