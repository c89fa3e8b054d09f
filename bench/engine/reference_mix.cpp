// The voice mix as it was before voices ran in groups: one voice after the
// other, four frames per SSE2 register, its level one multiply after the
// other. Kept beside the benchmark as the yardstick the new mix is timed
// against in the same run; the product does not link it.
#include "bench/engine/reference_mix.h"

#include <emmintrin.h>

#include <cstring>

namespace {

constexpr int32_t kGroupStepLimit = 1 << 28;  // four steps stay far inside 32 bits
// Sign-extends 16-bit lanes 0..3 (low) or 4..7 (high) to 32 bits.
inline __m128i widenLow(__m128i x) { return _mm_srai_epi32(_mm_unpacklo_epi16(x, x), 16); }
inline __m128i widenHigh(__m128i x) { return _mm_srai_epi32(_mm_unpackhi_epi16(x, x), 16); }

// The low 32 bits of the lane products, as the scalar 32-bit multiply gives them.
inline __m128i multiplyLow(__m128i a, __m128i b) {
    __m128i even = _mm_mul_epu32(a, b);
    __m128i odd = _mm_mul_epu32(_mm_srli_epi64(a, 32), _mm_srli_epi64(b, 32));
    return _mm_unpacklo_epi32(_mm_shuffle_epi32(even, _MM_SHUFFLE(0, 0, 2, 0)),
                              _mm_shuffle_epi32(odd, _MM_SHUFFLE(0, 0, 2, 0)));
}

// Plays one voice over `frames` frames, adding into the mix. Four frames at a
// time where none of them wraps or reaches the loop's end: the same integer
// and single-precision operations as one frame at a time, lane by lane. The
// state lives in locals so the mix stores cannot alias it.
void mixVoice(Voice& voice, const int16_t* s, float* mixLeft, float* mixRight, int32_t frames) {
    int32_t fraction = voice.fraction, position = voice.position;
    const int32_t step = voice.step, endPosition = voice.endPosition, loopLength = voice.loopLength;
    float level = voice.level;
    const float decay = voice.decay, gainLeft = voice.gainLeft, gainRight = voice.gainRight;
    const bool grouped = step >= 0 && step < kGroupStepLimit;
    const __m128 scale4 = _mm_set1_ps(1.f / 32768.f);
    const __m128 gainLeft4 = _mm_set1_ps(gainLeft), gainRight4 = _mm_set1_ps(gainRight);
    const __m128i low16 = _mm_set1_epi32(0xFFFF);
    int32_t f = 0;
    while (f < frames) {
        if (grouped && frames - f >= 4) {
            int32_t a1 = fraction + step, a2 = a1 + step, a3 = a2 + step, a4 = a3 + step;
            int32_t p4 = position + 2 * (a4 >> 16);
            if (p4 <= endPosition) {
                int32_t p1 = position + 2 * (a1 >> 16), p2 = position + 2 * (a2 >> 16), p3 = position + 2 * (a3 >> 16);
                // Each load: left, right, next left, next right of one frame.
                __m128i f1 = _mm_loadl_epi64((const __m128i*)(s + p1));
                __m128i f2 = _mm_loadl_epi64((const __m128i*)(s + p2));
                __m128i f3 = _mm_loadl_epi64((const __m128i*)(s + p3));
                __m128i f4 = _mm_loadl_epi64((const __m128i*)(s + p4));
                __m128i t12 = _mm_unpacklo_epi16(f1, f2), t34 = _mm_unpacklo_epi16(f3, f4);
                __m128i first = _mm_unpacklo_epi32(t12, t34);  // 4 lefts, then 4 rights
                __m128i next = _mm_unpackhi_epi32(t12, t34);
                __m128i l0 = widenLow(first), r0 = widenHigh(first);
                __m128i l1 = widenLow(next), r1 = widenHigh(next);
                __m128i fr = _mm_and_si128(_mm_set_epi32(a4, a3, a2, a1), low16);
                __m128i l = _mm_add_epi32(l0, _mm_srai_epi32(multiplyLow(_mm_sub_epi32(l1, l0), fr), 16));
                __m128i r = _mm_add_epi32(r0, _mm_srai_epi32(multiplyLow(_mm_sub_epi32(r1, r0), fr), 16));
                // Each frame reads the level before its own decay step.
                float v1 = level, v2 = v1 * decay, v3 = v2 * decay, v4 = v3 * decay;
                level = v4 * decay;
                __m128 level4 = _mm_set_ps(v4, v3, v2, v1);
                __m128 xl = _mm_mul_ps(_mm_mul_ps(_mm_cvtepi32_ps(l), level4), scale4);
                __m128 xr = _mm_mul_ps(_mm_mul_ps(_mm_cvtepi32_ps(r), level4), scale4);
                _mm_storeu_ps(mixLeft + f, _mm_add_ps(_mm_loadu_ps(mixLeft + f), _mm_mul_ps(gainLeft4, xl)));
                _mm_storeu_ps(mixRight + f, _mm_add_ps(_mm_loadu_ps(mixRight + f), _mm_mul_ps(gainRight4, xr)));
                fraction = a4 & 0xFFFF;
                position = p4;
                f += 4;
                continue;
            }
        }
        // One frame: near a wrap or the end, and the block's last few frames.
        fraction += step;
        position += 2 * (fraction >> 16);
        fraction &= 0xFFFF;
        if (position > endPosition) position -= loopLength;
        float l = 0.f, r = 0.f;
        if (position <= endPosition) {
            // 32-bit products as the interpolation is defined, wrapping rather
            // than overflowing on a full-scale jump between neighbours.
            const int16_t* p = s + position;
            int32_t a = p[0] + ((int32_t)((uint32_t)(p[2] - p[0]) * (uint32_t)fraction) >> 16);
            int32_t b = p[1] + ((int32_t)((uint32_t)(p[3] - p[1]) * (uint32_t)fraction) >> 16);
            l = (float)a * level * (1.f / 32768.f);
            r = (float)b * level * (1.f / 32768.f);
        }
        level = level * decay;
        mixLeft[f] += gainLeft * l;
        mixRight[f] += gainRight * r;
        f++;
    }
    voice.fraction = fraction;
    voice.position = position;
    voice.level = level;
}

}  // namespace

void referenceMix(Voice* voices, const int16_t* const* samples, int32_t count, int32_t frames, float* mixLeft,
                  float* mixRight) {
    std::memset(mixLeft, 0, sizeof(float) * frames);
    std::memset(mixRight, 0, sizeof(float) * frames);
    for (int32_t i = 0; i < count; i++) mixVoice(voices[i], samples[voices[i].sampleIndex], mixLeft, mixRight, frames);
}
