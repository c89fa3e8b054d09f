// The two plug-in bases with a test effect and a spy editor: the key record,
// the editor opcodes, the requests to the host and their guards.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "editor/aeffeditor.h"
#include "plugin/audioeffectx.h"
#include "tools/vsthost/vst_host.h"

namespace {

struct EditorLog {
    std::vector<std::string> calls;
    VSTGUI::CKeyCode lastKey{};
    bool destroyed = false;
};

class SpyEditor : public AEffEditor {
public:
    explicit SpyEditor(EditorLog* log) : log(log) {}
    ~SpyEditor() override { log->destroyed = true; }
    bool getRect(EditorRect** r) override {
        log->calls.push_back("getRect");
        *r = &rect;
        return true;
    }
    bool open(void* window) override {
        log->calls.push_back("open");
        AEffEditor::open(window);
        return true;
    }
    void close() override { log->calls.push_back("close"); }
    void idle() override { log->calls.push_back("idle"); }
    bool onKeyDown(VSTGUI::CKeyCode& key) override {
        log->lastKey = key;
        log->calls.push_back("keyDown");
        return key.character == 'a';
    }
    bool onKeyUp(VSTGUI::CKeyCode& key) override {
        log->lastKey = key;
        log->calls.push_back("keyUp");
        return true;
    }
    bool setKnobMode(int32_t mode) override {
        log->calls.push_back("knobMode " + std::to_string(mode));
        return true;
    }
    EditorRect rect{0, 0, 248, 730};
    EditorLog* log;
};

struct ParameterLog {
    std::vector<std::pair<VstInt32, float>> sets;
};

class TestEffect : public AudioEffectX {
public:
    TestEffect(audioMasterCallback master, ParameterLog* log) : AudioEffectX(master, 1, 5), log(log) {}
    void processReplacing(float**, float**, VstInt32) override {}
    void setParameter(VstInt32 index, float value) override { log->sets.push_back({index, value}); }
    ParameterLog* log;
    using AudioEffect::callHost;
};

struct Fixture : ::testing::Test {
    RecordingHost host;
    ParameterLog params;
    EditorLog editorLog;
    TestEffect* effect = nullptr;
    AEffect* record = nullptr;

    void SetUp() override {
        effect = new TestEffect(RecordingHost::callback, &params);
        record = effect->getAeffect();
        record->user = &host;
    }
    void TearDown() override {
        if (record) record->dispatcher(record, effClose, 0, 0, nullptr, 0.f);
    }
    VstIntPtr dispatch(VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0, void* ptr = nullptr, float opt = 0) {
        return record->dispatcher(record, opcode, index, value, ptr, opt);
    }
    void withEditor() { effect->setEditor(new SpyEditor(&editorLog)); }
};

TEST_F(Fixture, BaseRecordBeforeTheInstrumentsSettings) {
    EXPECT_EQ(record->numInputs, 1);
    EXPECT_EQ(record->numOutputs, 2);
    EXPECT_EQ(record->uniqueID, 0x4E6F4566) << "NoEf";
    EXPECT_EQ(record->flags, effFlagsCanReplacing);
    EXPECT_EQ(record->object, effect);
    EXPECT_EQ(dispatch(effGetPlugCategory), 0) << "no synth flag";
    effect->isSynth(true);
    EXPECT_EQ(dispatch(effGetPlugCategory), 2);
    effect->isSynth(false);
    EXPECT_EQ(record->flags, effFlagsCanReplacing);
}

TEST_F(Fixture, SetEditorSetsAndClearsTheFlag) {
    withEditor();
    EXPECT_EQ(record->flags & effFlagsHasEditor, effFlagsHasEditor);
    AEffEditor* e = effect->getEditor();
    effect->setEditor(nullptr);
    EXPECT_EQ(record->flags & effFlagsHasEditor, 0);
    delete e;
}

TEST_F(Fixture, EditorOpcodesWithoutAnEditorAnswerZeroAndWriteNothing) {
    ERect* rect = (ERect*)0x77;
    EXPECT_EQ(dispatch(effEditGetRect, 0, 0, &rect), 0);
    EXPECT_EQ(rect, (ERect*)0x77);
    EXPECT_EQ(dispatch(effEditOpen, 0, 0, (void*)0x10), 0);
    EXPECT_EQ(dispatch(effEditClose), 0);
    EXPECT_EQ(dispatch(effEditIdle), 0);
    EXPECT_EQ(dispatch(effEditKeyDown, 'a', 2, nullptr, 1.f), 0);
    EXPECT_EQ(dispatch(effEditKeyUp, 'a', 2, nullptr, 1.f), 0);
    EXPECT_EQ(dispatch(effSetEditKnobMode, 0, 2), 0);
}

TEST_F(Fixture, EditorOpcodesReachTheEditor) {
    withEditor();
    ERect* rect = nullptr;
    EXPECT_EQ(dispatch(effEditGetRect, 0, 0, &rect), 1);
    ASSERT_NE(rect, nullptr);
    EXPECT_EQ(rect->right, 730);
    EXPECT_EQ(dispatch(effEditGetRect, 0, 0, nullptr), 0) << "no place to store the answer";
    EXPECT_EQ(dispatch(effEditOpen, 0, 0, (void*)0x10), 1);
    EXPECT_EQ(dispatch(effEditIdle), 0);
    EXPECT_EQ(dispatch(effEditClose), 0);
    EXPECT_EQ(dispatch(effSetEditKnobMode, 0, 2), 1);
    EXPECT_EQ(dispatch(effEditTop), 0);
    std::vector<std::string> expected = {"getRect", "open", "idle", "close", "knobMode 2"};
    EXPECT_EQ(editorLog.calls, expected);
}

TEST_F(Fixture, KeyRecordOfTheKeyOpcodes) {
    withEditor();
    EXPECT_EQ(dispatch(effEditKeyDown, 'a', 0x102, nullptr, 2.9f), 1);
    EXPECT_EQ(editorLog.lastKey.character, 'a');
    EXPECT_EQ(editorLog.lastKey.virt, 0x02) << "low 8 bits of value";
    EXPECT_EQ(editorLog.lastKey.modifier, 2) << "2.9 truncated";
    EXPECT_EQ(dispatch(effEditKeyDown, 'b', VKEY_TAB, nullptr, -1.5f), 0) << "the editor's false becomes 0";
    EXPECT_EQ(editorLog.lastKey.modifier, 255) << "-1 in its low 8 bits";
    EXPECT_EQ(dispatch(effEditKeyUp, 'c', 13, nullptr, 9.0f), 1);
    EXPECT_EQ(editorLog.lastKey.character, 'c');
    EXPECT_EQ(editorLog.lastKey.virt, 13);
    EXPECT_EQ(editorLog.lastKey.modifier, 9);
    for (float odd : {NAN, INFINITY, -INFINITY, 1e20f}) {
        dispatch(effEditKeyDown, 'x', 1, nullptr, odd);
        EXPECT_EQ(editorLog.lastKey.modifier, 0) << odd;
    }
}

TEST_F(Fixture, CloseDestroysTheInstanceAndItsEditor) {
    withEditor();
    EXPECT_EQ(record->dispatcher(record, effClose, 0, 0, nullptr, 0.f), 1);
    record = nullptr;
    EXPECT_TRUE(editorLog.destroyed);
}

TEST_F(Fixture, AutomationSetsFirstThenTellsTheHost) {
    host.onCall = [&](const HostCall& c) {
        if (c.opcode == audioMasterAutomate) {
            EXPECT_EQ(params.sets.size(), 1u) << "setParameter ran before";
        }
    };
    effect->setParameterAutomated(60, 1.f);
    ASSERT_EQ(params.sets.size(), 1u);
    EXPECT_EQ(params.sets[0].first, 60);
    std::vector<HostCall> calls = host.calls();
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].opcode, audioMasterAutomate);
    EXPECT_EQ(calls[0].index, 60);
    EXPECT_EQ(calls[0].value, 0);
    EXPECT_EQ(calls[0].opt, 1.f);
    EXPECT_EQ(calls[0].effect, record);
}

