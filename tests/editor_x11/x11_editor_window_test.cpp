// The editor's window on X11: where it goes, what it shows, and how it
// follows the host and other threads.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <string>
#include <thread>

#include "tests/editor_x11/x11_editor_rig.h"

namespace x11test {
namespace {

using editortest::differences;
using editortest::EditorPictures;
using editortest::keyRect;
using editortest::knobRect;

class X11Editor : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(testDisplay()) << "no X display";
        ASSERT_FALSE(EditorPictures::get().background.empty());
        ASSERT_TRUE(rig.plugin);
    }
    X11EditorRig rig;
};

ERect editorRect(PluginInstance& plugin) {
    ERect* rect = nullptr;
    plugin.dispatch(effEditGetRect, 0, 0, &rect);
    return rect ? *rect : ERect{0, 0, 0, 0};
}

TEST_F(X11Editor, OpensOneMappedChildOfTheHostWindowAndClosesIt) {
    ERect before = editorRect(*rig.plugin);
    EXPECT_EQ(before.right - before.left, 730);
    EXPECT_EQ(before.bottom - before.top, 248);

    ASSERT_TRUE(rig.open());
    std::vector<Window> children = childrenOf(rig.window.id());
    ASSERT_EQ(children.size(), 1u);
    XWindowAttributes attributes;
    ASSERT_TRUE(XGetWindowAttributes(testDisplay(), children[0], &attributes));
    EXPECT_EQ(attributes.x, 0);
    EXPECT_EQ(attributes.y, 0);
    EXPECT_EQ(attributes.width, 730);
    EXPECT_EQ(attributes.height, 248);
    EXPECT_EQ(attributes.map_state, IsViewable);
    ERect after = editorRect(*rig.plugin);
    EXPECT_EQ(after.right - after.left, 730);
    EXPECT_EQ(after.bottom - after.top, 248);

    rig.close();
    EXPECT_TRUE(childrenOf(rig.window.id()).empty());
}

TEST_F(X11Editor, ShowsTheSamePicturesAsTheWindowsBuild) {
    rig.plugin->setParameter(0, 0.3f);
    rig.plugin->setParameter(3, 0.8f);
    ASSERT_TRUE(rig.open());
    EXPECT_EQ(differences(rig.shot(), rig.expected()), "");
}

TEST_F(X11Editor, RepaintsWhatAnotherWindowUncovered) {
    ASSERT_TRUE(rig.open());
    {
        // A window over part of the editor, then gone again.
        Display* display = testDisplay();
        Window cover = XCreateSimpleWindow(display, DefaultRootWindow(display), 100, 100, 300, 120, 0, 0, 0xFF00FF);
        XMapRaised(display, cover);
        settle();
        usleep(50000);
        XDestroyWindow(display, cover);
        settle();
    }
    rig.idle();
    EXPECT_EQ(differences(rig.shot(), rig.expected()), "");
}

TEST_F(X11Editor, FollowsTheHostAndNotesPlayedOnTheAudioThread) {
    ASSERT_TRUE(rig.open());
    const Picture before = rig.shot();
    // The host's thread is the window's here: still nothing is drawn before
    // the idle pass.
    rig.plugin->setParameter(4, 0.25f);
    rig.plugin->setParameter(60, 1.f);
    settle();
    EXPECT_EQ(differences(rig.shot(), before), "");
    std::thread audio([&] {
        rig.plugin->setParameter(1, 0.9f);  // automation from the audio thread
        rig.render(512, {{64, 100}});
    });
    audio.join();
    rig.idle();
    EXPECT_EQ(differences(rig.shot(), rig.expected({60, 64})), "");
    std::thread release([&] { rig.render(512, {{64, 0}}); });
    release.join();
    rig.idle();
    const Rect key = keyRect(64);
    EXPECT_EQ(differences(rig.shot(), rig.expected(), &key), "");
}

TEST_F(X11Editor, IdleBeforeOpenAndAfterCloseTouchesNoWindow) {
    rig.plugin->dispatch(effEditIdle);
    EXPECT_TRUE(childrenOf(rig.window.id()).empty());
    ASSERT_TRUE(rig.open());
    rig.close();
    for (int i = 0; i < 3; ++i) rig.plugin->dispatch(effEditIdle);
    settle();
    EXPECT_TRUE(childrenOf(rig.window.id()).empty());
    // And the next open starts afresh.
    ASSERT_TRUE(rig.open());
    EXPECT_EQ(differences(rig.shot(), rig.expected()), "");
}

