// The voice mix as it was before voices ran in groups, for timing the new one
// against in the same run. Same contract as mixVoices (engine/voice_mix.h).
#pragma once

#include <cstdint>

#include "engine/voice.h"

void referenceMix(Voice* voices, const int16_t* const* samples, int32_t count, int32_t frames, float* mixLeft,
                  float* mixRight);
