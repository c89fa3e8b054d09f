// The exported entry and the factory it calls.
#pragma once

#include "plugin/vst_abi.h"

class AudioEffect;

// Creates the one instrument instance; defined by the instrument.
AudioEffect* createEffectInstance(audioMasterCallback audioMaster);

extern "C" AEffect* VSTCALLBACK VSTPluginMain(audioMasterCallback audioMaster);
