// The validator's VST 3 side (Linux): the bundle loaded through its entries
// by the project's VST 3 host and driven as the render matrix's player, each
// process call watched as an audio call; and what VST 3 hosts and its
// validator do their own way: one instance through the life cycle (buses,
// rates down to 1234.5678 Hz, switched on and off, flushes, terminate and
// initialize again), what the two halves describe, many instances made and
// freed, and the state saved and loaded into a new instance.
#include <algorithm>
#include <atomic>
#include <bitset>
#include <cmath>
#include <cstring>
#include <limits>
#include <set>
#include <thread>

#include "tools/validate/audio_guard.h"
#include "tools/validate/validation.h"
#include "tools/vst3host/vst3_host.h"

namespace validate {
namespace {

using namespace v3host;

constexpr float kRate = 44100.f;
constexpr int32 kBlock = 512;
constexpr int kWarmUpCycles = 10;
constexpr VstInt32 kFirstKey = 21, kKeyLimit = 128;
constexpr unsigned char kKeyVelocity = 100;
constexpr int32 kParameterLimit = 5;  // the sound parameters the matrix automates

// The bundle's module, loaded once for the run as a host does.
Vst3Module* module(const std::string& bundle, std::string* error) {
    static std::unique_ptr<Vst3Module> loaded;
    static std::string loadError;
    if (!loaded && loadError.empty()) {
        loaded.reset(new Vst3Module());
        if (!loaded->load(bundle, &loadError)) loaded.reset();
    }
    if (!loaded && error) *error = loadError;
    return loaded.get();
}

// One block's audio call as a host's audio thread makes it: output into the
// caller's two channels (none for a flush), watched.
tresult processWatched(Vst3Instance& instance, float* left, float* right, int32 frames, EventList* events,
                       ParameterChanges* changes, uint64* silenceFlags = nullptr, uint64 flagsIn = 0) {
    float* channels[2] = {left, right};
    AudioBusBuffers out{};
    out.numChannels = 2;
    out.silenceFlags = flagsIn;
    out.channelBuffers32 = channels;
    ProcessData data{};
    data.processMode = kRealtime;
    data.symbolicSampleSize = kSample32;
    data.numSamples = frames;
    data.numOutputs = frames > 0 ? 1 : 0;
    data.outputs = frames > 0 ? &out : nullptr;
    data.inputParameterChanges = changes;
    data.inputEvents = events;
    tresult result;
    {
        audioguard::AudioCall watched;
        result = instance.audio()->process(data);
    }
    if (silenceFlags) *silenceFlags = out.silenceFlags;
    return result;
}

// The instrument as the matrix drives it: MIDI becomes events and mapped
// controller points as a VST 3 host sends them, a parameter a point at the
// next block's first frame, a key a note from an on-screen keyboard.
class Vst3Player final : public AudioPlayer {
public:
    explicit Vst3Player(const Settings& s) : loaded(module(s.vst3Bundle, nullptr)) {}
    ~Vst3Player() override {
        if (mapping) mapping->release();
    }

    bool ok() const override { return loaded != nullptr; }
    void start(float rate, VstInt32 maxBlock) override {
        if (!loaded) return;
        Vst3Setup setup;
        setup.sampleRate = rate;
        setup.maxBlock = std::max<VstInt32>(maxBlock, 1);
        std::string ignored;
        started = instance.start(*loaded, setup, &ignored);
        if (started) mapping = query<IMidiMapping>(instance.controller());
        fresh();
    }
    void events(VstEvents* block) override {
        for (VstInt32 i = 0; block && i < block->numEvents; i++) {
            const VstEvent* e = block->events[i];
            if (!e || e->type != kVstMidiType) continue;
            const VstMidiEvent* m = reinterpret_cast<const VstMidiEvent*>(e);
            addMidi(mapping,
                    {std::max<VstInt32>(m->deltaFrames, 0), (uint8_t)m->midiData[0], (uint8_t)m->midiData[1],
                     (uint8_t)m->midiData[2]},
                    *pendingEvents.get(), *pendingChanges.get());
        }
    }
    void render(float* left, float* right, VstInt32 frames) override {
        if (!started) return;  // unwritten output shows as the scan's fault
        processWatched(instance, left, right, frames, pendingEvents.get(),
                       pendingChanges->empty() ? nullptr : pendingChanges.get());
        fresh();
    }
    void setParameterOnAudioThread(VstInt32 index, float value) override {
        if (!started || index < 0) return;
        if (index < kParameterLimit)
            pendingChanges->add((ParamID)index, 0, value);
        else if (index >= kFirstKey && index < kKeyLimit)
            addMidi(
                mapping,
                {0, (uint8_t)(value != 0.f ? 0x90 : 0x80), (uint8_t)index, value != 0.f ? kKeyVelocity : (uint8_t)0},
                *pendingEvents.get(), *pendingChanges.get());
    }

private:
    // The next block's lists, made before its audio call.
    void fresh() {
        pendingEvents.reset(new EventList());
        pendingEvents->events.reserve(256);
        pendingChanges.reset(new ParameterChanges());
    }

