#include <cmath>
#include <cstdarg>
#include <cstdio>

#include "tools/validate/audio_guard.h"
#include "tools/validate/validation.h"

namespace validate {

VstIntPtr VSTCALLBACK quietHost(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float) {
    return opcode == audioMasterVersion ? kVstVersion : 0;
}

std::unique_ptr<AudioPlayer> newPlayer(const Settings& s) {
    if (s.makePlayer) return s.makePlayer(s);
    return std::unique_ptr<AudioPlayer>(new Instance(s.entry));
}

Instance::Instance(VstEntryProc entry) { effect = entry ? entry(quietHost) : nullptr; }

VstIntPtr Instance::dispatch(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt) {
    return effect ? effect->dispatcher(effect, opcode, index, value, ptr, opt) : 0;
}

void Instance::start(float rate, VstInt32 maxBlock) {
    dispatch(effOpen);
    dispatch(effSetSampleRate, 0, 0, nullptr, rate);
    dispatch(effSetBlockSize, 0, maxBlock);
    dispatch(effMainsChanged, 0, 1);
}

void Instance::close() {
    if (!effect) return;
    dispatch(effMainsChanged, 0, 0);
    dispatch(effClose);
    effect = nullptr;
}

void Instance::events(VstEvents* block) {
    audioguard::AudioCall watched;
    effect->dispatcher(effect, effProcessEvents, 0, 0, block, 0.f);
}

void Instance::render(float* left, float* right, VstInt32 frames) {
    float* outputs[2] = {left, right};
    audioguard::AudioCall watched;
    effect->processReplacing(effect, nullptr, outputs, frames);
}

void Instance::setParameterOnAudioThread(VstInt32 index, float value) {
    audioguard::AudioCall watched;
    effect->setParameter(effect, index, value);
}

void OutputScan::scan(const float* x, int64_t n) {
    samples += n;
    for (int64_t i = 0; i < n; i++) {
        int kind = std::fpclassify(x[i]);
        nonFinite += kind == FP_NAN || kind == FP_INFINITE;
        subnormal += kind == FP_SUBNORMAL;
    }
}

std::string OutputScan::describe() const {
    return format("%lld non-finite and %lld subnormal of %lld samples", (long long)nonFinite, (long long)subnormal,
                  (long long)samples);
}

std::string format(const char* pattern, ...) {
    char text[512];
    va_list args;
    va_start(args, pattern);
    std::vsnprintf(text, sizeof(text), pattern, args);
    va_end(args);
    return text;
}

CheckResult checkAudioCallsRealTime(const char* calls) {
    CheckResult r{"real time", Outcome::kPassed, ""};
    if (!audioguard::watching()) {
        r.outcome = Outcome::kSkipped;
        r.detail = "the plug-in's allocator and lock calls could not be watched";
        return r;
    }
    audioguard::Violations v = audioguard::violations();
    r.detail = format("%lld allocator calls, %lld locks inside %s (watched: %s)", (long long)v.allocations,
                      (long long)v.locks, calls, audioguard::watchedCalls());
    if (v.allocations || v.locks) {
        r.outcome = Outcome::kFailed;
        r.detail += format(" (first: %s)", v.first ? v.first : "?");
    }
    return r;
}

}  // namespace validate
