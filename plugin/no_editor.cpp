#include "plugin/instrument_editor.h"

AEffEditor* createInstrumentEditor(AudioEffect*) { return nullptr; }

void notifyEditorParameter(AEffEditor*, VstInt32, float) {}