TEST_F(X11Editor, AMissingParentOrDisplayIsRefusedAndHarmsNothing) {
    HostErrors errors;
    const uintptr_t noWindow = 0x7ABCDEF;  // no client of this display has ids there
    const char* display = getenv("DISPLAY");
    ASSERT_TRUE(display);
    const std::string ownDisplay = display;
    const struct {
        const char* what;
        uintptr_t parent;
        const char* display;
    } cases[] = {
        {"a parent that names no window", noWindow, ownDisplay.c_str()},
        {"a null parent", 0, ownDisplay.c_str()},
        {"no display to open", rig.window.id(), ":4093"},
        {"a value wider than a window id", uintptr_t(1) << 32 | rig.window.id(), ownDisplay.c_str()},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        setenv("DISPLAY", c.display, 1);
        EXPECT_EQ(rig.plugin->dispatch(effEditOpen, 0, 0, reinterpret_cast<void*>(c.parent)), 0);
        setenv("DISPLAY", ownDisplay.c_str(), 1);
        rig.plugin->dispatch(effEditIdle);
        rig.plugin->dispatch(effEditClose);
        rig.plugin->dispatch(effEditIdle);
        EXPECT_TRUE(childrenOf(rig.window.id()).empty());
    }
    EXPECT_EQ(errors.elsewhere(), 0) << "the editor's errors stay on its own connection";
    EXPECT_TRUE(errors.installed());
    // A real parent still works.
    ASSERT_TRUE(rig.open());
    EXPECT_EQ(differences(rig.shot(), rig.expected()), "");
}

TEST_F(X11Editor, AParentTheHostHasNotSentYetGetsTheEditorOnceItHas) {
    Display* host = testDisplay();
    // As a host makes it: created and mapped, then the editor opened before
    // the host's connection is flushed.
    const Window parent = XCreateSimpleWindow(host, DefaultRootWindow(host), 40, 340, 730, 248, 0, 0, 0);
    XMapWindow(host, parent);
    EXPECT_EQ(rig.plugin->dispatch(effEditOpen, 0, 0, reinterpret_cast<void*>(static_cast<uintptr_t>(parent))), 1);
    settle();
    rig.idle();
    const std::vector<Window> children = childrenOf(parent);
    ASSERT_EQ(children.size(), 1u);
    EXPECT_EQ(differences(capture(children[0]), rig.expected()), "");
    rig.close();
    EXPECT_TRUE(childrenOf(parent).empty());
    XDestroyWindow(host, parent);
    settle();
}

TEST_F(X11Editor, AHostThatDestroysItsWindowFirstLeavesACleanClose) {
    HostErrors errors;
    ASSERT_TRUE(rig.open());
    rig.window.destroy();
    rig.plugin->dispatch(effEditIdle);
    rig.plugin->dispatch(effEditClose);
    rig.plugin->dispatch(effEditIdle);
    EXPECT_EQ(errors.elsewhere(), 0);
    // The host's own errors still reach the host's handler, once.
    XDestroyWindow(testDisplay(), 0x7ABCDEF);
    settle();
    EXPECT_EQ(errors.onTestDisplay(), 1);
    EXPECT_TRUE(errors.installed()) << "the host's handler is still the process's";
}

TEST(X11TwoEditors, EachShowsItsOwnInstance) {
    X11EditorRig first(40, 40), second(40, 400);
    ASSERT_TRUE(first.plugin && second.plugin);
    first.plugin->setParameter(0, 0.1f);
    second.plugin->setParameter(0, 0.9f);
    ASSERT_TRUE(first.open());
    ASSERT_TRUE(second.open());
    first.idle();
    EXPECT_EQ(differences(first.shot(), first.expected()), "");
    EXPECT_EQ(differences(second.shot(), second.expected()), "");

    first.close();
    second.plugin->setParameter(2, 0.7f);
    second.idle();
    EXPECT_EQ(differences(second.shot(), second.expected()), "") << "the other editor goes on after a close";
    const Rect knob = knobRect(2);
    EXPECT_NE(differences(second.shot(), first.expected(), &knob), "");
}

}  // namespace
}  // namespace x11test
