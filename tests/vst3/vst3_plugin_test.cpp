// The VST 3 bundle as a host meets it: the binary loaded from the bundle and
// entered through its exports, the factory and its two classes, the life of
// an instance, blocks of every size with notes and parameter points inside
// them, sample rates, state, silence flags and tail, and the controller's
// parameters and texts. Where a sound is checked, it is compared bit for bit
// with the engine fed the same MIDI directly, so the VST 3 glue is shown to
// hand the engine exactly what a VST 2 or LV2 host would.
#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <cstring>
#include <fstream>
#include <limits>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "engine/epiano_engine.h"
#include "plugin/vst3/vst3_abi.h"
#include "release_version.h"
#include "tools/vst3host/vst3_host.h"

using namespace v3host;

namespace {

constexpr double kRate = 44100;
constexpr const char* kProcessorCidText = "565354515A455071656C742065706961";
constexpr const char* kControllerCidText = "565345515A455071656C742065706961";

// The text form of an ID, its four words in hex, read back from the bytes as
// the platform lays them out: all big-endian on Linux, the first two words
// as a COM GUID's little-endian fields on Windows.
std::string cidText(const char* cid) {
    const uint8_t* b = reinterpret_cast<const uint8_t*>(cid);
    auto word = [b](int at, int count, bool little) {
        uint32_t v = 0;
        for (int i = 0; i < count; i++) v = v << 8 | b[at + (little ? count - 1 - i : i)];
        return v;
    };
#ifdef _WIN32
    uint32_t l1 = word(0, 4, true), l2 = word(4, 2, true) << 16 | word(6, 2, true);
#else
    uint32_t l1 = word(0, 4, false), l2 = word(4, 4, false);
#endif
    char text[33];
    std::snprintf(text, sizeof text, "%08X%08X%08X%08X", (unsigned)l1, (unsigned)l2, (unsigned)word(8, 4, false),
                  (unsigned)word(12, 4, false));
    return text;
}

// The engine as a VST 2 host drives it, for comparison: the MIDI of a block,
// then the render.
struct ReferenceEngine {
    explicit ReferenceEngine(double rate) {
        engine.setSampleRate((float)rate);
        engine.applyPendingChanges();
    }
    void block(const std::vector<std::array<int, 4>>& midi, int32_t frames, std::vector<float>& l,
               std::vector<float>& r) {
        engine.applyPendingChanges();
        for (const auto& m : midi) engine.midiMessage(m[0], (uint8_t)m[1], (uint8_t)m[2], (uint8_t)m[3]);
        size_t at = l.size();
        l.resize(at + (size_t)frames);
        r.resize(at + (size_t)frames);
        engine.render(l.data() + at, r.data() + at, frames);
    }
    EpianoEngine engine;
};

class Vst3Bundle : public ::testing::Test {
protected:
    void SetUp() override {
        std::string why;
        ASSERT_TRUE(module.load(QELT_VST3_BUNDLE, &why)) << why;
    }

    std::unique_ptr<Vst3Instance> started(double rate = kRate, int32 maxBlock = 4096) {
        std::unique_ptr<Vst3Instance> instance(new Vst3Instance());
        std::string why;
        Vst3Setup setup;
        setup.sampleRate = rate;
        setup.maxBlock = maxBlock;
        EXPECT_TRUE(instance->start(module, setup, &why)) << why;
        return instance;
    }

    // Renders `total` frames in blocks of `block`, with the events given by
    // absolute frame; the output appended to l and r.
    void play(Vst3Instance& instance, int32_t total, int32_t block, const std::vector<std::array<int, 4>>& midi,
              std::vector<float>& l, std::vector<float>& r) {
        for (int32_t done = 0; done < total;) {
            int32_t n = std::min(block, total - done);
            Ref<EventList> events(new EventList());
            for (const auto& m : midi) {
                if (m[0] < done || m[0] >= done + n) continue;
                if ((m[1] & 0xF0) == 0x90)
                    events->noteOn(m[0] - done, (int16)m[2], (float)m[3] / 127.f);
                else
                    events->noteOff(m[0] - done, (int16)m[2]);
            }
            ASSERT_EQ(instance.process(n, events.get(), nullptr), kResultOk);
            l.insert(l.end(), instance.left.begin(), instance.left.end());
            r.insert(r.end(), instance.right.begin(), instance.right.end());
            done += n;
        }
    }

