// The VST 3 instrument driven by any program of host calls, through its
// factory as hosts reach it: process blocks of any size (up to 8192 frames)
// with event lists of notes at any offset, pitch, velocity, channel, bus and
// type, parameter queues with any IDs, offsets and value bits (NaN and
// infinities too), host objects that claim more than they hold, any output
// layout; rates and block sizes of every kind; states of any bytes, of our
// own layout bent, of the VST 2 plug-in's banks and programs, truncated,
// read in short pieces and from the middle of a larger stream; the
// controller's parameter, text and MIDI-mapping calls; and the life-cycle
// calls in any order.
//
// What must hold: every frame written is finite and nothing outside the
// frames is touched; a refused block or state changes nothing; the
// controller reads the same values from a state as the processor; the
// plug-in keeps no reference to what a call lends it.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "plugin/vst3/vst3_description.h"
#include "tests/fuzz/fuzz_check.h"

using namespace v3;

extern "C" IPluginFactory* V3_API GetPluginFactory();

namespace {

constexpr int32 kMaxFrames = 8192;
constexpr size_t kGuardFloats = 16;
constexpr uint32_t kUntouched = 0x7FA5A5A5;  // a NaN no render makes
constexpr int kMaxCalls = 96;
constexpr int kMaxFramesPerInput = 1 << 16;
constexpr int kMaxEvents = 80;
constexpr int kMaxQueues = 80;  // more than the processor takes
constexpr int kMaxPoints = 12;

float floatFromBits(uint32_t bits) {
    float f;
    std::memcpy(&f, &bits, sizeof f);
    return f;
}

uint32_t bitsOf(float f) {
    uint32_t bits;
    std::memcpy(&bits, &f, sizeof bits);
    return bits;
}

// Host objects live on the fuzzer's stack; their count only shows whether
// the plug-in kept a reference.
template <class Base>
class Lent : public Base {
public:
    tresult V3_API queryInterface(const TUID, void** obj) override {
        if (obj) *obj = nullptr;
        return kNoInterface;
    }
    uint32 V3_API addRef() override { return ++refs; }
    uint32 V3_API release() override { return --refs; }
    uint32 refs = 1;
};

// A stream over bytes, starting at `start` (a window into a larger file),
// giving at most `piece` bytes a read, failing every read after `reads`.
class FuzzStream final : public Lent<IBStream> {
public:
    tresult V3_API read(void* buffer, int32 numBytes, int32* numBytesRead) override {
        if (numBytesRead) *numBytesRead = 0;
        FUZZ_CHECK(numBytes >= 0 && (buffer || numBytes == 0), "read of %d bytes into %p", numBytes, buffer);
        if (reads-- <= 0) return kResultFalse;
        int64 n = std::min<int64>(numBytes, (int64)bytes.size() - position);
        if (piece > 0) n = std::min<int64>(n, piece);
        if (n > 0) std::memcpy(buffer, bytes.data() + position, (size_t)n);
        position += n > 0 ? n : 0;
        if (numBytesRead) *numBytesRead = (int32)(n > 0 ? n : 0);
        return kResultOk;
    }
    tresult V3_API write(void* buffer, int32 numBytes, int32* numBytesWritten) override {
        if (numBytesWritten) *numBytesWritten = 0;
        FUZZ_CHECK(numBytes >= 0 && (buffer || numBytes == 0), "write of %d bytes from %p", numBytes, buffer);
        bytes.insert(bytes.begin() + position, (const uint8_t*)buffer, (const uint8_t*)buffer + numBytes);
        position += numBytes;
        if (numBytesWritten) *numBytesWritten = numBytes;
        return kResultOk;
    }
    tresult V3_API seek(int64 pos, int32 mode, int64* result) override {
        int64 base = mode == kIBSeekSet ? 0 : mode == kIBSeekCur ? position : (int64)bytes.size();
        if (base + pos < 0 || base + pos > (int64)bytes.size()) return kInvalidArgument;
        position = base + pos;
        if (result) *result = position;
        return kResultOk;
    }
    tresult V3_API tell(int64* pos) override {
        if (!pos) return kInvalidArgument;
        *pos = position;
        return kResultOk;
    }

