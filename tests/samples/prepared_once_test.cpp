// The library's recordings are prepared once per process: any number of
// threads and instances see the same arrays, blended exactly once.
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "engine/epiano_engine.h"
#include "engine/sample_set.h"

namespace {

uint64_t checksum(int16_t* const* samples) {
    uint64_t h = 1469598103934665603ull;
    for (int k = 0; k < kNumSamples; ++k)
        for (int32_t p = 0; p < kSampleInfo[k].length; ++p) h = (h ^ uint16_t(samples[k][p])) * 1099511628211ull;
    return h;
}

TEST(PreparedSamples, ThreadsAndInstancesShareOnePreparation) {
    // Many threads asking at once, before anything else has: one pass only.
    std::vector<int16_t* const*> seen(8, nullptr);
    std::vector<std::thread> threads;
    for (size_t t = 0; t < seen.size(); ++t) threads.emplace_back([&seen, t] { seen[t] = preparedSamples(); });
    for (std::thread& t : threads) t.join();
    for (int16_t* const* s : seen) ASSERT_EQ(s, seen[0]);

    int16_t* const* samples = seen[0];
    const uint64_t once = checksum(samples);
    for (int k = 0; k + 1 < kNumSamples; ++k) {
        EXPECT_EQ(samples[k] + kSampleInfo[k].length, samples[k + 1]) << "arrays lie back to back";
        EXPECT_EQ(reinterpret_cast<uintptr_t>(samples[k]) % alignof(int16_t), 0u);
    }

    // Instances created one after another and side by side add no pass.
    for (int i = 0; i < 3; ++i) delete new EpianoEngine();
    threads.clear();
    for (int t = 0; t < 4; ++t) threads.emplace_back([] { delete new EpianoEngine(); });
    for (std::thread& t : threads) t.join();
    EXPECT_EQ(preparedSamples(), samples);
    EXPECT_EQ(checksum(samples), once);
}

}  // namespace
