// The program, its five parameters, and the keys on the parameter entry.
#include <cmath>
#include <cstdio>
#include <cstring>

#include "engine/instrument_editor.h"
#include "engine/qelt_epiano.h"

namespace {

const char* const kParameterNames[kNumParams] = {"Sustain", "Treble", "LFO depth", "LFO Rate", "Volume"};

constexpr VstInt32 kFirstKeyIndex = 21;
constexpr VstInt32 kKeyIndexLimit = 128;  // 128 is the pedal's internal key
constexpr int kDisplayLength = 8;

bool isParameter(VstInt32 index) { return index >= 0 && index < kNumParams; }

}  // namespace

// Values are visible to getParameter at once; the audio thread applies them
// in the order they were set at its next block.
void QeltEpiano::setParameter(VstInt32 index, float value) {
    if (isParameter(index)) {
        if (!std::isfinite(value)) return;  // would poison the filter states for good
        shownValues[index].store(value, std::memory_order_relaxed);
        queueChange(EngineChange::kParameter, index, value);
    } else if (index >= kFirstKeyIndex && index < kKeyIndexLimit) {
        queueChange(EngineChange::kKey, index, value != 0.f ? 100.f : 0.f);
    } else {
        return;
    }
    notifyEditorParameter(editor, index, value);
}

float QeltEpiano::getParameter(VstInt32 index) {
    if (isParameter(index)) return shownValues[index].load(std::memory_order_relaxed);
    return 0.f;
}

void QeltEpiano::setProgram(VstInt32 program) {
    curProgram = program;
    queueChange(EngineChange::kProgram, program, 0.f);
}

// There is one program; the caller has made it current (the base's index is
// the host's business and stays 0). Selecting it starts afresh: what sounds
// stops at once, while the notes queued for this block still play.
void QeltEpiano::selectProgram() {
    silenceVoices();
    recalculate();
}

void QeltEpiano::silenceVoices() {
    for (Voice& v : voices) {
        v.level = 0.f;
        v.decay = 0.99f;
    }
}

void QeltEpiano::setProgramName(char* name) {
    std::strncpy(programs[0].name, name, kProgramNameSize - 1);
    programs[0].name[kProgramNameSize - 1] = 0;
}

void QeltEpiano::getProgramName(char* name) { std::strcpy(name, programs[0].name); }

bool QeltEpiano::getProgramNameIndexed(VstInt32 /*category*/, VstInt32 index, char* text) {
    if (index != 0) return false;
    std::strcpy(text, programs[0].name);
    return true;
}

void QeltEpiano::getParameterName(VstInt32 index, char* text) {
    if (isParameter(index)) std::strcpy(text, kParameterNames[index]);
}

void QeltEpiano::getParameterLabel(VstInt32 index, char* label) {
    if (index == kLfoRate)
        std::strcpy(label, "Hz");
    else if (index == kVolume)
        std::strcpy(label, "dB");
    else
        std::strcpy(label, "%");
}

void QeltEpiano::getParameterDisplay(VstInt32 index, char* text) {
    char buffer[64];
    buffer[0] = 0;
    float v = getParameter(index);
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
void QeltEpiano::recalculate() {
    const EpianoProgram& p = programs[0];
    output.setTreble(p.param[kTreble], reciprocalRate);
    output.setLfoDepth(p.param[kLfoDepth]);
    maxVoices = kMaxVoices;
    output.setLfoRate(p.param[kLfoRate], reciprocalRate);
    velocityExponent = 1.f;
    panSpread = 0.015f;
    outputVolume = p.param[kVolume];
}