    std::vector<uint8_t> bytes;
    int64 position = 0;
    int32 piece = 0;
    int reads = 1 << 20;
};

// Events as given, with a count that may claim more than there are.
class FuzzEvents final : public Lent<IEventList> {
public:
    int32 V3_API getEventCount() override { return claimed; }
    tresult V3_API getEvent(int32 index, Event& e) override {
        if (index < 0 || index >= (int32)events.size()) return kInvalidArgument;
        e = events[(size_t)index];
        return kResultOk;
    }
    tresult V3_API addEvent(Event&) override { return kResultFalse; }
    std::vector<Event> events;
    int32 claimed = 0;
};

class FuzzQueue final : public Lent<IParamValueQueue> {
public:
    ParamID V3_API getParameterId() override { return id; }
    int32 V3_API getPointCount() override { return claimed; }
    tresult V3_API getPoint(int32 index, int32& sampleOffset, ParamValue& value) override {
        if (index < 0 || index >= (int32)points.size()) return kInvalidArgument;
        sampleOffset = points[(size_t)index].first;
        value = points[(size_t)index].second;
        return kResultOk;
    }
    tresult V3_API addPoint(int32, ParamValue, int32&) override { return kResultFalse; }
    ParamID id = 0;
    std::vector<std::pair<int32, ParamValue>> points;
    int32 claimed = 0;
};

// Queues as given; asked for one it does not hold, it answers null.
class FuzzChanges final : public Lent<IParameterChanges> {
public:
    int32 V3_API getParameterCount() override { return claimed; }
    IParamValueQueue* V3_API getParameterData(int32 index) override {
        return index >= 0 && index < (int32)queues.size() ? &queues[(size_t)index] : nullptr;
    }
    IParamValueQueue* V3_API addParameterData(const ParamID&, int32&) override { return nullptr; }
    std::vector<FuzzQueue> queues;
    int32 claimed = 0;
};

void putBig32(std::vector<uint8_t>& out, uint32_t v) {
    for (int i = 3; i >= 0; i--) out.push_back((uint8_t)(v >> (8 * i)));
}

void putLittle32(std::vector<uint8_t>& out, uint32_t v) {
    for (int i = 0; i < 4; i++) out.push_back((uint8_t)(v >> (8 * i)));
}

void putTag(std::vector<uint8_t>& out, const char* tag) { out.insert(out.end(), tag, tag + 4); }

class Session {
public:
    explicit Session(FuzzedDataProvider& in) : in(in) {
        factory = GetPluginFactory();
        FUZZ_CHECK(factory != nullptr, "no factory");
        void* made = nullptr;
        FUZZ_CHECK(
            factory->createInstance(toTuid(kProcessorUid).bytes, IComponent::iid.bytes, &made) == kResultOk && made,
            "no processor");
        component = static_cast<IComponent*>(made);
        made = nullptr;
        FUZZ_CHECK(component->queryInterface(IAudioProcessor::iid.bytes, &made) == kResultOk && made,
                   "no IAudioProcessor");
        audio = static_cast<IAudioProcessor*>(made);
        Tuid controllerCid;
        FUZZ_CHECK(component->getControllerClassId(controllerCid.bytes) == kResultOk, "no controller class");
        made = nullptr;
        FUZZ_CHECK(factory->createInstance(controllerCid.bytes, IEditController::iid.bytes, &made) == kResultOk && made,
                   "no controller");
        controller = static_cast<IEditController*>(made);
        made = nullptr;
        FUZZ_CHECK(controller->queryInterface(IMidiMapping::iid.bytes, &made) == kResultOk && made, "no IMidiMapping");
        mapping = static_cast<IMidiMapping*>(made);
        FUZZ_CHECK(component->initialize(nullptr) == kResultOk && controller->initialize(nullptr) == kResultOk,
                   "initialize refused");
        for (int32 i = 0; i < controller->getParameterCount(); i++) {
            v3::ParameterInfo info{};
            if (controller->getParameterInfo(i, info) == kResultOk) ids.push_back(info.id);
        }
        setup(44100, 1024);
        component->setActive(1);
        audio->setProcessing(1);
    }

