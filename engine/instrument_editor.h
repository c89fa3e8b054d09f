// The instrument's editor, created last in the instrument's constructor. A
// build without a window system has none.
#pragma once

class AudioEffect;
class AEffEditor;

// Creates the editor for `effect`; its base registers it with the effect.
// Returns null where no editor can be made.
AEffEditor* createInstrumentEditor(AudioEffect* effect);
