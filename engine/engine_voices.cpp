// Note start and release, and the removal of voices that have died away.
#include <cmath>

#include "engine/epiano_engine.h"

namespace {
float exponential(float x) { return (float)std::exp((double)x); }
}  // namespace

void EpianoEngine::playNote(int32_t note, int32_t velocity, bool notifyObserver) {
    if (notifyObserver && observer && note >= kLowestKey && note <= kHighestKey)
        observer->engineValueChanged(note, (float)velocity);
    if (velocity > 0)
        startNote(note, velocity);
    else
        releaseNote(note);
}

void EpianoEngine::startNote(int32_t note, int32_t velocity) {
    int32_t chosen;
    if (activeVoices < maxVoices) {
        chosen = activeVoices++;
    } else {
        // Steal the quietest voice; it is overwritten at once.
        float quietest = 99.f;
        chosen = 0;
        for (int32_t i = 0; i < maxVoices; i++)
            if (voices[i].level < quietest) {
                quietest = voices[i].level;
                chosen = i;
            }
    }
    Voice& v = voices[chosen];
    const SampleZone& z = zones[chooseSample(zones, note, velocity)];
    v.step = noteStep(note, z.rootKey, reciprocalRate);
    v.fraction = 0;
    v.sampleIndex = z.index;
    v.position = z.startPosition;
    v.endPosition = z.loopEnd - 1;
    v.loopLength = z.loopLength;

    float level = (float)std::pow((double)(0.0078f * (float)velocity), (double)velocityExponent) *
                  (2.f * velocityExponent + 3.f);
    if (note > 60) level *= exponential((float)(60 - note) * 0.01f);
    v.level = level;
    v.note = note;
    v.key = note;

    int32_t k = note < 21 ? 21 : (note > 108 ? 108 : note);
    v.gainRight = channelVolume + channelVolume * panSpread * (float)(k - 60);
    v.gainLeft = 2.f * channelVolume - v.gainRight;

    int32_t held = k < 44 ? 44 : k;
    v.decay = exponential(-(exponential(0.03f * (float)held - 2.f) * reciprocalRate));
}

void EpianoEngine::releaseNote(int32_t note) {
    for (Voice& v : voices) {
        if (v.note != note) continue;
        if (sustainPedal) {
            v.note = kHeldNote;
        } else {
            float sustain = currentProgram.param[kSustain];
            v.decay = exponential(-(exponential(6.f + 0.01f * (float)note - 5.f * sustain) * reciprocalRate));
        }
    }
}

// The last active voice fills the hole; it is looked at again next block.
void EpianoEngine::removeDeadVoices() {
    for (int32_t i = 0; i < activeVoices; i++) {
        if (voices[i].level < 0.0001f) {
            activeVoices--;
            voices[i] = voices[activeVoices];
        }
    }
}
