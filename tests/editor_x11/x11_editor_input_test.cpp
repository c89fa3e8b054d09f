// Playing the editor on X11 with real input: XTest presses, moves and
// releases the pointer, the editor takes the events when the host idles it,
// and the host's audio is rendered between. Every case runs at each of the
// editor's scales, with the same hand movements in device pixels times the
// scale: the notes and values must be the same.
#include <gtest/gtest.h>
// After the test framework: X11 defines names it uses.
#include <X11/extensions/XTest.h>

#include "tests/editor_x11/x11_editor_rig.h"

namespace x11test {
namespace {

using editortest::differences;
using editortest::keyRect;
using editortest::knobRect;
using editortest::periodicity;
using editortest::rms;

// One period of middle C (261.63 Hz) at 44100 Hz, to the nearest frame.
constexpr int kMiddleCPeriod = 169;

class X11Input : public ::testing::TestWithParam<int> {
protected:
    void SetUp() override {
        ASSERT_TRUE(testDisplay()) << "no X display";
        ASSERT_TRUE(rig.plugin);
        dpi.set(96 * GetParam() / 100);
        ASSERT_TRUE(rig.open());
        ASSERT_EQ(rig.editorSize(), std::make_pair(px(730), px(248)));
        rig.moveTo(px(720), px(10));  // over the panel, away from every control
        rig.idle();
        rig.host.clear();
    }

    // A 1x place or distance on the editor at the scale of the case.
    int px(int pixels) const { return editortest::scaled(pixels, GetParam()); }
    Rect at(const Rect& place) const { return editortest::scaled(place, GetParam()); }
    Picture expected(const std::set<int>& pressedKeys = {}) { return rig.expected(pressedKeys, GetParam()); }

    int automations(int index, float value) {
        int n = 0;
        for (const HostGesture& g : gesturesOf(rig.host))
            n += g.opcode == audioMasterAutomate && g.index == index && g.value == value;
        return n;
    }

    // Begin first, end last, only automation of `index` between.
    void expectOneFramedGesture(int index) {
        std::vector<HostGesture> seen = gesturesOf(rig.host);
        ASSERT_GE(seen.size(), 3u);
        EXPECT_EQ(seen.front().opcode, audioMasterBeginEdit);
        EXPECT_EQ(seen.front().index, index);
        EXPECT_EQ(seen.back().opcode, audioMasterEndEdit);
        EXPECT_EQ(seen.back().index, index);
        for (size_t i = 1; i + 1 < seen.size(); ++i) {
            EXPECT_EQ(seen[i].opcode, audioMasterAutomate);
            EXPECT_EQ(seen[i].index, index);
        }
    }

