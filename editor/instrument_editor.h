// The instrument's editor, created last in the plug-in's constructor. A build
// without a window system links the stand-in that has none.
#pragma once

#include <cstdint>

#include "engine/audio_thread.h"

class AEffEditor;
class EditorHost;

// Creates the editor that serves `host`. Returns null where no editor can be made.
AEffEditor* createInstrumentEditor(EditorHost* host);

// Tells the editor that parameter or key `index` now has `value`, so knobs and
// keys follow the host and the MIDI input (the editor's setParameter). May be
// called on the audio thread; does nothing for a null editor.
QELT_AUDIO_THREAD void notifyEditorParameter(AEffEditor* editor, int32_t index, float value);
