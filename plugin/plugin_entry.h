// The exported entry and the factory it calls.
#pragma once

#include "plugin/vst_abi.h"

class AudioEffect;

// Creates the one instrument instance; defined by the instrument.
AudioEffect* createEffectInstance(audioMasterCallback audioMaster);

// Shared objects are built with hidden symbols; the entry is the one they show.
#if defined(__ELF__)
#define QELT_EXPORT __attribute__((visibility("default")))
#else
#define QELT_EXPORT
#endif

extern "C" QELT_EXPORT AEffect* VSTCALLBACK VSTPluginMain(audioMasterCallback audioMaster);