TEST_F(Fixture, EditAndIdleRequests) {
    host.respond = [](const HostCall& c) -> VstIntPtr { return c.opcode == audioMasterBeginEdit ? 5 : 0; };
    EXPECT_TRUE(effect->beginEdit(3));
    EXPECT_FALSE(effect->endEdit(3));
    effect->masterIdle();
    std::vector<HostCall> calls = host.calls();
    ASSERT_EQ(calls.size(), 3u);
    EXPECT_EQ(calls[0].opcode, audioMasterBeginEdit);
    EXPECT_EQ(calls[0].index, 3);
    EXPECT_EQ(calls[1].opcode, audioMasterEndEdit);
    EXPECT_EQ(calls[1].index, 3);
    EXPECT_EQ(calls[2].opcode, audioMasterIdle);
}

TEST_F(Fixture, SizeWindowRequests) {
    char sizeWindow[] = "sizeWindow";
    host.canDoSizeWindowAnswer = -1;
    EXPECT_EQ(effect->canHostDo(sizeWindow), 1) << "any non-zero answer means yes";
    host.canDoSizeWindowAnswer = 0;
    EXPECT_EQ(effect->canHostDo(sizeWindow), 0);
    host.sizeWindowAnswer = 1;
    EXPECT_TRUE(effect->sizeWindow(730, 248));
    host.sizeWindowAnswer = 0;
    EXPECT_FALSE(effect->sizeWindow(730, 248));
    std::vector<HostCall> calls = host.calls();
    ASSERT_EQ(calls.size(), 4u);
    EXPECT_EQ(calls[0].opcode, audioMasterCanDo);
    EXPECT_EQ(calls[0].text, "sizeWindow");
    EXPECT_EQ(calls[2].opcode, audioMasterSizeWindow);
    EXPECT_EQ(calls[2].index, 730);
    EXPECT_EQ(calls[2].value, 248);
}

TEST(NoHost, EveryRequestIsGuarded) {
    ParameterLog params;
    TestEffect effect(nullptr, &params);
    char sizeWindow[] = "sizeWindow";
    effect.setParameterAutomated(1, 0.5f);
    EXPECT_EQ(params.sets.size(), 1u) << "setParameter still runs";
    EXPECT_FALSE(effect.beginEdit(1));
    EXPECT_FALSE(effect.endEdit(1));
    EXPECT_EQ(effect.canHostDo(sizeWindow), 0);
    EXPECT_FALSE(effect.sizeWindow(10, 10));
    effect.masterIdle();
    effect.wantEvents(1);
    AEffect* e = effect.getAeffect();
    EXPECT_EQ(e->dispatcher(e, effMainsChanged, 0, 1, nullptr, 0.f), 0);
}

TEST(DirectEntries, ForwardToTheObject) {
    ParameterLog params;
    TestEffect* effect = new TestEffect(nullptr, &params);
    AEffect* e = effect->getAeffect();
    e->setParameter(e, 2, 0.75f);
    ASSERT_EQ(params.sets.size(), 1u);
    EXPECT_EQ(params.sets[0].first, 2);
    EXPECT_EQ(params.sets[0].second, 0.75f);
    EXPECT_EQ(e->getParameter(e, 2), 0.f);
    EXPECT_EQ(e->dispatcher(e, effClose, 0, 0, nullptr, 0.f), 1);
}

}  // namespace
