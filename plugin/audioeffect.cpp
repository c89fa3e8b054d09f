#include "plugin/audioeffect.h"

#include <cstddef>
#include <cstring>

#include "editor/aeffeditor.h"

static_assert(sizeof(EditorRect) == sizeof(ERect) && offsetof(EditorRect, left) == offsetof(ERect, left) &&
                  offsetof(EditorRect, bottom) == offsetof(ERect, bottom) &&
                  offsetof(EditorRect, right) == offsetof(ERect, right),
              "the editor's rectangle is handed to the host as its own record");

AudioEffect::AudioEffect(audioMasterCallback audioMaster, VstInt32 numPrograms, VstInt32 numParams)
    : audioMaster(audioMaster),
      editor(nullptr),
      sampleRate(44100.f),
      blockSize(1024),
      numPrograms(numPrograms),
      numParams(numParams),
      curProgram(0) {
    std::memset(&cEffect, 0, sizeof(cEffect));
    cEffect.magic = kEffectMagic;
    cEffect.dispatcher = dispatchEffectClass;
    cEffect.process = processClass;
    cEffect.setParameter = setParameterClass;
    cEffect.getParameter = getParameterClass;
    cEffect.numPrograms = numPrograms;
    cEffect.numParams = numParams;
    cEffect.numInputs = 1;
    cEffect.numOutputs = 2;
    cEffect.ioRatio = 1.f;
    cEffect.object = this;
    cEffect.uniqueID = fourCharCode('N', 'o', 'E', 'f');
    cEffect.version = 1;
    cEffect.processReplacing = processClassReplacing;
    canProcessReplacing(true);
    cEffect.processDoubleReplacing = processClassDoubleReplacing;
}

AudioEffect::~AudioEffect() {
    delete editor;
    editor = nullptr;
}

void AudioEffect::setEditor(AEffEditor* newEditor) {
    editor = newEditor;
    if (editor)
        cEffect.flags |= effFlagsHasEditor;
    else
        cEffect.flags &= ~effFlagsHasEditor;
}

void AudioEffect::canProcessReplacing(bool state) {
    if (state)
        cEffect.flags |= effFlagsCanReplacing;
    else
        cEffect.flags &= ~effFlagsCanReplacing;
}

VstIntPtr AudioEffect::callHost(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt,
                                VstIntPtr absent) {
    if (!audioMaster) return absent;
    return audioMaster(&cEffect, opcode, index, value, ptr, opt);
}

void AudioEffect::setParameterAutomated(VstInt32 index, float value) {
    setParameter(index, value);
    callHost(audioMasterAutomate, index, 0, nullptr, value);
}

void AudioEffect::masterIdle() { callHost(audioMasterIdle, 0, 0, nullptr, 0.f); }

VstIntPtr AudioEffect::dispatcher(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt) {
    switch (opcode) {
        case effOpen:
            open();
            return 0;
        case effClose:
            close();
            return 0;
        case effSetProgram:
            if (value >= 0 && value < numPrograms) setProgram((VstInt32)value);
            return 0;
        case effGetProgram:
            return getProgram();
        // A host may pass no buffer: there is nowhere to write, so nothing is done.
        case effSetProgramName:
            if (ptr) setProgramName((char*)ptr);
            return 0;
        case effGetProgramName:
            if (ptr) getProgramName((char*)ptr);
            return 0;
        case effGetParamLabel:
            if (ptr) getParameterLabel(index, (char*)ptr);
            return 0;
        case effGetParamDisplay:
            if (ptr) getParameterDisplay(index, (char*)ptr);
            return 0;
        case effGetParamName:
            if (ptr) getParameterName(index, (char*)ptr);
            return 0;
        case effSetSampleRate:
            setSampleRate(opt);
            return 0;
        case effSetBlockSize:
            setBlockSize((VstInt32)value);
            return 0;
        case effMainsChanged:
            if (value == 0)
                suspend();
            else
                resume();
            return 0;
        case effEditGetRect: {
            if (!editor || !ptr) return 0;
            // The host keeps reading the editor's own rectangle through the
            // pointer, so it sees later sizes too: the two records are laid
            // out alike.
            EditorRect* rect = nullptr;
            const bool known = editor->getRect(&rect);
            *(ERect**)ptr = reinterpret_cast<ERect*>(rect);
            return known ? 1 : 0;
        }
        case effEditOpen:
            if (editor) return editor->open(ptr) ? 1 : 0;
            return 0;
        case effEditClose:
            if (editor) editor->close();
            return 0;
        case effEditIdle:
            if (editor) editor->idle();
            return 0;
        case effIdentify:
            return fourCharCode('N', 'v', 'E', 'f');
        case effGetChunk:
            return getChunk((void**)ptr, index != 0);
        case effSetChunk:
            return setChunk(ptr, (VstInt32)value, index != 0);
        default:
            return 0;
    }
}

VstIntPtr VSTCALLBACK AudioEffect::dispatchEffectClass(AEffect* e, VstInt32 opcode, VstInt32 index,
                                                       VstIntPtr value, void* ptr, float opt) {
    if (!e || !e->object) return 0;
    AudioEffect* ae = (AudioEffect*)e->object;
    if (opcode == effClose) {
        ae->dispatcher(opcode, index, value, ptr, opt);
        delete ae;
        return 1;
    }
    return ae->dispatcher(opcode, index, value, ptr, opt);
}

float VSTCALLBACK AudioEffect::getParameterClass(AEffect* e, VstInt32 index) {
    if (!e || !e->object) return 0.f;
    return ((AudioEffect*)e->object)->getParameter(index);
}

void VSTCALLBACK AudioEffect::setParameterClass(AEffect* e, VstInt32 index, float value) {
    if (!e || !e->object) return;
    ((AudioEffect*)e->object)->setParameter(index, value);
}

void VSTCALLBACK AudioEffect::processClass(AEffect* e, float** inputs, float** outputs, VstInt32 sampleFrames) {
    if (!e || !e->object) return;
    ((AudioEffect*)e->object)->process(inputs, outputs, sampleFrames);
}

void VSTCALLBACK AudioEffect::processClassReplacing(AEffect* e, float** inputs, float** outputs,
                                                    VstInt32 sampleFrames) {
    if (!e || !e->object) return;
    ((AudioEffect*)e->object)->processReplacing(inputs, outputs, sampleFrames);
}

void VSTCALLBACK AudioEffect::processClassDoubleReplacing(AEffect* e, double** inputs, double** outputs,
                                                          VstInt32 sampleFrames) {
    if (!e || !e->object) return;
    ((AudioEffect*)e->object)->processDoubleReplacing(inputs, outputs, sampleFrames);
}
