// The editor hooks in the window-system build: the instrument's editor is an SDEditor.
#include "editor/instrument_editor.h"
#include "editor/sdeditor.h"

AEffEditor* createInstrumentEditor(EditorHost* host) { return new SDEditor(host); }

void notifyEditorParameter(AEffEditor* editor, int32_t index, float value) {
    if (editor) static_cast<SDEditor*>(editor)->setParameter(index, value);
}
