// The VST 3 processor's audio calls allocate nothing and take no lock: the
// bundle is loaded into this program, which exports the allocator and the
// lock calls on Linux and redirects the binary's imports of them on Windows
// (as qelt-validate does), and every process and setProcessing call is
// watched while notes, parameter points, controllers, the editor's keys (by
// message) and flushes come in.
#include <gtest/gtest.h>

#include <cstdlib>

#include "tools/validate/audio_guard.h"
#include "tools/vst3host/vst3_host.h"

using namespace v3host;

namespace {

// The watch reaches into the loaded binary: making an instance there allocates.
// The bundle loaded, with its calls watched.
void loadWatched(Vst3Module& module) {
    std::string why;
    ASSERT_TRUE(module.load(QELT_VST3_BUNDLE, &why)) << why;
    ASSERT_TRUE(audioguard::watchPlugin(module.handle()));
}

TEST(Vst3Realtime, TheWatchSeesTheBinaryAllocate) {
    Vst3Module module;
    ASSERT_NO_FATAL_FAILURE(loadWatched(module));
    Tuid cid;
    ASSERT_TRUE(module.processorClass(&cid));
    audioguard::Violations before = audioguard::violations();
    void* made = nullptr;
    {
        audioguard::AudioCall call;
        ASSERT_EQ(module.factory()->createInstance(cid.bytes, IComponent::iid.bytes, &made), kResultOk);
    }
    EXPECT_GT(audioguard::violations().allocations, before.allocations);
    static_cast<IComponent*>(made)->release();
}

TEST(Vst3Realtime, AudioCallsAllocateNothingAndTakeNoLock) {
    Vst3Module module;
    ASSERT_NO_FATAL_FAILURE(loadWatched(module));
    std::string why;
    Vst3Instance instance;
    Vst3Setup setup;
    setup.maxBlock = 1024;
    ASSERT_TRUE(instance.start(module, setup, &why)) << why;
    IMidiMapping* mapping = instance.midiMapping();
    ASSERT_NE(mapping, nullptr);
    ParamID pedal;
    ASSERT_EQ(mapping->getMidiControllerAssignment(0, 0, 64, pedal), kResultTrue);

    std::vector<float> left(1024), right(1024);
    float* channels[2] = {left.data(), right.data()};
    audioguard::Violations before = audioguard::violations();
    for (int block = 0; block < 400; block++) {
        Ref<EventList> events(new EventList());
        Ref<ParameterChanges> changes(new ParameterChanges());
        int32 frames = block % 9 == 4 ? 0 : 1 + (block * 37) % 1024;
        if (frames > 0) {
            events->noteOn(frames / 3, (int16)(21 + block % 88), 0.2f + (block % 5) * 0.15f);
            events->noteOff(frames - 1, (int16)(21 + (block + 40) % 88));
            changes->add((ParamID)(block % 5), frames / 2, (block % 11) / 10.0);
            changes->add((ParamID)(block % 5), frames - 1, (block % 7) / 6.0);
            changes->add(pedal, frames / 4, block % 2 ? 1.0 : 0.0);
        } else {
            changes->add(4, 0, 0.8);
        }
        // An editor's key on its way in: queued by the message, played by process.
        Ref<Message> key(new Message());
        key->setMessageID("QeltKey");
        key->getAttributes()->setInt("key", 21 + (block * 7) % 88);
        key->getAttributes()->setInt("down", block % 2);
        ASSERT_EQ(instance.toProcessor()->notify(key.get()), kResultOk);
        AudioBusBuffers out{};
        out.numChannels = 2;
        out.channelBuffers32 = channels;
        ProcessData data{};
        data.symbolicSampleSize = kSample32;
        data.numSamples = frames;
        data.numOutputs = frames > 0 ? 1 : 0;
        data.outputs = frames > 0 ? &out : nullptr;
        data.inputParameterChanges = changes.get();
        data.inputEvents = events.get();
        audioguard::AudioCall call;
        ASSERT_EQ(instance.audio()->process(data), kResultOk);
        if (block % 50 == 49) {
            ASSERT_EQ(instance.audio()->setProcessing(0), kResultOk);
            ASSERT_EQ(instance.audio()->setProcessing(1), kResultOk);
        }
    }
    audioguard::Violations after = audioguard::violations();
    EXPECT_EQ(after.allocations, before.allocations) << (after.first ? after.first : "");
    EXPECT_EQ(after.locks, before.locks) << (after.first ? after.first : "");
}

}  // namespace
