// The window follows the host and the MIDI input: automation from the host's
// threads moves the knobs, played notes light their keys. Updates from any
// thread, the window's own included, are shown by the next idle pass on the
// window's thread and never drawn from where they came.
#include <gtest/gtest.h>

#include <thread>

#include "tests/editor/editor_rig.h"

namespace editortest {
namespace {

const float kDefaults[5] = {0.5f, 0.5f, 0.5f, 0.65f, 1.f};

class EditorUpdates : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(EditorPictures::get().background.empty());
        ASSERT_TRUE(rig.hosted.plugin);
        ASSERT_TRUE(rig.open());
        rig.idle();
        ASSERT_EQ(differences(rig.shot(), expectedEditor(kDefaults, {})), "");
        rig.host().clear();
    }

    // One block on another thread, as the host's audio thread plays it.
    void playOnAudioThread(const std::vector<std::pair<int, int>>& notes) {
        std::thread audio([&] {
            MidiEventBlock block;
            int offset = 0;
            for (const auto& note : notes) block.add(offset++, note.second ? 0x90 : 0x80, note.first, note.second);
            std::vector<float> left, right;
            rig.plugin().render(&block, 256, left, right);
        });
        audio.join();
    }

    void onOtherThread(const std::function<void()>& work) {
        std::thread other(work);
        other.join();
    }

    EditorRig rig;
};

TEST_F(EditorUpdates, AutomationFromAnotherThreadMovesTheKnobsAtTheNextIdle) {
    onOtherThread([&] {
        rig.plugin().setParameter(4, 0.3f);
        rig.plugin().setParameter(1, 0.9f);
    });
    EXPECT_EQ(differences(rig.shot(), expectedEditor(kDefaults, {})), "") << "nothing drawn from that thread";
    rig.idle(1);
    const float moved[5] = {0.5f, 0.9f, 0.5f, 0.65f, 0.3f};
    EXPECT_EQ(differences(rig.shot(), expectedEditor(moved, {})), "");
    EXPECT_EQ(rig.host().count(audioMasterAutomate), 0) << "following the host is no change of the user's";
}

TEST_F(EditorUpdates, AutomationOnTheWindowThreadMovesTheKnobAtTheNextIdle) {
    rig.plugin().setParameter(0, 0.2f);
    rig.plugin().setParameter(3, 0.95f);
    rig.idle(1);
    const float moved[5] = {0.2f, 0.5f, 0.5f, 0.95f, 1.f};
    EXPECT_EQ(differences(rig.shot(), expectedEditor(moved, {})), "");
    EXPECT_EQ(rig.host().count(audioMasterAutomate), 0);
}

TEST_F(EditorUpdates, TheLatestUpdateOfEachControlWins) {
    onOtherThread([&] {
        rig.plugin().setParameter(3, 0.1f);
        rig.plugin().setParameter(3, 0.9f);
        rig.plugin().setParameter(3, 0.4f);
        rig.plugin().setParameter(60, 1.f);
        rig.plugin().setParameter(60, 0.f);
        rig.plugin().setParameter(60, 0.5f);
        rig.plugin().setParameter(62, 1.f);
        rig.plugin().setParameter(62, 0.f);
    });
    rig.idle(1);
    const float moved[5] = {0.5f, 0.5f, 0.5f, 0.4f, 1.f};
    EXPECT_EQ(differences(rig.shot(), expectedEditor(moved, {60})), "");

    // A later update on the window's own thread wins over an earlier one left
    // by another thread.
    onOtherThread([&] { rig.plugin().setParameter(64, 1.f); });
    rig.plugin().setParameter(64, 0.f);
    rig.idle(1);
    EXPECT_EQ(differences(rig.shot(), expectedEditor(moved, {60})), "");
}

TEST_F(EditorUpdates, PlayedNotesLightTheirKeysAndReleasesPutThemOut) {
    playOnAudioThread({{21, 100}, {60, 64}, {108, 1}});
    EXPECT_EQ(differences(rig.shot(), expectedEditor(kDefaults, {})), "") << "nothing drawn from the audio thread";
    rig.idle(1);
    EXPECT_EQ(differences(rig.shot(), expectedEditor(kDefaults, {21, 60, 108})), "");

    playOnAudioThread({{60, 0}, {21, 0}});
    rig.idle(1);
    EXPECT_EQ(differences(rig.shot(), expectedEditor(kDefaults, {108})), "");
    playOnAudioThread({{108, 0}});
    rig.idle(1);
    EXPECT_EQ(differences(rig.shot(), expectedEditor(kDefaults, {})), "");
}

TEST_F(EditorUpdates, NotesOutsideTheKeyboardChangeNothing) {
    playOnAudioThread({{0, 100}, {20, 100}, {109, 100}, {127, 100}});
    rig.idle(1);
    EXPECT_EQ(differences(rig.shot(), expectedEditor(kDefaults, {})), "");
    // Indices between the knobs and the keys, and above the keys, on both paths.
    for (int index : {5, 12, 20, 109, 120, 127, 131, 132, 1000, -1}) {
        rig.plugin().setParameter(index, 1.f);
        onOtherThread([&] { rig.plugin().setParameter(index, 1.f); });
    }
    rig.idle(1);
    EXPECT_EQ(differences(rig.shot(), expectedEditor(kDefaults, {})), "");
}

TEST_F(EditorUpdates, AKeySetOnTheWindowThreadIsDrawnAtTheNextIdle) {
    rig.plugin().setParameter(60, 0.7f);
    const Rect key = keyRect(60);
    EXPECT_EQ(differences(rig.shot(), expectedEditor(kDefaults, {}), &key), "") << "nothing drawn from setParameter";
    rig.idle(1);
    EXPECT_EQ(differences(rig.shot(), expectedEditor(kDefaults, {60}), &key), "");
    rig.plugin().setParameter(60, 0.f);
    rig.idle(1);
    EXPECT_EQ(differences(rig.shot(), expectedEditor(kDefaults, {}), &key), "");
}

}  // namespace
}  // namespace editortest
