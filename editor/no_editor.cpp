#include "editor/instrument_editor.h"

AEffEditor* createInstrumentEditor(EditorHost*) { return nullptr; }

void notifyEditorParameter(AEffEditor*, int32_t, float) {}
