#include "plugin/audioeffectx.h"

#include <cmath>

#include "editor/aeffeditor.h"

bool AudioEffectX::beginEdit(VstInt32 index) { return callHost(audioMasterBeginEdit, index, 0, nullptr, 0.f) != 0; }

bool AudioEffectX::endEdit(VstInt32 index) { return callHost(audioMasterEndEdit, index, 0, nullptr, 0.f) != 0; }

VstInt32 AudioEffectX::canHostDo(char* text) {
    return callHost(audioMasterCanDo, 0, 0, text, 0.f) != 0 ? 1 : 0;
}

bool AudioEffectX::sizeWindow(VstInt32 width, VstInt32 height) {
    return callHost(audioMasterSizeWindow, width, height, nullptr, 0.f) != 0;
}

void AudioEffectX::wantEvents(VstInt32 filter) { callHost(audioMasterWantMidi, 0, filter, nullptr, 0.f); }

void AudioEffectX::isSynth(bool state) {
    if (state)
        cEffect.flags |= effFlagsIsSynth;
    else
        cEffect.flags &= ~effFlagsIsSynth;
}

VstInt32 AudioEffectX::getPlugCategory() {
    return (cEffect.flags & effFlagsIsSynth) ? kPlugCategSynth : kPlugCategUnknown;
}

bool AudioEffectX::getSpeakerArrangement(VstSpeakerArrangement** input, VstSpeakerArrangement** output) {
    if (input) *input = nullptr;
    if (output) *output = nullptr;
    return false;
}

// The key record of the editor key opcodes: the modifier is opt truncated
// toward zero, of which the low 8 bits are kept. A value that does not fit an
// integer has no meaningful low bits and becomes 0.
static VSTGUI::CKeyCode makeKeyCode(VstInt32 index, VstIntPtr value, float opt) {
    VSTGUI::CKeyCode key;
    key.character = index;
    key.virt = (unsigned char)(value & 0xFF);
    int modifier = 0;
    if (std::isfinite(opt) && opt > -2147483648.f && opt < 2147483648.f) modifier = (int)opt;
    key.modifier = (unsigned char)(modifier & 0xFF);
    return key;
}

VstIntPtr AudioEffectX::dispatcher(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt) {
    switch (opcode) {
        case effProcessEvents:
            return processEvents((VstEvents*)ptr);
        case effCanBeAutomated:
            return canParameterBeAutomated(index) ? 1 : 0;
        case effString2Parameter:
            return string2parameter(index, (char*)ptr) ? 1 : 0;
        case effGetProgramNameIndexed:
            if (!ptr) return 0;
            return getProgramNameIndexed((VstInt32)value, index, (char*)ptr) ? 1 : 0;
        case effGetInputProperties:
            if (!ptr) return 0;
            return getInputProperties(index, (VstPinProperties*)ptr) ? 1 : 0;
        case effGetOutputProperties:
            if (!ptr) return 0;
            return getOutputProperties(index, (VstPinProperties*)ptr) ? 1 : 0;
        case effGetPlugCategory:
            return getPlugCategory();
        case effOfflineNotify:
            return offlineNotify(ptr, (VstInt32)value, index != 0) ? 1 : 0;
        case effOfflinePrepare:
            return offlinePrepare(ptr, (VstInt32)value) ? 1 : 0;
        case effOfflineRun:
            return offlineRun(ptr, (VstInt32)value) ? 1 : 0;
        case effProcessVarIo:
            return processVariableIo(ptr) ? 1 : 0;
        case effSetSpeakerArrangement:
            return setSpeakerArrangement((VstSpeakerArrangement*)value, (VstSpeakerArrangement*)ptr) ? 1 : 0;
        case effSetBypass:
            return setBypass(value != 0) ? 1 : 0;
        case effGetEffectName:
            if (!ptr) return 0;
            return getEffectName((char*)ptr) ? 1 : 0;
        case effGetVendorString:
            if (!ptr) return 0;
            return getVendorString((char*)ptr) ? 1 : 0;
        case effGetProductString:
            if (!ptr) return 0;
            return getProductString((char*)ptr) ? 1 : 0;
        case effGetVendorVersion:
            return getVendorVersion();
        case effVendorSpecific:
            return vendorSpecific(index, value, ptr, opt);
        case effCanDo:
            if (!ptr) return 0;
            return canDo((char*)ptr);
        case effGetTailSize:
            return getGetTailSize();
        case effGetParameterProperties:
            return getParameterProperties(index, ptr) ? 1 : 0;
        case effGetVstVersion:
            return getVstVersion();
        case effEditKeyDown:
            if (editor) {
                VSTGUI::CKeyCode key = makeKeyCode(index, value, opt);
                return editor->onKeyDown(key) ? 1 : 0;
            }
            return 0;
        case effEditKeyUp:
            if (editor) {
                VSTGUI::CKeyCode key = makeKeyCode(index, value, opt);
                return editor->onKeyUp(key) ? 1 : 0;
            }
            return 0;
        case effSetEditKnobMode:
            if (editor) return editor->setKnobMode((int32_t)value) ? 1 : 0;
            return 0;
        case effGetMidiProgramName:
            return getMidiProgramName(index, ptr);
        case effGetCurrentMidiProgram:
            return getCurrentMidiProgram(index, ptr);
        case effGetMidiProgramCategory:
            return getMidiProgramCategory(index, ptr);
        case effHasMidiProgramsChanged:
            return hasMidiProgramsChanged(index) ? 1 : 0;
        case effGetMidiKeyName:
            return getMidiKeyName(index, ptr) ? 1 : 0;
        case effBeginSetProgram:
            return beginSetProgram() ? 1 : 0;
        case effEndSetProgram:
            return endSetProgram() ? 1 : 0;
        case effGetSpeakerArrangement:
            return getSpeakerArrangement((VstSpeakerArrangement**)value, (VstSpeakerArrangement**)ptr) ? 1 : 0;
        case effShellGetNextPlugin:
            return getNextShellPlugin((char*)ptr);
        case effStartProcess:
            return startProcess();
        case effStopProcess:
            return stopProcess();
        case effSetTotalSampleToProcess:
            return setTotalSampleToProcess((VstInt32)value);
        case effSetPanLaw:
            return setPanLaw((VstInt32)value, opt) ? 1 : 0;
        case effBeginLoadBank:
            return beginLoadBank(ptr);
        case effBeginLoadProgram:
            return beginLoadProgram(ptr);
        case effSetProcessPrecision:
            return setProcessPrecision((VstInt32)value) ? 1 : 0;
        case effGetNumMidiInputChannels:
            return getNumMidiInputChannels();
        case effGetNumMidiOutputChannels:
            return getNumMidiOutputChannels();
        default:
            return AudioEffect::dispatcher(opcode, index, value, ptr, opt);
    }
}