    ServerDpi dpi{0};
    X11EditorRig rig;
};

TEST_P(X11Input, PressingAKeyPlaysItsNoteForAsLongAsItIsHeld) {
    const Rect key = at(keyRect(60));
    rig.moveTo(key.centerX(), key.centerY());
    rig.idle(1);
    rig.button(true);
    rig.idle();
    const std::vector<float> held = rig.render(4096);
    const std::vector<float> heldOn = rig.render(4096);  // any inharmonic ping of the strike has died by now
    const Picture whileHeld = rig.shot();
    rig.idle();
    EXPECT_EQ(rig.host.count(audioMasterEndEdit), 0) << "no end while the button is down";
    rig.button(false);
    rig.idle();
    rig.render(8192);  // the release dies away
    const std::vector<float> released = rig.render(2048);

    expectOneFramedGesture(60);
    EXPECT_EQ(automations(60, 1.f), 1) << "one note start for one press";
    EXPECT_GE(automations(60, 0.f), 1);
    EXPECT_GT(rms(held), 0.01f) << "the note sounds while the key is held";
    EXPECT_GT(periodicity(heldOn, kMiddleCPeriod), 0.9f) << "and it is middle C";
    EXPECT_LT(rms(released), rms(held) * 0.01f) << "the release ends it";
    EXPECT_EQ(differences(whileHeld, expected({60}), &key), "") << "pressed picture while held";
    EXPECT_EQ(differences(rig.shot(), expected()), "") << "released picture afterwards";
}

TEST_P(X11Input, AKeyLeftWhileHeldLetsItsNoteGoAndTakingItBackPlaysAgain) {
    const Rect key = at(keyRect(62));
    rig.moveTo(key.centerX(), key.centerY());
    rig.idle(1);
    rig.button(true);
    rig.idle();
    rig.moveTo(key.centerX(), key.top - px(40));  // off the key, over the panel
    rig.idle();
    EXPECT_EQ(automations(62, 0.f), 1) << "leaving the key lets it go";
    rig.moveTo(key.centerX(), key.centerY());
    rig.idle();
    EXPECT_EQ(automations(62, 1.f), 2) << "coming back presses it again";
    rig.button(false);
    rig.idle();
    expectOneFramedGesture(62);
    EXPECT_EQ(gesturesOf(rig.host).rbegin()[1].value, 0.f) << "the release lets it go";
}

TEST_P(X11Input, DraggingTheVolumeKnobChangesTheSoundAndAutomatesTheHost) {
    const float loud = rms(rig.render(4096, {{60, 100}}));
    rig.render(22050, {{60, 0}});
    ASSERT_GT(loud, 0.01f);
    rig.host.clear();

    rig.dragKnobRoundToTheLeft(at(knobRect(4)));

    expectOneFramedGesture(4);
    std::vector<HostGesture> seen = gesturesOf(rig.host);
    ASSERT_GE(seen.size(), 3u);
    EXPECT_NEAR(seen[1].value, 0.5f, 0.03f);
    const HostGesture& last = seen[seen.size() - 2];
    EXPECT_NEAR(last.value, 1.f / 6, 0.03f);
    const float volume = rig.plugin->getParameter(4);
    EXPECT_EQ(volume, last.value) << "the engine has what the host was told";

    const float quiet = rms(rig.render(4096, {{60, 100}}));
    rig.render(512, {{60, 0}});
    EXPECT_NEAR(quiet / loud, volume, 0.02f) << "the output is that much quieter";
    EXPECT_EQ(differences(rig.shot(), expected()), "") << "the knob shows its new value";
}

TEST_P(X11Input, LinearModeDragsByDistanceAndShiftMakesItFiner) {
    rig.plugin->dispatch(effSetEditKnobMode, 0, 2);
    const Rect knob = at(knobRect(1));
    const float start = rig.plugin->getParameter(1);
    const int x = knob.centerX(), y = knob.centerY();
    rig.moveTo(x, y);
    rig.idle(1);
    rig.button(true);
    rig.idle(1);
    rig.glide(x, y, x, y - px(20), 5);  // 20 of the 200 pixels of the range: +0.1
    rig.shift(true);
    rig.glide(x, y - px(20), x, y - px(50), 5);  // 30 pixels at a third of the pace: +0.1 more
    rig.shift(false);
    rig.button(false);
    rig.idle();
    rig.plugin->dispatch(effSetEditKnobMode, 0, 0);
    EXPECT_NEAR(rig.plugin->getParameter(1), start + 0.2f, 0.011f);
    EXPECT_EQ(rig.host.count(audioMasterBeginEdit), 1);
    EXPECT_EQ(rig.host.count(audioMasterEndEdit), 1);
}

TEST_P(X11Input, TheWheelTurnsTheKnobUnderThePointer) {
    const Rect knob = at(knobRect(2));
    const float start = rig.plugin->getParameter(2);
    rig.moveTo(knob.centerX(), knob.centerY());
    rig.idle(1);
    XTestFakeButtonEvent(testDisplay(), 4, True, CurrentTime);
    XTestFakeButtonEvent(testDisplay(), 4, False, CurrentTime);
    settle();
    rig.idle();
    EXPECT_NEAR(rig.plugin->getParameter(2), start + 0.1f, 1e-5f);
    EXPECT_EQ(rig.host.count(audioMasterBeginEdit), 1);
    EXPECT_EQ(rig.host.count(audioMasterEndEdit), 1);
}

TEST_P(X11Input, ClosingTheEditorMidDragEndsTheEditAndNoNoteHangs) {
    const Rect key = at(keyRect(67));
    rig.moveTo(key.centerX(), key.centerY());
    rig.idle(1);
    rig.button(true);
    rig.idle();
    ASSERT_EQ(automations(67, 1.f), 1);
    rig.close();
    rig.button(false);
    rig.plugin->dispatch(effEditIdle);
    expectOneFramedGesture(67);
    EXPECT_EQ(gesturesOf(rig.host).rbegin()[1].value, 0.f) << "the key's note was released";
    rig.render(8192);
    EXPECT_LT(rms(rig.render(2048)), 1e-4f) << "and is silent";
}

INSTANTIATE_TEST_SUITE_P(Scales, X11Input, ::testing::Values(100, 150, 200),
                         [](const ::testing::TestParamInfo<int>& info) { return std::to_string(info.param); });

}  // namespace
}  // namespace x11test
