// Every sample rate against every block plan: notes, pedal, controllers and
// automation land every 32 frames, inside the blocks; then every note ends
// and the output must fall to exact silence.
#include <algorithm>
#include <limits>
#include <vector>

#include "tools/validate/validation.h"

namespace validate {
namespace {

const float kRates[] = {22050.f, 44100.f, 48000.f, 88200.f, 96000.f, 192000.f};

struct BlockPlan {
    const char* name;
    std::vector<VstInt32> sizes;  // cycled
    bool splitAtAutomation;       // a sample-accurate host; others apply a block's automation before it
};

const BlockPlan kPlans[] = {
    {"1", {1}, false},
    {"2", {2}, false},
    {"3", {3}, false},
    {"64", {64}, false},
    {"511", {511}, false},
    {"512", {512}, false},
    {"1024", {1024}, false},
    {"4096", {4096}, false},
    {"varying", {1, 17, 256, 0, 4096, 3, 777, 64, 2048, 5, 1024, 33, 511, 2}, true},
};

constexpr VstInt32 kLargestBlock = 4096;
constexpr int64_t kEventSpacing = 32;
constexpr int kActionsPerCycle = 8;
constexpr int kReleasesPerBlock = 32;  // below the 40 events an instrument may keep of a block
constexpr double kMaxTailSeconds = 10;
constexpr double kSilenceSeconds = 0.25;
constexpr VstInt32 kFirstKeyParameter = 21, kKeyParameters = 88;

// What happens at grid step k (frame 32k).
struct Action {
    enum Kind { kMidi, kAutomation } kind;
    unsigned char status, data1, data2;
    VstInt32 index;
    float value;
};

unsigned char noteOfStep(int64_t k) { return (unsigned char)(24 + (k * 7) % 84); }
VstInt32 keyParameterOfStep(int64_t k) { return kFirstKeyParameter + (VstInt32)((k * 11) % kKeyParameters); }

Action actionAt(int64_t k) {
    const int64_t cycle = k / kActionsPerCycle;
    switch (k % kActionsPerCycle) {
        case 0:
        case 4:
            return {Action::kMidi, 0x90, noteOfStep(k), (unsigned char)(1 + (k * 37) % 127), 0, 0};
        case 1:
            return {Action::kMidi, 0xB0, 64, (unsigned char)(cycle % 3 == 0 ? 127 : 0), 0, 0};
        case 2:
        case 6:
            return {Action::kMidi, 0x80, noteOfStep(k - 2), 64, 0, 0};
        case 3:
            // Every fourth cycle a sound parameter (which ends the notes), else a key.
            if (cycle % 4 == 0)
                return {
                    Action::kAutomation, 0, 0, 0, (VstInt32)(cycle / 4 % 5), 0.05f + (float)((k * 29) % 90) / 100.f};
            return {Action::kAutomation, 0, 0, 0, keyParameterOfStep(k), 1.f};
        case 5:
            switch (cycle % 4) {
                case 0:
                    return {Action::kMidi, 0xB0, 1, (unsigned char)((k * 9) % 128), 0, 0};  // modulation
                case 1:
                    return {Action::kMidi, 0xB0, 7, (unsigned char)((k * 9) % 128), 0, 0};  // channel volume
                case 2:
                    return {Action::kMidi, 0xB0, (unsigned char)(123 + cycle / 4 % 5), 0, 0, 0};  // all notes off
                default:
                    return {Action::kMidi, 0xC0, 0, 0, 0, 0};  // program change
            }
        default:
            return {Action::kAutomation, 0, 0, 0, keyParameterOfStep(k - 4), 0.f};
    }
}

struct Run {
    AudioPlayer& plugin;
    OutputScan scan;
    std::vector<float> left, right;
    MidiEventBlock midi;
    int64_t frames = 0, calls = 0, events = 0, automation = 0;

    explicit Run(AudioPlayer& p) : plugin(p), left(kLargestBlock), right(kLargestBlock) {}

    // Frames [at, at + n): the block's events at their offsets, then the render.
    void block(int64_t at, VstInt32 n, bool withActions) {
        midi.clear();
        if (withActions) {
            for (int64_t k = (at + kEventSpacing - 1) / kEventSpacing; k * kEventSpacing < at + n; k++) {
                Action a = actionAt(k);
                if (a.kind != Action::kMidi) continue;
                midi.add((VstInt32)(k * kEventSpacing - at), a.status, a.data1, a.data2);
            }
        }
        if (midi.size()) plugin.events(midi.get());
        events += (int64_t)midi.size();
        // Unwritten frames would show as NaN.
        std::fill(left.begin(), left.begin() + n, std::numeric_limits<float>::quiet_NaN());
        std::fill(right.begin(), right.begin() + n, std::numeric_limits<float>::quiet_NaN());
        plugin.render(left.data(), right.data(), n);
        scan.scan(left.data(), n);
        scan.scan(right.data(), n);
        frames += n;
        calls++;
    }

