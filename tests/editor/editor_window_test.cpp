// The editor window of the real DLL: its size before it opens, what it shows
// once painted, and open/close cycles, compared pixel for pixel with the
// pictures the DLL embeds.
#include <gtest/gtest.h>
#include <ole2.h>

#include <atomic>
#include <functional>
#include <memory>
#include <thread>

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

TEST_F(EditorWindow, AParentThatIsNoWindowGetsNoEditor) {
    HWND gone = CreateWindowExA(0, "STATIC", "", WS_CHILD, 0, 0, 10, 10, hostWindow(), nullptr, nullptr, nullptr);
    ASSERT_TRUE(IsWindow(gone));
    DestroyWindow(gone);
    const struct {
        const char* what;
        void* parent;
    } refused[] = {{"no parent", nullptr}, {"a destroyed window", gone}, {"a made-up handle", (void*)0x00ABCDEF}};
    const int windowsBefore = threadWindowCount();
    for (const auto& c : refused) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(rig.plugin().dispatch(effEditOpen, 0, 0, c.parent), 0);
        pumpMessages();
        EXPECT_EQ(rig.editorWindow(), nullptr);
        EXPECT_EQ(threadWindowCount(), windowsBefore);
        // What a host does next with an editor it believes open, or tries anyway.
        rig.plugin().setParameter(2, 0.9f);
        EXPECT_EQ(rig.plugin().dispatch(effEditIdle), 0);
        EXPECT_EQ(rig.plugin().dispatch(effEditKeyDown, 0, VKEY_UP), 0);
        EXPECT_EQ(rig.plugin().dispatch(effEditClose), 0);
        rig.plugin().setParameter(2, 0.5f);
    }
    // A real parent afterwards gets the whole editor.
    ASSERT_TRUE(rig.open());
    rig.idle();
    EXPECT_EQ(differences(rig.shot(), expectedEditor(kDefaults, {})), "");
}

// Runs `work` on a thread of its own while this thread answers its windows'
// messages (a child window made on another thread notifies its parent here).
void onThreadOfItsOwn(const std::function<void()>& work) {
    std::atomic<bool> done(false);
    std::thread other([&] {
        work();
        done = true;
    });
    while (!done) pumpMessages(1);
    other.join();
}

// Whether the calling thread has OLE set up, without changing that: a first
// set-up answers S_OK, a further one S_FALSE; each is undone at once.
bool oleSetUp() {
    const HRESULT answer = OleInitialize(nullptr);
    if (SUCCEEDED(answer)) OleUninitialize();
    return answer == S_FALSE;
}

// A host may create the plug-in on one thread, show its editor on another
// and delete it on a third: OLE is set up and ended only on the window's
// thread, as often as the window opens, and the other two are left as found.
TEST(EditorThreads, OleIsTheWindowThreadsAloneAndBalanced) {
    hostWindow();
    std::unique_ptr<EditorRig> rig;
    bool creatorSetUp = true;
    onThreadOfItsOwn([&] {
        rig.reset(new EditorRig);
        creatorSetUp = oleSetUp();
    });
    ASSERT_TRUE(rig->hosted.plugin);
    EXPECT_FALSE(creatorSetUp) << "the creating thread was set up for OLE";

    bool whileOpen[2] = {false, false}, afterClose[2] = {true, true};
    Picture shot;
    onThreadOfItsOwn([&] {
        for (int cycle = 0; cycle < 2; ++cycle) {
            if (!rig->open()) return;
            rig->idle();
            if (cycle == 0) shot = rig->shot();
            whileOpen[cycle] = oleSetUp();
            rig->close();
            afterClose[cycle] = oleSetUp();
        }
    });
    EXPECT_EQ(differences(shot, expectedEditor(kDefaults, {})), "") << "the window works on its own thread";
    for (int cycle = 0; cycle < 2; ++cycle) {
        SCOPED_TRACE(cycle);
        EXPECT_TRUE(whileOpen[cycle]) << "drag and drop needs OLE on the window's thread";
        EXPECT_FALSE(afterClose[cycle]) << "closing left OLE set up";
    }

    // The deleting thread's own set-up survives the deletion.
    HRESULT before = E_FAIL, after = E_FAIL;
    onThreadOfItsOwn([&] {
        before = OleInitialize(nullptr);
        rig.reset();
        after = OleInitialize(nullptr);
        if (SUCCEEDED(after)) OleUninitialize();
        if (SUCCEEDED(before)) OleUninitialize();
    });
    EXPECT_EQ(before, S_OK);
    EXPECT_EQ(after, S_FALSE) << "deleting the plug-in ended this thread's OLE";
}

}  // namespace
}  // namespace editortest
