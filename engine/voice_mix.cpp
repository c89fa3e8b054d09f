// The mix on SSE2, which every processor the instrument runs on has, and the
// choice of AVX2 where the processor has that too.
#include "engine/voice_mix.h"

#include "engine/voice_mix_kernel.h"

namespace {

// A test of a flag that the runtime library set when the program or the
// plug-in was loaded (the processor's and the system's support both). The
// AVX2 mix is built only where it does no harm (engine/CMakeLists.txt).
bool processorHasAvx2() {
#ifdef QELT_MIX_AVX2
    return __builtin_cpu_supports("avx2");
#else
    return false;
#endif
}

}  // namespace

bool mixPathAvailable(MixPath path) {
    __builtin_cpu_init();  // (may be asked before the runtime library's own start-up ran)
    return path == MixPath::Sse2 || processorHasAvx2();
}

void mixVoicesOn(MixPath path, Voice* voices, const int16_t* const* samples, int32_t count, int32_t frames,
                 float* mixLeft, float* mixRight) {
#ifdef QELT_MIX_AVX2
    if (path == MixPath::Avx2) return mixVoicesAvx2(voices, samples, count, frames, mixLeft, mixRight);
#endif
    (void)path;
    mixAll<Sse2Lanes>(voices, samples, count, frames, mixLeft, mixRight);
}

void mixVoices(Voice* voices, const int16_t* const* samples, int32_t count, int32_t frames, float* mixLeft,
               float* mixRight) {
    mixVoicesOn(processorHasAvx2() ? MixPath::Avx2 : MixPath::Sse2, voices, samples, count, frames, mixLeft, mixRight);
}
