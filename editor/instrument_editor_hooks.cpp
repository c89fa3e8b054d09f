// The plug-in's editor hooks in the window-system build: the instrument's
// editor is an SDEditor.
#include "editor/sdeditor.h"
#include "plugin/instrument_editor.h"

AEffEditor* createInstrumentEditor(AudioEffect* effect) { return new SDEditor(effect); }

void notifyEditorParameter(AEffEditor* editor, VstInt32 index, float value) {
    if (editor) static_cast<SDEditor*>(editor)->setParameter(index, value);
}