    Vst3Module* loaded;
    Vst3Instance instance;
    bool started = false;
    IMidiMapping* mapping = nullptr;
    Ref<EventList> pendingEvents;
    Ref<ParameterChanges> pendingChanges;
};

// Every frame finite (the buffers start as NaN, so an unwritten one is not).
bool finiteBlock(const std::vector<float>& left, const std::vector<float>& right, int32 frames) {
    for (int32 i = 0; i < frames; i++)
        if (!std::isfinite(left[(size_t)i]) || !std::isfinite(right[(size_t)i])) return false;
    return true;
}

// Collects what failed, for one line of the summary.
struct Faults {
    std::vector<std::string> seen;
    int steps = 0;
    void expect(bool condition, const std::string& what) {
        steps++;
        if (!condition) seen.push_back(what);
    }
    void expectOk(tresult result, const std::string& what) {
        expect(result == kResultOk, format("%s answered %d", what.c_str(), (int)result));
    }
    void report(CheckResult& r) const {
        if (seen.empty()) return;
        r.outcome = Outcome::kFailed;
        for (size_t i = 0; i < seen.size() && i < 4; i++) r.detail += "\n                          " + seen[i];
        if (seen.size() > 4) r.detail += format("\n                          and %d more", (int)seen.size() - 4);
    }
};

}  // namespace

std::unique_ptr<AudioPlayer> makeVst3Player(const Settings& s) {
    return std::unique_ptr<AudioPlayer>(new Vst3Player(s));
}

std::string describeVst3Plugin(const Settings& s, std::string* error) {
    Vst3Module* m = module(s.vst3Bundle, error);
    if (!m) return std::string();
    Tuid cid;
    if (!m->processorClass(&cid)) {
        *error = "the factory has no audio module class";
        return std::string();
    }
    PClassInfo2 info{};
    bool named = false;
    IPluginFactory2* factory2 = query<IPluginFactory2>(m->factory());
    for (int32 i = 0; factory2 && i < factory2->countClasses() && !named; i++)
        named = factory2->getClassInfo2(i, &info) == kResultOk && std::memcmp(info.cid, cid.bytes, 16) == 0;
    if (factory2) factory2->release();
    Vst3Instance probe;
    std::string why;
    if (!probe.start(*m, Vst3Setup(), &why)) {
        *error = "the instrument did not start: " + why;
        return std::string();
    }
    return format("\"%s\" by %s (%s), VST 3, %d parameters", named ? info.name : "?", named ? info.vendor : "?",
                  named ? info.subCategories : "?", (int)probe.controller()->getParameterCount());
}

// What the two halves describe, as hosts and the VST 3 validator read it:
// named buses that read the same each time and switch on and off, a stereo
// arrangement that matches, parameters with unique IDs below the hosts'
// range, titles and defaults in range, and every mapped MIDI controller a
// listed parameter.
CheckResult checkVst3Description(const Settings& s) {
    CheckResult r{"description", Outcome::kPassed, ""};
    Vst3Instance instance;
    std::string why;
    if (!instance.start(*module(s.vst3Bundle, nullptr), Vst3Setup(), &why)) return {r.name, Outcome::kFailed, why};
    IComponent* c = instance.processor();
    Faults f;
    instance.audio()->setProcessing(0);
    f.expectOk(c->setActive(0), "setActive(false)");
    int buses = 0;
    for (MediaType type : {kAudio, kEvent}) {
        for (BusDirection dir : {kInput, kOutput}) {
            for (int32 i = 0; i < c->getBusCount(type, dir); i++, buses++) {
                BusInfo a{}, b{};
                f.expectOk(c->getBusInfo(type, dir, i, a), format("getBusInfo(%d, %d, %d)", type, dir, i));
                c->getBusInfo(type, dir, i, b);
                f.expect(std::memcmp(&a, &b, sizeof a) == 0,
                         format("bus %d/%d/%d reads differently twice", type, dir, i));
                f.expect(a.name[0] != 0 && a.channelCount > 0,
                         format("bus %d/%d/%d has no name or channels", type, dir, i));
                f.expectOk(c->activateBus(type, dir, i, 0), "activateBus(off)");
                f.expectOk(c->activateBus(type, dir, i, 1), "activateBus(on)");
                SpeakerArrangement arrangement = 0;
                if (type == kAudio) {
                    f.expectOk(instance.audio()->getBusArrangement(dir, i, arrangement), "getBusArrangement");
                    f.expect((int32)std::bitset<64>(arrangement).count() == a.channelCount,
                             format("arrangement %llx against %d channels", (unsigned long long)arrangement,
                                    a.channelCount));
                }
            }
        }
    }
    f.expect(c->getBusCount(kAudio, kOutput) >= 1 && c->getBusCount(kEvent, kInput) >= 1,
             "no audio output or no event input");
    SpeakerArrangement stereo = kSpeakerArrStereo, mono = 1;
    f.expect(instance.audio()->setBusArrangements(nullptr, 0, &stereo, 1) == kResultTrue, "stereo output refused");
    instance.audio()->setBusArrangements(nullptr, 0, &mono, 1);  // may be refused; what it keeps must read right
    SpeakerArrangement kept = 0;
    BusInfo out{};
    c->getBusInfo(kAudio, kOutput, 0, out);
    instance.audio()->getBusArrangement(kOutput, 0, kept);
    f.expect((int32)std::bitset<64>(kept).count() == out.channelCount,
             "a refused arrangement left the bus inconsistent");
    instance.audio()->setBusArrangements(nullptr, 0, &stereo, 1);

    IEditController* e = instance.controller();
    std::set<ParamID> ids;
    const int32 count = e->getParameterCount();
    for (int32 i = 0; i < count; i++) {
        v3::ParameterInfo p{};
        f.expectOk(e->getParameterInfo(i, p), format("getParameterInfo(%d)", i));
        f.expect(ids.insert(p.id).second && p.id < 0x80000000u, format("parameter ID %u repeated or reserved", p.id));
        f.expect(p.title[0] != 0 && p.stepCount >= 0,
                 format("parameter %u has no title or steps %d", p.id, p.stepCount));
        f.expect(p.defaultNormalizedValue >= 0 && p.defaultNormalizedValue <= 1 && p.unitId == kRootUnitId,
                 format("parameter %u: default %g, unit %d", p.id, p.defaultNormalizedValue, p.unitId));
        f.expect(!((p.flags & kCanAutomate) && (p.flags & kIsReadOnly)) && !(p.flags & kIsBypass),
                 format("parameter %u has flags %x", p.id, p.flags));
    }
    IMidiMapping* mapping = query<IMidiMapping>(e);
    int mapped = 0;
    for (int16 channel = 0; mapping && channel < 16; channel++) {
        for (CtrlNumber cc = 0; cc <= 130; cc++) {
            ParamID id = 0;
            if (mapping->getMidiControllerAssignment(0, channel, cc, id) != kResultTrue) continue;
            mapped++;
            f.expect(ids.count(id) == 1, format("controller %d maps to unlisted parameter %u", cc, id));
        }
    }
    if (mapping) mapping->release();
    f.expect(mapping != nullptr, "the controller has no IMidiMapping");
    f.expectOk(c->setActive(1), "setActive(true)");
    f.expectOk(instance.audio()->setProcessing(1), "setProcessing(true)");
    r.detail = format("%d buses, %d parameters, %d controller assignments on 16 channels: %d steps", buses, (int)count,
                      mapped, f.steps);
    f.report(r);
    return r;
}

// One instance through what hosts and the VST 3 validator put it through:
// every rate down to 1234.5678 Hz and up to 1234567.8 Hz set up, switched on,
// played with a note and switched off; switched on and off with the main
// bus off; terminate and initialize on the same object; flushes without
// buffers; blocks of varying size; silence flags the host left set. Every
// call answers kResultOk and every frame is finite.
CheckResult checkVst3LifeCycle(const Settings& s) {
    CheckResult r{"life cycle", Outcome::kPassed, ""};
    Vst3Instance instance;
    std::string why;
    Vst3Setup setup;
    setup.maxBlock = 4096;
    if (!instance.start(*module(s.vst3Bundle, nullptr), setup, &why)) return {r.name, Outcome::kFailed, why};
    IComponent* c = instance.processor();
    IAudioProcessor* a = instance.audio();
    Faults f;
    std::vector<float> left(setup.maxBlock), right(setup.maxBlock);
    int64_t blocks = 0;
    auto play = [&](int32 frames, const char* where) {
        Ref<EventList> notes(new EventList());
        if (frames > 0) notes->noteOn(frames / 2, 60, 0.8f);
        std::fill(left.begin(), left.end(), std::numeric_limits<float>::quiet_NaN());
        std::fill(right.begin(), right.end(), std::numeric_limits<float>::quiet_NaN());
        f.expectOk(processWatched(instance, left.data(), right.data(), frames, notes.get(), nullptr),
                   format("process(%d frames) %s", frames, where));
        f.expect(finiteBlock(left, right, frames), format("non-finite output %s", where));
        blocks++;
    };

    f.expectOk(a->setProcessing(0), "setProcessing(false)");
    f.expectOk(a->setProcessing(0), "setProcessing(false) twice");
    f.expectOk(c->setActive(0), "setActive(false)");
    const double rates[] = {22050,  32000,  44100,     48000,     88200,     96000,
                            192000, 384000, 1234.5678, 12345.678, 123456.78, 1234567.8};
    for (double rate : rates) {
        ProcessSetup ps{kRealtime, kSample32, setup.maxBlock, rate};
        std::string where = format("at %g Hz", rate);
        f.expectOk(a->setupProcessing(ps), "setupProcessing " + where);
        f.expectOk(c->setActive(1), "setActive(true) " + where);
        f.expectOk(a->setProcessing(1), "setProcessing(true) " + where);
        play(64, where.c_str());
        f.expectOk(a->setProcessing(0), "setProcessing(false) " + where);
        f.expectOk(c->setActive(0), "setActive(false) " + where);
    }
    // The validator's state transitions: main buses off, terminate, initialize.
    for (int round = 0; round < 4; round++) {
        ProcessSetup ps{kRealtime, kSample32, setup.maxBlock, kRate};
        f.expectOk(a->setupProcessing(ps), "setupProcessing");
        f.expectOk(c->setActive(1), "setActive(true)");
        f.expectOk(c->setActive(0), "setActive(false)");
        f.expectOk(c->activateBus(kAudio, kOutput, 0, 0), "activateBus(output, off)");
        f.expectOk(c->activateBus(kEvent, kInput, 0, 0), "activateBus(events, off)");
        f.expectOk(c->terminate(), format("terminate in round %d", round));
        f.expectOk(c->initialize(nullptr), format("initialize in round %d", round));
        if (round < 2) {
            f.expectOk(c->activateBus(kAudio, kOutput, 0, 1), "activateBus(output, on)");
            f.expectOk(c->activateBus(kEvent, kInput, 0, 1), "activateBus(events, on)");
        }
    }
    c->activateBus(kAudio, kOutput, 0, 1);
    c->activateBus(kEvent, kInput, 0, 1);
    // terminate leaves the processor unconnected: the host connects it again.
    IConnectionPoint* point = query<IConnectionPoint>(c);
    if (point && instance.toController()) {
        point->disconnect(instance.toController());
        f.expectOk(point->connect(instance.toController()), "connect after initialize");
    }
    if (point) point->release();
    ProcessSetup ps{kRealtime, kSample32, setup.maxBlock, kRate};
    f.expectOk(a->setupProcessing(ps), "setupProcessing after terminate");
    f.expectOk(c->setActive(1), "setActive(true) after terminate");
    f.expectOk(a->setProcessing(1), "setProcessing(true) after terminate");

    // Flushes: no buffers, a parameter change, then one without any.
    Ref<ParameterChanges> change(new ParameterChanges());
    change->add(0, 0, 0.25);
    f.expectOk(processWatched(instance, nullptr, nullptr, 0, nullptr, change.get()), "a flush with a change");
    f.expectOk(processWatched(instance, nullptr, nullptr, 0, nullptr, nullptr), "a flush without changes");
    // Varying blocks, the first empty.
    const int32 sizes[] = {0, 1, 4096, 17, 333, 2048, 1, 64, 4095, 2, 1000, 3, 512, 4000, 7, 129, 256, 31, 1024, 5, 64};
    for (int32 n : sizes) play(n, format("in a block of %d", n).c_str());
    // Silence flags left set by the host are cleared where the instrument sounds.
    Ref<EventList> chord(new EventList());
    for (int16 key : {48, 55, 64}) chord->noteOn(0, key, 1.f);
    uint64 flags = 0;
    f.expectOk(processWatched(instance, left.data(), right.data(), 512, chord.get(), nullptr, &flags, 3),
               "process with silence flags set");
    const bool sounding = std::any_of(left.begin(), left.begin() + 512, [](float x) { return x != 0.f; });
    f.expect(sounding && (flags & 1) == 0, format("a sounding block flagged %llx", (unsigned long long)flags));
    // Suspend and resume.
    for (int round = 0; round < 3; round++) {
        f.expectOk(a->setProcessing(0), "setProcessing(false) to suspend");
        f.expectOk(c->setActive(0), "setActive(false) to suspend");
        f.expectOk(a->setupProcessing(ps), "setupProcessing to resume");
        f.expectOk(c->setActive(1), "setActive(true) to resume");
        f.expectOk(a->setProcessing(1), "setProcessing(true) to resume");
        play(256, "after resuming");
    }
    instance.stop();
    for (size_t i = 0; i < instance.stopResults.size(); i++)
        f.expectOk(instance.stopResults[i], format("shut-down step %d", (int)i + 1));
    r.detail = format("%d rates, 4 terminate/initialize rounds, flushes, %lld blocks of varying size: %d steps",
                      (int)(sizeof rates / sizeof rates[0]), (long long)blocks, f.steps);
    f.report(r);
    return r;
}

// What a scanning host does: instances made, played a block and freed;
// the allocations alive after them are the same as before.
CheckResult checkVst3CreateDestroyCycles(const Settings& s) {
    CheckResult r{"create/destroy", Outcome::kPassed, ""};
    Vst3Module* m = module(s.vst3Bundle, nullptr);
    std::vector<float> left(kBlock), right(kBlock);
    int refused = 0, unclean = 0;
    auto cycle = [&] {
        Vst3Instance instance;
        Vst3Setup setup;
        setup.maxBlock = kBlock;
        std::string why;
        if (!instance.start(*m, setup, &why)) {
            refused++;
            return;
        }
        Ref<EventList> note(new EventList());
        note->noteOn(0, 60, 0.8f);
        processWatched(instance, left.data(), right.data(), kBlock, note.get(), nullptr);
        instance.stop();
        unclean += std::any_of(instance.stopResults.begin(), instance.stopResults.end(),
                               [](tresult t) { return t != kResultOk; });
    };
    for (int i = 0; i < kWarmUpCycles; i++) cycle();
    const int64_t before = audioguard::liveAllocations();
    for (int i = 0; i < s.lifecycleCycles; i++) cycle();
    const int64_t after = audioguard::liveAllocations();
    r.detail = format("%d instances made, played and freed; allocations alive before and after: %lld, %lld",
                      s.lifecycleCycles, (long long)before, (long long)after);
    if (after != before || refused || unclean) {
        r.outcome = Outcome::kFailed;
        if (refused || unclean)
            r.detail += format("; %d refused to start, %d shut down with an error", refused, unclean);
    }
    return r;
}

// What a saving host does: values set through a flush, the processor's state
// saved, loaded into a new instance's processor and controller, which then
// show the same values and play the same notes the same; a state of no one's
// is refused and changes nothing.
CheckResult checkVst3StateRoundTrip(const Settings& s) {
    CheckResult r{"saved state", Outcome::kPassed, ""};
    Vst3Module* m = module(s.vst3Bundle, nullptr);
    Vst3Instance first, second;
    std::string why;
    if (!first.start(*m, Vst3Setup(), &why) || !second.start(*m, Vst3Setup(), &why))
        return {r.name, Outcome::kFailed, why};
    Faults f;
    Ref<ParameterChanges> values(new ParameterChanges());
    for (int32 i = 0; i < kParameterLimit; i++) values->add((ParamID)i, 0, 0.13 + 0.17 * i);
    f.expectOk(processWatched(first, nullptr, nullptr, 0, nullptr, values.get()), "the flush setting the values");
    const std::vector<uint8_t> saved = first.saveState();
    f.expect(!saved.empty(), "getState wrote nothing");
    tresult controllerResult = kResultFalse;
    f.expectOk(second.loadState(saved, &controllerResult), "processor setState");
    f.expectOk(controllerResult, "controller setComponentState");
    int wrong = 0;
    for (int32 i = 0; i < kParameterLimit; i++)
        wrong += (float)second.controller()->getParamNormalized((ParamID)i) != (float)(0.13 + 0.17 * i);
    f.expect(wrong == 0, format("%d values differ in the new controller", wrong));
    f.expect(second.saveState() == saved, "the new processor saves another state");

    const std::vector<uint8_t> foreign = {'R', 'I', 'F', 'F', 0, 0, 0, 0, 'W', 'A', 'V', 'E', 1, 2, 3};
    f.expect(second.loadState(foreign, &controllerResult) != kResultOk && controllerResult != kResultOk,
             "a foreign state was taken");
    f.expect(second.saveState() == saved, "a refused state changed the values");

    std::vector<float> la(kBlock), ra(kBlock), lb(kBlock), rb(kBlock);
    for (Vst3Instance* instance : {&first, &second}) {
        Ref<EventList> notes(new EventList());
        notes->noteOn(0, 48, 90 / 127.f);
        notes->noteOn(100, 67, 110 / 127.f);
        const bool a = instance == &first;
        f.expectOk(processWatched(*instance, a ? la.data() : lb.data(), a ? ra.data() : rb.data(), kBlock, notes.get(),
                                  nullptr),
                   "process");
    }
    f.expect(la == lb && ra == rb, "the two instances sound different");
    r.detail =
        format("%d values saved in %d bytes, loaded into a new processor and controller; a foreign state refused",
               (int)kParameterLimit, (int)saved.size());
    f.report(r);
    return r;
}

// A host's two threads on one instance: the audio thread plays without pause
// while the user-interface thread loads one state after another into the
// processor and the controller, as when presets are stepped through during
// playback. Each state reads back at once, and every frame stays finite.
CheckResult checkVst3StateWhilePlaying(const Settings& s) {
    CheckResult r{"state x audio", Outcome::kPassed, ""};
    constexpr int32 kFrames = 256;
    constexpr long kLeastLoads = 2000, kLeastBlocks = 200, kMostSteps = 50000000;
    Vst3Instance instance;
    Vst3Setup setup;
    setup.maxBlock = kFrames;
    std::string why;
    if (!instance.start(*module(s.vst3Bundle, nullptr), setup, &why)) return {r.name, Outcome::kFailed, why};
    std::vector<std::vector<uint8_t>> states;
    for (double v : {0.2, 0.9}) {
        Ref<ParameterChanges> values(new ParameterChanges());
        for (int32 i = 0; i < kParameterLimit; i++) values->add((ParamID)i, 0, v - 0.1 * i);
        processWatched(instance, nullptr, nullptr, 0, nullptr, values.get());
        states.push_back(instance.saveState());
    }

    Ref<EventList> notes(new EventList());
    for (int16 i = 0; i < 4; i++) notes->noteOn(i * 50, (int16)(40 + i * 9), 0.8f);
    std::atomic<bool> stopping{false};
    std::atomic<long> blocks{0};
    OutputScan scan;
    std::thread audio([&] {
        std::vector<float> left(kFrames), right(kFrames);
        for (long b = 0; !stopping; b++) {
            processWatched(instance, left.data(), right.data(), kFrames, b % 4 == 0 ? notes.get() : nullptr, nullptr);
            scan.scan(left.data(), kFrames);
            scan.scan(right.data(), kFrames);
            blocks++;
        }
    });
    long loads = 0, wrong = 0, refused = 0;
    for (long step = 0; step < kMostSteps && (loads < kLeastLoads || blocks < kLeastBlocks); step++, loads++) {
        const std::vector<uint8_t>& state = states[(size_t)(step % 2)];
        tresult controllerResult = kResultFalse;
        refused += instance.loadState(state, &controllerResult) != kResultOk || controllerResult != kResultOk;
        wrong += instance.saveState() != state;
    }
    stopping = true;
    audio.join();
    r.detail = format("%ld states loaded while %ld blocks played; %s", loads, blocks.load(), scan.describe().c_str());
    if (refused || wrong || !scan.clean() || blocks < kLeastBlocks) {
        r.outcome = Outcome::kFailed;
        r.detail += format("\n                          %ld refused, %ld read back otherwise", refused, wrong);
    }
    return r;
}

}  // namespace validate
