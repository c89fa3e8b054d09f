// One validation run of a VST 2.4 instrument loaded from its file: the
// instance as a host holds it, the output scan, and each check's outcome.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tools/vsthost/vst_host.h"

namespace validate {

enum class Outcome { kPassed, kFailed, kSkipped };

struct CheckResult {
    std::string name;
    Outcome outcome = Outcome::kPassed;
    std::string detail;  // what ran, or why it failed or was skipped
};

struct Settings {
    VstEntryProc entry = nullptr;
    int lifecycleCycles = 1000;
    double playSeconds = 0.3;  // per rate and block plan, before the notes end
};

// A quiet host: answers the version, logs nothing, allocates nothing and
// takes no lock, so that whatever the audio calls do is the plug-in's own.
VstIntPtr VSTCALLBACK quietHost(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                                float opt);

// One instance created through the entry; closed when it goes.
class Instance {
public:
    explicit Instance(VstEntryProc entry);
    ~Instance() { close(); }
    Instance(const Instance&) = delete;
    Instance& operator=(const Instance&) = delete;

    AEffect* effect = nullptr;
    bool ok() const { return effect != nullptr; }
    VstIntPtr dispatch(VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0, void* ptr = nullptr, float opt = 0);
    // Open, rate, largest block, switched on.
    void start(float rate, VstInt32 maxBlock);
    void close();

    // The audio thread's calls, each watched for allocations and locks.
    void events(VstEvents* block);
    void render(float* left, float* right, VstInt32 frames);
    void setParameterOnAudioThread(VstInt32 index, float value);
};

// Non-finite and subnormal samples seen.
struct OutputScan {
    int64_t samples = 0, nonFinite = 0, subnormal = 0;
    void scan(const float* x, int64_t n);
    bool clean() const { return nonFinite == 0 && subnormal == 0; }
    std::string describe() const;
};

std::string format(const char* pattern, ...);

// The checks, each in its own file.
CheckResult checkRenderMatrix(const Settings& s);
CheckResult checkParametersFromTwoThreads(const Settings& s);
CheckResult checkEditorWhileRendering(const Settings& s);
CheckResult checkCreateDestroyCycles(const Settings& s);
CheckResult checkStateRoundTrip(const Settings& s);
CheckResult checkAudioCallsRealTime();

}  // namespace validate
