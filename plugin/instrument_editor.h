// The instrument's editor, created last in the plug-in's constructor. A
// build without a window system has none.
#pragma once

#include "engine/audio_thread.h"
#include "plugin/vst_abi.h"

class AudioEffect;
class AEffEditor;

// Creates the editor for `effect`; its base registers it with the effect.
// Returns null where no editor can be made.
AEffEditor* createInstrumentEditor(AudioEffect* effect);

// Tells the editor that parameter or key `index` now has `value`, so knobs and
// keys follow the host and the MIDI input (the editor's setParameter). May be
// called on the audio thread; does nothing for a null editor.
QELT_AUDIO_THREAD void notifyEditorParameter(AEffEditor* editor, VstInt32 index, float value);
