// The loop preparation against a plain reference of its arithmetic, on
// synthetic arrays that exercise the cases the real set depends on.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#include <gtest/gtest.h>

#include "engine/sample_set.h"

namespace {

// Written out from the description, the slow way: weights first, then each
// blend in double, truncated, clamped, stored before the next is read.
void referencePrepare(std::vector<int16_t>& s, int32_t start, int32_t end) {
    std::vector<float> weights(kLoopCrossfadeValues);
    float x = 0.f;
    for (float& w : weights) {
        w = x;
        x = std::min(1.0f, x + 3.5714285e-05f);
    }
    int hi = 0, lo = 0;
    for (int32_t p = start; p < end; ++p) hi = std::max(hi, int(s[p])), lo = std::min(lo, int(s[p]));
    for (int32_t i = 0; i < kLoopCrossfadeValues; ++i) {
        const int32_t src = start - kLoopCrossfadeValues + i, dst = end - kLoopCrossfadeValues + i;
        const double w = weights[size_t(i)];
        double v = std::trunc(w * s[src] + (1.0 - w) * s[dst]);
        v = std::max<double>(lo, std::min<double>(hi, v));
        s[dst] = int16_t(v);
    }
}

struct Synthetic {
    SampleInfo info[kNumSamples];
    std::vector<int16_t> data[kNumSamples];
    int16_t* pointers[kNumSamples];

    // Every record gets a loop of its own length and parity; `fill` makes the values.
    template <class Fill>
    Synthetic(const int32_t (*loops)[2], Fill fill) {
        for (int k = 0; k < kNumSamples; ++k) {
            const int32_t start = loops[k][0], end = loops[k][1];
            info[k] = SampleInfo{36 + 6 * (k / 2), 0, 0, 60, 1, 70, start, end, end + 500};
            data[k].resize(size_t(end + 500));
            for (size_t p = 0; p < data[k].size(); ++p) data[k][p] = fill(k, int32_t(p));
            pointers[k] = data[k].data();
        }
    }
};

uint32_t noise(int k, int32_t p) {
    uint32_t h = uint32_t(p) * 2654435761u ^ uint32_t(k) * 40503u;
    h ^= h >> 15, h *= 2246822519u, h ^= h >> 13;
    return h;
}

// Long loops of both parities, one shorter than the fade (its source reads
// values the pass rewrote), and one as long as the fade exactly.
const int32_t kLoops[kNumSamples][2] = {
    {89065, 265300}, {30000, 70001}, {28000, 56000}, {28001, 56000}, {50000, 69282}, {78123, 97405},
    {28000, 28001}, {40000, 47000}, {31000, 60000}, {29999, 90000}, {30000, 30000 + 27999},
    {30001, 58000}, {60000, 61000}, {33333, 77777}, {28000, 90000}, {45000, 73000},
    {28000, 100000}, {28100, 29000}, {30000, 31000}, {28500, 56600}, {29000, 40000}, {30000, 40000}};

TEST(LoopPreparation, MatchesThePlainArithmeticOnEveryShapeOfLoop) {
    auto full = [](int k, int32_t p) { return int16_t(noise(k, p)); };          // full scale, both signs
    auto positive = [](int k, int32_t p) { return int16_t(noise(k, p) % 20000 + 5); };  // 0 widens the bounds
    auto negative = [](int k, int32_t p) { return int16_t(-int(noise(k, p) % 300) - 1); };
    auto sine = [](int, int32_t p) { return int16_t(std::lround(12000 * std::sin(p * 0.0123))); };
    int caseNumber = 0;
    for (auto fill : {+full, +positive, +negative, +sine}) {
        Synthetic actual(kLoops, fill), expected(kLoops, fill);
        prepareLoops(actual.pointers, actual.info);
        for (int k = 0; k < kNumPreparedSamples; ++k)
            referencePrepare(expected.data[k], kLoops[k][0], kLoops[k][1]);
        for (int k = 0; k < kNumSamples; ++k) {
            SCOPED_TRACE(testing::Message() << "case " << caseNumber << " sample " << k);
            const auto mismatch = std::mismatch(actual.data[k].begin(), actual.data[k].end(), expected.data[k].begin());
            EXPECT_TRUE(mismatch.first == actual.data[k].end())
                << "first difference at value " << (mismatch.first - actual.data[k].begin());
        }
        ++caseNumber;
    }
}

TEST(LoopPreparation, EndsAlmostButNotExactlyOnTheSource) {
    // A step between source and destination shows the final weight: at the
    // last value the source's share is 0.99974, not 1.
    auto step = [](int, int32_t p) { return int16_t(p < 100000 ? -8000 : 8000); };
    Synthetic s(kLoops, step);
    prepareLoops(s.pointers, s.info);
    // Sample 0: source -8000 (before 89065), destination +8000 (before 265300).
    const int16_t last = s.data[0][265299];
    EXPECT_EQ(last, -7995);  // trunc(8000 * (1 - 2 * 0.99974...))
    EXPECT_EQ(s.data[0][265300 - kLoopCrossfadeValues], 8000) << "the first blend keeps the destination";
}

}  // namespace
