// The voice mix, written once for any vector width. voice_mix.cpp includes it
// with SSE2 lanes (four frames), voice_mix_avx2.cpp with AVX2 lanes (eight
// frames) in code compiled for AVX2. Everything here has internal linkage, so
// each file keeps its own copy, compiled for its own instruction set.
//
// Why every path gives the bits of one frame at a time:
// - Each frame's sum starts at 0 and the voices add into it in index order.
//   The first voice's value is added to 0 (so a -0 becomes +0, as in the
//   definition); voices run in groups of four, a group adds its voices to a
//   frame one after the other, and every group finishes the stretch before
//   the next one starts. Whatever path a voice takes for some frames, it adds
//   into the buffers in its own turn. Blocks shorter than a vector sum each
//   frame over the voices in registers, in the same order.
// - A voice's level goes through the same single-precision multiply per
//   frame, level = level * decay, in the same order; a group keeps its four
//   levels in the lanes of one vector, so the four chains run side by side
//   instead of one after the other. The read uses the level before the step.
// - After k frames without a wrap, k single steps leave a voice at
//   position + 2 * ((fraction + k * step) >> 16) with fraction
//   (fraction + k * step) & 0xFFFF, as long as that sum stays inside 32 bits.
//   So a voice runs in vectors only with a non-negative step below
//   kVectorStepLimit, for at most kRunFrames frames from one start, and only
//   for chunks whose last frame is still at or before the loop's end
//   (positions only grow, so every frame of the chunk reads inside). Frames
//   that wrap or pass the end, tails shorter than a vector, and any other
//   step go one frame at a time (FrameStepper), which is the definition
//   itself.
// - The interpolation gives the integers of the definition, 32-bit product
//   modulo 2^32 included (see interpolate), and each value goes through the
//   conversion, the level, the 1/32768 and the gain in the same order, lane
//   for lane.
#pragma once

#include <emmintrin.h>

#include <cstdint>

#include "engine/voice.h"

namespace {

constexpr int kGroupVoices = 4;
// A run of vector chunks covers at most kRunFrames frames; with steps below
// kVectorStepLimit the fraction plus a run's steps stays inside 32 bits, and
// positions below kVectorPositionLimit stay inside 32 bits too.
constexpr int32_t kRunFrames = 128;
constexpr int32_t kVectorStepLimit = 1 << 23;
constexpr int32_t kVectorPositionLimit = 1 << 30;
static_assert((int64_t)kRunFrames * kVectorStepLimit + 0xFFFF < INT32_MAX, "a run's fraction sum fits 32 bits");
constexpr int32_t kFractionMask = 0xFFFF;
constexpr float kSampleScale = 1.f / 32768.f;

// A voice's state in locals, stepped one frame at a time exactly as the
// instrument defines a voice. The 32-bit sums wrap as the processor's do,
// whatever the step.
struct FrameStepper {
    int32_t fraction, position;
    const int32_t step, endPosition, loopLength;
    float level;
    const float decay;
    const int16_t* const s;

