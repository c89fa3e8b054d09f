#include "engine/qelt_epiano.h"

#include "engine/instrument_editor.h"
#include "plugin/plugin_entry.h"

AudioEffect* createEffectInstance(audioMasterCallback audioMaster) {
    try {
        return new QeltEpiano(audioMaster);
    } catch (...) {
        return nullptr;
    }
}

QeltEpiano::QeltEpiano(audioMasterCallback audioMaster) : AudioEffectX(audioMaster, 1, 5) {
    if (audioMaster) {
        setNumInputs(0);
        setNumOutputs(2);
        canProcessReplacing(true);
        isSynth(true);
        setUniqueID(fourCharCode('Q', 'Z', 'E', 'P'));
    }
    editor = createInstrumentEditor(this);
}

QeltEpiano::~QeltEpiano() {}

void QeltEpiano::resume() { wantEvents(1); }

void QeltEpiano::processReplacing(float** /*inputs*/, float** outputs, VstInt32 sampleFrames) {
    if (!outputs || sampleFrames <= 0) return;
    for (int c = 0; c < 2; c++)
        if (outputs[c])
            for (VstInt32 i = 0; i < sampleFrames; i++) outputs[c][i] = 0.f;
}
