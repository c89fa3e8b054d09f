// What the instrument tells its editor: a stand-in editor records the calls.
// This program supplies the two editor hooks itself.
#include <gtest/gtest.h>

#include <cmath>
#include <utility>
#include <vector>

#include "editor/aeffeditor.h"
#include "engine/instrument_editor.h"
#include "tests/engine/engine_test_util.h"
#include "tests/engine/synthetic_samples.h"

namespace {

struct SpyEditor : AEffEditor {
    explicit SpyEditor(AudioEffect* effect) : AEffEditor(effect) {}
    std::vector<std::pair<VstInt32, float>> calls;
    VstInt32 flagsWhenCreated = 0;
};

SpyEditor* lastEditor = nullptr;

}  // namespace

AEffEditor* createInstrumentEditor(AudioEffect* effect) {
    lastEditor = new SpyEditor(effect);
    lastEditor->flagsWhenCreated = effect->getAeffect()->flags;
    return lastEditor;
}

void notifyEditorParameter(AEffEditor* editor, VstInt32 index, float value) {
    static_cast<SpyEditor*>(editor)->calls.emplace_back(index, value);
}

namespace {

TEST(EditorHooks, TheEditorIsCreatedLastAndRegistered) {
    RecordingHost host;
    auto e = synth::makeEngine(RecordingHost::callback);
    ASSERT_NE(lastEditor, nullptr);
    EXPECT_EQ(e->getEditor(), lastEditor);
    EXPECT_EQ(lastEditor->getEffect(), e.get());
    EXPECT_EQ(lastEditor->flagsWhenCreated, effFlagsCanReplacing | effFlagsIsSynth) << "after the identity settings";
    EXPECT_EQ(e->getAeffect()->flags, effFlagsHasEditor | effFlagsCanReplacing | effFlagsIsSynth);
}

TEST(EditorHooks, ParameterSetsAndKeysAreReportedAsSet) {
    auto e = synth::makeEngine();
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
    auto e = synth::makeEngine();
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

}  // namespace
