#include "plugin/vst_editor_host.h"

#include "plugin/audioeffectx.h"

float VstEditorHost::parameterValue(int32_t index) { return plugin.getParameter(index); }

void VstEditorHost::beginEdit(int32_t index) { plugin.beginEdit(index); }

// The host records the move as automation, and the engine hears it.
void VstEditorHost::performEdit(int32_t index, float value) { plugin.setParameterAutomated(index, value); }

void VstEditorHost::endEdit(int32_t index) { plugin.endEdit(index); }

// Keys share the parameter entry: indices 21 and up play them.
void VstEditorHost::playKey(int32_t key, float value) { plugin.setParameterAutomated(key, value); }

bool VstEditorHost::resizeWindow(int32_t width, int32_t height) {
    return plugin.canHostDo(const_cast<char*>("sizeWindow")) == 1 && plugin.sizeWindow(width, height);
}

void VstEditorHost::hostIdle() { plugin.masterIdle(); }