    ~Session() {
        audio->setProcessing(0);
        component->setActive(0);
        controller->terminate();
        component->terminate();
        mapping->release();
        controller->release();
        audio->release();
        FUZZ_CHECK(component->release() == 0, "the processor is still referenced");
        factory->release();
    }

    void run() {
        for (int call = 0; call < kMaxCalls && in.remaining_bytes() > 0; call++) {
            switch (in.ConsumeIntegralInRange(0, 12)) {
                case 0:
                case 1:
                case 2:
                case 3:
                    process();
                    break;
                case 4:
                    rate();
                    break;
                case 5:
                case 6:
                    state();
                    break;
                case 7:
                    parameterText();
                    break;
                case 8:
                    parameterValue();
                    break;
                case 9:
                    midiMapping();
                    break;
                case 10:
                    buses();
                    break;
                default:
                    lifeCycle();
                    break;
            }
        }
    }

private:
    double anyDouble() {
        switch (in.ConsumeIntegralInRange(0, 5)) {
            case 0:
                return std::numeric_limits<double>::quiet_NaN();
            case 1:
                return in.ConsumeBool() ? INFINITY : -INFINITY;
            case 2: {
                uint64_t bits = in.ConsumeIntegral<uint64_t>();
                double d;
                std::memcpy(&d, &bits, sizeof d);
                return d;
            }
            case 3:
                return in.ConsumeFloatingPointInRange(-0.5, 1.5);
            default:
                return in.ConsumeProbability<double>();
        }
    }

    ParamID anyId() {
        switch (in.ConsumeIntegralInRange(0, 4)) {
            case 0:
                return in.ConsumeIntegral<ParamID>();
            case 1:
                return kControllerParamBase + in.ConsumeIntegralInRange<ParamID>(0, 130);
            case 2:
                return 0x80000000u + in.ConsumeIntegralInRange<ParamID>(0, 4);
            default:
                return in.ConsumeIntegralInRange<ParamID>(0, kNumParams);
        }
    }

    int32 offset(int32 frames) {
        switch (in.ConsumeIntegralInRange(0, 5)) {
            case 0:
                return in.ConsumeIntegral<int32>();
            case 1:
                return frames + in.ConsumeIntegralInRange(-1, 3);
            case 2:
                return -in.ConsumeIntegralInRange(1, 3);
            default:
                return in.ConsumeIntegralInRange(0, frames > 0 ? frames - 1 : 0);
        }
    }

    void setup(double sampleRate, int32 maxBlock) {
        ProcessSetup ps{kRealtime, kSample32, maxBlock, sampleRate};
        audio->setupProcessing(ps);
    }

    // A rate and largest block as hosts change them: switched off, set up,
    // switched on, with the steps in any order or left out.
    void rate() {
        static const double kRates[] = {22050,     32000,     44100,     48000,     88200, 96000, 192000, 384000,
                                        1234.5678, 12345.678, 123456.78, 1234567.8, 999.9, 0,     -44100, 1e300};
        double sampleRate = in.ConsumeBool() ? kRates[in.ConsumeIntegralInRange<size_t>(0, 15)] : anyDouble();
        static const int32 kBlocks[] = {1, 64, 512, 1024, 4096, 8192, 0, -1};
        int32 maxBlock = in.ConsumeBool() ? kBlocks[in.ConsumeIntegralInRange(0, 7)] : in.ConsumeIntegral<int32>();
        ProcessSetup ps{in.ConsumeIntegralInRange(-1, 3), in.ConsumeIntegralInRange(0, 7) == 0 ? kSample64 : kSample32,
                        maxBlock, sampleRate};
        const int order = in.ConsumeIntegralInRange(0, 3);
        if (order != 3) {
            audio->setProcessing(0);
            component->setActive(0);
        }
        audio->setupProcessing(ps);
        if (order != 2) {
            FUZZ_CHECK(component->setActive(1) == kResultOk, "setActive refused after setupProcessing");
            audio->setProcessing(order != 1);
        }
    }

