// The editor window of the real DLL: its size before it opens, what it shows
// once painted, and open/close cycles, compared pixel for pixel with the
// pictures the DLL embeds.
#include <gtest/gtest.h>

#include "tests/editor/editor_rig.h"

namespace editortest {
namespace {

const float kDefaults[5] = {0.5f, 0.5f, 0.5f, 0.65f, 1.f};

class EditorWindow : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(EditorPictures::get().background.empty()) << "generated pictures not found in " QELT_BITMAP_DIR;
        ASSERT_TRUE(rig.hosted.plugin) << "the DLL did not load or refused the host";
    }
    EditorRig rig;
};

TEST_F(EditorWindow, ReportsItsSizeBeforeTheFirstOpen) {
    EXPECT_TRUE(rig.plugin().record()->flags & effFlagsHasEditor);
    ERect* rect = nullptr;
    EXPECT_EQ(rig.plugin().dispatch(effEditGetRect, 0, 0, &rect), 1);
    ASSERT_NE(rect, nullptr);
    EXPECT_EQ(rect->left, 0);
    EXPECT_EQ(rect->top, 0);
    EXPECT_EQ(rect->right, 730);
    EXPECT_EQ(rect->bottom, 248);
    EXPECT_EQ(rig.editorWindow(), nullptr);
}

TEST_F(EditorWindow, ShowsTheBackgroundEveryKnobAtItsValueAndEveryKeyReleased) {
    ASSERT_TRUE(rig.open());
    HWND window = rig.editorWindow();
    ASSERT_NE(window, nullptr);
    RECT client;
    GetClientRect(window, &client);
    EXPECT_EQ(client.right, 730);
    EXPECT_EQ(client.bottom, 248);
    rig.idle();
    EXPECT_EQ(differences(rig.shot(), expectedEditor(kDefaults, {})), "");

    // Spot checks that do not depend on the composed picture: a corner of the
    // panel, the middle of a knob, and both pictures of one key.
    const EditorPictures& p = EditorPictures::get();
    Picture shot = rig.shot();
    EXPECT_EQ(shot.at(5, 5), p.background.at(5, 5));
    EXPECT_EQ(shot.at(656, 104), p.largeKnob.at(32, 63 * 64 + 32)) << "Volume 1.0 shows the last frame";
    EXPECT_EQ(shot.at(33, 230), p.whiteKeys.at(6, 15)) << "note 21 released";
    EXPECT_EQ(shot.at(42, 200), p.blackKeys.at(4, 13)) << "note 22 released";
}

TEST_F(EditorWindow, KnobsOpenAtTheValuesTheHostSetWhileClosed) {
    const float values[5] = {0.1f, 0.27f, 0.84f, 0.33f, 0.6f};
    for (int i = 0; i < 5; ++i) rig.plugin().setParameter(i, values[i]);
    rig.plugin().setParameter(60, 1.f);  // a key played while closed opens released
    ASSERT_TRUE(rig.open());
    rig.idle();
    EXPECT_EQ(differences(rig.shot(), expectedEditor(values, {})), "");
}

TEST_F(EditorWindow, OpenCloseAndOpenAgainBuildsTheSameWindowWithFreshValues) {
    for (int cycle = 0; cycle < 3; ++cycle) {
        SCOPED_TRACE(cycle);
        const float values[5] = {0.2f + 0.3f * cycle, 0.9f - 0.3f * cycle, 0.5f, 0.05f + 0.4f * cycle, 0.7f};
        for (int i = 0; i < 5; ++i) rig.plugin().setParameter(i, values[i]);
        ASSERT_TRUE(rig.open());
        rig.idle();
        EXPECT_EQ(differences(rig.shot(), expectedEditor(values, {})), "");
        // A lit key and a moved knob do not survive the window.
        rig.plugin().setParameter(64, 1.f);
        rig.plugin().setParameter(2, 0.95f);
        rig.close();
        EXPECT_EQ(rig.editorWindow(), nullptr);
        // Updates while closed reach no window and do not fail.
        rig.plugin().setParameter(2, 0.3f);
        rig.plugin().setParameter(64, 0.f);
    }
}

TEST_F(EditorWindow, ASecondOpenReplacesTheFirstWindow) {
    ASSERT_TRUE(rig.open());
    HWND first = rig.editorWindow();
    ASSERT_TRUE(rig.open());
    EXPECT_FALSE(IsWindow(first));
    EXPECT_EQ(GetWindow(rig.editorWindow(), GW_HWNDNEXT), nullptr) << "one editor window";
    rig.idle();
    EXPECT_EQ(differences(rig.shot(), expectedEditor(kDefaults, {})), "");
    rig.close();
    EXPECT_EQ(rig.editorWindow(), nullptr);
}

TEST_F(EditorWindow, EndingThePluginWithTheWindowOpenTakesTheWindowAlong) {
    ASSERT_TRUE(rig.open());
    rig.idle();
    HWND window = rig.editorWindow();
    ASSERT_TRUE(IsWindow(window));
    rig.plugin().close();
    pumpMessages();
    EXPECT_FALSE(IsWindow(window)) << "a window left behind would call into the freed editor";
}

}  // namespace
}  // namespace editortest
