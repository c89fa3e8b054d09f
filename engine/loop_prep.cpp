// Loop preparation: the last 28000 values before each loop end are blended
// toward the values before the loop start, so the jump from loop end back to
// loop start continues the waveform.
#include "engine/sample_set.h"

void prepareLoops(int16_t* const samples[kNumSamples], const SampleInfo info[kNumSamples]) {
    for (int k = 0; k < kNumPreparedSamples; ++k) {
        int16_t* s = samples[k];
        const int32_t end = info[k].loopEnd;
        const int32_t start = info[k].loopStart;

        // Bounds of the loop region; both always include 0.
        int32_t maxValue = 0;
        int32_t minValue = 0;
        for (int32_t p = start; p < end; ++p) {
            if (s[p] > maxValue) maxValue = s[p];
            if (s[p] < minValue) minValue = s[p];
        }

        // In place and ascending: where the loop is shorter than the fade, the
        // source reads values this same pass has already rewritten.
        float x = 0.f;
        for (int32_t i = 0; i < kLoopCrossfadeValues; ++i) {
            const double a = s[start - kLoopCrossfadeValues + i];
            int16_t& b = s[end - kLoopCrossfadeValues + i];
            const double blend = double(x) * a + (1.0 - double(x)) * double(b);
            int16_t value = int16_t(int32_t(blend));  // truncated toward zero
            if (value > maxValue) value = int16_t(maxValue);
            if (value < minValue) value = int16_t(minValue);
            b = value;
            x = x + 3.5714285e-05f;
            if (x > 1.f) x = 1.f;
        }
    }
}