    void lifeCycle() {
        switch (in.ConsumeIntegralInRange(0, 6)) {
            case 0:
                FUZZ_CHECK(component->terminate() == kResultOk && component->initialize(nullptr) == kResultOk,
                           "terminate and initialize refused");
                break;
            case 1:
                FUZZ_CHECK(component->setActive(in.ConsumeIntegral<uint8_t>()) == kResultOk, "setActive refused");
                break;
            case 2:
                FUZZ_CHECK(audio->setProcessing(in.ConsumeIntegral<uint8_t>()) == kResultOk, "setProcessing refused");
                break;
            case 3:
                component->setIoMode(in.ConsumeIntegral<int32>());
                break;
            case 4:
                audio->getTailSamples();
                FUZZ_CHECK(audio->getLatencySamples() == 0, "latency reported");
                break;
            case 5:
                controller->terminate();
                FUZZ_CHECK(controller->initialize(nullptr) == kResultOk, "controller initialize refused");
                break;
            default:
                audio->canProcessSampleSize(in.ConsumeIntegral<int32>());
                break;
        }
    }

    void buses() {
        const MediaType type = in.ConsumeIntegralInRange(-1, 2);
        const BusDirection dir = in.ConsumeIntegralInRange(-1, 2);
        const int32 index = in.ConsumeBool() ? in.ConsumeIntegralInRange(-1, 2) : in.ConsumeIntegral<int32>();
        switch (in.ConsumeIntegralInRange(0, 3)) {
            case 0: {
                BusInfo info{};
                if (component->getBusInfo(type, dir, index, info) == kResultOk)
                    FUZZ_CHECK(info.channelCount > 0 && info.name[0] != 0, "a bus without channels or name");
                break;
            }
            case 1:
                component->activateBus(type, dir, index, in.ConsumeIntegral<uint8_t>());
                break;
            case 2: {
                SpeakerArrangement arrangement = 0;
                component->getBusCount(type, dir);
                audio->getBusArrangement(dir, index, arrangement);
                break;
            }
            default: {
                std::vector<SpeakerArrangement> ins(in.ConsumeIntegralInRange(0, 3)),
                    outs(in.ConsumeIntegralInRange(0, 3));
                for (auto& a : ins) a = in.ConsumeIntegral<uint64>();
                for (auto& a : outs) a = in.ConsumeBool() ? kSpeakerArrStereo : in.ConsumeIntegral<uint64>();
                tresult r = audio->setBusArrangements(ins.data(), (int32)ins.size(), outs.data(), (int32)outs.size());
                SpeakerArrangement kept = 0;
                FUZZ_CHECK(audio->getBusArrangement(kOutput, 0, kept) == kResultOk && kept == kSpeakerArrStereo,
                           "the output is no longer stereo (setBusArrangements answered %d)", r);
                break;
            }
        }
    }

