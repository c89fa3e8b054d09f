// The record and the dispatcher as a host sees them, through the exported entry.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <iterator>
#include <vector>

#include "tests/support/plugin_under_test.h"

namespace {

TEST(Entry, BothExportsGiveAWorkingInstance) {
    for (const char* name : {"VSTPluginMain", "main"}) {
        HostedPlugin p;
        ASSERT_TRUE(p.create(name)) << name;
        EXPECT_EQ(p.record()->magic, 0x56737450);
        EXPECT_EQ(p.plugin->text(effGetEffectName), "Qelt ePiano") << name;
    }
}

TEST(Entry, AsksTheVersionFirstWithANullRecord) {
    HostedPlugin p;
    ASSERT_TRUE(p.create());
    std::vector<HostCall> calls = p.host.calls();
    ASSERT_FALSE(calls.empty());
    EXPECT_EQ(calls[0].opcode, audioMasterVersion);
    EXPECT_EQ(calls[0].effect, nullptr);
    EXPECT_EQ(calls[0].index, 0);
    EXPECT_EQ(calls[0].value, 0);
    EXPECT_EQ(calls[0].opt, 0.f);
    EXPECT_EQ(calls.size(), 1u) << "construction sends nothing but the version query";
}

TEST(Entry, AHostAnsweringVersionZeroGetsNoInstance) {
    RecordingHost host;
    host.versionAnswer = 0;
    VstEntryProc entry = pluginEntry();
    ASSERT_NE(entry, nullptr);
    EXPECT_EQ(host.create(entry), nullptr);
    EXPECT_EQ(host.calls().size(), 1u);
}

TEST(Entry, AnyNonZeroVersionIsAccepted) {
    for (VstIntPtr version : {1, 2300, 2400, -1}) {
        RecordingHost host;
        host.versionAnswer = version;
        AEffect* e = host.create(pluginEntry());
        ASSERT_NE(e, nullptr) << version;
        PluginInstance(e).close();
    }
}

TEST(Record, HoldsTheInstrumentsValues) {
    HostedPlugin p;
    ASSERT_TRUE(p.create());
    const AEffect* e = p.record();
    EXPECT_EQ(e->magic, kEffectMagic);
    EXPECT_EQ(e->numPrograms, 1);
    EXPECT_EQ(e->numParams, 5);
    EXPECT_EQ(e->numInputs, 0);
    EXPECT_EQ(e->numOutputs, 2);
#if defined(_WIN32) || QELT_LINUX_EDITOR
    // The DLL and the Linux plug-in with the X11 editor have it; the native build has none.
    EXPECT_EQ(e->flags, effFlagsHasEditor | effFlagsCanReplacing | effFlagsIsSynth);
    EXPECT_EQ(e->flags, 0x111);
#else
    EXPECT_EQ(e->flags, effFlagsCanReplacing | effFlagsIsSynth);
#endif
    EXPECT_EQ(e->resvd1, 0);
    EXPECT_EQ(e->resvd2, 0);
    EXPECT_EQ(e->initialDelay, 0);
    EXPECT_EQ(e->realQualities, 0);
    EXPECT_EQ(e->offQualities, 0);
    EXPECT_EQ(e->ioRatio, 1.f);
    EXPECT_NE(e->object, nullptr);
    EXPECT_EQ(e->uniqueID, 0x515A4550) << "QZEP";
    EXPECT_EQ(e->version, 1);
    EXPECT_NE(e->dispatcher, nullptr);
    EXPECT_NE(e->process, nullptr);
    EXPECT_NE(e->setParameter, nullptr);
    EXPECT_NE(e->getParameter, nullptr);
    EXPECT_NE(e->processReplacing, nullptr);
    EXPECT_NE(e->processDoubleReplacing, nullptr);
    for (char c : e->future) EXPECT_EQ(c, 0);
}

// The release's major number, from the VERSION file's line as the build read
// it (the Windows suites run where the source tree is not at hand).
TEST(Dispatcher, VendorVersionIsTheReleasesMajorNumber) {
    int major = -1, minor = -1, micro = -1;
    char rest = 0;
    ASSERT_EQ(std::sscanf(QELT_RELEASE_VERSION, "%d.%d.%d%c", &major, &minor, &micro, &rest), 3)
        << QELT_RELEASE_VERSION;
    HostedPlugin p;
    ASSERT_TRUE(p.create());
    EXPECT_EQ(p.plugin->dispatch(effGetVendorVersion), major);
}

TEST(Dispatcher, FixedAnswers) {
    HostedPlugin p;
    ASSERT_TRUE(p.create());
    PluginInstance& i = *p.plugin;
    EXPECT_EQ(i.dispatch(effIdentify), 0x4E764566);
    EXPECT_EQ(i.dispatch(effGetVu), 0);
    EXPECT_EQ(i.dispatch(effGetVstVersion), 2400);
    EXPECT_EQ(i.dispatch(effGetPlugCategory), 2);
    EXPECT_EQ(i.dispatch(effGetNumMidiInputChannels), 1);
    EXPECT_EQ(i.dispatch(effGetNumMidiOutputChannels), 0);
    EXPECT_EQ(i.dispatch(effGetCurrentMidiProgram), -1);
    EXPECT_EQ(i.dispatch(effSetTotalSampleToProcess, 0, 12345), 12345);
    EXPECT_EQ(i.dispatch(effGetTailSize), 0);
    EXPECT_EQ(i.dispatch(effSetBypass, 0, 1), 0);
    EXPECT_EQ(i.dispatch(effSetBypass, 0, 0), 0);
    EXPECT_EQ(i.dispatch(effOpen), 0);
    EXPECT_EQ(i.dispatch(effGetProgram), 0);
    EXPECT_EQ(i.dispatch(effString2Parameter, 0, 0, (void*)"0.5"), 0);
    EXPECT_EQ(i.dispatch(effGetParameterProperties, 0), 0);
    EXPECT_EQ(i.dispatch(effGetInputProperties, 0), 0);
    EXPECT_EQ(i.dispatch(effStartProcess), 0);
    EXPECT_EQ(i.dispatch(effStopProcess), 0);
    EXPECT_EQ(i.dispatch(effSetProcessPrecision, 0, 1), 0);
    EXPECT_EQ(i.dispatch(effVendorSpecific, 1, 2, nullptr, 3.f), 0);
    EXPECT_EQ(i.dispatch(effShellGetNextPlugin), 0);
    EXPECT_EQ(i.dispatch(effBeginSetProgram), 0);
    EXPECT_EQ(i.dispatch(effEndSetProgram), 0);
}

TEST(Dispatcher, AutomationIsAllowedForAnyIndex) {
    HostedPlugin p;
    ASSERT_TRUE(p.create());
    for (VstInt32 index : {0, 4, 5, 60, 1000, -7}) EXPECT_EQ(p.plugin->dispatch(effCanBeAutomated, index), 1) << index;
}

TEST(Dispatcher, UnknownAndDeprecatedOpcodesAnswerZero) {
    HostedPlugin p;
    ASSERT_TRUE(p.create());
    const VstInt32 unanswered[] = {effGetVu,           effEditDraw,          effEditMouse,     effEditKey,
                                   effEditTop,         effEditSleep,         effGetNumProgramCategories,
                                   effCopyProgram,     effConnectInput,      effConnectOutput, effGetCurrentPosition,
                                   effGetDestinationBuffer, effSetBlockSizeAndSampleRate, effGetErrorText,
                                   effIdle,            effGetIcon,           effSetViewPosition, effKeysRequired,
                                   80,                 81,                   100,              1000,
                                   -1,                 0x7FFFFFFF};
    char buffer[256];
    for (VstInt32 opcode : unanswered) {
        std::memset(buffer, 0x5A, sizeof(buffer));
        EXPECT_EQ(p.plugin->dispatch(opcode, 1, 2, buffer, 3.f), 0) << opcode;
        for (char c : buffer) ASSERT_EQ(c, 0x5A) << "opcode " << opcode << " wrote into ptr";
    }
}

TEST(Dispatcher, ProgramSelectionOutsideTheRangeIsIgnored) {
    HostedPlugin p;
    ASSERT_TRUE(p.create());
    for (VstIntPtr value : {1, -1, 2, 1000})
        EXPECT_EQ(p.plugin->dispatch(effSetProgram, 0, value), 0);
    EXPECT_EQ(p.plugin->dispatch(effGetProgram), 0);
    EXPECT_EQ(p.plugin->dispatch(effSetProgram, 0, 0), 0);
    EXPECT_EQ(p.plugin->dispatch(effGetProgram), 0);
}

TEST(Dispatcher, ChunkRequestsTouchNothing) {
    HostedPlugin p;
    ASSERT_TRUE(p.create());
    void* target = (void*)0x1234;
    EXPECT_EQ(p.plugin->dispatch(effGetChunk, 0, 0, &target), 0);
    EXPECT_EQ(p.plugin->dispatch(effGetChunk, 1, 0, &target), 0);
    EXPECT_EQ(target, (void*)0x1234);
    char data[4] = {1, 2, 3, 4};
    EXPECT_EQ(p.plugin->dispatch(effSetChunk, 0, 4, data), 0);
}

TEST(Dispatcher, SpeakerArrangementAnswersNullPointers) {
    HostedPlugin p;
    ASSERT_TRUE(p.create());
    void* input = (void*)0x1;
    void* output = (void*)0x2;
    EXPECT_EQ(p.plugin->dispatch(effGetSpeakerArrangement, 0, (VstIntPtr)&input, &output), 0);
    EXPECT_EQ(input, nullptr);
    EXPECT_EQ(output, nullptr);
    EXPECT_EQ(p.plugin->dispatch(effGetSpeakerArrangement, 0, 0, nullptr), 0);
    EXPECT_EQ(p.plugin->dispatch(effSetSpeakerArrangement, 0, 0, nullptr), 0);
}

TEST(Identity, Names) {
    HostedPlugin p;
    ASSERT_TRUE(p.create());
    EXPECT_EQ(p.plugin->text(effGetEffectName), "Qelt ePiano");
    EXPECT_EQ(p.plugin->text(effGetProductString), "Qelt ePiano");
    EXPECT_EQ(p.plugin->text(effGetVendorString), "Qelt");
    char buffer[64];
    EXPECT_EQ(p.plugin->dispatch(effGetEffectName, 0, 0, buffer), 1);
    EXPECT_EQ(p.plugin->dispatch(effGetVendorString, 0, 0, buffer), 1);
    EXPECT_EQ(p.plugin->dispatch(effGetProductString, 0, 0, buffer), 1);
}

TEST(Identity, CanDoIsExactAndCaseSensitive) {
    HostedPlugin p;
    ASSERT_TRUE(p.create());
    auto canDo = [&](const char* text) { return p.plugin->dispatch(effCanDo, 0, 0, (void*)text); };
    EXPECT_EQ(canDo("receiveVstEvents"), 1);
    EXPECT_EQ(canDo("receiveVstMidiEvent"), 1);
    for (const char* no : {"receiveVstTimeInfo", "bypass", "", "ReceiveVstEvents", "RECEIVEVSTMIDIEVENT",
                           "receiveVstEvent", "receiveVstMidiEven", "receiveVstEvents ", "sendVstEvents",
                           "sendVstMidiEvent", "offline", "midiProgramNames"})
        EXPECT_EQ(canDo(no), -1) << '"' << no << '"';
}

TEST(Identity, OutputPins) {
    HostedPlugin p;
    ASSERT_TRUE(p.create());
    for (VstInt32 index : {0, 1}) {
        VstPinProperties pin;
        std::memset(&pin, 0x33, sizeof(pin));
        ASSERT_EQ(p.plugin->dispatch(effGetOutputProperties, index, 0, &pin), 1);
        EXPECT_STREQ(pin.label, "ePiano");
        EXPECT_EQ(pin.flags, kVstPinIsActive | kVstPinIsStereo);
        EXPECT_EQ(pin.arrangementType, 0x33333333) << "left as the host passed it";
        for (char c : pin.shortLabel) EXPECT_EQ(c, 0x33);
        for (char c : pin.future) EXPECT_EQ(c, 0x33);
        for (size_t k = 7; k < sizeof(pin.label); k++) EXPECT_EQ(pin.label[k], 0x33);
    }
    for (VstInt32 index : {2, -1, 1000}) {
        VstPinProperties pin;
        std::memset(&pin, 0x33, sizeof(pin));
        EXPECT_EQ(p.plugin->dispatch(effGetOutputProperties, index, 0, &pin), 0);
        for (size_t k = 0; k < sizeof(pin); k++) ASSERT_EQ(((unsigned char*)&pin)[k], 0x33);
    }
    VstPinProperties pin;
    EXPECT_EQ(p.plugin->dispatch(effGetInputProperties, 0, 0, &pin), 0);
}

TEST(BadInput, NullPointersGetZeroAndNoWrite) {
    HostedPlugin p;
    ASSERT_TRUE(p.create());
    for (VstInt32 opcode :
         {effGetProgramName, effSetProgramName, effGetParamLabel, effGetParamDisplay, effGetParamName,
          effEditGetRect, effGetEffectName, effGetVendorString, effGetProductString, effCanDo,
          effGetOutputProperties, effGetInputProperties, effGetProgramNameIndexed, effGetChunk,
          effGetMidiProgramName, effGetMidiKeyName, effGetSpeakerArrangement, effString2Parameter,
          effShellGetNextPlugin, effBeginLoadBank, effBeginLoadProgram})
        EXPECT_EQ(p.plugin->dispatch(opcode, 0, 0, nullptr), 0) << opcode;
    EXPECT_EQ(p.plugin->dispatch(effGetCurrentMidiProgram, 0, 0, nullptr), -1);
}

TEST(BadInput, IndicesFarOutOfRangeAreSafe) {
    HostedPlugin p;
    ASSERT_TRUE(p.create());
    for (VstInt32 index : {-2147483647 - 1, -1, 5, 20, 128, 1000, 2147483647}) {
        for (VstInt32 opcode : {effGetParamName, effGetParamLabel, effGetParamDisplay}) {
            char buffer[64];
            std::memset(buffer, 0, sizeof(buffer));
            p.plugin->dispatch(opcode, index, 0, buffer);
            EXPECT_LT(std::strlen(buffer), 9u) << "opcode " << opcode << " index " << index;
        }
        EXPECT_TRUE(std::isfinite(p.plugin->getParameter(index)));
    }
}

// Values as wide as a pointer with the upper half set (on 64-bit hosts these
// do not fit the 32-bit fields some opcodes keep), at every opcode whose value
// is a number: nothing crashes and the instrument afterwards plays exactly as
// a fresh one.
TEST(BadInput, PointerWideValuesWithTheHighHalfSetAreSafe) {
    const VstIntPtr highHalf = (VstIntPtr)(~(uintptr_t)0 << (4 * sizeof(VstIntPtr)));
    const VstIntPtr values[] = {highHalf,   highHalf | 1,  highHalf | 2, (VstIntPtr)((uintptr_t)highHalf >> 1),
                                INTPTR_MAX, INTPTR_MIN};
    // The value is a pointer at these; closing and opening an editor are tested elsewhere.
    const VstInt32 skipped[] = {effClose, effEditOpen, effGetSpeakerArrangement, effSetSpeakerArrangement,
                                effVendorSpecific};
    auto playNote = [](HostedPlugin& p) {
        p.plugin->dispatch(effMainsChanged, 0, 0);
        p.plugin->dispatch(effSetSampleRate, 0, 0, nullptr, 44100.f);
        p.plugin->dispatch(effMainsChanged, 0, 1);
        MidiEventBlock note;
        note.add(5, 0x90, 64, 100);
        std::vector<float> left, right;
        p.plugin->render(&note, 512, left, right);
        p.plugin->render(nullptr, 512, left, right);
        return left;
    };

    HostedPlugin fresh;
    ASSERT_TRUE(fresh.create());
    fresh.plugin->start(44100.f, 512);
    const std::vector<float> expected = playNote(fresh);

    HostedPlugin p;
    ASSERT_TRUE(p.create());
    p.plugin->start(44100.f, 512);
    for (VstInt32 opcode = effOpen; opcode <= effGetNumMidiOutputChannels; opcode++) {
        if (std::find(std::begin(skipped), std::end(skipped), opcode) != std::end(skipped)) continue;
        for (VstIntPtr value : values)
            for (VstInt32 index : {0, -2147483647 - 1}) p.plugin->dispatch(opcode, index, value, nullptr, 44100.f);
    }
    EXPECT_EQ(p.plugin->dispatch(effGetProgram), 0);
    const std::vector<float> played = playNote(p);
    ASSERT_EQ(played.size(), expected.size());
    EXPECT_GT(std::fabs(played[600]), 0.f) << "the note sounds";
    EXPECT_TRUE(played == expected) << "plays as a fresh instance";
}

TEST(Processing, DeprecatedEntriesLeaveTheBuffersAlone) {
    HostedPlugin p;
    ASSERT_TRUE(p.create());
    AEffect* e = p.record();
    float left[64], right[64];
    for (int k = 0; k < 64; k++) left[k] = right[k] = 0.25f;
    float* outputs[2] = {left, right};
    e->process(e, nullptr, outputs, 64);
    for (int k = 0; k < 64; k++) ASSERT_EQ(left[k], 0.25f);
    double dl[64], dr[64];
    for (int k = 0; k < 64; k++) dl[k] = dr[k] = 0.5;
    double* doutputs[2] = {dl, dr};
    e->processDoubleReplacing(e, nullptr, doutputs, 64);
    for (int k = 0; k < 64; k++) ASSERT_EQ(dl[k], 0.5);
}

TEST(HostRequests, EverySwitchOnAsksForMidi) {
    HostedPlugin p;
    ASSERT_TRUE(p.create());
    p.host.clear();
    p.plugin->dispatch(effMainsChanged, 0, 0);
    EXPECT_TRUE(p.host.calls().empty()) << "switching off sends nothing";
    p.plugin->dispatch(effMainsChanged, 0, 1);
    p.plugin->dispatch(effMainsChanged, 0, 0);
    p.plugin->dispatch(effMainsChanged, 0, 7);
    std::vector<HostCall> calls = p.host.calls();
    ASSERT_EQ(calls.size(), 2u);
    for (const HostCall& c : calls) {
        EXPECT_EQ(c.opcode, audioMasterWantMidi);
        EXPECT_EQ(c.index, 0);
        EXPECT_EQ(c.value, 1);
        EXPECT_EQ(c.effect, p.record());
    }
}

TEST(HostRequests, OtherOpcodesSendNothing) {
    HostedPlugin p;
    ASSERT_TRUE(p.create());
    p.host.clear();
    PluginInstance& i = *p.plugin;
    i.dispatch(effOpen);
    i.dispatch(effSetSampleRate, 0, 0, nullptr, 48000.f);
    i.dispatch(effSetBlockSize, 0, 256);
    i.text(effGetEffectName);
    i.text(effGetParamName, 1);
    i.dispatch(effEditIdle);
    float l[32], r[32];
    float* outputs[2] = {l, r};
    p.record()->processReplacing(p.record(), nullptr, outputs, 32);
    p.plugin->setParameter(1, 0.25f);
    p.plugin->getParameter(1);
    EXPECT_TRUE(p.host.calls().empty());
}

TEST(Lifecycle, CloseAnswersOneAndTheHostMayForgetTheRecord) {
    RecordingHost host;
    AEffect* e = host.create(pluginEntry());
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(e->dispatcher(e, effClose, 0, 0, nullptr, 0.f), 1);
}

TEST(Lifecycle, SeveralInstancesLiveSideBySide) {
    std::vector<std::unique_ptr<HostedPlugin>> plugins;
    for (int k = 0; k < 6; k++) {
        plugins.emplace_back(new HostedPlugin);
        ASSERT_TRUE(plugins.back()->create(k % 2 ? "main" : "VSTPluginMain"));
    }
    for (size_t a = 0; a < plugins.size(); a++)
        for (size_t b = a + 1; b < plugins.size(); b++) {
            EXPECT_NE(plugins[a]->record(), plugins[b]->record());
            EXPECT_NE(plugins[a]->record()->object, plugins[b]->record()->object);
        }
    // Close in an order unlike the creation order; the rest keep working.
    plugins[3].reset();
    plugins[0].reset();
    for (auto& p : plugins)
        if (p) {
            p->host.clear();
            p->plugin->dispatch(effMainsChanged, 0, 1);
            EXPECT_EQ(p->host.count(audioMasterWantMidi), 1);
            EXPECT_EQ(p->plugin->text(effGetVendorString), "Qelt");
        }
}

TEST(Lifecycle, InstancesKeepTheirOwnParameterValues) {
    HostedPlugin a, b;
    ASSERT_TRUE(a.create());
    ASSERT_TRUE(b.create());
    a.plugin->setParameter(1, 0.25f);
    b.plugin->setParameter(1, 0.75f);
    a.plugin->setParameter(4, 0.5f);
    EXPECT_EQ(a.plugin->getParameter(1), 0.25f);
    EXPECT_EQ(b.plugin->getParameter(1), 0.75f);
    EXPECT_EQ(a.plugin->getParameter(4), 0.5f);
    EXPECT_EQ(b.plugin->getParameter(4), 1.f);
    char name[] = "Mine";
    a.plugin->dispatch(effSetProgramName, 0, 0, name);
    EXPECT_EQ(a.plugin->text(effGetProgramName), "Mine");
    EXPECT_EQ(b.plugin->text(effGetProgramName), "Default");
}

TEST(Programs, NameAndIndexedNameThroughTheDispatcher) {
    HostedPlugin p;
    ASSERT_TRUE(p.create());
    char text[64] = {};
    EXPECT_EQ(p.plugin->dispatch(effGetProgramNameIndexed, 0, 0, text), 1);
    EXPECT_STREQ(text, "Default");
    EXPECT_EQ(p.plugin->dispatch(effGetProgramNameIndexed, 1, 0, text), 0);
    EXPECT_EQ(p.plugin->dispatch(effGetProgramNameIndexed, -1, 0, text), 0);
    EXPECT_EQ(p.plugin->text(effGetParamName, 2), "LFO depth");
    EXPECT_EQ(p.plugin->text(effGetParamLabel, 3), "Hz");
    EXPECT_EQ(p.plugin->text(effGetParamDisplay, 3), "4.19");
    EXPECT_EQ(p.plugin->getParameter(3), 0.65f);
}

}  // namespace
