// One validation run of a VST 2.4 instrument loaded from its file: the
// instance as a host holds it, the output scan, and each check's outcome.
#pragma once

#include <cstdint>
#include <memory>
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

class AudioPlayer;

struct Settings {
    VstEntryProc entry = nullptr;
    int lifecycleCycles = 1000;
    double playSeconds = 0.3;  // per rate and block plan, before the notes end
    // An LV2 or VST 3 bundle instead of a VST entry (Linux): its players
    // come from makePlayer.
    std::string lv2Bundle;
    std::string vst3Bundle;
    std::unique_ptr<AudioPlayer> (*makePlayer)(const Settings&) = nullptr;
};

// An instance as the audio checks drive it, whatever its format: started,
// then the audio thread's calls, each watched for allocations and locks.
// Events reach the instrument with its next render.
class AudioPlayer {
public:
    virtual ~AudioPlayer() = default;
    virtual bool ok() const = 0;
    // Rate, largest block, switched on.
    virtual void start(float rate, VstInt32 maxBlock) = 0;
    virtual void events(VstEvents* block) = 0;
    virtual void render(float* left, float* right, VstInt32 frames) = 0;
    // A parameter, or a key (21 and up) pressed by any value but 0.
    virtual void setParameterOnAudioThread(VstInt32 index, float value) = 0;
};

// The player of the plug-in under test: a VST instance from the entry, or
// an LV2 instance of the bundle.
std::unique_ptr<AudioPlayer> newPlayer(const Settings& s);

// A quiet host: answers the version, logs nothing, allocates nothing and
// takes no lock, so that whatever the audio calls do is the plug-in's own.
VstIntPtr VSTCALLBACK quietHost(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                                float opt);

// One instance created through the entry; closed when it goes.
class Instance final : public AudioPlayer {
public:
    explicit Instance(VstEntryProc entry);
    ~Instance() override { close(); }
    Instance(const Instance&) = delete;
    Instance& operator=(const Instance&) = delete;

    AEffect* effect = nullptr;
    bool ok() const override { return effect != nullptr; }
    VstIntPtr dispatch(VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0, void* ptr = nullptr, float opt = 0);
    // Open, rate, largest block, switched on.
    void start(float rate, VstInt32 maxBlock) override;
    void close();

    // The audio thread's calls, each watched for allocations and locks.
    void events(VstEvents* block) override;
    void render(float* left, float* right, VstInt32 frames) override;
    void setParameterOnAudioThread(VstInt32 index, float value) override;
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
// `calls` names the audio calls watched, for the summary.
CheckResult checkAudioCallsRealTime(const char* calls);

// The LV2 bundle's own checks (Linux): what its host saves and restores, and
// many instances made and destroyed.
std::unique_ptr<AudioPlayer> makeLv2Player(const Settings& s);
// Name, URI and controls; an error when the bundle or its plug-in fails to load.
std::string describeLv2Plugin(const Settings& s, std::string* error);
CheckResult checkLv2CreateDestroyCycles(const Settings& s);
CheckResult checkLv2StateRoundTrip(const Settings& s);

// The VST 3 bundle's own checks (Linux), through its module's entries.
std::unique_ptr<AudioPlayer> makeVst3Player(const Settings& s);
// Name, vendor, sub-categories and parameters; an error when it fails to load or start.
std::string describeVst3Plugin(const Settings& s, std::string* error);
CheckResult checkVst3Description(const Settings& s);
CheckResult checkVst3LifeCycle(const Settings& s);
CheckResult checkVst3CreateDestroyCycles(const Settings& s);
CheckResult checkVst3StateRoundTrip(const Settings& s);
CheckResult checkVst3StateWhilePlaying(const Settings& s);

}  // namespace validate
