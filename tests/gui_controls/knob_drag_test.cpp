// The knob's modal mouse loop driven by scripted gestures through the input
// seam, and its wheel and arrow keys: what the listener and the host receive,
// in order. The idle pump works on every pass, so the frame redraws the knob
// after each change and only real changes are reported.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "gui/controls/canimknob.h"
#include "gui/controls/cknob.h"
#include "tests/gui_controls/control_rig.h"

namespace controltest {
namespace {

const std::vector<std::string> kDrag = {"begin", "changed", "end"};

class KnobDrag : public ::testing::Test {
protected:
    // The knob: 40 x 40 at (100, 150); the frame is 320 x 260.
    ControlRig rig{320, 260};
    SteppingClock clock;
    CKnob* knob = rig.add(new CKnob(CRect(100, 150, 140, 190), &rig.listener, 2, nullptr, nullptr));
    const CPoint centre{120, 170};

    void start(float value) {
        knob->setValue(value);
        knob->setDirty(false);
        rig.log.clear();
    }
    CPoint local(int h, int v) const { return CPoint(100 + h, 150 + v); }
    void expectValues(const std::vector<float>& expected, float tolerance = 1e-5f) {
        std::vector<float> got = rig.log.values();
        ASSERT_EQ(got.size(), expected.size()) << rig.log.describe();
        for (size_t i = 0; i < got.size(); ++i) EXPECT_NEAR(got[i], expected[i], tolerance) << "report " << i;
    }
    void expectBracketed() {
        std::vector<std::string> kinds = rig.log.kinds();
        ASSERT_GE(kinds.size(), 2u) << rig.log.describe();
        EXPECT_EQ(kinds.front(), "begin");
        EXPECT_EQ(kinds.back(), "end");
        EXPECT_EQ(rig.log.count("begin"), 1);
        EXPECT_EQ(rig.log.count("end"), 1);
        for (const Event& e : rig.log.events)
            if (e.what != "idle") {
                EXPECT_EQ(e.tag, 2);
            }
    }
};

TEST_F(KnobDrag, CircularDragThroughTheDeadZoneSticksToItsEnd) {
    start(0.9f);
    Gesture g(rig);
    g.step(local(39, 26), kLeft)   // the press, near 0.9
        .step(local(21, 40), kLeft)  // into the dead zone, maximum's half: 1
        .step(local(19, 40), kLeft)  // across to the minimum's half: stays 1
        .step(local(6, 34), kLeft)   // on to the minimum's position: stays 1
        .step(local(34, 10), kLeft)  // back up on the right: about 0.70
        .step(local(19, 40), kLeft)  // across again: pinned at 1
        .step(local(0, 20), kLeft)   // 1/6 is still more than half the range from 0.70: 1
        .step(local(0, 10), kLeft)   // about 0.265: close enough, accepted
        .step(local(0, 10), kNone);
    g.run(local(39, 26));
    expectBracketed();
    expectValues({0.8983f, 1.f, 0.7017f, 1.f, 0.2651f}, 2e-3f);
    EXPECT_EQ(rig.log.count("idle"), 9) << "the host got idle time on every pass";
    EXPECT_EQ(rig.editor->runIdleCalls, 9);
    EXPECT_FLOAT_EQ(knob->getValue(), knob->valueForPoint(CPoint(0, 10)));
    EXPECT_EQ(rig.frame()->getFocusView(), knob);
}

TEST_F(KnobDrag, CircularPressMovesToTheClickedAngleAtOnce) {
    start(0.1f);
    Gesture g(rig);
    g.step(local(20, 0), kLeft).step(local(20, 0), kNone);
    g.run(local(20, 0));
    EXPECT_EQ(rig.log.kinds(), kDrag) << rig.log.describe();
    expectValues({0.5f});
}

TEST_F(KnobDrag, LinearDragHundredPixelsUpIsHalfTheRange) {
    rig.setKnobMode(2);
    start(0.2f);
    Gesture g(rig);
    g.step(centre, kLeft).step(CPoint(120, 120), kLeft).step(CPoint(120, 70), kLeft).step(CPoint(120, 70), kNone);
    g.run(centre);
    expectBracketed();
    // The first report comes from taking the focus, which marks the knob dirty.
    expectValues({0.2f, 0.45f, 0.7f});
}

TEST_F(KnobDrag, LinearRightCountsLikeUpAndTheEntryIsKeptPastTheEnds) {
    rig.setKnobMode(2);
    start(0.8f);
    Gesture g(rig);
    g.step(centre, kLeft)
        .step(CPoint(170, 190), kLeft)  // 50 right, 20 down: +0.15
        .step(CPoint(120, 70), kLeft)   // 100 up: 1.3, clamped
        .step(CPoint(120, 120), kLeft)  // 50 up: 1.05, clamped, no report
        .step(CPoint(120, 220), kLeft)  // 50 down: 0.55
        .step(CPoint(120, 220), kNone);
    g.run(centre);
    expectValues({0.8f, 0.95f, 1.f, 0.55f});
}

TEST_F(KnobDrag, ShiftFromTheStartIsTheFineRange) {
    rig.setKnobMode(2);
    start(0.2f);
    Gesture g(rig);
    g.step(centre, kLeftShift).step(CPoint(120, 120), kLeftShift).step(CPoint(120, 70), kLeftShift).step(CPoint(120, 70), kNone);
    g.run(centre);
    // A shifted press is offered to the listener first.
    EXPECT_EQ(rig.log.kinds(), (std::vector<std::string>{"modifier", "begin", "changed", "changed", "changed", "end"}))
        << rig.log.describe();
    EXPECT_EQ(rig.log.events[0].value, kButtonLeft | kModShift);
    expectValues({0.2f, 0.2f + 50.f / 300, 0.2f + 100.f / 300});
}

TEST_F(KnobDrag, ShiftPressedAndReleasedMidDragKeepsTheValueContinuous) {
    rig.setKnobMode(2);
    start(0.2f);
    Gesture g(rig);
    g.step(centre, kLeft)
        .step(CPoint(120, 70), kLeft)  // 100 up at full speed: 0.7
        .step(CPoint(120, 70), kLeft)
        .step(CPoint(120, 60), kLeftShift)  // shift noticed here: 0.75, no jump
        .step(CPoint(120, 30), kLeftShift)  // 30 more at a third of the speed: +0.1
        .step(CPoint(120, 30), kNone);      // shift released with the button: no jump either
    g.run(centre);
    expectValues({0.2f, 0.7f, 0.75f, 0.85f});
    EXPECT_NEAR(knob->getValue(), 0.85f, 1e-5f);
}

TEST_F(KnobDrag, AltSwapsTheModes) {
    // Knob mode 2 with alt: circular, so the press jumps to the angle.
    rig.setKnobMode(2);
    start(0.2f);
    Gesture circular(rig);
    circular.step(local(20, 0), kLeftAlt).step(local(20, 0), kNone);
    circular.run(local(20, 0));
    expectValues({0.5f});

    // Any other mode with alt: linear, so the press keeps the value.
    rig.setKnobMode(1);
    start(0.2f);
    Gesture linear(rig);
    linear.step(local(20, 0), kLeftAlt).step(local(20, -20), kLeftAlt).step(local(20, -20), kNone);
    linear.run(local(20, 0));
    expectValues({0.2f, 0.3f});
    EXPECT_EQ(rig.log.count("modifier"), 1);
}

TEST_F(KnobDrag, ControlClickResetsWithoutADragLoop) {
    start(0.9f);
    Gesture g(rig);
    g.step(centre, keys({VK_LBUTTON, VK_CONTROL})).step(CPoint(0, 0), kLeft);
    g.run(centre);
    EXPECT_EQ(rig.log.kinds(true), (std::vector<std::string>{"modifier", "begin", "changed", "end"}))
        << rig.log.describe();
    expectValues({0.5f});
    EXPECT_EQ(g.input.getCursorReads(), 0) << "no loop polled the pointer";
}

TEST_F(KnobDrag, ClicksThatDoNothing) {
    start(0.3f);
    struct Case {
        std::vector<int32_t> keys;
        const char* what;
    };
    for (const Case& c : {Case{{VK_RBUTTON}, "right button"}, Case{{VK_MBUTTON}, "middle button"},
                          Case{{VK_RBUTTON, VK_SHIFT}, "shifted right button: the left test comes first"}}) {
        Gesture g(rig);
        g.step(centre, c.keys).step(centre, kNone);
        g.run(centre);
        EXPECT_TRUE(rig.log.events.empty()) << c.what << ": " << rig.log.describe();
    }
    // A listener that takes the modified click leaves the knob alone.
    rig.listener.modifierAnswer = 1;
    Gesture taken(rig);
    taken.step(centre, keys({VK_LBUTTON, VK_CONTROL})).step(centre, kNone);
    taken.run(centre);
    EXPECT_EQ(rig.log.kinds(true), (std::vector<std::string>{"modifier"}));
    rig.listener.modifierAnswer = 0;
    rig.log.clear();

    knob->setMouseEnabled(false);
    CDrawContext* context = rig.frame()->createDrawContext();
    knob->mouse(context, centre, kButtonLeft);
    context->release();
    EXPECT_TRUE(rig.log.events.empty());
    EXPECT_FLOAT_EQ(knob->getValue(), 0.3f);
}

TEST_F(KnobDrag, FilmstripKnobReportsOnlyWholePixelMoves) {
    rig.setKnobMode(2);
    CAnimKnob* anim = rig.add(new CAnimKnob(CRect(200, 150, 240, 190), &rig.listener, 4, 64, 40, nullptr));
    anim->setValue(0.5f);
    rig.frame()->drawView(anim);
    rig.log.clear();
    Gesture g(rig);
    g.step(CPoint(220, 170), kLeft);
    for (int i = 1; i <= 12; ++i) g.step(CPoint(220, 170 - i), kLeft);  // one pixel (0.005) a step
    g.step(CPoint(220, 158), kNone);
    g.run(CPoint(220, 170));
    std::vector<float> reported = rig.log.values();
    EXPECT_NEAR(anim->getValue(), 0.56f, 1e-5f);
    // 12 moves of 1.35 degrees on a radius of 20 move the point less than a
    // pixel some of the time: fewer reports than moves, each a new point.
    EXPECT_LT(reported.size(), 12u) << rig.log.describe();
    EXPECT_GE(reported.size(), 4u) << rig.log.describe();
    CPoint previous(-1, -1);
    for (float v : reported) {
        anim->setValue(v);
        CPoint p;
        anim->pointForValue(p);
        EXPECT_NE(p, previous) << v;
        previous = p;
    }
}

TEST_F(KnobDrag, HostClosingTheEditorMidDragEndsTheLoopSafely) {
    rig.setKnobMode(2);
    start(0.2f);
    rig.closeOnIdle(2);
    Gesture g(rig);
    g.step(centre, kLeft).step(CPoint(120, 150), kLeft).step(CPoint(120, 130), kLeft).step(CPoint(120, 130), kNone);
    g.run(centre);
    EXPECT_EQ(rig.editor->getFrame(), nullptr);
    // The drag goes on to the release with the listener; the frame that
    // would pass the end of the edit on is gone.
    EXPECT_EQ(rig.log.kinds(), (std::vector<std::string>{"begin", "changed", "changed", "changed"}));
    expectValues({0.2f, 0.3f, 0.4f});
    EXPECT_EQ(g.stepsRead(), 3u);
}

class KnobSteps : public KnobDrag {
protected:
    bool wheel(float distance, std::vector<int32_t> held = {}) {
        ScriptedInput input;
        input.add(centre, std::move(held));
        ScopedPlatformInput scope(&input);
        CDrawContext* context = rig.frame()->createDrawContext();
        bool used = rig.frame()->onWheel(context, centre, distance);
        context->release();
        knob->setDirty(false);  // as the next idle redraw would
        return used;
    }
    int32_t key(unsigned char virt, unsigned char modifier = 0) {
        VSTGUI::CKeyCode code = {0, virt, modifier};
        int32_t used = rig.frame()->onKeyDown(code);
        knob->setDirty(false);
        return used;
    }
};

TEST_F(KnobSteps, WheelStepsWithShiftAndClamping) {
    start(0.5f);
    EXPECT_TRUE(wheel(1.f));
    EXPECT_NEAR(knob->getValue(), 0.6f, 1e-6f);
    EXPECT_EQ(rig.log.kinds(), kDrag) << rig.log.describe();
    EXPECT_TRUE(wheel(1.f, {VK_SHIFT}));
    EXPECT_NEAR(knob->getValue(), 0.61f, 1e-6f);
    EXPECT_TRUE(wheel(-2.f));
    EXPECT_NEAR(knob->getValue(), 0.41f, 1e-6f);
    EXPECT_TRUE(wheel(9.f));
    EXPECT_FLOAT_EQ(knob->getValue(), 1.f);
    rig.log.clear();
    EXPECT_TRUE(wheel(1.f)) << "used, though nothing changed";
    EXPECT_TRUE(rig.log.events.empty()) << "no change, no report, no bracket: " << rig.log.describe();
    EXPECT_TRUE(wheel(-30.f));
    EXPECT_FLOAT_EQ(knob->getValue(), 0.f);
    EXPECT_EQ(rig.log.values(), std::vector<float>{0.f});

    rig.log.clear();
    EXPECT_FALSE(wheel(std::numeric_limits<float>::quiet_NaN()));
    EXPECT_FALSE(wheel(std::numeric_limits<float>::infinity()));
    EXPECT_FLOAT_EQ(knob->getValue(), 0.f);
    knob->setMouseEnabled(false);
    EXPECT_FALSE(wheel(1.f));
    EXPECT_TRUE(rig.log.events.empty());
}

TEST_F(KnobSteps, ArrowKeysThroughTheFocus) {
    start(0.5f);
    rig.frame()->setFocusView(knob);
    EXPECT_EQ(key(VSTGUI::kVirtualKeyUp), 1);
    EXPECT_NEAR(knob->getValue(), 0.6f, 1e-6f);
    EXPECT_EQ(key(VSTGUI::kVirtualKeyRight), 1);
    EXPECT_NEAR(knob->getValue(), 0.7f, 1e-6f);
    EXPECT_EQ(key(VSTGUI::kVirtualKeyLeft, 1), 1);
    EXPECT_NEAR(knob->getValue(), 0.69f, 1e-6f);
    EXPECT_EQ(key(VSTGUI::kVirtualKeyDown), 1);
    EXPECT_NEAR(knob->getValue(), 0.59f, 1e-6f);
    EXPECT_EQ(rig.log.kinds(), (std::vector<std::string>{"begin", "changed", "end", "begin", "changed", "end", "begin",
                                                         "changed", "end", "begin", "changed", "end"}));
    for (bool had : rig.listener.hadContext) EXPECT_FALSE(had) << "keys come without a draw context";

    rig.log.clear();
    EXPECT_EQ(key('a'), -1) << "other keys are not used";
    EXPECT_NEAR(knob->getValue(), 0.59f, 1e-6f);
    for (int i = 0; i < 6; ++i) key(VSTGUI::kVirtualKeyUp);
    EXPECT_FLOAT_EQ(knob->getValue(), 1.f);
    knob->setMouseEnabled(false);  // keys do not look at the mouse switch
    rig.frame()->setFocusView(knob);
    for (int i = 0; i < 12; ++i) key(VSTGUI::kVirtualKeyDown);
    EXPECT_FLOAT_EQ(knob->getValue(), 0.f);
    EXPECT_EQ(rig.log.count("begin"), rig.log.count("changed"));
}

}  // namespace
}  // namespace controltest