    void fillEvents(FuzzEvents& list, int32 frames) {
        const int count = in.ConsumeIntegralInRange(0, kMaxEvents);
        for (int i = 0; i < count; i++) {
            Event e{};
            e.busIndex = in.ConsumeIntegralInRange(0, 15) == 0 ? in.ConsumeIntegral<int32>() : 0;
            e.sampleOffset = offset(frames);
            e.flags = in.ConsumeIntegral<uint16>();
            const int kind = in.ConsumeIntegralInRange(0, 7);
            e.type = kind < 3 ? kNoteOnEvent : kind < 6 ? kNoteOffEvent : in.ConsumeIntegral<uint16>();
            std::vector<uint8_t> raw = in.ConsumeBytes<uint8_t>(kEventUnionBytes);
            if (!raw.empty()) std::memcpy(e.bytes, raw.data(), raw.size());
            if (e.type == kNoteOnEvent || e.type == kNoteOffEvent) {
                int16 channel =
                    in.ConsumeBool() ? in.ConsumeIntegralInRange<int16>(0, 15) : in.ConsumeIntegral<int16>();
                int16 pitch = in.ConsumeBool() ? in.ConsumeIntegralInRange<int16>(0, 127) : in.ConsumeIntegral<int16>();
                float velocity = in.ConsumeBool() ? in.ConsumeProbability<float>() : (float)anyDouble();
                if (e.type == kNoteOnEvent) {
                    e.noteOn.channel = channel, e.noteOn.pitch = pitch, e.noteOn.velocity = velocity;
                } else {
                    e.noteOff.channel = channel, e.noteOff.pitch = pitch, e.noteOff.velocity = velocity;
                }
            } else if (e.type == kDataEvent) {
                e.data.bytes = nullptr;  // a record the plug-in must not follow
            }
            list.events.push_back(e);
        }
        list.claimed = in.ConsumeIntegralInRange(0, 15) == 0 ? in.ConsumeIntegralInRange(-2, count + 3) : count;
    }

    void fillChanges(FuzzChanges& changes, int32 frames) {
        const int count = in.ConsumeIntegralInRange(0, in.ConsumeBool() ? 6 : kMaxQueues);
        changes.queues.resize((size_t)count);
        for (FuzzQueue& q : changes.queues) {
            q.id = anyId();
            const int points = in.ConsumeIntegralInRange(0, kMaxPoints);
            for (int p = 0; p < points; p++) q.points.push_back({offset(frames), anyDouble()});
            q.claimed = in.ConsumeIntegralInRange(0, 15) == 0 ? in.ConsumeIntegralInRange(-2, points + 3) : points;
        }
        changes.claimed = in.ConsumeIntegralInRange(0, 15) == 0 ? in.ConsumeIntegralInRange(-2, count + 3) : count;
    }

    // One block into guarded buffers: any number of output buses and
    // channels (null where the host has none), every float a NaN no render
    // makes, so a frame left unwritten shows as well as a stray write.
    void process() {
        int32 frames;
        const int kind = in.ConsumeIntegralInRange(0, 9);
        if (kind == 0)
            frames = in.ConsumeIntegralInRange(-kMaxFrames, 0);
        else if (kind < 4)
            frames = in.ConsumeIntegralInRange(0, 64);
        else
            frames = in.ConsumeIntegralInRange(0, kMaxFrames);
        frames = std::min(frames, budget);
        budget -= std::max(frames, 0);
        const size_t n = (size_t)std::max(frames, 0);

        const int32 buses = in.ConsumeIntegralInRange(0, 2);
        std::vector<AudioBusBuffers> out((size_t)buses);
        std::vector<std::vector<float>> channels;
        std::vector<std::vector<float*>> pointers((size_t)buses);
        for (int32 b = 0; b < buses; b++) {
            out[(size_t)b].numChannels = in.ConsumeIntegralInRange(0, 3);
            out[(size_t)b].silenceFlags = in.ConsumeIntegral<uint64>();
            for (int32 c = 0; c < out[(size_t)b].numChannels; c++) {
                channels.emplace_back(kGuardFloats + n + kGuardFloats, floatFromBits(kUntouched));
                pointers[(size_t)b].push_back(
                    in.ConsumeIntegralInRange(0, 15) == 0 ? nullptr : channels.back().data() + kGuardFloats);
            }
            out[(size_t)b].channelBuffers32 =
                in.ConsumeIntegralInRange(0, 15) == 0 ? nullptr : pointers[(size_t)b].data();
        }
        FuzzEvents events;
        FuzzChanges changes;
        fillEvents(events, frames);
        fillChanges(changes, frames);

        ProcessData data{};
        data.processMode = in.ConsumeIntegralInRange(0, 2);
        data.symbolicSampleSize = in.ConsumeIntegralInRange(0, 15) == 0 ? kSample64 : kSample32;
        data.numSamples = frames;
        data.numOutputs = buses;
        data.outputs = buses > 0 && in.ConsumeIntegralInRange(0, 15) != 0 ? out.data() : nullptr;
        data.inputEvents = in.ConsumeIntegralInRange(0, 7) == 0 ? nullptr : &events;
        data.inputParameterChanges = in.ConsumeIntegralInRange(0, 7) == 0 ? nullptr : &changes;
        const tresult result = audio->process(data);

        FUZZ_CHECK(events.refs == 1 && changes.refs == 1, "process kept the event list or the changes");
        for (FuzzQueue& q : changes.queues) FUZZ_CHECK(q.refs == 1, "process kept a queue");
        if (data.symbolicSampleSize == kSample32) FUZZ_CHECK(result == kResultOk, "process answered %d", result);
        const bool wrote = result == kResultOk && data.outputs && frames > 0;
        size_t at = 0;
        for (int32 b = 0; b < buses; b++) {
            for (int32 c = 0; c < out[(size_t)b].numChannels; c++) {
                const std::vector<float>& ch = channels[at++];
                const bool written = wrote && b == 0 && out[0].channelBuffers32 && pointers[0][(size_t)c];
                bool zero = true;
                for (size_t i = 0; i < ch.size(); i++) {
                    const bool inside = i >= kGuardFloats && i < kGuardFloats + n;
                    if (inside && written) {
                        FUZZ_CHECK(std::isfinite(ch[i]), "bus %d channel %d frame %zu of %d is %g", b, c,
                                   i - kGuardFloats, frames, ch[i]);
                        zero = zero && ch[i] == 0.f;
                    } else {
                        FUZZ_CHECK(bitsOf(ch[i]) == kUntouched, "bus %d channel %d written outside its %d frames", b, c,
                                   written ? frames : 0);
                    }
                }
                if (written && c >= 2) FUZZ_CHECK(zero, "channel %d is not ours but was played into", c);
                if (written && ((out[0].silenceFlags >> c) & 1))
                    FUZZ_CHECK(zero, "channel %d flagged silent but sounding", c);
            }
        }
    }

