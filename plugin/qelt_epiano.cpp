// The VST 2.4 glue around the engine.
#include "plugin/qelt_epiano.h"

#include "editor/instrument_editor.h"
#include "plugin/qelt_identity.h"

QeltEpiano::QeltEpiano(audioMasterCallback audioMaster, const EngineSamples& samples)
    : AudioEffectX(audioMaster, kNumPrograms, kNumParams), core(new EpianoEngine(samples)) {
    construct();
}

void QeltEpiano::construct() {
    if (audioMaster) {
        setNumInputs(0);
        setNumOutputs(2);
        canProcessReplacing(true);
        isSynth(true);
        setUniqueID(fourCharCode(kQeltUniqueId[0], kQeltUniqueId[1], kQeltUniqueId[2], kQeltUniqueId[3]));
    }
    core->setObserver(this);
    // Registered through the base as well, so the record's editor flag
    // follows whether there is one.
    setEditor(createInstrumentEditor(&editorHost));
}

QeltEpiano::~QeltEpiano() {}

// Switching on: a refused rate leaves the one in use.
void QeltEpiano::resume() {
    core->setSampleRate(getSampleRate());
    wantEvents(1);
}

void QeltEpiano::engineValueChanged(int32_t index, float value) { notifyEditorParameter(editor, index, value); }

VstInt32 QeltEpiano::processEvents(VstEvents* block) {
    core->applyPendingChanges();
    int32_t count = block ? block->numEvents : 0;
    // The record declares two entries and hosts allocate numEvents: the list
    // is read through a pointer, not as the two-entry array.
    VstEvent* const* list = block ? block->events : nullptr;
    for (int32_t i = 0; i < count; i++) {
        const VstEvent* event = list[i];
        if (!event || event->type != kVstMidiType) continue;
        const VstMidiEvent* midi = (const VstMidiEvent*)event;
        core->midiMessage(midi->deltaFrames, (uint8_t)midi->midiData[0], (uint8_t)midi->midiData[1],
                          (uint8_t)midi->midiData[2]);
    }
    return 1;
}

void QeltEpiano::processReplacing(float** /*inputs*/, float** outputs, VstInt32 sampleFrames) {
    core->render(outputs ? outputs[0] : nullptr, outputs ? outputs[1] : nullptr, sampleFrames);
}

void QeltEpiano::setParameter(VstInt32 index, float value) { core->setParameter(index, value); }

float QeltEpiano::getParameter(VstInt32 index) { return core->getParameter(index); }

void QeltEpiano::setProgram(VstInt32 program) {
    curProgram = program;
    core->selectProgram();
}

void QeltEpiano::setProgramName(char* name) { core->setProgramName(name); }

void QeltEpiano::getProgramName(char* name) { core->getProgramName(name); }

bool QeltEpiano::getProgramNameIndexed(VstInt32 /*category*/, VstInt32 index, char* text) {
    if (index != 0) return false;
    core->getProgramName(text);
    return true;
}

void QeltEpiano::getParameterName(VstInt32 index, char* text) { EpianoEngine::parameterName(index, text); }

void QeltEpiano::getParameterLabel(VstInt32 index, char* label) { EpianoEngine::parameterLabel(index, label); }

void QeltEpiano::getParameterDisplay(VstInt32 index, char* text) { core->parameterDisplay(index, text); }
