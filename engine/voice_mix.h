// The voice mix: the playing voices' frames summed into a stereo pair of
// buffers, before the output stage. It takes plain data (the voice records,
// the sample arrays, two buffers), so it knows nothing of the plug-in.
#pragma once

#include <cstdint>

#include "engine/voice.h"
#include "engine/audio_thread.h"

// Overwrites mixLeft[0..frames) and mixRight[0..frames) with the sum of
// voices[0..count), each playing samples[voice.sampleIndex], and advances the
// voices by `frames` frames. Every frame's sum starts at 0 and adds the
// voices in index order, each voice stepping, reading and decaying exactly as
// one frame at a time: the result is the same to the bit on every path.
QELT_AUDIO_THREAD void mixVoices(Voice* voices, const int16_t* const* samples, int32_t count, int32_t frames,
                                 float* mixLeft, float* mixRight);

// The instruction sets the mix runs on. mixVoices takes AVX2 where the
// processor has it and the build has that path (64-bit builds), SSE2
// otherwise; tests and benchmarks may name one.
enum class MixPath { Sse2, Avx2 };
bool mixPathAvailable(MixPath path);
QELT_AUDIO_THREAD void mixVoicesOn(MixPath path, Voice* voices, const int16_t* const* samples, int32_t count,
                                   int32_t frames, float* mixLeft, float* mixRight);

// The AVX2 mix (voice_mix_avx2.cpp, 64-bit builds); call only where
// mixPathAvailable says so.
QELT_AUDIO_THREAD void mixVoicesAvx2(Voice* voices, const int16_t* const* samples, int32_t count, int32_t frames,
                                     float* mixLeft, float* mixRight);
