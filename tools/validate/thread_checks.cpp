// A host's two threads on one instance: the audio thread renders without
// pause while the user-interface thread sets parameters or opens and closes
// the editor.
#include <atomic>
#include <chrono>
#include <cmath>
#include <functional>
#include <thread>
#include <vector>

#include "tools/validate/editor_parent.h"
#include "tools/validate/validation.h"

namespace validate {
namespace {

constexpr float kRate = 44100.f;
constexpr VstInt32 kBlock = 256;
constexpr int kNumParams = 5;
constexpr auto kLeastTime = std::chrono::milliseconds(500);
constexpr auto kMostTime = std::chrono::seconds(30);
constexpr long kLeastBlocks = 200;

// The audio thread: a few notes every fourth block, its own automation on
// the parameters and keys, and the render, until told to stop.
class AudioThread {
public:
    explicit AudioThread(Instance& plugin) : plugin(plugin) {}
    void start() {
        thread = std::thread([this] { run(); });
    }
    void stop() {
        stopping = true;
        if (thread.joinable()) thread.join();
    }
    std::atomic<long> blocks{0};
    OutputScan scan;

private:
    void run() {
        std::vector<float> left(kBlock), right(kBlock);
        MidiEventBlock notes;
        for (int i = 0; i < 4; i++) notes.add(i * 50, 0x90, (unsigned char)(40 + i * 9), 100);
        notes.add(220, 0xB0, 64, 0);
        notes.get();
        for (long b = 0; !stopping; b++) {
            if (b % 4 == 0) plugin.events(notes.get());
            if (b % 8 == 3) plugin.setParameterOnAudioThread((VstInt32)(b / 8 % kNumParams), (float)(b % 10) / 10.f);
            if (b % 8 == 5) plugin.setParameterOnAudioThread((VstInt32)(30 + b % 60), (float)(b / 8 % 2));
            plugin.render(left.data(), right.data(), kBlock);
            scan.scan(left.data(), kBlock);
            scan.scan(right.data(), kBlock);
            blocks++;
        }
    }
    Instance& plugin;
    std::thread thread;
    std::atomic<bool> stopping{false};
};

// Runs `step` on this thread until it has done enough and the audio thread
// has rendered enough; false if that took too long.
bool runAgainstAudio(AudioThread& audio, long leastSteps, const std::function<bool(long)>& step, long* steps) {
    const auto start = std::chrono::steady_clock::now();
    for (*steps = 0;; ++*steps) {
        auto elapsed = std::chrono::steady_clock::now() - start;
        if (elapsed > kMostTime) return false;
        if (elapsed > kLeastTime && audio.blocks >= kLeastBlocks && *steps >= leastSteps) return true;
        if (!step(*steps)) return false;
    }
}

constexpr int kIdlesForAWindow = 20;
constexpr auto kIdleStep = std::chrono::milliseconds(10);

// The parents a host may give that are not a plain window: one that names
// no window and a null one must be refused with 0, and the idle and close
// after that do nothing; one that the host has made but not yet flushed
// (X11) gets the editor, inside it once the host flushes. Returns what
// went wrong, or nothing; `tried` says which parents were given.
std::string checkEditorParents(Instance& plugin, std::string* tried) {
    std::string wrong;
    *tried = "missing and null parents";
    const struct {
        const char* what;
        void* handle;
    } refused[] = {{"a parent that names no window", EditorParent::missing()}, {"a null parent", nullptr}};
    for (const auto& parent : refused) {
        const VstIntPtr answer = plugin.dispatch(effEditOpen, 0, 0, parent.handle);
        plugin.dispatch(effEditIdle);
        plugin.dispatch(effEditClose);
        plugin.dispatch(effEditIdle);
        if (answer != 0) wrong += format("%s%s got %ld", wrong.empty() ? "" : "; ", parent.what, (long)answer);
    }
    EditorParent unflushed;
    if (unflushed.createUnflushed(nullptr)) {
        *tried = "missing, null and unflushed parents";
        const VstIntPtr answer = plugin.dispatch(effEditOpen, 0, 0, unflushed.handle());
        unflushed.flush();
        bool shown = false;
        for (int idle = 0; idle < kIdlesForAWindow && !shown; idle++) {
            std::this_thread::sleep_for(kIdleStep);
            plugin.dispatch(effEditIdle);
            unflushed.pump();
            shown = unflushed.hasChild();
        }
        plugin.dispatch(effEditClose);
        if (answer != 1 || !shown)
            wrong += format("%sa parent not yet flushed got %ld and %s", wrong.empty() ? "" : "; ", (long)answer,
                            shown ? "a window" : "no window after the flush");
    }
    return wrong;
}

}  // namespace

CheckResult checkParametersFromTwoThreads(const Settings& s) {
    CheckResult r{"parameters", Outcome::kPassed, ""};
    Instance plugin(s.entry);
    if (!plugin.ok()) return {r.name, Outcome::kFailed, "the entry gave no instance"};
    plugin.start(kRate, kBlock);
    AudioThread audio(plugin);
    audio.start();
    long badReads = 0, steps = 0;
    char text[64];
    bool inTime = runAgainstAudio(
        audio, 20000,
        [&](long i) {
            VstInt32 index = (VstInt32)(i % kNumParams);
            plugin.effect->setParameter(plugin.effect, index, (float)((i * 7) % 11) / 10.f);
            float v = plugin.effect->getParameter(plugin.effect, (VstInt32)((i + 2) % kNumParams));
            badReads += !(v >= 0.f && v <= 1.f);
            if (i % 16 == 0) plugin.dispatch(effGetParamDisplay, index, 0, text);
            if (i % 64 == 0) plugin.effect->setParameter(plugin.effect, (VstInt32)(21 + i % 88), (float)(i / 64 % 2));
            if (i % 256 == 128) plugin.dispatch(effSetProgram, 0, 0);
            return true;
        },
        &steps);
    audio.stop();

    // Afterwards the values last set are the values read.
    const float finalValues[kNumParams] = {0.25f, 0.5f, 0.75f, 0.125f, 0.875f};
    for (int i = 0; i < kNumParams; i++) plugin.effect->setParameter(plugin.effect, i, finalValues[i]);
    std::vector<float> left(kBlock), right(kBlock);
    plugin.render(left.data(), right.data(), kBlock);
    int wrongAfter = 0;
    for (int i = 0; i < kNumParams; i++) wrongAfter += plugin.effect->getParameter(plugin.effect, i) != finalValues[i];

    r.detail = format(
        "%ld sets from the user-interface thread against %ld audio blocks with automation\n"
        "                          %s",
        steps, audio.blocks.load(), audio.scan.describe().c_str());
    if (!inTime || badReads || wrongAfter || !audio.scan.clean()) {
        r.outcome = Outcome::kFailed;
        r.detail += format("\n                          %s%ld reads out of range, %d values wrong afterwards",
                           inTime ? "" : "too slow; ", badReads, wrongAfter);
    }
    return r;
}

CheckResult checkEditorWhileRendering(const Settings& s) {
    CheckResult r{"editor", Outcome::kPassed, ""};
    Instance plugin(s.entry);
    if (!plugin.ok()) return {r.name, Outcome::kFailed, "the entry gave no instance"};
    if (!(plugin.effect->flags & effFlagsHasEditor)) return {r.name, Outcome::kSkipped, "the plug-in has no editor"};
    EditorParent parent;
    std::string why;
    if (!parent.create(&why)) return {r.name, Outcome::kSkipped, why};
    plugin.start(kRate, kBlock);
    AudioThread audio(plugin);
    audio.start();
    long refused = 0, cycles = 0;
    bool inTime = runAgainstAudio(
        audio, 20,
        [&](long) {
            ERect* rect = nullptr;
            plugin.dispatch(effEditGetRect, 0, 0, &rect);
            if (plugin.dispatch(effEditOpen, 0, 0, parent.handle()) != 1) refused++;
            for (int idle = 0; idle < 5; idle++) {
                plugin.dispatch(effEditIdle);
                parent.pump();
                std::this_thread::sleep_for(std::chrono::milliseconds(2));
            }
            plugin.dispatch(effEditClose);
            parent.pump();
            return true;
        },
        &cycles);
    std::string parents;
    const std::string wrongParents = checkEditorParents(plugin, &parents);
    audio.stop();
    const int strayErrors = EditorParent::strayErrors();
    r.detail = format(
        "opened and closed %ld times while %ld blocks rendered, and with\n"
        "                          %s; %s",
        cycles, audio.blocks.load(), parents.c_str(), audio.scan.describe().c_str());
    if (!inTime || refused || !audio.scan.clean() || !wrongParents.empty() || strayErrors) {
        r.outcome = Outcome::kFailed;
        r.detail += format("\n                          %s%ld opens refused, %d X errors reached the host's handler",
                           inTime ? "" : "too slow; ", refused, strayErrors);
        if (!wrongParents.empty()) r.detail += "\n                          " + wrongParents;
    }
    return r;
}

}  // namespace validate
