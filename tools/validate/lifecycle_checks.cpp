// What a scanning host and a saving host do: many instances made and
// destroyed, and the program name and the parameter values saved from one
// instance and restored into another.
#include <cstring>
#include <vector>

#include "tools/validate/audio_guard.h"
#include "tools/validate/editor_parent.h"
#include "tools/validate/heap_usage.h"
#include "tools/validate/validation.h"

namespace validate {
namespace {

constexpr float kRate = 44100.f;
constexpr VstInt32 kBlock = 512;
constexpr int kWarmUpCycles = 10;
constexpr int64_t kLeakAllowanceBytes = 16 << 10;  // where only the heaps can be measured: 16 bytes a cycle
constexpr int kNumParams = 5;

// Started, one block with a note, the editor opened, idled and closed where
// there is a window for it, switched off and closed.
void cycle(VstEntryProc entry, EditorParent* parent, MidiEventBlock& note, std::vector<float>& left,
           std::vector<float>& right, int* refused) {
    Instance plugin(entry);
    if (!plugin.ok()) {
        ++*refused;
        return;
    }
    plugin.start(kRate, kBlock);
    plugin.events(note.get());
    plugin.render(left.data(), right.data(), kBlock);
    char name[64] = {};
    plugin.dispatch(effGetEffectName, 0, 0, name);
    if (parent && (plugin.effect->flags & effFlagsHasEditor)) {
        plugin.dispatch(effEditOpen, 0, 0, parent->handle());
        plugin.dispatch(effEditIdle);
        parent->pump();
        plugin.dispatch(effEditClose);
        parent->pump();
    }
}

}  // namespace

CheckResult checkCreateDestroyCycles(const Settings& s) {
    CheckResult r{"create/destroy", Outcome::kPassed, ""};
    MidiEventBlock note;
    note.add(0, 0x90, 60, 100);
    note.get();
    std::vector<float> left(kBlock), right(kBlock);
    EditorParent window;
    std::string noEditor;
    EditorParent* parent = window.create(&noEditor) ? &window : nullptr;
    int refused = 0;
    for (int i = 0; i < kWarmUpCycles; i++) cycle(s.entry, parent, note, left, right, &refused);
    const int64_t liveBefore = audioguard::liveAllocations();
    const int64_t bytesBefore = heapBytesInUse();
    for (int i = 0; i < s.lifecycleCycles; i++) cycle(s.entry, parent, note, left, right, &refused);
    const int64_t liveAfter = audioguard::liveAllocations();
    const int64_t bytesAfter = heapBytesInUse();

    bool leaked;
    if (audioguard::watching()) {
        leaked = liveAfter != liveBefore;
        r.detail = format("%d cycles; allocations alive before and after: %lld, %lld", s.lifecycleCycles,
                          (long long)liveBefore, (long long)liveAfter);
    } else {
        leaked = bytesBefore < 0 || bytesAfter - bytesBefore > kLeakAllowanceBytes;
        r.detail = format("%d cycles; heap bytes in use before and after: %lld, %lld", s.lifecycleCycles,
                          (long long)bytesBefore, (long long)bytesAfter);
    }
    r.detail += parent ? ", editor opened in each" : ", without the editor (" + noEditor + ")";
    if (leaked || refused) {
        r.outcome = Outcome::kFailed;
        if (refused) r.detail += format("; %d instances refused", refused);
    }
    return r;
}

CheckResult checkStateRoundTrip(const Settings& s) {
    CheckResult r{"saved state", Outcome::kPassed, ""};
    const float values[kNumParams] = {0.13f, 0.87f, 0.31f, 0.72f, 0.58f};
    char longName[] = "A name longer than any program name";

    // The host saves what the first instance reports...
    Instance first(s.entry), second(s.entry);
    if (!first.ok() || !second.ok()) return {r.name, Outcome::kFailed, "the entry gave no instance"};
    first.start(kRate, kBlock);
    first.dispatch(effSetProgramName, 0, 0, longName);
    for (int i = 0; i < kNumParams; i++) first.effect->setParameter(first.effect, i, values[i]);
    char savedName[kVstMaxProgNameLen + 40] = {};
    first.dispatch(effGetProgramName, 0, 0, savedName);
    float saved[kNumParams];
    char shown[kNumParams][64] = {};
    for (int i = 0; i < kNumParams; i++) {
        saved[i] = first.effect->getParameter(first.effect, i);
        first.dispatch(effGetParamDisplay, i, 0, shown[i]);
    }

    // ...and restores it into a new one, as when a project is opened.
    second.start(kRate, kBlock);
    second.dispatch(effSetProgramName, 0, 0, savedName);
    for (int i = 0; i < kNumParams; i++) second.effect->setParameter(second.effect, i, saved[i]);
    char restoredName[kVstMaxProgNameLen + 40] = {};
    second.dispatch(effGetProgramName, 0, 0, restoredName);
    int wrong = 0;
    for (int i = 0; i < kNumParams; i++) {
        char text[64] = {};
        second.dispatch(effGetParamDisplay, i, 0, text);
        float v = second.effect->getParameter(second.effect, i);
        wrong += std::memcmp(&v, &saved[i], sizeof(v)) != 0 || std::strcmp(text, shown[i]) != 0 ||
                 std::memcmp(&saved[i], &values[i], sizeof(v)) != 0;
    }

    // Both play the same notes the same, to the bit.
    MidiEventBlock notes;
    notes.add(0, 0x90, 48, 90);
    notes.add(100, 0x90, 67, 110);
    std::vector<float> a(2 * kBlock), b(2 * kBlock);
    first.events(notes.get());
    first.render(a.data(), a.data() + kBlock, kBlock);
    second.events(notes.get());
    second.render(b.data(), b.data() + kBlock, kBlock);
    bool sameSound = std::memcmp(a.data(), b.data(), a.size() * sizeof(float)) == 0;

    bool nameKept = std::strlen(savedName) < kVstMaxProgNameLen && std::strcmp(savedName, restoredName) == 0;
    r.detail = format("program name \"%s\" and %d values restored into a new instance", restoredName, kNumParams);
    if (!nameKept || wrong || !sameSound) {
        r.outcome = Outcome::kFailed;
        r.detail += format("\n                          name %s, %d values or displays differ, the sound %s",
                           nameKept ? "kept" : "lost or too long", wrong, sameSound ? "matches" : "differs");
    }
    return r;
}

}  // namespace validate