    FrameStepper(const Voice& v, const int16_t* sample)
        : fraction(v.fraction),
          position(v.position),
          step(v.step),
          endPosition(v.endPosition),
          loopLength(v.loopLength),
          level(v.level),
          decay(v.decay),
          s(sample) {}
    void saveTo(Voice& v) const {
        v.fraction = fraction;
        v.position = position;
        v.level = level;
    }
    // The next frame's left and right values, before the gains.
    void next(float& l, float& r) {
        fraction = (int32_t)((uint32_t)fraction + (uint32_t)step);
        position = (int32_t)((uint32_t)position + 2u * (uint32_t)(fraction >> 16));
        fraction &= kFractionMask;
        if (position > endPosition) position = (int32_t)((uint32_t)position - (uint32_t)loopLength);
        l = r = 0.f;
        if (position <= endPosition) {
            // 32-bit products as the interpolation is defined, wrapping rather
            // than overflowing on a full-scale jump between neighbours.
            const int16_t* p = s + position;
            int32_t a = p[0] + ((int32_t)((uint32_t)(p[2] - p[0]) * (uint32_t)fraction) >> 16);
            int32_t b = p[1] + ((int32_t)((uint32_t)(p[3] - p[1]) * (uint32_t)fraction) >> 16);
            l = (float)a * level * kSampleScale;
            r = (float)b * level * kSampleScale;
        }
        level = level * decay;
    }
};

// Frames from..to-1 of one voice, one frame at a time. With kFresh the
// buffers hold nothing yet for these frames: the sums start here, at 0.
template <bool kFresh>
void mixFrames(Voice& voice, const int16_t* s, float* mixLeft, float* mixRight, int32_t from, int32_t to) {
    FrameStepper v(voice, s);
    const float gainLeft = voice.gainLeft, gainRight = voice.gainRight;
    for (int32_t f = from; f < to; f++) {
        float l, r;
        v.next(l, r);
        mixLeft[f] = (kFresh ? 0.f : mixLeft[f]) + gainLeft * l;
        mixRight[f] = (kFresh ? 0.f : mixRight[f]) + gainRight * r;
    }
    v.saveTo(voice);
}

// A few frames, each summed over all the voices in registers.
inline void mixFramesAcross(Voice* voices, const int16_t* const* samples, int32_t count, int32_t frames, float* mixLeft,
                            float* mixRight) {
    for (int32_t f = 0; f < frames; f++) {
        float left = 0.f, right = 0.f;
        for (int32_t i = 0; i < count; i++) {
            FrameStepper v(voices[i], samples[voices[i].sampleIndex]);
            float l, r;
            v.next(l, r);
            v.saveTo(voices[i]);
            left = left + voices[i].gainLeft * l;
            right = right + voices[i].gainRight * r;
        }
        mixLeft[f] = left;
        mixRight[f] = right;
    }
}

// Four frames in the lanes of an SSE2 register: 32-bit lanes for the frames'
// values, 16-bit lanes for both channels of the frames at once (lefts in
// lanes 0..3, rights in 4..7).
struct Sse2Lanes {
    static constexpr int kWidth = 4;
    static constexpr bool kLevelsFirst = false;  // (see runPass)
    using Int = __m128i;
    using Float = __m128;

    static Int splat(int32_t x) { return _mm_set1_epi32(x); }
    static Int splat16(int16_t x) { return _mm_set1_epi16(x); }
    static Float splat(float x) { return _mm_set1_ps(x); }
    static Float load(const float* p) { return _mm_loadu_ps(p); }
    static void store(uint32_t* p, Int x) { _mm_storeu_si128((__m128i*)p, x); }
    static void store(float* p, Float x) { _mm_storeu_ps(p, x); }
    static Int add(Int a, Int b) { return _mm_add_epi32(a, b); }
    static Int shiftRight16(Int a) { return _mm_srai_epi32(a, 16); }
    static Float zero() { return _mm_setzero_ps(); }
    // x + step, x + 2 * step, ... in the frames' lanes.
    static Int ramp(int32_t x, int32_t step) {
        return _mm_setr_epi32(x + step, x + 2 * step, x + 3 * step, x + 4 * step);
    }
    // The low 16 bits of each frame's lane, in the 16-bit lanes of its left
    // and of its right value.
    static Int lanes16(Int a) {
        Int low = _mm_srai_epi32(_mm_slli_epi32(a, 16), 16);
        return _mm_packs_epi32(low, low);
    }
    static Int bitAnd(Int a, Int b) { return _mm_and_si128(a, b); }
    static Int bitXor(Int a, Int b) { return _mm_xor_si128(a, b); }
    static Int add16(Int a, Int b) { return _mm_add_epi16(a, b); }
    static Int sub16(Int a, Int b) { return _mm_sub_epi16(a, b); }
    static Int greater16(Int a, Int b) { return _mm_cmpgt_epi16(a, b); }
    static Int signs16(Int a) { return _mm_srai_epi16(a, 15); }
    static Int mulHigh16(Int a, Int b) { return _mm_mulhi_epi16(a, b); }
    static Int mulLow16(Int a, Int b) { return _mm_mullo_epi16(a, b); }
    static Int pairLow16(Int a, Int b) { return _mm_unpacklo_epi16(a, b); }
    static Int pairHigh16(Int a, Int b) { return _mm_unpackhi_epi16(a, b); }
    static Int mulAddPairs16(Int a, Int b) { return _mm_madd_epi16(a, b); }
    static Float toFloat(Int a) { return _mm_cvtepi32_ps(a); }
    static Float add(Float a, Float b) { return _mm_add_ps(a, b); }
    static Float mul(Float a, Float b) { return _mm_mul_ps(a, b); }

