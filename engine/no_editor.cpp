#include "engine/instrument_editor.h"

AEffEditor* createInstrumentEditor(AudioEffect*) { return nullptr; }
