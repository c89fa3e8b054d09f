// What a note start rests on, over any key, velocity and rate: the loop
// preparation of recordings with any contents, the zone and layer choice, the
// pitch step, and then the note played through an instance reading these
// recordings. Each recording is an allocation of exactly its length, so a
// voice reading past its end is caught.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <vector>

#include "engine/epiano_engine.h"
#include "tests/fuzz/fuzz_check.h"

namespace {

constexpr int kMaxPatternValues = 512;
constexpr int32_t kMaxFramesPerInput = 1 << 15;
constexpr int32_t kBlockFrames = 4096;
constexpr int kMaxNotes = 4;

// Each recording twice: the copy the instance plays and the same values left
// as filled, to see what the preparation changed.
struct Recordings {
    std::unique_ptr<int16_t[]> arrays[kNumSamples];
    std::unique_ptr<int16_t[]> filled[kNumSamples];
    int16_t* pointers[kNumSamples];
    Recordings() {
        for (int k = 0; k < kNumSamples; k++) {
            arrays[k].reset(new int16_t[kSampleInfo[k].length]);
            filled[k].reset(new int16_t[kSampleInfo[k].length]);
            pointers[k] = arrays[k].get();
        }
    }
};

Recordings& recordings() {
    static Recordings r;
    return r;
}

int32_t shortestLoop() {
    int32_t shortest = INT32_MAX;
    for (const SampleInfo& s : kSampleInfo) shortest = std::min(shortest, s.loopEnd - s.loopStart);
    return shortest;
}

// Every recording holds the pattern repeated from its first value.
void fill(const std::vector<int16_t>& pattern) {
    for (int k = 0; k < kNumSamples; k++) {
        int16_t* s = recordings().filled[k].get();
        const size_t length = (size_t)kSampleInfo[k].length;
        size_t have = std::min(pattern.size(), length);
        std::memcpy(s, pattern.data(), have * sizeof(int16_t));
        while (have < length) {
            size_t more = std::min(have - have % pattern.size(), length - have);
            std::memcpy(s + have, s, more * sizeof(int16_t));
            have += more;
        }
        std::memcpy(recordings().pointers[k], s, length * sizeof(int16_t));
    }
}

// Prepared loops: only the fade before each loop end changes, and every new
// value lies within the loop region's range widened to include 0. Every loop
// is longer than the pattern, so that range is the pattern's.
void prepareAndCheck(const std::vector<int16_t>& pattern) {
    int32_t low = 0, high = 0;
    for (int16_t v : pattern) {
        low = std::min<int32_t>(low, v);
        high = std::max<int32_t>(high, v);
    }
    int16_t* const* s = recordings().pointers;
    prepareLoops(s);
    for (int k = 0; k < kNumSamples; k++) {
        const int16_t* before = recordings().filled[k].get();
        const int32_t fadeEnd = kSampleInfo[k].loopEnd;
        const int32_t fadeStart = k < kNumPreparedSamples ? fadeEnd - kLoopCrossfadeValues : fadeEnd;
        FUZZ_CHECK(std::memcmp(s[k], before, fadeStart * sizeof(int16_t)) == 0, "sample %d changed before its fade", k);
        FUZZ_CHECK(
            std::memcmp(s[k] + fadeEnd, before + fadeEnd, (kSampleInfo[k].length - fadeEnd) * sizeof(int16_t)) == 0,
            "sample %d changed after its loop end", k);
        for (int32_t i = fadeStart; i < fadeEnd; i++)
            FUZZ_CHECK(s[k][i] >= low && s[k][i] <= high, "sample %d value %d: %d outside %d..%d", k, i, s[k][i], low,
                       high);
    }
}

void checkZoneAndStep(const SampleZone* zones, int32_t key, int32_t velocity, float rate) {
    int32_t entry = chooseSample(zones, key, velocity);
    FUZZ_CHECK(entry >= 0 && entry < kNumSamples, "key %d velocity %d: entry %d", key, velocity, entry);
    FUZZ_CHECK((entry % 2 == 1) == (velocity > 71), "key %d velocity %d: layer of entry %d", key, velocity, entry);
    int32_t soft = entry & ~1;
    FUZZ_CHECK(key <= zones[soft].highKey || soft == kNumSamples - 2, "key %d above entry %d's zone", key, entry);
    FUZZ_CHECK(soft == 0 || key > zones[soft - 2].highKey, "key %d belongs to a lower zone than %d", key, entry);

    // Any key and rate a host can send reaches the step: it is defined, and
    // for the keys and rates the instrument accepts, one frame's advance is
    // shorter than every loop, so one wrap always brings a voice back.
    float reciprocal = 1.f / rate;
    int32_t step = noteStep(key, zones[entry].rootKey, reciprocal);
    FUZZ_CHECK(step >= 0, "key %d rate %g: step %d", key, rate, step);
    if (key >= 0 && key <= kHeldNote && std::isfinite(rate) && rate >= kMinSampleRate) {
        int64_t advance = 2 * ((0xFFFF + (int64_t)step) >> 16);
        FUZZ_CHECK(advance < shortestLoop(), "key %d rate %g advances %lld values a frame", key, rate,
                   (long long)advance);
    }
}

float anyRate(FuzzedDataProvider& in) {
    static const float kRates[] = {22050.f, 44100.f, 48000.f, 88200.f, 96000.f, 192000.f, kMinSampleRate};
    switch (in.ConsumeIntegralInRange(0, 2)) {
        case 0:
            return kRates[in.ConsumeIntegralInRange(0, 6)];
        case 1:
            return in.ConsumeFloatingPointInRange(kMinSampleRate, 1e6f);
        default: {
            uint32_t bits = in.ConsumeIntegral<uint32_t>();
            float f;
            std::memcpy(&f, &bits, sizeof(f));
            return f;
        }
    }
}

void play(FuzzedDataProvider& in, float rate) {
    EngineSamples set{recordings().pointers, kSampleInfo};
    std::unique_ptr<EpianoEngine> engine(new EpianoEngine(set));
    engine->setSampleRate(rate);

    engine->applyPendingChanges();
    int count = in.ConsumeIntegralInRange(1, kMaxNotes);
    for (int n = 0; n < count; n++) {
        int32_t frame = in.ConsumeIntegralInRange(0, 64);
        uint8_t key = (uint8_t)in.ConsumeIntegralInRange(0, 127);
        engine->midiMessage(frame, 0x90, key, (uint8_t)in.ConsumeIntegralInRange(1, 127));
    }

    std::vector<float> left(kBlockFrames), right(kBlockFrames);
    int32_t total = in.ConsumeIntegralInRange(1, kMaxFramesPerInput);
    for (int32_t done = 0; done < total;) {
        int32_t n = std::min(kBlockFrames, total - done);
        engine->render(left.data(), right.data(), n);
        for (int32_t f = 0; f < n; f++)
            FUZZ_CHECK(std::isfinite(left[f]) && std::isfinite(right[f]), "frame %d not finite", done + f);
        done += n;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider in(data, size);
    int32_t key = in.ConsumeBool() ? in.ConsumeIntegralInRange(0, 130) : in.ConsumeIntegral<int32_t>();
    int32_t velocity = in.ConsumeBool() ? in.ConsumeIntegralInRange(0, 127) : in.ConsumeIntegral<int32_t>();
    float rate = anyRate(in);
    SampleZone zones[kNumSamples];
    buildSampleZones(zones);
    checkZoneAndStep(zones, key, velocity, rate);

    std::vector<int16_t> pattern;
    int patternValues = in.ConsumeIntegralInRange(1, kMaxPatternValues);
    for (int i = 0; i < patternValues; i++) pattern.push_back(in.ConsumeIntegral<int16_t>());
    fill(pattern);
    prepareAndCheck(pattern);
    play(in, rate);
    return 0;
}
