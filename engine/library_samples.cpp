// The instrument as the library creates it: playing its embedded recordings.
#include "engine/qelt_epiano.h"
#include "plugin/plugin_entry.h"

EngineSamples librarySamples() { return EngineSamples{preparedSamples(), kSampleInfo}; }

QeltEpiano::QeltEpiano(audioMasterCallback audioMaster) : AudioEffectX(audioMaster, kNumPrograms, kNumParams) {
    construct(nullptr, librarySamples);
}

AudioEffect* createEffectInstance(audioMasterCallback audioMaster) {
    try {
        return new QeltEpiano(audioMaster);
    } catch (...) {
        return nullptr;
    }
}