    // A state of one of the kinds a host may hand over.
    std::vector<uint8_t> stateBytes() {
        std::vector<uint8_t> s;
        switch (in.ConsumeIntegralInRange(0, 4)) {
            case 0:
                return in.ConsumeBytes<uint8_t>(in.ConsumeIntegralInRange(0, 200));
            case 1: {  // ours, bent
                putTag(s, kStateMagic);
                putLittle32(s, in.ConsumeBool() ? kStateVersion : in.ConsumeIntegral<uint32_t>());
                const uint32_t count = in.ConsumeBool()   ? (uint32_t)kNumParams
                                       : in.ConsumeBool() ? in.ConsumeIntegralInRange<uint32_t>(0, 12)
                                                          : in.ConsumeIntegral<uint32_t>();
                for (uint32_t i = 0; i < std::min<uint32_t>(count, 12); i++)
                    putLittle32(
                        s, in.ConsumeBool() ? bitsOf(in.ConsumeProbability<float>()) : in.ConsumeIntegral<uint32_t>());
                break;
            }
            case 2: {  // the VST 2 plug-in's bank or program, maybe behind a wrapper's header
                if (in.ConsumeBool()) {
                    putTag(s, "VstW");
                    putBig32(s, in.ConsumeBool() ? 8 : in.ConsumeIntegralInRange<uint32_t>(0, 80));
                    putBig32(s, 1);
                    putBig32(s, in.ConsumeIntegralInRange(0, 1));
                }
                static const char* kBankTags[] = {"FxBk", "FBCh", "FxCk", "FPCh", "junk"};
                const char* bankTag = kBankTags[in.ConsumeIntegralInRange(0, 4)];
                putTag(s, "CcnK");
                putBig32(s, in.ConsumeIntegral<uint32_t>());
                putTag(s, bankTag);
                const bool program = std::strcmp(bankTag, "FxCk") == 0;
                putBig32(s, in.ConsumeIntegralInRange<uint32_t>(0, 2));
                putTag(s, in.ConsumeBool() ? kQeltUniqueId : "Othr");
                putBig32(s, 1);
                putBig32(s, in.ConsumeBool() ? (program ? kNumParams : 1) : in.ConsumeIntegral<uint32_t>());
                if (!program) {
                    s.resize(s.size() + (in.ConsumeBool() ? 128 : in.ConsumeIntegralInRange(0, 140)), 0);
                    putTag(s, "CcnK");
                    putBig32(s, in.ConsumeIntegral<uint32_t>());
                    putTag(s, in.ConsumeBool() ? "FxCk" : "FPCh");
                    putBig32(s, 1);
                    putTag(s, in.ConsumeBool() ? kQeltUniqueId : "Othr");
                    putBig32(s, 1);
                    putBig32(s, in.ConsumeBool() ? kNumParams : in.ConsumeIntegral<uint32_t>());
                }
                s.resize(s.size() + 28, 'n');
                for (int i = in.ConsumeIntegralInRange(0, 8); i > 0; i--)
                    putBig32(
                        s, in.ConsumeBool() ? bitsOf(in.ConsumeProbability<float>()) : in.ConsumeIntegral<uint32_t>());
                break;
            }
            default: {  // the processor's own, with a few bytes changed
                FuzzStream saved;
                component->getState(&saved);
                s = saved.bytes;
                for (int i = in.ConsumeIntegralInRange(0, 3); i > 0 && !s.empty(); i--)
                    s[in.ConsumeIntegralInRange<size_t>(0, s.size() - 1)] = in.ConsumeIntegral<uint8_t>();
                break;
            }
        }
        if (in.ConsumeIntegralInRange(0, 3) == 0 && !s.empty())
            s.resize(in.ConsumeIntegralInRange<size_t>(0, s.size()));
        return s;
    }

