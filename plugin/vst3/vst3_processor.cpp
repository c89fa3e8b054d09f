// The instrument's VST 3 processor: the engine behind IComponent and
// IAudioProcessor. One event input bus, one stereo output, 32-bit samples.
// A block plays like a VST 2 block (the changes of other threads, the notes
// at their frames, the render); a parameter point inside a block splits it,
// so the value takes effect at its frame. The editor's keys come by message
// and go to the engine at the next block's start; the keys the engine plays
// go back by message when the controller asks.
#include <atomic>
#include <cmath>
#include <memory>
#include <new>

#include "engine/audio_thread.h"
#include "engine/epiano_engine.h"
#include "plugin/vst3/key_queue.h"
#include "plugin/vst3/vst3_description.h"
#include "plugin/vst3/vst3_messages.h"
#include "plugin/vst3/vst3_object.h"
#include "plugin/vst3/vst3_parts.h"

using namespace v3;

namespace {

constexpr uint8_t kNoteOffStatus = 0x80, kNoteOnStatus = 0x90, kControlChangeStatus = 0xB0;
constexpr double kDefaultRate = 44100.0;

// MIDI hosts turn a velocity v into v / 127; rounding v' × 127 gives v back
// for every v, so the engine hears the velocity a VST 2 host would send. Any
// sounding velocity gives at least 1, since a MIDI note-on at 0 is a release;
// 0 (or less) is that release.
int32_t midiVelocity(float velocity) {
    if (!(velocity > 0.f)) return 0;
    long v = std::lround((double)velocity * 127.0);
    return v < 1 ? 1 : v > 127 ? 127 : (int32_t)v;
}

// How long the instrument may sound after its last input: a voice left
// playing (never released, or held by the pedal) decays at the slowest rate,
// exp(0.03 × 44 − 2) per second, from the loudest start (velocity 127:
// 127 × 0.0078 × 5) to the level at which the engine drops it (0.0001).
double tailSeconds() { return std::log(127.0 * 0.0078 * 5.0 / 0.0001) / std::exp(0.03 * 44.0 - 2.0); }

class Vst3Processor final : public Object<IComponent, IAudioProcessor, IProcessContextRequirements, IConnectionPoint>,
                            private EngineObserver {
public:
    // FUnknown
    tresult V3_API queryInterface(const TUID id, void** obj) override {
        if (!obj) return kInvalidArgument;
        void* found = nullptr;
        if (sameUid(id, FUnknown::iid) || sameUid(id, IPluginBase::iid) || sameUid(id, IComponent::iid))
            found = static_cast<IComponent*>(this);
        else if (sameUid(id, IAudioProcessor::iid))
            found = static_cast<IAudioProcessor*>(this);
        else if (sameUid(id, IProcessContextRequirements::iid))
            found = static_cast<IProcessContextRequirements*>(this);
        else if (sameUid(id, IConnectionPoint::iid))
            found = static_cast<IConnectionPoint*>(this);
        return handOut(found, obj);
    }

    // IPluginBase. The engine is made once, on the first initialize, and
    // kept through terminate and a later initialize.
    tresult V3_API initialize(FUnknown* context) override {
        if (host) host->release();
        host = hostApplicationOf(context);
        if (!engine) {
            try {
                engine.reset(new EpianoEngine());
            } catch (...) {
                return kOutOfMemory;
            }
            engine->setSampleRate((float)rate);
            engine->setObserver(this);
        }
        return kResultOk;
    }
    tresult V3_API terminate() override {
        disconnect(peer);
        if (host) host->release();
        host = nullptr;
        return kResultOk;
    }

    // IComponent
    tresult V3_API getControllerClassId(TUID classId) override {
        if (!classId) return kInvalidArgument;
        Tuid t = toTuid(kControllerUid);
        for (int i = 0; i < 16; i++) classId[i] = t.bytes[i];
        return kResultOk;
    }
    tresult V3_API setIoMode(IoMode) override { return kResultOk; }
    int32 V3_API getBusCount(MediaType type, BusDirection dir) override {
        if (type == kAudio && dir == kOutput) return 1;
        if (type == kEvent && dir == kInput) return 1;
        return 0;
    }
    tresult V3_API getBusInfo(MediaType type, BusDirection dir, int32 index, BusInfo& bus) override {
        if (index != 0 || getBusCount(type, dir) != 1) return kInvalidArgument;
        bus = BusInfo{};
        bus.mediaType = type;
        bus.direction = dir;
        bus.channelCount = type == kAudio ? 2 : 1;  // the engine plays every MIDI channel alike
        copyText16(bus.name, 128, type == kAudio ? "Output" : "MIDI in");
        bus.busType = kMain;
        bus.flags = kDefaultActive;
        return kResultOk;
    }
    tresult V3_API getRoutingInfo(RoutingInfo&, RoutingInfo&) override { return kNotImplemented; }
    tresult V3_API activateBus(MediaType type, BusDirection dir, int32 index, TBool state) override {
        // Nothing to switch: an inactive output gets no buffers and an
        // inactive input no events, which process takes as they come.
        if (index != 0 || getBusCount(type, dir) != 1) return kInvalidArgument;
        (void)state;
        return kResultOk;
    }
    // Switching on after playing starts afresh, as a new instance with the
    // same values; off, nothing to do.
    tresult V3_API setActive(TBool state) override {
        if (!engine) return kNotInitialized;
        if (state && played) {
            float values[kNumParams];
            for (int i = 0; i < kNumParams; i++) values[i] = engine->getParameter(i);
            engine->reset();
            engine->setSampleRate((float)rate);
            for (int i = 0; i < kNumParams; i++) engine->setParameter(i, values[i]);
            engineNotesStopped();
            played = false;
        }
        return kResultOk;
    }
    // The values reach the audio thread through the engine's queue, so a
    // state may be set while blocks play.
    tresult V3_API setState(IBStream* state) override {
        if (!engine) return kNotInitialized;
        float values[kNumParams];
        for (int i = 0; i < kNumParams; i++) values[i] = engine->getParameter(i);
        if (!readState(state, values)) return kResultFalse;
        for (int i = 0; i < kNumParams; i++) engine->setParameter(i, values[i]);
        return kResultOk;
    }
    tresult V3_API getState(IBStream* state) override {
        if (!engine) return kNotInitialized;
        float values[kNumParams];
        for (int i = 0; i < kNumParams; i++) values[i] = engine->getParameter(i);
        return writeState(state, values) ? kResultOk : kResultFalse;
    }

    // IAudioProcessor
    tresult V3_API setBusArrangements(SpeakerArrangement*, int32 numIns, SpeakerArrangement* outputs,
                                      int32 numOuts) override {
        bool stereo = numIns == 0 && numOuts == 1 && outputs && outputs[0] == kSpeakerArrStereo;
        return stereo ? kResultTrue : kResultFalse;
    }
    tresult V3_API getBusArrangement(BusDirection dir, int32 index, SpeakerArrangement& arr) override {
        if (dir != kOutput || index != 0) return kInvalidArgument;
        arr = kSpeakerArrStereo;
        return kResultOk;
    }
    // The engine computes in 32-bit floats; 64-bit buffers would only be
    // a conversion, so the host does it.
    tresult V3_API canProcessSampleSize(int32 size) override { return size == kSample32 ? kResultTrue : kResultFalse; }
    uint32 V3_API getLatencySamples() override { return 0; }
    // A rate the engine refuses leaves the one in use.
    tresult V3_API setupProcessing(ProcessSetup& setup) override {
        if (!engine) return kNotInitialized;
        if (setup.symbolicSampleSize != kSample32) return kInvalidArgument;
        float asFloat = (float)setup.sampleRate;
        if (!std::isfinite(asFloat) || asFloat < kMinSampleRate) return kInvalidArgument;
        rate = setup.sampleRate;
        maxBlock = setup.maxSamplesPerBlock > 0 ? setup.maxSamplesPerBlock : 0;
        engine->setSampleRate(asFloat);
        return kResultOk;
    }
    QELT_AUDIO_THREAD tresult V3_API setProcessing(TBool) override { return kResultOk; }
    QELT_AUDIO_THREAD tresult V3_API process(ProcessData& data) override;
    // The engine drops a voice at the end of the block in which it fell
    // quiet, and the output filter rings out in the block after: two blocks
    // on top of the voice's own time.
    uint32 V3_API getTailSamples() override {
        double samples = std::ceil(tailSeconds() * rate) + 2.0 * maxBlock;
        return samples >= 4294967294.0 ? kInfiniteTail - 1 : (uint32)samples;
    }

    // IProcessContextRequirements: the instrument plays without a transport.
    uint32 V3_API getProcessContextRequirements() override { return 0; }

    // IConnectionPoint: the controller's proxy, for the editor's messages.
    tresult V3_API connect(IConnectionPoint* other) override {
        if (!other) return kInvalidArgument;
        if (peer) return kResultFalse;
        peer = other;
        peer->addRef();
        return kResultOk;
    }
    tresult V3_API disconnect(IConnectionPoint* other) override {
        if (!peer || other != peer) return kResultFalse;
        peer->release();
        peer = nullptr;
        return kResultOk;
    }
    tresult V3_API notify(IMessage* message) override;

private:
    ~Vst3Processor() {
        if (peer) peer->release();
        if (host) host->release();
    }
    // What the engine plays, as it plays it (audio thread, or a setState's thread).
    QELT_AUDIO_THREAD void engineValueChanged(int32_t index, float value) override {
        if (index >= kLowestKey && index <= kHighestKey)
            keyStates[index].store(value > 0.f ? 1 : 0, std::memory_order_relaxed);
    }
    QELT_AUDIO_THREAD void engineNotesStopped() override {
        for (std::atomic<uint8_t>& key : keyStates) key.store(0, std::memory_order_relaxed);
    }
    void answerKeys();
    QELT_AUDIO_THREAD void takeKeyPresses();
    QELT_AUDIO_THREAD void takeEvents(IEventList* events, int32_t from, int32_t to, bool last);
    QELT_AUDIO_THREAD void takeControllers(IParameterChanges* changes, int32 queues, int32_t from, int32_t to,
                                           bool last);

    std::unique_ptr<EpianoEngine> engine;
    double rate = kDefaultRate;
    int32_t maxBlock = 4096;
    bool played = false;
    IConnectionPoint* peer = nullptr;
    IHostApplication* host = nullptr;  // makes the messages
    KeyQueue keyPresses;
    std::atomic<uint8_t> keyStates[kKeyCount] = {};
};

// Messages come on the UI thread. Anything not ours, or short of what it
// needs, is refused and changes nothing.
tresult Vst3Processor::notify(IMessage* message) {
    if (!message) return kInvalidArgument;
    if (isMessage(message, kWantKeysMessage)) {
        answerKeys();
        return kResultOk;
    }
    IAttributeList* attributes = message->getAttributes();
    int64 key = -1, down = 0;
    if (!isMessage(message, kKeyMessage) || !attributes || attributes->getInt(kKeyAttribute, key) != kResultOk ||
        attributes->getInt(kDownAttribute, down) != kResultOk || key < 0 || key >= (int64)kKeyCount)
        return kResultFalse;
    return keyPresses.push(KeyPress{(uint8_t)key, down != 0}) ? kResultOk : kResultFalse;
}

void Vst3Processor::answerKeys() {
    IMessage* answer = newMessage(host, kKeysMessage);
    IAttributeList* attributes = answer ? answer->getAttributes() : nullptr;
    uint8_t keys[kKeyCount];
    for (uint32 k = 0; k < kKeyCount; k++) keys[k] = keyStates[k].load(std::memory_order_relaxed);
    const bool filled = attributes && attributes->setBinary(kKeysAttribute, keys, kKeyCount) == kResultOk;
    sendMessage(filled ? peer : nullptr, answer);
}

// As the VST 2 plug-in plays its editor's keys: through the engine's key
// entry (velocity 100), ahead of the block's own changes and notes.
void Vst3Processor::takeKeyPresses() {
    KeyPress press;
    while (keyPresses.pop(press)) engine->setParameter(press.key, press.down ? 1.f : 0.f);
}

// The notes of frames from..to-1 go to the engine at their frame from
// `from`; the last piece also takes those past the block's end (at its last
// frame), so no note-off is lost. Events on other buses are not ours.
void Vst3Processor::takeEvents(IEventList* events, int32_t from, int32_t to, bool last) {
    if (!events) return;
    int32 count = events->getEventCount();
    for (int32 i = 0; i < count; i++) {
        Event e;
        if (events->getEvent(i, e) != kResultOk || e.busIndex != 0) continue;
        int32_t at = e.sampleOffset < 0 ? 0 : e.sampleOffset;
        if (at < from || (at >= to && !last)) continue;
        if (at >= to) at = to > from ? to - 1 : from;
        if (e.type == kNoteOnEvent && e.noteOn.pitch >= 0 && e.noteOn.pitch <= 127) {
            engine->midiMessage(at - from, (uint8_t)(kNoteOnStatus | (e.noteOn.channel & 15)), (uint8_t)e.noteOn.pitch,
                                (uint8_t)midiVelocity(e.noteOn.velocity));
        } else if (e.type == kNoteOffEvent && e.noteOff.pitch >= 0 && e.noteOff.pitch <= 127) {
            engine->midiMessage(at - from, (uint8_t)(kNoteOffStatus | (e.noteOff.channel & 15)),
                                (uint8_t)e.noteOff.pitch, 0);
        }
    }
}

// The mapped controllers' points of frames from..to-1, as controller
// messages at their frames (the last piece takes those past the end). Like
// MIDI in the other formats, they do not split the block: the engine acts on
// a controller at once and queues what must wait for its frame.
void Vst3Processor::takeControllers(IParameterChanges* changes, int32 queues, int32_t from, int32_t to, bool last) {
    for (int32 q = 0; q < queues; q++) {
        IParamValueQueue* queue = changes->getParameterData(q);
        int controller = queue ? mappedController(queue->getParameterId()) : -1;
        if (controller < 0) continue;
        int32 points = queue->getPointCount();
        for (int32 p = 0; p < points; p++) {
            int32 offset = 0;
            ParamValue value = 0;
            if (queue->getPoint(p, offset, value) != kResultOk || !std::isfinite(value)) continue;
            int32_t at = offset < 0 ? 0 : offset;
            if (at < from || (at >= to && !last)) continue;
            if (at >= to) at = to > from ? to - 1 : from;
            long midi = std::lround((value < 0 ? 0 : value > 1 ? 1 : value) * 127.0);
            engine->midiMessage(at - from, kControlChangeStatus, (uint8_t)controller, (uint8_t)midi);
        }
    }
}

tresult Vst3Processor::process(ProcessData& data) {
    if (!engine) return kNotInitialized;
    if (data.symbolicSampleSize != kSample32) return kInvalidArgument;
    const int32_t frames = data.numSamples > 0 ? data.numSamples : 0;
    played = true;  // a flush may queue notes too: a later switch-on starts afresh
    takeKeyPresses();

    float* left = nullptr;
    float* right = nullptr;
    AudioBusBuffers* out = data.numOutputs > 0 ? data.outputs : nullptr;
    if (out && out->channelBuffers32 && frames > 0) {
        if (out->numChannels > 0) left = out->channelBuffers32[0];
        if (out->numChannels > 1) right = out->channelBuffers32[1];
    }

    // Each parameter's points in turn; a point takes effect at its frame.
    IParameterChanges* changes = data.inputParameterChanges;
    int32 queues = changes ? changes->getParameterCount() : 0;
    constexpr int32 kMostQueues = 64;
    int32 next[kMostQueues] = {};
    if (queues > kMostQueues) queues = kMostQueues;
    auto applyUpTo = [&](int32_t frame, bool all) {
        int32_t nextFrame = frames;
        for (int32 q = 0; q < queues; q++) {
            IParamValueQueue* queue = changes->getParameterData(q);
            if (!queue) continue;
            ParamID id = queue->getParameterId();
            if (id >= (ParamID)kNumParams) continue;  // controllers go with the notes
            int32 points = queue->getPointCount();
            for (; next[q] < points; next[q]++) {
                int32 offset = 0;
                ParamValue value = 0;
                if (queue->getPoint(next[q], offset, value) != kResultOk) continue;
                if (offset > frame && !all) {
                    if (offset < nextFrame) nextFrame = offset;
                    break;
                }
                if (std::isfinite(value))
                    engine->setParameter((int32_t)id, (float)(value < 0 ? 0 : value > 1 ? 1 : value));
            }
        }
        return nextFrame;
    };

    if (frames == 0) {
        // A flush: the values, and the notes wait for the next block's first frame.
        applyUpTo(0, true);
        engine->applyPendingChanges();
        takeControllers(changes, queues, 0, 0, true);
        takeEvents(data.inputEvents, 0, 0, true);
        engine->render(nullptr, nullptr, 0);
        return kResultOk;
    }

    int32_t start = 0;
    while (start < frames) {
        int32_t end = applyUpTo(start, false);
        engine->applyPendingChanges();
        takeControllers(changes, queues, start, end, end >= frames);
        takeEvents(data.inputEvents, start, end, end >= frames);
        engine->render(left ? left + start : nullptr, right ? right + start : nullptr, end - start);
        start = end;
    }
    applyUpTo(frames, true);  // points a host put past the block: the last value stays

    if (out && out->channelBuffers32) {
        uint64 silent = 0;
        for (int32 c = 0; c < out->numChannels && c < 64; c++) {
            float* channel = out->channelBuffers32[c];
            if (!channel) continue;
            if (c > 1)
                for (int32_t f = 0; f < frames; f++) channel[f] = 0.f;
            bool zero = true;
            for (int32_t f = 0; f < frames && zero; f++) zero = channel[f] == 0.f;
            if (zero) silent |= (uint64)1 << c;
        }
        out->silenceFlags = silent;
    }
    return kResultOk;
}

}  // namespace

IComponent* newVst3Processor() { return new (std::nothrow) Vst3Processor(); }
