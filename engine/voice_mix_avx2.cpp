// The mix on AVX2: eight frames per register, the same operations lane for
// lane as on SSE2 (voice_mix_kernel.h), and the same data movement per
// 128-bit half. Only this file is compiled for AVX2,
// and only its own functions: voice_mix.cpp calls in here when the processor
// has it.
#include <immintrin.h>

#include <cstdint>

#include "engine/voice.h"
#include "engine/voice_mix.h"

#if defined(__clang__)
#pragma clang attribute push(__attribute__((target("avx2"))), apply_to = function)
#else
#pragma GCC push_options
#pragma GCC target("avx2")
#endif

#include "engine/voice_mix_kernel.h"

namespace {

struct Avx2Lanes {
    static constexpr int kWidth = 8;
    static constexpr bool kLevelsFirst = true;
    using Int = __m256i;
    using Float = __m256;
    using Narrower = Sse2Lanes;  // for the tail of a stretch

    static Int splat(int32_t x) { return _mm256_set1_epi32(x); }
    static Int splat16(int16_t x) { return _mm256_set1_epi16(x); }
    static Float splat(float x) { return _mm256_set1_ps(x); }
    static Float load(const float* p) { return _mm256_loadu_ps(p); }
    static void store(uint32_t* p, Int x) { _mm256_storeu_si256((__m256i*)p, x); }
    static void store(float* p, Float x) { _mm256_storeu_ps(p, x); }
    static Int add(Int a, Int b) { return _mm256_add_epi32(a, b); }
    static Int shiftRight16(Int a) { return _mm256_srai_epi32(a, 16); }
    static Float zero() { return _mm256_setzero_ps(); }
    static Int ramp(int32_t x, int32_t step) {
        return _mm256_setr_epi32(x + step, x + 2 * step, x + 3 * step, x + 4 * step, x + 5 * step, x + 6 * step,
                                 x + 7 * step, x + 8 * step);
    }
    // Packing works within 128-bit halves, which gives the frames' layout.
    static Int lanes16(Int a) {
        Int low = _mm256_srai_epi32(_mm256_slli_epi32(a, 16), 16);
        return _mm256_packs_epi32(low, low);
    }
    static Int bitAnd(Int a, Int b) { return _mm256_and_si256(a, b); }
    static Int bitXor(Int a, Int b) { return _mm256_xor_si256(a, b); }
    static Int add16(Int a, Int b) { return _mm256_add_epi16(a, b); }
    static Int sub16(Int a, Int b) { return _mm256_sub_epi16(a, b); }
    static Int greater16(Int a, Int b) { return _mm256_cmpgt_epi16(a, b); }
    static Int signs16(Int a) { return _mm256_srai_epi16(a, 15); }
    static Int mulHigh16(Int a, Int b) { return _mm256_mulhi_epi16(a, b); }
    static Int mulLow16(Int a, Int b) { return _mm256_mullo_epi16(a, b); }
    static Int pairLow16(Int a, Int b) { return _mm256_unpacklo_epi16(a, b); }
    static Int pairHigh16(Int a, Int b) { return _mm256_unpackhi_epi16(a, b); }
    static Int mulAddPairs16(Int a, Int b) { return _mm256_madd_epi16(a, b); }
    static Float toFloat(Int a) { return _mm256_cvtepi32_ps(a); }
    static Float add(Float a, Float b) { return _mm256_add_ps(a, b); }
    static Float mul(Float a, Float b) { return _mm256_mul_ps(a, b); }

    // As on SSE2, per 128-bit half: frames i and i + 4 share a half, so the
    // low half holds frames 0..3 (lefts, rights) and the high half 4..7.
    static void frames(const int16_t* s, const uint32_t* at, Int& first, Int& next) {
        Int f04 = pair(s + at[0], s + at[4]), f15 = pair(s + at[1], s + at[5]);
        Int f26 = pair(s + at[2], s + at[6]), f37 = pair(s + at[3], s + at[7]);
        Int t01 = _mm256_unpacklo_epi16(f04, f15), t23 = _mm256_unpacklo_epi16(f26, f37);
        first = _mm256_unpacklo_epi32(t01, t23);
        next = _mm256_unpackhi_epi32(t01, t23);
    }
    static Int pair(const int16_t* low, const int16_t* high) {
        return _mm256_inserti128_si256(_mm256_castsi128_si256(_mm_loadl_epi64((const __m128i*)low)),
                                       _mm_loadl_epi64((const __m128i*)high), 1);
    }

    // byFrame[k] holds the group's four levels at frame k; levels[v] gets
    // voice v's levels at frames 0..7.
    static void byVoice(const __m128* byFrame, Float* levels) {
        Float r0 = _mm256_insertf128_ps(_mm256_castps128_ps256(byFrame[0]), byFrame[4], 1);
        Float r1 = _mm256_insertf128_ps(_mm256_castps128_ps256(byFrame[1]), byFrame[5], 1);
        Float r2 = _mm256_insertf128_ps(_mm256_castps128_ps256(byFrame[2]), byFrame[6], 1);
        Float r3 = _mm256_insertf128_ps(_mm256_castps128_ps256(byFrame[3]), byFrame[7], 1);
        Float t0 = _mm256_unpacklo_ps(r0, r1), t1 = _mm256_unpackhi_ps(r0, r1);
        Float t2 = _mm256_unpacklo_ps(r2, r3), t3 = _mm256_unpackhi_ps(r2, r3);
        levels[0] = _mm256_shuffle_ps(t0, t2, _MM_SHUFFLE(1, 0, 1, 0));
        levels[1] = _mm256_shuffle_ps(t0, t2, _MM_SHUFFLE(3, 2, 3, 2));
        levels[2] = _mm256_shuffle_ps(t1, t3, _MM_SHUFFLE(1, 0, 1, 0));
        levels[3] = _mm256_shuffle_ps(t1, t3, _MM_SHUFFLE(3, 2, 3, 2));
    }
};

void mixAvx2(Voice* voices, const int16_t* const* samples, int32_t count, int32_t frames, float* mixLeft,
             float* mixRight) {
    mixAll<Avx2Lanes>(voices, samples, count, frames, mixLeft, mixRight);
}

}  // namespace

#if defined(__clang__)
#pragma clang attribute pop
#else
#pragma GCC pop_options
#endif

void mixVoicesAvx2(Voice* voices, const int16_t* const* samples, int32_t count, int32_t frames, float* mixLeft,
                   float* mixRight) {
    mixAvx2(voices, samples, count, frames, mixLeft, mixRight);
}