    Vst3Module module;
};

bool anyNonZero(const std::vector<float>& v, size_t from = 0, size_t to = SIZE_MAX) {
    for (size_t i = from; i < v.size() && i < to; i++)
        if (v[i] != 0.f) return true;
    return false;
}

// ---- Declarations ----

TEST(Vst3Declarations, InterfaceIdsAreLaidOutAsThePlatformHasThem) {
#ifdef _WIN32
    const uint8_t pluginBase[16] = {0xDB, 0x8D, 0x88, 0x22, 0x6E, 0x15, 0xAE, 0x45,
                                    0x83, 0x58, 0xB3, 0x48, 0x08, 0x19, 0x06, 0x25};
#else
    const uint8_t pluginBase[16] = {0x22, 0x88, 0x8D, 0xDB, 0x15, 0x6E, 0x45, 0xAE,
                                    0x83, 0x58, 0xB3, 0x48, 0x08, 0x19, 0x06, 0x25};
#endif
    EXPECT_EQ(std::memcmp(v3::IPluginBase::iid.bytes, pluginBase, 16), 0);
    const uint8_t unknown[16] = {0, 0, 0, 0, 0, 0, 0, 0, 0xC0, 0, 0, 0, 0, 0, 0, 0x46};
    EXPECT_EQ(std::memcmp(v3::FUnknown::iid.bytes, unknown, 16), 0);
    EXPECT_EQ(cidText(v3::IComponent::iid.bytes), "E831FF31F2D54301928EBBEE25697802");
    EXPECT_EQ(cidText(v3::IPlugView::iid.bytes), "5BC32507D06049EAA6151B522B755B29");
    EXPECT_EQ(cidText(v3::IRunLoop::iid.bytes), "18C3536697764F1A9C5B83857A871389");
}

// The slot of a virtual method in its table, from the Itanium C++ ABI's
// pointer to member (g++ and mingw-w64 alike): the byte offset in the table
// plus one. Our host uses the same declarations as the plug-in, so an order
// that differs from the hosts' would pass unnoticed there; these pin each
// slot to the published tables instead.
template <class T>
int slotOf(T pointer) {
    static_assert(sizeof(T) == 2 * sizeof(void*), "an Itanium pointer to member");
    uintptr_t words[2];
    std::memcpy(words, &pointer, sizeof words);
    return words[0] & 1 ? (int)((words[0] - 1) / sizeof(void*)) : -1;
}

TEST(Vst3Declarations, MethodsSitInThePublishedSlots) {
    using namespace v3;
    EXPECT_EQ(slotOf(&FUnknown::queryInterface), 0);
    EXPECT_EQ(slotOf(&FUnknown::release), 2);
    EXPECT_EQ(slotOf(&IPluginFactory::getFactoryInfo), 3);
    EXPECT_EQ(slotOf(&IPluginFactory::createInstance), 6);
    EXPECT_EQ(slotOf(&IPluginFactory2::getClassInfo2), 7);
    EXPECT_EQ(slotOf(&IPluginFactory3::getClassInfoUnicode), 8);
    EXPECT_EQ(slotOf(&IPluginFactory3::setHostContext), 9);
    EXPECT_EQ(slotOf(&IPluginBase::initialize), 3);
    EXPECT_EQ(slotOf(&IPluginBase::terminate), 4);
    EXPECT_EQ(slotOf(&IComponent::getControllerClassId), 5);
    EXPECT_EQ(slotOf(&IComponent::getBusInfo), 8);
    EXPECT_EQ(slotOf(&IComponent::activateBus), 10);
    EXPECT_EQ(slotOf(&IComponent::setActive), 11);
    EXPECT_EQ(slotOf(&IComponent::setState), 12);
    EXPECT_EQ(slotOf(&IComponent::getState), 13);
    EXPECT_EQ(slotOf(&IAudioProcessor::setBusArrangements), 3);
    EXPECT_EQ(slotOf(&IAudioProcessor::canProcessSampleSize), 5);
    EXPECT_EQ(slotOf(&IAudioProcessor::setupProcessing), 7);
    EXPECT_EQ(slotOf(&IAudioProcessor::setProcessing), 8);
    EXPECT_EQ(slotOf(&IAudioProcessor::process), 9);
    EXPECT_EQ(slotOf(&IAudioProcessor::getTailSamples), 10);
    EXPECT_EQ(slotOf(&IProcessContextRequirements::getProcessContextRequirements), 3);
    EXPECT_EQ(slotOf(&IConnectionPoint::connect), 3);
    EXPECT_EQ(slotOf(&IConnectionPoint::notify), 5);
    EXPECT_EQ(slotOf(&IEditController::setComponentState), 5);
    EXPECT_EQ(slotOf(&IEditController::getParameterCount), 8);
    EXPECT_EQ(slotOf(&IEditController::getParamStringByValue), 10);
    EXPECT_EQ(slotOf(&IEditController::getParamValueByString), 11);
    EXPECT_EQ(slotOf(&IEditController::getParamNormalized), 14);
    EXPECT_EQ(slotOf(&IEditController::setComponentHandler), 16);
    EXPECT_EQ(slotOf(&IEditController::createView), 17);
    EXPECT_EQ(slotOf(&IMidiMapping::getMidiControllerAssignment), 3);
    EXPECT_EQ(slotOf(&IComponentHandler::restartComponent), 6);
    EXPECT_EQ(slotOf(&IBStream::read), 3);
    EXPECT_EQ(slotOf(&IBStream::tell), 6);
    EXPECT_EQ(slotOf(&IHostApplication::createInstance), 4);
    EXPECT_EQ(slotOf(&IMessage::getAttributes), 5);
    EXPECT_EQ(slotOf(&IAttributeList::setString), 7);
    EXPECT_EQ(slotOf(&IAttributeList::getBinary), 10);
    EXPECT_EQ(slotOf(&IEventList::getEvent), 4);
    EXPECT_EQ(slotOf(&IParameterChanges::getParameterData), 4);
    EXPECT_EQ(slotOf(&IParameterChanges::addParameterData), 5);
    EXPECT_EQ(slotOf(&IParamValueQueue::getPoint), 5);
    EXPECT_EQ(slotOf(&IParamValueQueue::addPoint), 6);
    EXPECT_EQ(slotOf(&IPlugView::isPlatformTypeSupported), 3);
    EXPECT_EQ(slotOf(&IPlugView::removed), 5);
    EXPECT_EQ(slotOf(&IPlugView::onKeyDown), 7);
    EXPECT_EQ(slotOf(&IPlugView::getSize), 9);
    EXPECT_EQ(slotOf(&IPlugView::setFrame), 12);
    EXPECT_EQ(slotOf(&IPlugView::checkSizeConstraint), 14);
    EXPECT_EQ(slotOf(&IPlugFrame::resizeView), 3);
    EXPECT_EQ(slotOf(&IPlugViewContentScaleSupport::setContentScaleFactor), 3);
    EXPECT_EQ(slotOf(&IRunLoop::registerEventHandler), 3);
    EXPECT_EQ(slotOf(&IRunLoop::unregisterTimer), 6);
    EXPECT_EQ(slotOf(&IEventHandler::onFDIsSet), 3);
    EXPECT_EQ(slotOf(&ITimerHandler::onTimer), 3);
}

// ---- Module and factory ----

// The entries: ModuleEntry and ModuleExit on Linux, InitDll and ExitDll
// (no argument) on Windows.
bool enterModule(Vst3Module& module) {
#ifdef _WIN32
    auto entry = reinterpret_cast<bool (*)()>(module.symbol("InitDll"));
    return entry && entry();
#else
    auto entry = reinterpret_cast<bool (*)(void*)>(module.symbol("ModuleEntry"));
    return entry && entry(module.handle());
#endif
}

#ifdef _WIN32
constexpr const char* kExitName = "ExitDll";
#else
constexpr const char* kExitName = "ModuleExit";
#endif

bool exitModule(Vst3Module& module) {
    auto exit = reinterpret_cast<bool (*)()>(module.symbol(kExitName));
    return exit && exit();
}

TEST_F(Vst3Bundle, EntriesCountTheirCalls) {
    EXPECT_TRUE(enterModule(module));  // a second host component entering
    EXPECT_TRUE(exitModule(module));
    EXPECT_TRUE(exitModule(module));   // the loader's own entry
    EXPECT_FALSE(exitModule(module));  // an exit without an entry is refused
    EXPECT_TRUE(enterModule(module));  // the loader's, given back for its exit
    // The factory is one object, handed out with a reference each time.
    auto get = reinterpret_cast<IPluginFactory*(V3_API*)()>(module.symbol("GetPluginFactory"));
    IPluginFactory* again = get();
    EXPECT_EQ(again, module.factory());
    again->release();
}

TEST_F(Vst3Bundle, FactoryDescribesTwoClassesOfQelt) {
    IPluginFactory3* factory = module.factory3();
    ASSERT_NE(factory, nullptr);
    PFactoryInfo info;
    ASSERT_EQ(factory->getFactoryInfo(&info), kResultOk);
    EXPECT_STREQ(info.vendor, "Qelt");
    EXPECT_EQ(info.flags, 16);  // Unicode
    ASSERT_EQ(factory->countClasses(), 2);

    std::string version = std::string(kReleaseVersion) + ".0";
    const char* categories[2] = {"Audio Module Class", "Component Controller Class"};
    const char* cids[2] = {kProcessorCidText, kControllerCidText};
    for (int32 i = 0; i < 2; i++) {
        PClassInfo c;
        ASSERT_EQ(factory->getClassInfo(i, &c), kResultOk);
        EXPECT_EQ(cidText(c.cid), cids[i]);
        EXPECT_STREQ(c.category, categories[i]);
        EXPECT_STREQ(c.name, "Qelt ePiano");
        EXPECT_EQ(c.cardinality, 0x7FFFFFFF);
        PClassInfo2 c2;
        ASSERT_EQ(factory->getClassInfo2(i, &c2), kResultOk);
        EXPECT_EQ(cidText(c2.cid), cids[i]);
        EXPECT_STREQ(c2.vendor, "Qelt");
        EXPECT_EQ(std::string(c2.version), version);
        EXPECT_STREQ(c2.sdkVersion, "VST 3.7.14");
        EXPECT_STREQ(c2.subCategories, i == 0 ? "Instrument|Piano" : "");
        PClassInfoW w;
        ASSERT_EQ(factory->getClassInfoUnicode(i, &w), kResultOk);
        EXPECT_EQ(cidText(w.cid), cids[i]);
        EXPECT_EQ(narrow(w.name), "Qelt ePiano");
        EXPECT_EQ(narrow(w.vendor), "Qelt");
        EXPECT_EQ(narrow(w.version), version);
        EXPECT_STREQ(w.subCategories, c2.subCategories);
    }
    PClassInfo none;
    EXPECT_EQ(factory->getClassInfo(2, &none), kInvalidArgument);
    EXPECT_EQ(factory->getClassInfo(-1, &none), kInvalidArgument);
    void* obj = &none;
    Tuid nobody{};
    EXPECT_NE(factory->createInstance(nobody.bytes, IComponent::iid.bytes, &obj), kResultOk);
    EXPECT_EQ(obj, nullptr);
}

TEST_F(Vst3Bundle, ModuleInfoAgreesWithTheFactory) {
    std::ifstream in(std::string(QELT_VST3_BUNDLE) + "/Contents/Resources/moduleinfo.json");
    ASSERT_TRUE(in.good());
    std::stringstream all;
    all << in.rdbuf();
    std::string json = all.str();
    EXPECT_NE(json.find("\"Name\": \"Qelt-epiano\""), std::string::npos);
    EXPECT_NE(json.find(std::string("\"Version\": \"") + kReleaseVersion + ".0\""), std::string::npos);
    for (int32 i = 0; i < module.factory()->countClasses(); i++) {
        PClassInfo c;
        ASSERT_EQ(module.factory()->getClassInfo(i, &c), kResultOk);
        size_t at = json.find("\"CID\": \"" + cidText(c.cid) + "\"");
        ASSERT_NE(at, std::string::npos) << cidText(c.cid);
        size_t category = json.find("\"Category\": \"" + std::string(c.category) + "\"", at);
        EXPECT_NE(category, std::string::npos);
        EXPECT_LT(category, json.find('}', at));
    }
    EXPECT_NE(json.find("\"Sub Categories\": [\"Instrument\", \"Piano\"]"), std::string::npos);
}

// ---- The two halves ----

TEST_F(Vst3Bundle, ProcessorAndControllerAreSeparateAndMeetOnlyThroughProxies) {
    auto instance = started();
    ASSERT_TRUE(instance->processor() && instance->controller());
    // Neither half is the other.
    EXPECT_EQ(query<IEditController>(instance->processor()), nullptr);
    EXPECT_EQ(query<IComponent>(instance->controller()), nullptr);
    EXPECT_EQ(query<IAudioProcessor>(instance->controller()), nullptr);
    // Both answer the connection; the host connected them through its proxies,
    // and a second connect is refused while one holds.
    IConnectionPoint* point = query<IConnectionPoint>(instance->processor());
    ASSERT_NE(point, nullptr);
    EXPECT_NE(point->connect(instance->toController()), kResultOk);
    // A message neither knows is refused, not taken.
    Ref<Message> message(new Message());
    message->setMessageID("NotOurs");
    EXPECT_EQ(point->notify(message.get()), kResultFalse);
    point->release();
    // The same pointer for the same interface, every time.
    IAudioProcessor* a = query<IAudioProcessor>(instance->processor());
    IAudioProcessor* b = query<IAudioProcessor>(instance->processor());
    EXPECT_EQ(a, b);
    a->release();
    b->release();
    instance->stop();
    for (tresult r : instance->stopResults) EXPECT_EQ(r, kResultOk);
    EXPECT_EQ(instance->stopResults.size(), 6u);  // processing, active, two disconnects, two terminates
}

TEST_F(Vst3Bundle, LifeCycleRunsBothWaysAndRepeats) {
    auto instance = started();
    IComponent* p = instance->processor();
    IAudioProcessor* audio = instance->audio();
    Ref<EventList> events(new EventList());
    events->noteOn(0, 60, 0.8f);
    ASSERT_EQ(instance->process(256, events.get(), nullptr), kResultOk);
    EXPECT_TRUE(anyNonZero(instance->left));
    // Off and on again many times, then terminate and initialize the same object.
    for (int i = 0; i < 20; i++) {
        EXPECT_EQ(audio->setProcessing(0), kResultOk);
        EXPECT_EQ(p->setActive(0), kResultOk);
        EXPECT_EQ(p->setActive(1), kResultOk);
        EXPECT_EQ(audio->setProcessing(1), kResultOk);
    }
    // Switched on again after playing: a fresh start, nothing still sounds.
    ASSERT_EQ(instance->process(256, nullptr, nullptr), kResultOk);
    EXPECT_FALSE(anyNonZero(instance->left));
    // A fresh instance given a note with a flush, then switched off: the
    // note does not play after.
    {
        auto fresh = started();
        Ref<EventList> flushed(new EventList());
        flushed->noteOn(0, 72, 1.f);
        ASSERT_EQ(fresh->flush(nullptr, flushed.get()), kResultOk);
        EXPECT_EQ(fresh->audio()->setProcessing(0), kResultOk);
        EXPECT_EQ(fresh->processor()->setActive(0), kResultOk);
        EXPECT_EQ(fresh->processor()->setActive(1), kResultOk);
        EXPECT_EQ(fresh->audio()->setProcessing(1), kResultOk);
        ASSERT_EQ(fresh->process(256, nullptr, nullptr), kResultOk);
        EXPECT_FALSE(anyNonZero(fresh->left));
    }
    EXPECT_EQ(audio->setProcessing(0), kResultOk);
    EXPECT_EQ(audio->setProcessing(0), kResultOk);  // without a setProcessing(true) between
    EXPECT_EQ(p->setActive(0), kResultOk);
    EXPECT_EQ(p->terminate(), kResultOk);
    Ref<HostApplication> context(new HostApplication());
    EXPECT_EQ(p->initialize(context.get()), kResultOk);
    ProcessSetup setup{kRealtime, kSample32, 512, 48000};
    EXPECT_EQ(audio->setupProcessing(setup), kResultOk);
    EXPECT_EQ(p->setActive(1), kResultOk);
    EXPECT_EQ(audio->setProcessing(1), kResultOk);
    Ref<EventList> again(new EventList());
    again->noteOn(0, 64, 0.5f);
    ASSERT_EQ(instance->process(512, again.get(), nullptr), kResultOk);
    EXPECT_TRUE(anyNonZero(instance->left));
}

TEST_F(Vst3Bundle, BusesAreOneEventInputAndOneNamedStereoOutput) {
    auto instance = started();
    IComponent* p = instance->processor();
    EXPECT_EQ(p->getBusCount(kAudio, kInput), 0);
    EXPECT_EQ(p->getBusCount(kAudio, kOutput), 1);
    EXPECT_EQ(p->getBusCount(kEvent, kInput), 1);
    EXPECT_EQ(p->getBusCount(kEvent, kOutput), 0);
    BusInfo out, out2, midi;
    ASSERT_EQ(p->getBusInfo(kAudio, kOutput, 0, out), kResultOk);
    ASSERT_EQ(p->getBusInfo(kAudio, kOutput, 0, out2), kResultOk);
    EXPECT_EQ(std::memcmp(&out, &out2, sizeof out), 0);  // byte-identical on repeated calls
    EXPECT_EQ(out.channelCount, 2);
    EXPECT_FALSE(narrow(out.name).empty());
    EXPECT_EQ(out.busType, kMain);
    EXPECT_EQ(out.flags, kDefaultActive);
    ASSERT_EQ(p->getBusInfo(kEvent, kInput, 0, midi), kResultOk);
    EXPECT_FALSE(narrow(midi.name).empty());
    EXPECT_EQ(p->getBusInfo(kAudio, kOutput, 1, out), kInvalidArgument);
    EXPECT_EQ(p->getBusInfo(kAudio, kInput, 0, out), kInvalidArgument);

    IAudioProcessor* audio = instance->audio();
    SpeakerArrangement arrangement = 0;
    ASSERT_EQ(audio->getBusArrangement(kOutput, 0, arrangement), kResultOk);
    EXPECT_EQ(arrangement, kSpeakerArrStereo);
    SpeakerArrangement mono = 0x80000, stereo = kSpeakerArrStereo;
    EXPECT_EQ(audio->setBusArrangements(nullptr, 0, &mono, 1), kResultFalse);
    EXPECT_EQ(audio->setBusArrangements(nullptr, 0, &stereo, 1), kResultTrue);
    EXPECT_EQ(audio->canProcessSampleSize(kSample32), kResultTrue);
    EXPECT_EQ(audio->canProcessSampleSize(kSample64), kResultFalse);
    EXPECT_EQ(audio->getLatencySamples(), 0u);
    IProcessContextRequirements* needs = query<IProcessContextRequirements>(instance->processor());
    ASSERT_NE(needs, nullptr);
    EXPECT_EQ(needs->getProcessContextRequirements(), 0u);
    needs->release();
}

// ---- Sound ----

// Every MIDI velocity, sent as v / 127, sounds as the engine plays v: the
// VST 2 and LV2 plug-ins hand the engine the MIDI byte itself.
TEST_F(Vst3Bundle, VelocitiesGiveBackTheMidiValue) {
    for (int v = 1; v <= 127; v++) {
        auto instance = started();
        std::vector<float> l, r;
        play(*instance, 600, 600, {{{5, 0x90, 62, v}}}, l, r);
        ReferenceEngine reference(kRate);
        std::vector<float> rl, rr;
        reference.block({{{5, 0x90, 62, v}}}, 600, rl, rr);
        ASSERT_EQ(l, rl) << "velocity " << v;
        ASSERT_EQ(r, rr) << "velocity " << v;
    }
}

// A note at an offset inside a block starts at that frame, in blocks of every
// size, and the whole plays as the engine plays the same blocks.
TEST_F(Vst3Bundle, NotesPlayAtTheirOffsetsInBlocksOfEverySize) {
    const std::vector<std::array<int, 4>> song = {
        {{3, 0x90, 60, 100}}, {{700, 0x90, 67, 40}}, {{4100, 0x80, 60, 0}}, {{5000, 0x90, 30, 127}}, {{9000, 0x80, 67, 0}}};
    for (int32_t block : {1, 7, 512, 4096}) {
        auto instance = started();
        std::vector<float> l, r;
        play(*instance, 10000, block, song, l, r);
        ReferenceEngine reference(kRate);
        std::vector<float> rl, rr;
        for (int32_t done = 0; done < 10000; done += block) {
            int32_t n = std::min(block, 10000 - done);
            std::vector<std::array<int, 4>> midi;
            for (const auto& m : song)
                if (m[0] >= done && m[0] < done + n) midi.push_back({{m[0] - done, m[1], m[2], m[1] == 0x80 ? 0 : m[3]}});
            reference.block(midi, n, rl, rr);
        }
        EXPECT_FALSE(anyNonZero(l, 0, 3)) << "block " << block;
        EXPECT_TRUE(anyNonZero(l, 3, 40)) << "block " << block;
        ASSERT_EQ(l, rl) << "block " << block;
        ASSERT_EQ(r, rr) << "block " << block;
    }
}

TEST_F(Vst3Bundle, ZeroFramesApplyChangesAndKeepNotesForTheNextBlock) {
    auto instance = started();
    Ref<ParameterChanges> changes(new ParameterChanges());
    changes->add(kVolume, 0, 0.25);
    Ref<EventList> events(new EventList());
    events->noteOn(0, 60, 1.f);
    ASSERT_EQ(instance->process(0, events.get(), changes.get()), kResultOk);
    std::vector<uint8_t> state = instance->saveState();
    ASSERT_EQ(state.size(), 32u);
    float volume;
    std::memcpy(&volume, state.data() + 12 + 4 * kVolume, 4);  // little-endian, as this machine
    EXPECT_EQ(volume, 0.25f);
    ASSERT_EQ(instance->process(64, nullptr, nullptr), kResultOk);
    EXPECT_TRUE(anyNonZero(instance->left, 0, 8));  // the note, at the first frame
    // A flush as hosts send it: no buses, null arrays.
    Ref<ParameterChanges> flush(new ParameterChanges());
    flush->add(kSustain, 0, 0.125);
    ASSERT_EQ(instance->flush(flush.get()), kResultOk);
    state = instance->saveState();
    float sustain;
    std::memcpy(&sustain, state.data() + 12 + 4 * kSustain, 4);
    EXPECT_EQ(sustain, 0.125f);
    ASSERT_EQ(instance->flush(nullptr), kResultOk);
    // Frames with a bus of no channels and no buffer arrays: played, nothing written.
    AudioBusBuffers empty{};
    ProcessData data{};
    data.symbolicSampleSize = kSample32;
    data.numSamples = 64;
    data.numOutputs = 1;
    data.outputs = &empty;
    EXPECT_EQ(instance->audio()->process(data), kResultOk);
    data.symbolicSampleSize = kSample64;  // refused in canProcessSampleSize, so refused here
    EXPECT_NE(instance->audio()->process(data), kResultOk);
}

// A parameter point inside a block takes effect at its frame: the block plays
// as two blocks would with the value set between them.
TEST_F(Vst3Bundle, ParameterPointsActAtTheirOffsets) {
    auto instance = started();
    Ref<EventList> events(new EventList());
    events->noteOn(0, 57, 100 / 127.f);
    Ref<ParameterChanges> changes(new ParameterChanges());
    changes->add(kTreble, 100, 0.9);
    changes->add(kVolume, 300, 0.0);
    changes->add(kVolume, 400, 0.5);
    ASSERT_EQ(instance->process(512, events.get(), changes.get()), kResultOk);

    ReferenceEngine reference(kRate);
    std::vector<float> rl, rr;
    reference.block({{{0, 0x90, 57, 100}}}, 100, rl, rr);
    reference.engine.setParameter(kTreble, 0.9f);
    reference.block({}, 200, rl, rr);
    reference.engine.setParameter(kVolume, 0.f);
    reference.block({}, 100, rl, rr);
    reference.engine.setParameter(kVolume, 0.5f);
    reference.block({}, 112, rl, rr);
    EXPECT_EQ(instance->left, rl);
    EXPECT_EQ(instance->right, rr);
    EXPECT_TRUE(anyNonZero(instance->left, 0, 300));
    EXPECT_FALSE(anyNonZero(instance->left, 300, 400));  // volume 0 is silence
    EXPECT_TRUE(anyNonZero(instance->left, 400, 512));
}

// The rate reaches the engine: at each rate a note plays as the engine plays it there.
TEST_F(Vst3Bundle, SampleRatesFrom22To192kHz) {
    double tailSeconds = 0;
    for (double rate : {22050.0, 32000.0, 44100.0, 48000.0, 88200.0, 96000.0, 176400.0, 192000.0}) {
        auto instance = started(rate);
        std::vector<float> l, r;
        play(*instance, 2048, 512, {{{10, 0x90, 69, 90}}}, l, r);
        ReferenceEngine reference(rate);
        std::vector<float> rl, rr;
        for (int b = 0; b < 4; b++) reference.block(b == 0 ? std::vector<std::array<int, 4>>{{{10, 0x90, 69, 90}}}
                                                            : std::vector<std::array<int, 4>>{},
                                                    512, rl, rr);
        EXPECT_EQ(l, rl) << rate;
        // The tail is a time, plus two of the largest blocks: its length
        // in samples follows the rate.
        double seconds = (instance->audio()->getTailSamples() - 2 * 4096) / rate;
        if (tailSeconds > 0) {
            EXPECT_NEAR(seconds, tailSeconds, 1.0 / 22050) << rate;
        }
        tailSeconds = seconds;
    }
    // Changed while switched off, on the same instance.
    auto instance = started(44100);
    std::string why;
    ASSERT_TRUE(instance->changeRate(96000, &why)) << why;
    std::vector<float> l, r;
    play(*instance, 1024, 512, {{{0, 0x90, 69, 90}}}, l, r);
    ReferenceEngine reference(96000);
    std::vector<float> rl, rr;
    reference.block({{{0, 0x90, 69, 90}}}, 512, rl, rr);
    reference.block({}, 512, rl, rr);
    EXPECT_EQ(l, rl);
    // The validator's odd rates play too.
    for (double odd : {1234.5678, 12345.678, 384000.0, 1234567.8}) {
        auto at = started(odd);
        std::vector<float> ol, orr;
        play(*at, 1024, 512, {{{0, 0x90, 60, 100}}}, ol, orr);
        for (float x : ol) ASSERT_TRUE(std::isfinite(x)) << odd;
        EXPECT_TRUE(anyNonZero(ol)) << odd;
    }
    // A rate the engine cannot play is refused and the old one kept.
    ProcessSetup bad{kRealtime, kSample32, 512, 10.0};
    instance->audio()->setProcessing(0);
    instance->processor()->setActive(0);
    EXPECT_NE(instance->audio()->setupProcessing(bad), kResultOk);
}

// The tail is what a voice left sounding lasts: silent after it, not long before.
TEST_F(Vst3Bundle, TailCoversTheLongestNoteAndNoMore) {
    for (double rate : {22050.0, 44100.0}) {
        auto instance = started(rate);
        uint32 tail = instance->audio()->getTailSamples();
        // Key 21 at full velocity, never released: the longest sound there is.
        std::vector<float> l, r;
        play(*instance, (int32_t)tail + 4096, 4096, {{{0, 0x90, 21, 127}}}, l, r);
        EXPECT_TRUE(anyNonZero(l, tail * 3 / 4, tail)) << "the tail is far longer than the sound, at " << rate;
        EXPECT_FALSE(anyNonZero(l, tail)) << "sound after the tail, at " << rate;
        EXPECT_FALSE(anyNonZero(r, tail));
        EXPECT_EQ(instance->silenceFlags, 3u);
    }
}

TEST_F(Vst3Bundle, SilenceFlagsSayWhatWasWritten) {
    auto instance = started();
    instance->offerThirdChannel = true;
    instance->silenceFlagsIn = ~(uint64)0;
    ASSERT_EQ(instance->process(128, nullptr, nullptr), kResultOk);
    EXPECT_FALSE(anyNonZero(instance->left));
    EXPECT_FALSE(anyNonZero(instance->right));
    EXPECT_FALSE(anyNonZero(instance->extra));  // a channel we do not play is cleared
    EXPECT_EQ(instance->silenceFlags, 7u);
    Ref<EventList> events(new EventList());
    events->noteOn(0, 60, 0.9f);
    ASSERT_EQ(instance->process(128, events.get(), nullptr), kResultOk);
    EXPECT_TRUE(anyNonZero(instance->left));
    EXPECT_EQ(instance->silenceFlags, 4u);  // the host's flags cleared where there is sound
}

// ---- State ----

std::vector<uint8_t> stateOf(const float values[kNumParams]) {
    std::vector<uint8_t> s = {'Q', 'E', 'V', '3', 1, 0, 0, 0, kNumParams, 0, 0, 0};
    for (int i = 0; i < kNumParams; i++) {
        uint32_t bits;
        std::memcpy(&bits, &values[i], 4);
        for (int b = 0; b < 4; b++) s.push_back((uint8_t)(bits >> (8 * b)));
    }
    return s;
}

TEST_F(Vst3Bundle, StateRoundTripsThroughBothHalves) {
    auto instance = started();
    const float values[kNumParams] = {0.1f, 0.2f, 0.3f, 0.4f, 0.7f};
    Ref<ParameterChanges> changes(new ParameterChanges());
    for (int i = 0; i < kNumParams; i++) changes->add((ParamID)i, 0, values[i]);
    ASSERT_EQ(instance->flush(changes.get()), kResultOk);
    std::vector<uint8_t> saved = instance->saveState();
    EXPECT_EQ(saved, stateOf(values));

    auto other = started();
    tresult controllerResult = kInternalError;
    ASSERT_EQ(other->loadState(saved, &controllerResult), kResultOk);
    EXPECT_EQ(controllerResult, kResultOk);
    EXPECT_EQ(other->saveState(), saved);
    for (int i = 0; i < kNumParams; i++) EXPECT_EQ(other->controller()->getParamNormalized((ParamID)i), values[i]);

    // Read from where the stream stands, and not a byte past the record.
    Ref<MemoryStream> stream(new MemoryStream());
    stream->data.assign(3, 9);
    stream->data.insert(stream->data.end(), saved.begin(), saved.end());
    stream->data.resize(stream->data.size() + 4, 7);
    stream->position = 3;
    stream->readLimit = 1;  // a host stream that hands out a byte at a time
    EXPECT_EQ(instance->processor()->setState(stream.get()), kResultOk);
    EXPECT_EQ(stream->position, 3 + (int64)saved.size());
    EXPECT_LE(stream->furthestRead, 3 + (int64)saved.size());
}

TEST_F(Vst3Bundle, ForeignShortAndEmptyStatesAreRefusedAndChangeNothing) {
    auto instance = started();
    const float values[kNumParams] = {0.9f, 0.8f, 0.7f, 0.6f, 0.5f};
    tresult controllerResult;
    ASSERT_EQ(instance->loadState(stateOf(values), &controllerResult), kResultOk);
    const std::vector<uint8_t> good = instance->saveState();

    std::vector<std::vector<uint8_t>> bad;
    for (size_t n = 0; n < good.size(); n++) bad.push_back(std::vector<uint8_t>(good.begin(), good.begin() + n));
    std::vector<uint8_t> s = good;
    s[0] = 'X';  // not ours
    bad.push_back(s);
    s = good;
    s[4] = 2;  // a version we do not know
    bad.push_back(s);
    s = good;
    s[8] = 0;  // no parameters
    bad.push_back(s);
    s = good;
    s[8] = 0xFF, s[9] = 0xFF;  // more than any state of ours
    bad.push_back(s);
    const float nan = std::nanf("");
    const float outOfRange[kNumParams] = {0.5f, 0.5f, 2.f, 0.5f, 0.5f};
    const float notANumber[kNumParams] = {0.5f, nan, 0.5f, 0.5f, 0.5f};
    bad.push_back(stateOf(outOfRange));
    bad.push_back(stateOf(notANumber));
    std::mt19937 random(7);
    for (int i = 0; i < 50; i++) {
        std::vector<uint8_t> noise(random() % 64);
        for (uint8_t& b : noise) b = (uint8_t)random();
        bad.push_back(noise);
    }
    for (const std::vector<uint8_t>& b : bad) {
        ASSERT_EQ(instance->loadState(b, &controllerResult), kResultFalse) << b.size() << " bytes";
        EXPECT_EQ(controllerResult, kResultFalse);
        ASSERT_EQ(instance->saveState(), good);
        for (int i = 0; i < kNumParams; i++) EXPECT_EQ(instance->controller()->getParamNormalized((ParamID)i), values[i]);
    }
    EXPECT_NE(instance->processor()->setState(nullptr), kResultOk);

    // A later version's longer list: the parameters we know are taken.
    std::vector<uint8_t> longer = stateOf(values);
    longer[8] = kNumParams + 2;
    for (int i = 0; i < 8; i++) longer.push_back(0);
    EXPECT_EQ(instance->loadState(longer, &controllerResult), kResultOk);
    EXPECT_EQ(instance->saveState(), good);
}

// While the audio thread plays, the UI thread loads and saves states: each
// save gives back what was just loaded, and the sound stays finite.
TEST_F(Vst3Bundle, StatesMoveWhileAnotherThreadProcesses) {
    auto instance = started();
    const float a[kNumParams] = {0.1f, 0.9f, 0.2f, 0.8f, 0.3f}, b[kNumParams] = {0.7f, 0.6f, 0.95f, 0.05f, 1.f};
    std::atomic<bool> stop{false};
    std::atomic<int> blocks{0}, bad{0};
    std::thread audio([&] {
        std::vector<float> l(256), r(256);
        float* channels[2] = {l.data(), r.data()};
        Ref<EventList> notes(new EventList());
        for (int i = 0; i < 8; i++) notes->noteOn(i * 30, (int16)(40 + 5 * i), 0.7f);
        Ref<EventList> none(new EventList());
        while (!stop) {
            AudioBusBuffers out{};
            out.numChannels = 2;
            out.channelBuffers32 = channels;
            ProcessData data{};
            data.symbolicSampleSize = kSample32;
            data.numSamples = 256;
            data.numOutputs = 1;
            data.outputs = &out;
            data.inputEvents = blocks % 100 == 0 ? notes.get() : none.get();
            if (instance->audio()->process(data) != kResultOk) bad++;
            for (float x : l)
                if (!std::isfinite(x)) bad++;
            blocks++;
        }
    });
    tresult controllerResult;
    for (int i = 0; i < 2000; i++) {
        const float* values = i % 2 ? a : b;
        ASSERT_EQ(instance->loadState(stateOf(values), &controllerResult), kResultOk);
        ASSERT_EQ(instance->saveState(), stateOf(values)) << i;
    }
    while (blocks < 200) std::this_thread::yield();
    stop = true;
    audio.join();
    EXPECT_EQ(bad, 0);
}

// What a host of the VST 2 plug-in saved: the 'VstW' header (or none), then
// a bank with the one program, or the program alone; all big-endian.
void putBig(std::vector<uint8_t>& s, uint32_t v) {
    for (int i = 3; i >= 0; i--) s.push_back((uint8_t)(v >> (8 * i)));
}
void putTag(std::vector<uint8_t>& s, const char* tag) {
    for (int i = 0; i < 4; i++) s.push_back((uint8_t)tag[i]);
}
std::vector<uint8_t> vst2Program(const float values[kNumParams], const char* id = "QZEP") {
    std::vector<uint8_t> s;
    putTag(s, "CcnK");
    putBig(s, 16 + 28 + 4 * kNumParams + 4);
    putTag(s, "FxCk");
    putBig(s, 1);
    putTag(s, id);
    putBig(s, 1200);
    putBig(s, kNumParams);
    const char name[28] = "Default";
    s.insert(s.end(), name, name + 28);
    for (int i = 0; i < kNumParams; i++) {
        uint32_t bits;
        std::memcpy(&bits, &values[i], 4);
        putBig(s, bits);
    }
    return s;
}
std::vector<uint8_t> vst2Bank(const float values[kNumParams], bool header, uint32_t bankVersion = 2,
                              const char* id = "QZEP") {
    std::vector<uint8_t> s;
    if (header) {
        putTag(s, "VstW");
        putBig(s, 8);
        putBig(s, 1);
        putBig(s, 0);
    }
    std::vector<uint8_t> program = vst2Program(values, id);
    putTag(s, "CcnK");
    putBig(s, (uint32_t)(16 + 4 + (bankVersion >= 1 ? 128 : 0) + program.size()));
    putTag(s, "FxBk");
    putBig(s, bankVersion);
    putTag(s, id);
    putBig(s, 1200);
    putBig(s, 1);
    if (bankVersion >= 1) s.resize(s.size() + 128, 0);  // current program 0, then reserved
    s.insert(s.end(), program.begin(), program.end());
    return s;
}

// A project saved with the VST 2 plug-in opens with its settings: hosts hand
// its state to both halves, since the class IDs name this as its successor.
TEST_F(Vst3Bundle, Vst2StatesOfThisPluginAreTaken) {
    const float values[kNumParams] = {0.15f, 0.25f, 0.35f, 0.45f, 0.55f};
    const float others[kNumParams] = {0.9f, 0.9f, 0.9f, 0.9f, 0.9f};
    const std::vector<std::vector<uint8_t>> forms = {vst2Bank(values, true), vst2Bank(values, false),
                                                     vst2Bank(values, true, 1), vst2Bank(values, false, 0),
                                                     vst2Program(values)};
    for (size_t f = 0; f < forms.size(); f++) {
        auto instance = started();
        tresult controllerResult = kInternalError;
        ASSERT_EQ(instance->loadState(forms[f], &controllerResult), kResultOk) << "form " << f;
        EXPECT_EQ(controllerResult, kResultOk);
        EXPECT_EQ(instance->saveState(), stateOf(values)) << "form " << f;  // saved again as a state of ours
        for (int i = 0; i < kNumParams; i++) EXPECT_EQ(instance->controller()->getParamNormalized((ParamID)i), values[i]);
        // Cut anywhere, or another plug-in's: refused, nothing changed.
        ASSERT_EQ(instance->loadState(stateOf(others), &controllerResult), kResultOk);
        for (size_t n = 0; n < forms[f].size(); n++) {
            std::vector<uint8_t> cut(forms[f].begin(), forms[f].begin() + (long)n);
            ASSERT_EQ(instance->loadState(cut, &controllerResult), kResultFalse) << "form " << f << ", " << n;
            EXPECT_EQ(controllerResult, kResultFalse);
        }
        EXPECT_EQ(instance->saveState(), stateOf(others));
    }
    auto instance = started();
    tresult controllerResult;
    EXPECT_EQ(instance->loadState(vst2Bank(values, true, 2, "ABCD"), &controllerResult), kResultFalse);
    EXPECT_EQ(instance->loadState(vst2Program(values, "ABCD"), &controllerResult), kResultFalse);
}

// ---- Controller ----

TEST_F(Vst3Bundle, ControllerListsTheFiveParameters) {
    auto instance = started();
    IEditController* c = instance->controller();
    ASSERT_GE(c->getParameterCount(), kNumParams);
    for (int32 i = 0; i < kNumParams; i++) {
        v3::ParameterInfo info;
        ASSERT_EQ(c->getParameterInfo(i, info), kResultOk);
        EXPECT_EQ(info.id, (ParamID)i);  // the VST 2 index
        EXPECT_EQ(narrow(info.title), kParameters[i].name);
        EXPECT_EQ(narrow(info.units), kParameters[i].label);
        EXPECT_EQ(info.defaultNormalizedValue, (double)kParameters[i].defaultValue);
        EXPECT_EQ(info.flags, kCanAutomate);
        EXPECT_EQ(info.stepCount, 0);
        EXPECT_EQ(info.unitId, 0);
        // Before any state, the defaults; the processor starts at them too.
        EXPECT_EQ(c->getParamNormalized(info.id), (double)kParameters[i].defaultValue);
    }
    std::vector<uint8_t> state = instance->saveState();
    float defaults[kNumParams];
    for (int i = 0; i < kNumParams; i++) defaults[i] = kParameters[i].defaultValue;
    EXPECT_EQ(state, stateOf(defaults));
    // The rest are the MIDI controllers' parameters: hidden, not automatable,
    // 128 steps, IDs clear of the VST 2 indices, none twice.
    std::set<ParamID> ids;
    for (int32 i = 0; i < c->getParameterCount(); i++) {
        v3::ParameterInfo info;
        ASSERT_EQ(c->getParameterInfo(i, info), kResultOk);
        EXPECT_TRUE(ids.insert(info.id).second) << info.id;
        EXPECT_FALSE(narrow(info.title).empty());
        if (i < kNumParams) continue;
        EXPECT_GE(info.id, 1000u);
        EXPECT_LT(info.id, 0x80000000u);
        EXPECT_EQ(info.flags & kCanAutomate, 0);
        EXPECT_EQ(info.stepCount, 127);
    }
    v3::ParameterInfo none;
    EXPECT_NE(c->getParameterInfo(c->getParameterCount(), none), kResultOk);
}

// Pedals, wheel, volume and all-notes-off map to listed parameters on every
// channel; nothing else does.
TEST_F(Vst3Bundle, MidiControllersMapToListedParameters) {
    auto instance = started();
    IMidiMapping* mapping = query<IMidiMapping>(instance->controller());
    ASSERT_NE(mapping, nullptr);
    std::set<ParamID> listed;
    for (int32 i = 0; i < instance->controller()->getParameterCount(); i++) {
        v3::ParameterInfo info;
        ASSERT_EQ(instance->controller()->getParameterInfo(i, info), kResultOk);
        listed.insert(info.id);
    }
    const std::set<int> engineControllers = {1, 7, 64, 66, 123, 124, 125, 126, 127};
    for (int16 channel = 0; channel < 16; channel++) {
        std::set<ParamID> seen;
        for (int16 cc = 0; cc < 130; cc++) {
            ParamID id = 12345;
            tresult r = mapping->getMidiControllerAssignment(0, channel, cc, id);
            if (engineControllers.count(cc)) {
                ASSERT_EQ(r, kResultTrue) << cc;
                EXPECT_TRUE(listed.count(id)) << cc;
                EXPECT_GE(id, (ParamID)kNumParams);  // never a setting
                EXPECT_TRUE(seen.insert(id).second);
            } else {
                EXPECT_EQ(r, kResultFalse) << cc;
            }
        }
    }
    ParamID id;
    EXPECT_EQ(mapping->getMidiControllerAssignment(1, 0, 64, id), kResultFalse);
    mapping->release();
}

// A controller's parameter points play as the controller's MIDI messages at
// the same frames, and leave the state alone.
TEST_F(Vst3Bundle, MappedControllersPlayAsTheirMidiMessages) {
    auto instance = started();
    IMidiMapping* mapping = query<IMidiMapping>(instance->controller());
    ASSERT_NE(mapping, nullptr);
    ParamID pedal, wheel, volume;
    ASSERT_EQ(mapping->getMidiControllerAssignment(0, 0, 64, pedal), kResultTrue);
    ASSERT_EQ(mapping->getMidiControllerAssignment(0, 0, 1, wheel), kResultTrue);
    ASSERT_EQ(mapping->getMidiControllerAssignment(0, 0, 7, volume), kResultTrue);
    mapping->release();
    std::vector<uint8_t> before = instance->saveState();

    ReferenceEngine reference(kRate);
    std::vector<float> rl, rr, l, r;
    {
        Ref<EventList> events(new EventList());
        Ref<ParameterChanges> changes(new ParameterChanges());
        changes->add(volume, 0, 90 / 127.0);
        changes->add(pedal, 10, 1.0);
        changes->add(wheel, 20, 100 / 127.0);
        events->noteOn(30, 48, 80 / 127.f);
        events->noteOff(300, 48);
        ASSERT_EQ(instance->process(512, events.get(), changes.get()), kResultOk);
        l.insert(l.end(), instance->left.begin(), instance->left.end());
        reference.block({{{0, 0xB0, 7, 90}}, {{10, 0xB0, 64, 127}}, {{20, 0xB0, 1, 100}}, {{30, 0x90, 48, 80}},
                         {{300, 0x80, 48, 0}}},
                        512, rl, rr);
    }
    for (int b = 0; b < 4; b++) {  // the pedal holds the note, then lets it go at frame 100 of the third block
        Ref<ParameterChanges> changes(new ParameterChanges());
        if (b == 2) changes->add(pedal, 100, 0.0);
        ASSERT_EQ(instance->process(512, nullptr, changes.get()), kResultOk);
        l.insert(l.end(), instance->left.begin(), instance->left.end());
        reference.block(b == 2 ? std::vector<std::array<int, 4>>{{{100, 0xB0, 64, 0}}} : std::vector<std::array<int, 4>>{},
                        512, rl, rr);
    }
    EXPECT_EQ(l, rl);
    EXPECT_TRUE(anyNonZero(l, 1024, 1536));  // held past the note-off
    EXPECT_EQ(instance->saveState(), before);
}

// The texts are the VST 2 plug-in's display texts, and read back to values
// that show the same text.
TEST_F(Vst3Bundle, ParameterTextsAreTheVst2OnesAndReadBack) {
    auto instance = started();
    IEditController* c = instance->controller();
    EpianoEngine engine;
    for (int32 i = 0; i < kNumParams; i++) {
        for (int step = 0; step <= 64; step++) {
            double value = step / 64.0;
            String128 text;
            ASSERT_EQ(c->getParamStringByValue((ParamID)i, value, text), kResultOk);
            engine.setParameter(i, (float)value);
            char expected[64];
            engine.parameterDisplay(i, expected);
            ASSERT_EQ(narrow(text), expected) << i << " at " << value;
            ParamValue back = -1;
            ASSERT_EQ(c->getParamValueByString((ParamID)i, text, back), kResultOk) << narrow(text);
            String128 again;
            ASSERT_EQ(c->getParamStringByValue((ParamID)i, back, again), kResultOk);
            EXPECT_EQ(narrow(again), narrow(text)) << i << " at " << value;
        }
    }
    // A host's value outside 0..1 shows the text of the value it would set;
    // NaN, which sets nothing, the default's (a controller's 0).
    auto textOf = [&](ParamID id, double value) {
        String128 t;
        EXPECT_EQ(c->getParamStringByValue(id, value, t), kResultOk) << id << " at " << value;
        return narrow(t);
    };
    const double inf = std::numeric_limits<double>::infinity(), nan = std::numeric_limits<double>::quiet_NaN();
    ParamID pedal = 0;
    IMidiMapping* mapping = instance->midiMapping();
    ASSERT_NE(mapping, nullptr);
    ASSERT_EQ(mapping->getMidiControllerAssignment(0, 0, 64, pedal), kResultTrue);
    const struct {
        ParamID id;
        double outside, shownAs;
    } outside[] = {
        {kSustain, -0.5, 0}, {kSustain, 1.5, 1},          {kTreble, -inf, 0},
        {kTreble, inf, 1},   {kLfoDepth, 1e300, 1},       {kSustain, nan, kParameters[kSustain].defaultValue},
        {kTreble, nan, kParameters[kTreble].defaultValue}, {pedal, -0.2, 0},
        {pedal, 7, 1},       {pedal, nan, 0},
    };
    for (const auto& o : outside) EXPECT_EQ(textOf(o.id, o.outside), textOf(o.id, o.shownAs)) << o.id << " at " << o.outside;
    EXPECT_EQ(textOf(pedal, 7), "127");
    EXPECT_EQ(textOf(pedal, nan), "0");
    std::u16string junk = widen("loud");
    ParamValue v = 0.5;
    EXPECT_EQ(c->getParamValueByString(kSustain, junk.data(), v), kResultFalse);
    EXPECT_EQ(c->getParamValueByString(kLfoDepth, junk.data(), v), kResultFalse);
    EXPECT_EQ(v, 0.5);
    String128 text;
    EXPECT_NE(c->getParamStringByValue(kNumParams, 0.5, text), kResultOk);
    EXPECT_EQ(c->setParamNormalized(kTreble, 0.25), kResultOk);
    EXPECT_EQ(c->getParamNormalized(kTreble), 0.25);
}

}  // namespace
