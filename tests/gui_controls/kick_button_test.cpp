// The kick button: every gesture through the input seam (click, drag out and
// back, release outside, the inclusive borders, modified and other-button
// clicks), with what the listener and the host receive in order, and its two
// pictures drawn for real.
#include <gtest/gtest.h>

#include <limits>

#include "gui/controls/ckickbutton.h"
#include "tests/gui_controls/control_rig.h"

namespace controltest {
namespace {

using Kinds = std::vector<std::string>;

class KickGesture : public ::testing::Test {
protected:
    ControlRig rig;
    SteppingClock clock;
    // 12 x 30 at (200, 100): the key of note 60.
    CKickButton* key = rig.add(new CKickButton(CRect(200, 100, 212, 130), &rig.listener, 60, nullptr));
    const CPoint inside{206, 115};
    const CPoint outside{230, 115};

    void SetUp() override { rig.log.clear(); }
    void expectValues(const std::vector<float>& expected) {
        EXPECT_EQ(rig.log.values(), expected) << rig.log.describe();
    }
};

TEST_F(KickGesture, ClickAndReleaseInside) {
    Gesture g(rig);
    g.step(inside, kLeft).step(inside, kLeft).step(inside, kLeft).step(inside, kNone);
    g.run(inside);
    EXPECT_EQ(rig.log.kinds(), (Kinds{"begin", "changed", "changed", "end"})) << rig.log.describe();
    expectValues({1.f, 0.f});
    for (const Event& e : rig.log.events)
        if (e.what != "idle") {
            EXPECT_EQ(e.tag, 60);
        }
    EXPECT_EQ(rig.log.count("idle"), 3) << "one idle pass per poll while held";
    EXPECT_FLOAT_EQ(key->getValue(), 0.f);
}

TEST(KickWithoutRedraw, HeldAndDirtyReportsOnEveryPass) {
    ControlRig rig;
    FrozenClock frozen;  // the pump never redraws, so the key stays dirty
    CKickButton* key = rig.add(new CKickButton(CRect(200, 100, 212, 130), &rig.listener, 61, nullptr));
    rig.log.clear();
    Gesture g(rig);
    const CPoint at(205, 110);
    g.step(at, kLeft).step(at, kLeft).step(at, kLeft).step(at, kNone);
    g.run(at);
    EXPECT_EQ(rig.log.values(), (std::vector<float>{1.f, 1.f, 1.f, 0.f})) << rig.log.describe();
    EXPECT_EQ(rig.editor->runIdleCalls, 3);
    EXPECT_EQ(rig.log.count("idle"), 0);
    EXPECT_FLOAT_EQ(key->getValue(), 0.f);
}

TEST_F(KickGesture, DragOutAndBackIn) {
    Gesture g(rig);
    g.step(inside, kLeft).step(outside, kLeft).step(outside, kLeft).step(inside, kLeft).step(inside, kLeft).step(inside, kNone);
    g.run(inside);
    EXPECT_EQ(rig.log.kinds(), (Kinds{"begin", "changed", "changed", "changed", "changed", "end"}));
    expectValues({1.f, 0.f, 1.f, 0.f});
}

TEST_F(KickGesture, ReleaseOutsideReportsTheReleaseOnceMore) {
    Gesture g(rig);
    g.step(inside, kLeft).step(outside, kLeft).step(outside, kLeft).step(outside, kNone);
    g.run(inside);
    EXPECT_EQ(rig.log.kinds(), (Kinds{"begin", "changed", "changed", "changed", "end"}));
    expectValues({1.f, 0.f, 0.f});
}

TEST_F(KickGesture, RightAndBottomBordersAreInside) {
    const CPoint corner(212, 130);
    Gesture g(rig);
    g.step(corner, kLeft)
        .step(CPoint(213, 130), kLeft)  // one right of the border: out
        .step(CPoint(212, 130), kLeft)  // back on it: in
        .step(CPoint(212, 131), kLeft)  // one below: out
        .step(CPoint(200, 100), kLeft)  // the top-left corner: in
        .step(CPoint(199, 100), kLeft)  // left of it: out
        .step(CPoint(199, 100), kLeft)
        .step(CPoint(199, 100), kNone);
    g.run(corner);
    expectValues({1.f, 0.f, 1.f, 0.f, 1.f, 0.f, 0.f});
}

TEST_F(KickGesture, ShiftClickTogglesOnceWithoutTracking) {
    Gesture g(rig);
    g.step(inside, kLeftShift).step(outside, kLeftShift);
    g.run(inside);
    EXPECT_EQ(rig.log.kinds(true), (Kinds{"modifier", "begin", "changed", "changed", "end"})) << rig.log.describe();
    EXPECT_EQ(rig.log.events[0].value, kButtonLeft | kModShift);
    expectValues({1.f, 0.f});
    EXPECT_EQ(g.input.getCursorReads(), 0);
}

TEST_F(KickGesture, ButtonAlreadyUpWhenTheLoopStarts) {
    ScriptedInput released;
    released.add(rig.toScreen(inside), kNone);
    ScopedPlatformInput scope(&released);
    CDrawContext* context = rig.frame()->createDrawContext();
    key->mouse(context, inside, kButtonLeft);
    context->release();
    EXPECT_EQ(rig.log.kinds(), (Kinds{"begin", "changed", "changed", "end"}));
    expectValues({1.f, 0.f});
}

TEST_F(KickGesture, OtherButtonsAndModifiedClicks) {
    Gesture right(rig);
    right.step(inside, keys({VK_RBUTTON})).step(inside, kNone);
    right.run(inside);
    EXPECT_TRUE(rig.log.events.empty()) << "a right click alone does nothing: " << rig.log.describe();

    // A modified click with another button is still offered to the listener.
    Gesture shiftedRight(rig);
    shiftedRight.step(inside, keys({VK_RBUTTON, VK_SHIFT})).step(inside, kNone);
    shiftedRight.run(inside);
    EXPECT_EQ(rig.log.kinds(true), (Kinds{"modifier"}));
    EXPECT_EQ(rig.log.events[0].value, kButtonRight | kModShift);

    rig.log.clear();
    rig.listener.modifierAnswer = 1;
    Gesture taken(rig);
    taken.step(inside, keys({VK_LBUTTON, VK_MENU})).step(inside, kNone);
    taken.run(inside);
    EXPECT_EQ(rig.log.kinds(true), (Kinds{"modifier"})) << "the listener took it";

    rig.log.clear();
    rig.listener.modifierAnswer = 0;
    key->setMouseEnabled(false);
    CDrawContext* context = rig.frame()->createDrawContext();
    key->mouse(context, inside, kButtonLeft);
    context->release();
    EXPECT_TRUE(rig.log.events.empty());
}

TEST_F(KickGesture, AKeyAlreadyOnTogglesOffWhileHeld) {
    key->setValue(1.f);
    key->setDirty(false);
    Gesture g(rig);
    g.step(inside, kLeft).step(inside, kLeft).step(inside, kNone);
    g.run(inside);
    expectValues({0.f, 0.f});
}

TEST_F(KickGesture, ReleaseIsReportedWithoutAListenerCrash) {
    CKickButton* silent = rig.add(new CKickButton(CRect(10, 10, 22, 40), nullptr, 62, nullptr));
    Gesture g(rig);
    g.step(CPoint(15, 15), kLeft).step(CPoint(15, 15), kNone);
    g.run(CPoint(15, 15));
    EXPECT_EQ(rig.log.kinds(), (Kinds{"begin", "end"}));
    EXPECT_FLOAT_EQ(silent->getValue(), 0.f);
}

TEST_F(KickGesture, HostClosingTheEditorWhileHeldStillReleasesTheNote) {
    rig.closeOnIdle(1);
    Gesture g(rig);
    g.step(inside, kLeft).step(inside, kLeft).step(inside, kNone);
    g.run(inside);
    EXPECT_EQ(rig.editor->getFrame(), nullptr);
    EXPECT_EQ(rig.log.kinds(), (Kinds{"begin", "changed", "changed"})) << rig.log.describe();
    expectValues({1.f, 0.f});
}

// The two pictures of the real key bitmap, drawn into a real buffer.
class KickPictures : public ::testing::Test {
protected:
    ControlRig rig;
    COffscreenContext* buffer = new COffscreenContext(rig.frame(), 40, 40, kColorBlack);
    CBitmap* pictures = new CBitmap(202);
    CKickButton* key = new CKickButton(CRect(4, 4, 16, 34), nullptr, 60, pictures);
    ~KickPictures() override {
        key->release();
        pictures->release();
        buffer->release();
    }
    COLORREF shown(float value) {
        key->setValue(value);
        key->draw(buffer);
        return GetPixel((HDC)buffer->getSystemContext(), 10, 20);
    }
};

TEST_F(KickPictures, ReleasedOnlyAtExactlyZero) {
    ASSERT_EQ(pictures->getHeight(), 60);
    const COLORREF released = RGB(10, 20, 200), pressed = RGB(20, 210, 30);
    EXPECT_EQ(shown(0.f), released);
    EXPECT_EQ(shown(1.f), pressed);
    EXPECT_FALSE(key->isDirty()) << "drawing cleans";
    EXPECT_EQ(shown(0.3f), pressed);
    EXPECT_EQ(shown(1.7f), pressed);
    EXPECT_FLOAT_EQ(key->getValue(), 1.f) << "drawing clamps";
    EXPECT_EQ(shown(std::numeric_limits<float>::quiet_NaN()), pressed);
    EXPECT_EQ(shown(-0.5f), released) << "clamped to 0 first";
    EXPECT_EQ(GetPixel((HDC)buffer->getSystemContext(), 4, 4), released) << "covers its own rectangle";
    EXPECT_EQ(GetPixel((HDC)buffer->getSystemContext(), 16, 20), RGB(0, 0, 0));
    EXPECT_EQ(key->getFrameHeight(), 30);
}

}  // namespace
}  // namespace controltest