    std::vector<uint8_t> processorState() {
        FuzzStream saved;
        FUZZ_CHECK(component->getState(&saved) == kResultOk, "getState refused");
        FUZZ_CHECK(saved.refs == 1, "getState kept the stream");
        return saved.bytes;
    }

    // The values of a state of ours, as the processor writes it.
    static std::vector<float> valuesOf(const std::vector<uint8_t>& s) {
        FUZZ_CHECK(s.size() == kStateBytes && std::memcmp(s.data(), kStateMagic, 4) == 0, "getState wrote %zu bytes",
                   s.size());
        std::vector<float> values;
        for (int i = 0; i < kNumParams; i++)
            values.push_back(floatFromBits(getLittle32(s.data() + kStateHeaderBytes + 4 * i)));
        return values;
    }

    // A state loaded as hosts load a project: the processor, then the
    // controller from the same bytes; both refuse it or both take the same
    // values, and a refused state changes nothing.
    void state() {
        const std::vector<uint8_t> before = processorState();
        FuzzStream sync;
        sync.bytes = before;
        FUZZ_CHECK(controller->setComponentState(&sync) == kResultOk, "the controller refused the processor's state");

        const std::vector<uint8_t> bytes = stateBytes();
        const size_t prefix = in.ConsumeBool() ? 0 : in.ConsumeIntegralInRange<size_t>(1, 40);
        const int32 piece = in.ConsumeBool() ? 0 : in.ConsumeIntegralInRange(1, 7);
        const int reads = in.ConsumeIntegralInRange(0, 7) == 0 ? in.ConsumeIntegralInRange(0, 12) : 1 << 20;
        FuzzStream forProcessor, forController;
        for (FuzzStream* s : {&forProcessor, &forController}) {
            s->bytes.assign(prefix, 0xEE);
            s->bytes.insert(s->bytes.end(), bytes.begin(), bytes.end());
            s->position = (int64)prefix;
            s->piece = piece;
            s->reads = reads;
        }
        const tresult processorResult = component->setState(&forProcessor);
        const tresult controllerResult = controller->setComponentState(&forController);
        FUZZ_CHECK(forProcessor.refs == 1 && forController.refs == 1, "setState kept the stream");
        FUZZ_CHECK((processorResult == kResultOk) == (controllerResult == kResultOk),
                   "the processor answered %d and the controller %d to the same state", processorResult,
                   controllerResult);
        const std::vector<uint8_t> after = processorState();
        if (processorResult != kResultOk) FUZZ_CHECK(after == before, "a refused state changed the values");
        const std::vector<float> values = valuesOf(after);
        for (int i = 0; i < kNumParams; i++) {
            FUZZ_CHECK(std::isfinite(values[i]) && values[i] >= 0.f && values[i] <= 1.f, "parameter %d is %g", i,
                       values[i]);
            const float shown = (float)controller->getParamNormalized((ParamID)i);
            FUZZ_CHECK(bitsOf(shown) == bitsOf(values[i]), "parameter %d: the controller has %g, the processor %g", i,
                       shown, values[i]);
        }
    }