    void automate(int64_t k) {
        Action a = actionAt(k);
        if (a.kind != Action::kAutomation) return;
        plugin.setParameterOnAudioThread(a.index, a.value);
        automation++;
    }

    // One host block: automation inside it either splits it there or comes before it.
    void hostBlock(int64_t at, VstInt32 n, bool split) {
        int64_t first = (at + kEventSpacing - 1) / kEventSpacing;
        if (n == 0) return block(at, 0, false);
        int64_t start = at;
        for (int64_t k = first; k * kEventSpacing < at + n; k++) {
            if (actionAt(k).kind != Action::kAutomation) continue;
            int64_t frame = k * kEventSpacing;
            if (split && frame > start) {
                block(start, (VstInt32)(frame - start), true);
                start = frame;
            }
            automate(k);
        }
        block(start, (VstInt32)(at + n - start), true);
    }

    // Every key released, pedal up; then blocks until a stretch of exact
    // silence. Returns the seconds until the last sound, or -1 if it never ended.
    double tail(const BlockPlan& plan, size_t& next, float rate) {
        std::vector<int> keys;
        for (int k = 0; k < 128; k++) keys.push_back(k);
        midi.clear();
        midi.add(0, 0xB0, 64, 0);
        plugin.events(midi.get());
        block(frames, 1, false);
        for (size_t i = 0; i < keys.size(); i += kReleasesPerBlock) {
            midi.clear();
            for (size_t j = i; j < std::min(keys.size(), i + kReleasesPerBlock); j++)
                midi.add(0, 0x80, (unsigned char)keys[j], 64);
            plugin.events(midi.get());
            block(frames, 1, false);  // a block of no frames would drop them
        }
        for (VstInt32 key = kFirstKeyParameter; key < kFirstKeyParameter + kKeyParameters; key++)
            plugin.setParameterOnAudioThread(key, 0.f);

        const int64_t limit = (int64_t)(kMaxTailSeconds * rate), quiet = (int64_t)(kSilenceSeconds * rate);
        int64_t at = 0, lastSound = 0;
        while (at < limit && at - lastSound < quiet) {
            VstInt32 n = plan.sizes[next++ % plan.sizes.size()];
            block(frames, n, false);
            for (VstInt32 f = 0; f < n; f++)
                if (left[f] != 0.f || right[f] != 0.f) lastSound = at + f + 1;
            at += n;
        }
        return at - lastSound >= quiet ? (double)lastSound / rate : -1;
    }
};

}  // namespace

CheckResult checkRenderMatrix(const Settings& s) {
    CheckResult r{"rates x blocks", Outcome::kPassed, ""};
    OutputScan all;
    int64_t frames = 0, calls = 0, events = 0, automation = 0;
    double longestTail = 0;
    std::vector<std::string> failures;
    for (float rate : kRates) {
        for (const BlockPlan& plan : kPlans) {
            std::unique_ptr<AudioPlayer> plugin = newPlayer(s);
            if (!plugin->ok()) return {r.name, Outcome::kFailed, "the plug-in gave no instance"};
            plugin->start(rate, kLargestBlock);
            Run run(*plugin);
            const int64_t playFrames = (int64_t)(s.playSeconds * rate);
            size_t next = 0;
            int64_t at = 0;
            while (at < playFrames) {
                VstInt32 n = plan.sizes[next++ % plan.sizes.size()];
                run.hostBlock(at, n, plan.splitAtAutomation);
                at += n;
            }
            double tail = run.tail(plan, next, rate);
            if (tail < 0)
                failures.push_back(format("%g Hz, blocks %s: still sounding %g s after the last note", rate, plan.name,
                                          kMaxTailSeconds));
            longestTail = std::max(longestTail, tail);
            if (!run.scan.clean())
                failures.push_back(format("%g Hz, blocks %s: %s", rate, plan.name, run.scan.describe().c_str()));
            all.samples += run.scan.samples;
            all.nonFinite += run.scan.nonFinite;
            all.subnormal += run.scan.subnormal;
            frames += run.frames;
            calls += run.calls;
            events += run.events;
            automation += run.automation;
        }
    }
    r.detail = format(
        "%d rates x %d block plans: %.1f M frames in %lld calls, %lld events, %lld automation points\n"
        "                          %s; silent %.2f s after the last note at most",
        (int)(sizeof(kRates) / sizeof(kRates[0])), (int)(sizeof(kPlans) / sizeof(kPlans[0])), frames / 1e6,
        (long long)calls, (long long)events, (long long)automation, all.describe().c_str(), longestTail);
    if (!failures.empty()) {
        r.outcome = Outcome::kFailed;
        for (size_t i = 0; i < failures.size() && i < 4; i++) r.detail += "\n                          " + failures[i];
        if (failures.size() > 4)
            r.detail += format("\n                          and %d more", (int)failures.size() - 4);
    }
    return r;
}

}  // namespace validate