    // Each frame at s + at[i] holds left, right, next left, next right;
    // `first` gets the four lefts and four rights, `next` their neighbours.
    static void frames(const int16_t* s, const uint32_t* at, Int& first, Int& next) {
        Int f0 = _mm_loadl_epi64((const __m128i*)(s + at[0]));
        Int f1 = _mm_loadl_epi64((const __m128i*)(s + at[1]));
        Int f2 = _mm_loadl_epi64((const __m128i*)(s + at[2]));
        Int f3 = _mm_loadl_epi64((const __m128i*)(s + at[3]));
        Int t01 = _mm_unpacklo_epi16(f0, f1), t23 = _mm_unpacklo_epi16(f2, f3);
        first = _mm_unpacklo_epi32(t01, t23);
        next = _mm_unpackhi_epi32(t01, t23);
    }

    // byFrame[k] holds the group's four levels at frame k; levels[v] gets
    // voice v's levels at frames 0..3.
    static void byVoice(const __m128* byFrame, Float* levels) {
        __m128 a = byFrame[0], b = byFrame[1], c = byFrame[2], d = byFrame[3];
        _MM_TRANSPOSE4_PS(a, b, c, d);
        levels[0] = a;
        levels[1] = b;
        levels[2] = c;
        levels[3] = d;
    }
};

// Both channels' interpolated values, as 32-bit lanes of frames:
//   value = s0 + ((int32)((s1 - s0) * f mod 2^32) >> 16)
// with s0, s1 the 16-bit values and f the 16-bit fraction, computed in 16-bit
// lanes. With f16 the fraction read as signed (f = f16 + 65536 * fh),
//   s * f = 65536 * (mulhi(s, f16) + fh * s) + mullo(s, f16),
// and bits 16..31 of s1 * f - s0 * f are
//   mulhi(s1, f16) - mulhi(s0, f16) + fh * (s1 - s0) - borrow
// modulo 2^16, the borrow coming from mullo(s1) - mullo(s0) below 0. That
// sign-extended plus s0 (one multiply-add of the pair by 1, 1) is the value.
template <class V>
void interpolate(typename V::Int first, typename V::Int next, typename V::Int fraction, typename V::Int& left,
                 typename V::Int& right) {
    using Int = typename V::Int;
    const Int sign = V::splat16((int16_t)0x8000), ones = V::splat16(1);
    Int carryIn = V::bitAnd(V::sub16(next, first), V::signs16(fraction));
    Int low0 = V::bitXor(V::mulLow16(first, fraction), sign), low1 = V::bitXor(V::mulLow16(next, fraction), sign);
    Int high = V::sub16(V::mulHigh16(next, fraction), V::mulHigh16(first, fraction));
    Int delta = V::add16(V::add16(high, carryIn), V::greater16(low0, low1));  // (adding -1 where it borrows)
    left = V::mulAddPairs16(V::pairLow16(delta, first), ones);
    right = V::mulAddPairs16(V::pairHigh16(delta, first), ones);
}

// Whether a voice may run its next chunk of V::kWidth frames in vectors.
template <class V>
bool chunkFits(const Voice& v) {
    if (v.step < 0 || v.step >= kVectorStepLimit || (uint32_t)v.fraction > (uint32_t)kFractionMask || v.position < 0 ||
        v.endPosition >= kVectorPositionLimit)
        return false;
    int32_t ahead = v.fraction + V::kWidth * v.step;
    return v.position + 2 * (ahead >> 16) <= v.endPosition;
}

// How many of the next `chunks` chunks of W frames a voice that fits one can
// run before a frame would pass the loop's end. Mostly all of them; where
// the end falls inside, the last chunk that stays inside is worked out.
template <int W>
int32_t chunksInside(const Voice& v, int32_t chunks) {
    int64_t ahead = v.fraction + (int64_t)chunks * W * v.step;
    if (v.position + 2 * (ahead >> 16) <= v.endPosition) return chunks;
    // Chunk c stays inside while fraction + c * W * step < (frames left + 1) * 65536.
    int64_t room = ((int64_t)((v.endPosition - v.position) >> 1) + 1) * 65536 - 1 - v.fraction;
    return (int32_t)(room / ((int64_t)W * v.step));
}

// A group's state while it runs in vectors: positions and fractions follow
// from the run's start values in 32-bit lanes (fraction + k * step, no wrap
// to mind), the fractions also in 16-bit lanes for the interpolation (they
// wrap there as the kept low 16 bits do). Kept in locals, so the mix stores
// cannot alias it.
template <class V, int K>
struct Run {
    using Int = typename V::Int;
    using Float = typename V::Float;
    const int16_t* sample[K];
    Int ahead[K], steps[K], start[K], fractions[K], steps16[K];
    Float gainLeft[K], gainRight[K];
    __m128 level, decay;  // the group's levels and decays, one voice per lane
};

// The group's levels at the pass's U * W frames, per voice in the lanes of
// its frames: one multiply after the other for each voice, as defined. A
// group of several voices keeps one voice per lane of a vector, so their
// chains run side by side, and turns them round four frames at a time; a
// voice alone steps its level as one number.
template <class V, int K, int U>
inline __attribute__((always_inline)) void passLevels(__m128& level, __m128 decay, typename V::Float levelOf[U][4]) {
    constexpr int W = V::kWidth;
    if constexpr (K == 1) {
        float chain[U * W];
        for (int k = 0; k < U * W; k++) {
            _mm_store_ss(chain + k, level);
            level = _mm_mul_ss(level, decay);
        }
        for (int u = 0; u < U; u++) levelOf[u][0] = V::load(chain + u * W);
    } else {
        __m128 byFrame[U * W];
        for (int k = 0; k < U * W; k++) {
            byFrame[k] = level;
            level = _mm_mul_ps(level, decay);
        }
        for (int u = 0; u < U; u++) V::byVoice(byFrame + u * W, levelOf[u]);
    }
}

// U chunks of the group's K voices from frame f, step by step over all of
// them, so that one voice's loads and multiplies wait while the others' run.
template <class V, int K, int U, bool kFresh>
inline __attribute__((always_inline)) void runPass(Run<V, K>& run, float* mixLeft, float* mixRight, int32_t f) {
    using Int = typename V::Int;
    using Float = typename V::Float;
    constexpr int W = V::kWidth;
    // A group's levels for the whole pass first where the registers hold
    // them through the other steps; else, and for a voice alone, each
    // chunk's levels just before they are needed.
    constexpr bool kLevelsFirst = K > 1 && V::kLevelsFirst;
    Float levelOf[U][4];
    if constexpr (kLevelsFirst) passLevels<V, K, U>(run.level, run.decay, levelOf);
    uint32_t at[U][K][W];
#pragma GCC unroll 4
    for (int u = 0; u < U; u++)
#pragma GCC unroll 4
        for (int j = 0; j < K; j++) {
            Int whole = V::shiftRight16(run.ahead[j]);
            V::store(at[u][j], V::add(run.start[j], V::add(whole, whole)));
            run.ahead[j] = V::add(run.ahead[j], run.steps[j]);
        }
    // Read back from memory: the load ports have room, while taking the lanes
    // out one by one would queue them on the one path from vector to integer
    // registers.
    asm("" : "+m"(at));
    Int first[U][K], next[U][K];
#pragma GCC unroll 4
    for (int u = 0; u < U; u++)
#pragma GCC unroll 4
        for (int j = 0; j < K; j++) V::frames(run.sample[j], at[u][j], first[u][j], next[u][j]);
    Float outLeft[U][K], outRight[U][K];
#pragma GCC unroll 4
    for (int u = 0; u < U; u++)
#pragma GCC unroll 4
        for (int j = 0; j < K; j++) {
            if constexpr (!kLevelsFirst)
                if (j == 0) passLevels<V, K, 1>(run.level, run.decay, levelOf + u);
            Int l, r;
            interpolate<V>(first[u][j], next[u][j], run.fractions[j], l, r);
            run.fractions[j] = V::add16(run.fractions[j], run.steps16[j]);
            Float xl = V::mul(V::mul(V::toFloat(l), levelOf[u][j]), V::splat(kSampleScale));
            Float xr = V::mul(V::mul(V::toFloat(r), levelOf[u][j]), V::splat(kSampleScale));
            outLeft[u][j] = V::mul(run.gainLeft[j], xl);
            outRight[u][j] = V::mul(run.gainRight[j], xr);
        }
#pragma GCC unroll 4
    for (int u = 0; u < U; u++) {
        Float left = kFresh ? V::zero() : V::load(mixLeft + f + u * W);
        Float right = kFresh ? V::zero() : V::load(mixRight + f + u * W);
#pragma GCC unroll 4
        for (int j = 0; j < K; j++) {
            left = V::add(left, outLeft[u][j]);
            right = V::add(right, outRight[u][j]);
        }
        V::store(mixLeft + f + u * W, left);
        V::store(mixRight + f + u * W, right);
    }
}

// Voices voices[0..K), each of which fits a chunk, through chunks of
// V::kWidth frames from `f` on, as many as all of them stay inside their
// loops, up to `to` and at most kRunFrames; returns where it stopped.
template <class V, int K, bool kFresh>
int32_t runChunks(Voice* voices, const int16_t* const* samples, float* mixLeft, float* mixRight, int32_t f,
                  int32_t to) {
    constexpr int W = V::kWidth;
    // About four voice-chunks in flight; a voice alone takes 16 frames a pass.
    constexpr int kChunksPerPass = K == 1 ? 16 / W : kGroupVoices / K;
    int32_t chunks = (to - f < kRunFrames ? to - f : kRunFrames) / W;
    for (int j = 0; j < K; j++) chunks = chunksInside<W>(voices[j], chunks);
    Run<V, K> run;
    for (int j = 0; j < K; j++) {
        const Voice& v = voices[j];
        run.sample[j] = samples[v.sampleIndex];
        run.ahead[j] = V::ramp(v.fraction, v.step);
        run.steps[j] = V::splat(W * v.step);
        run.start[j] = V::splat(v.position);
        run.fractions[j] = V::lanes16(run.ahead[j]);
        run.steps16[j] = V::splat16((int16_t)(W * v.step));
        run.gainLeft[j] = V::splat(v.gainLeft);
        run.gainRight[j] = V::splat(v.gainRight);
    }
    auto lane = [&](int j, float Voice::*field) { return j < K ? voices[j].*field : 0.f; };
    run.level =
        _mm_setr_ps(lane(0, &Voice::level), lane(1, &Voice::level), lane(2, &Voice::level), lane(3, &Voice::level));
    run.decay =
        _mm_setr_ps(lane(0, &Voice::decay), lane(1, &Voice::decay), lane(2, &Voice::decay), lane(3, &Voice::decay));
    int32_t c = 0;
    for (; c + kChunksPerPass <= chunks; c += kChunksPerPass)
        runPass<V, K, kChunksPerPass, kFresh>(run, mixLeft, mixRight, f + c * W);
    for (; c < chunks; c++) runPass<V, K, 1, kFresh>(run, mixLeft, mixRight, f + c * W);
    float levels[4];
    _mm_storeu_ps(levels, run.level);
    for (int j = 0; j < K; j++) {
        Voice& v = voices[j];
        int32_t total = v.fraction + chunks * W * v.step;
        v.fraction = total & kFractionMask;
        v.position += 2 * (total >> 16);
        v.level = levels[j];
    }
    return f + chunks * W;
}

// One chunk of one voice at frame f, on its own: in vectors if it fits,
// else one frame at a time.
template <class V, bool kFresh>
void mixChunkAlone(Voice& voice, const int16_t* const* samples, float* mixLeft, float* mixRight, int32_t f);

// The groups of four voices in index order, the first one starting the sums.
template <class V, bool kFresh>
void mixGroups(Voice* voices, const int16_t* const* samples, int32_t count, int32_t frames, float* mixLeft,
               float* mixRight);

// Frames from..to-1 of the group voices[0..K): in vectors of the whole group
// where all of its voices fit, else chunk by chunk voice by voice, each in
// vectors alone if it fits and one frame at a time if not. With kFresh the
// group is the first: its first voice starts the sums.
template <class V, int K, bool kFresh>
void mixGroup(Voice* voices, const int16_t* const* samples, float* mixLeft, float* mixRight, int32_t f, int32_t to) {
    constexpr int W = V::kWidth;
    while (to - f >= W) {
        bool all = true;
        for (int j = 0; j < K; j++) all &= chunkFits<V>(voices[j]);
        if (all) {
            f = runChunks<V, K, kFresh>(voices, samples, mixLeft, mixRight, f, to);
            continue;
        }
        for (int j = 0; j < K; j++) {
            if (j == 0)
                mixChunkAlone<V, kFresh>(voices[j], samples, mixLeft, mixRight, f);
            else
                mixChunkAlone<V, false>(voices[j], samples, mixLeft, mixRight, f);
        }
        f += W;
    }
    if (f == to) return;
    if constexpr (W > Sse2Lanes::kWidth) {
        mixGroup<typename V::Narrower, K, kFresh>(voices, samples, mixLeft, mixRight, f, to);
    } else {
        mixFrames<kFresh>(voices[0], samples[voices[0].sampleIndex], mixLeft, mixRight, f, to);
        for (int j = 1; j < K; j++)
            mixFrames<false>(voices[j], samples[voices[j].sampleIndex], mixLeft, mixRight, f, to);
    }
}

template <class V, bool kFresh>
void mixChunkAlone(Voice& voice, const int16_t* const* samples, float* mixLeft, float* mixRight, int32_t f) {
    if (chunkFits<V>(voice))
        runChunks<V, 1, kFresh>(&voice, samples, mixLeft, mixRight, f, f + V::kWidth);
    else
        mixFrames<kFresh>(voice, samples[voice.sampleIndex], mixLeft, mixRight, f, f + V::kWidth);
}

template <class V, bool kFresh>
void mixGroups(Voice* voices, const int16_t* const* samples, int32_t count, int32_t frames, float* mixLeft,
               float* mixRight) {
    Voice* group = voices;
    switch (count < kGroupVoices ? count : kGroupVoices) {
        case 1:
            mixGroup<V, 1, kFresh>(group, samples, mixLeft, mixRight, 0, frames);
            break;
        case 2:
            mixGroup<V, 2, kFresh>(group, samples, mixLeft, mixRight, 0, frames);
            break;
        case 3:
            mixGroup<V, 3, kFresh>(group, samples, mixLeft, mixRight, 0, frames);
            break;
        default:
            mixGroup<V, 4, kFresh>(group, samples, mixLeft, mixRight, 0, frames);
            break;
    }
    if (count > kGroupVoices)
        mixGroups<V, false>(voices + kGroupVoices, samples, count - kGroupVoices, frames, mixLeft, mixRight);
}

template <class V>
void mixAll(Voice* voices, const int16_t* const* samples, int32_t count, int32_t frames, float* mixLeft,
            float* mixRight) {
    if (frames <= 0) return;
    if (count == 0 || frames < Sse2Lanes::kWidth) {  // nothing to play, or no vector to fill
        mixFramesAcross(voices, samples, count, frames, mixLeft, mixRight);
        return;
    }
    mixGroups<V, true>(voices, samples, count, frames, mixLeft, mixRight);
}

}  // namespace