    void parameterText() {
        const ParamID id = anyId();
        String128 text;
        for (char16& c : text) c = 0xFFFF;
        if (in.ConsumeBool()) {
            if (controller->getParamStringByValue(id, anyDouble(), text) == kResultOk)
                FUZZ_CHECK(std::char_traits<char16>::find(text, 128, 0) != nullptr, "a display text without its end");
            return;
        }
        std::string typed = in.ConsumeRandomLengthString(127);
        for (size_t i = 0; i < typed.size(); i++) text[i] = (char16)(unsigned char)typed[i];
        text[typed.size()] = 0;
        ParamValue value = 0.5;
        if (controller->getParamValueByString(id, text, value) == kResultOk)
            FUZZ_CHECK(std::isfinite(value) && value >= 0 && value <= 1, "'%s' reads as %g", typed.c_str(), value);
    }

    void parameterValue() {
        const ParamID id = anyId();
        switch (in.ConsumeIntegralInRange(0, 3)) {
            case 0: {
                v3::ParameterInfo info{};
                const int32 index = in.ConsumeBool() ? in.ConsumeIntegralInRange(-1, 20) : in.ConsumeIntegral<int32>();
                if (controller->getParameterInfo(index, info) == kResultOk)
                    FUZZ_CHECK(info.title[0] && info.defaultNormalizedValue >= 0 && info.defaultNormalizedValue <= 1,
                               "parameter %d has no title or its default is %g", index, info.defaultNormalizedValue);
                break;
            }
            case 1:
                controller->normalizedParamToPlain(id, anyDouble());
                controller->plainParamToNormalized(id, anyDouble());
                break;
            default: {
                const ParamValue v = anyDouble();
                if (controller->setParamNormalized(id, v) == kResultOk) {
                    const ParamValue shown = controller->getParamNormalized(id);
                    FUZZ_CHECK(std::isfinite(shown) && shown >= 0 && shown <= 1, "parameter %u set to %g reads %g", id,
                               v, shown);
                }
                break;
            }
        }
    }

    // A controller the host is told to send as a parameter must be one the
    // controller lists.
    void midiMapping() {
        const int32 bus = in.ConsumeBool() ? 0 : in.ConsumeIntegral<int32>();
        const int16 channel = in.ConsumeBool() ? in.ConsumeIntegralInRange<int16>(0, 15) : in.ConsumeIntegral<int16>();
        const CtrlNumber number =
            in.ConsumeBool() ? in.ConsumeIntegralInRange<CtrlNumber>(0, 130) : in.ConsumeIntegral<CtrlNumber>();
        ParamID id = 0;
        if (mapping->getMidiControllerAssignment(bus, channel, number, id) != kResultTrue) return;
        FUZZ_CHECK(std::find(ids.begin(), ids.end(), id) != ids.end(), "controller %d maps to unlisted parameter %u",
                   number, id);
    }

    FuzzedDataProvider& in;
    IPluginFactory* factory = nullptr;
    IComponent* component = nullptr;
    IAudioProcessor* audio = nullptr;
    IEditController* controller = nullptr;
    IMidiMapping* mapping = nullptr;
    std::vector<ParamID> ids;
    int32 budget = kMaxFramesPerInput;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider in(data, size);
    Session session(in);
    session.run();
    return 0;
}
