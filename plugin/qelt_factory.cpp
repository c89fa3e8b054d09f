// The instrument the library's entry creates: playing the embedded recordings.
#include "plugin/plugin_entry.h"
#include "plugin/qelt_epiano.h"

QeltEpiano::QeltEpiano(audioMasterCallback audioMaster)
    : AudioEffectX(audioMaster, kNumPrograms, kNumParams), core(new EpianoEngine()) {
    construct();
}

AudioEffect* createEffectInstance(audioMasterCallback audioMaster) {
    try {
        return new QeltEpiano(audioMaster);
    } catch (...) {
        return nullptr;
    }
}
