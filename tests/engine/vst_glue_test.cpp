// The VST 2.4 glue around the engine: what it tells its editor (a stand-in
// editor records the calls; this program supplies the two editor hooks
// itself), the host's event blocks, and the indexed program names.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <memory>
#include <utility>
#include <vector>

#include "editor/aeffeditor.h"
#include "editor/instrument_editor.h"
#include "plugin/qelt_epiano.h"
#include "tests/engine/synthetic_samples.h"
#include "tools/vsthost/vst_host.h"

namespace {

struct SpyEditor : AEffEditor {
    explicit SpyEditor(EditorHost* host) : AEffEditor(host) {}
    std::vector<std::pair<VstInt32, float>> calls;
};

SpyEditor* lastEditor = nullptr;

}  // namespace

AEffEditor* createInstrumentEditor(EditorHost* host) {
    lastEditor = new SpyEditor(host);
    return lastEditor;
}

void notifyEditorParameter(AEffEditor* editor, int32_t index, float value) {
    static_cast<SpyEditor*>(editor)->calls.emplace_back(index, value);
}

namespace {

std::unique_ptr<QeltEpiano> makePlugin(audioMasterCallback host = nullptr) {
    return std::unique_ptr<QeltEpiano>(new QeltEpiano(host, synth::samples()));
}

void renderBlock(QeltEpiano& plugin, int frames, MidiEventBlock* events = nullptr) {
    if (events) {
        EXPECT_EQ(plugin.processEvents(events->get()), 1);
    }
    std::vector<float> left(frames), right(frames);
    float* outputs[2] = {left.data(), right.data()};
    plugin.processReplacing(nullptr, outputs, frames);
}

TEST(EditorHooks, TheEditorIsRegisteredAndServedByThisPlugin) {
    RecordingHost host;
    auto e = makePlugin(RecordingHost::callback);
    ASSERT_NE(lastEditor, nullptr);
    EXPECT_EQ(e->getEditor(), lastEditor);
    EXPECT_EQ(e->getAeffect()->flags, effFlagsHasEditor | effFlagsCanReplacing | effFlagsIsSynth);
    e->setParameter(kTreble, 0.25f);
    EXPECT_EQ(lastEditor->getHost()->parameterValue(kTreble), 0.25f);
}

TEST(EditorHooks, ParameterSetsAndKeysAreReportedAsSet) {
    auto e = makePlugin();
    SpyEditor* spy = lastEditor;
    e->setParameter(kTreble, 0.3f);
    e->setParameter(60, 1.f);
    e->setParameter(60, 0.f);
    e->setParameter(kVolume, NAN);  // ignored: not reported
    e->setParameter(7, 1.f);
    e->setParameter(128, 1.f);
    std::vector<std::pair<VstInt32, float>> expected = {{kTreble, 0.3f}, {60, 1.f}, {60, 0.f}};
    EXPECT_EQ(spy->calls, expected);
    spy->calls.clear();
    renderBlock(*e, 16);
    EXPECT_TRUE(spy->calls.empty()) << "keys from the parameter entry are not reported again when played";
}

TEST(EditorHooks, PlayedMidiNotesOnTheKeyboardLightTheirKeys) {
    auto e = makePlugin();
    SpyEditor* spy = lastEditor;
    MidiEventBlock b;
    b.add(0, 0x90, 60, 100);
    b.add(3, 0x90, 20, 100);   // below the on-screen keyboard
    b.add(4, 0x90, 108, 90);
    b.add(5, 0x90, 109, 90);   // above it
    b.add(6, 0x80, 60, 0);
    b.add(7, 0x90, 21, 0);     // velocity 0: a release
    b.add(8, 0xB0, 64, 0);     // the pedal's key 128 is not a key of the editor
    b.add(500, 0x90, 70, 1);   // beyond the block: never applied
    renderBlock(*e, 64, &b);
    std::vector<std::pair<VstInt32, float>> expected = {{60, 100.f}, {108, 90.f}, {60, 0.f}, {21, 0.f}};
    EXPECT_EQ(spy->calls, expected);
}

TEST(EventBlocks, NullStrangeAndForeignBlocks) {
    auto e = makePlugin();
    EXPECT_EQ(e->processEvents(nullptr), 1);
    MidiEventBlock empty;
    EXPECT_EQ(e->processEvents(empty.get()), 1);
    // Null entries, a negative count.
    struct {
        VstInt32 numEvents;
        VstIntPtr reserved;
        VstEvent* events[3];
    } raw = {3, 0, {nullptr, nullptr, nullptr}};
    VstMidiEvent on{};
    on.type = kVstMidiType;
    on.midiData[0] = (char)0x90;
    on.midiData[1] = 60;
    on.midiData[2] = 100;
    raw.events[1] = (VstEvent*)&on;
    EXPECT_EQ(e->processEvents((VstEvents*)&raw), 1);
    renderBlock(*e, 8);
    EXPECT_EQ(e->engine().voiceCount(), 1);
    raw.numEvents = -5;
    EXPECT_EQ(e->processEvents((VstEvents*)&raw), 1);
    renderBlock(*e, 8);
    EXPECT_EQ(e->engine().voiceCount(), 1);
    // Events of other types are passed over.
    VstEvent sysex{};
    sysex.type = kVstSysExType;
    MidiEventBlock foreign;
    foreign.addEvent(sysex);
    renderBlock(*e, 8, &foreign);
    EXPECT_EQ(e->engine().eventQueue()[0].deltaFrames, kEventQueueEnd);
}

TEST(Programs, OneProgramCalledDefaultByIndex) {
    auto e = makePlugin();
    char name[64] = {};
    EXPECT_TRUE(e->getProgramNameIndexed(0, 0, name));
    EXPECT_STREQ(name, "Default");
    EXPECT_TRUE(e->getProgramNameIndexed(7, 0, name)) << "category is ignored";
    std::strcpy(name, "unchanged");
    for (int index : {1, -1, 100}) EXPECT_FALSE(e->getProgramNameIndexed(0, index, name));
    EXPECT_STREQ(name, "unchanged");
    char mine[] = "Rhodes on a rainy day";
    e->setProgramName(mine);
    e->getProgramNameIndexed(0, 0, name);
    EXPECT_STREQ(name, "Rhodes on a rainy day");
}

}  // namespace
