// Knob geometry (points and values for both sweep directions, the dead zone
// split, stale coefficients) and what a knob draws on real GDI.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "gui/controls/canimknob.h"
#include "gui/controls/cknob.h"
#include "tests/gui_controls/control_rig.h"

namespace controltest {
namespace {

const float kPi = 3.14159265f;

CPoint pointAt(CKnob* knob, float value) {
    knob->setValue(value);
    CPoint p;
    knob->pointForValue(p);
    return p;
}

struct KnobGeometry : ::testing::Test {
    // Width 40 (radius 20) with the indicator on the rim.
    CKnob* knob = new CKnob(CRect(100, 50, 140, 90), nullptr, 0, nullptr, nullptr);
    KnobGeometry() { knob->setIndicatorInset(0); }
    ~KnobGeometry() override { knob->release(); }
};

TEST_F(KnobGeometry, DefaultSweepPoints) {
    EXPECT_FLOAT_EQ(knob->getRadius(), 20.f);
    EXPECT_FLOAT_EQ(knob->getSweepStart(), 3.9269907f);
    EXPECT_FLOAT_EQ(knob->getSweepAngle(), -4.712389f);
    EXPECT_EQ(pointAt(knob, 0.f), CPoint(6, 34)) << "minimum at the lower left";
    EXPECT_EQ(pointAt(knob, 1.f), CPoint(34, 34)) << "maximum at the lower right";
    EXPECT_EQ(pointAt(knob, 0.5f), CPoint(20, 0)) << "middle at the top";
    EXPECT_EQ(pointAt(knob, 1.f / 6), CPoint(0, 20)) << "45 of 270 degrees on: straight left, clockwise";
}

TEST_F(KnobGeometry, DefaultSweepValuesAndTheDeadZoneSplit) {
    EXPECT_FLOAT_EQ(knob->valueForPoint(CPoint(20, 0)), 0.5f);
    EXPECT_FLOAT_EQ(knob->valueForPoint(CPoint(19, 40)), 0.f) << "left of straight down belongs to the minimum";
    EXPECT_FLOAT_EQ(knob->valueForPoint(CPoint(21, 40)), 1.f) << "right of straight down belongs to the maximum";
    EXPECT_NEAR(knob->valueForPoint(CPoint(0, 20)), 1.f / 6, 1e-5);
    EXPECT_NEAR(knob->valueForPoint(CPoint(40, 20)), 5.f / 6, 1e-5);
    EXPECT_FLOAT_EQ(knob->valueForPoint(CPoint(4, 39)), 0.f) << "just past the minimum, inside the dead zone";
    EXPECT_FLOAT_EQ(knob->valueForPoint(CPoint(36, 39)), 1.f) << "just past the maximum";
}

TEST_F(KnobGeometry, CounterClockwiseSweep) {
    knob->setSweepStart(7 * kPi / 4);  // lower right
    knob->setSweepAngle(3 * kPi / 2);
    EXPECT_EQ(pointAt(knob, 0.f), CPoint(34, 34));
    EXPECT_EQ(pointAt(knob, 1.f), CPoint(6, 34));
    EXPECT_EQ(pointAt(knob, 1.f / 6), CPoint(40, 20));
    EXPECT_NEAR(knob->valueForPoint(CPoint(20, 0)), 0.5f, 1e-5);
    EXPECT_NEAR(knob->valueForPoint(CPoint(40, 20)), 1.f / 6, 1e-5);
    EXPECT_FLOAT_EQ(knob->valueForPoint(CPoint(21, 40)), 0.f) << "the minimum's half of the dead zone";
    EXPECT_FLOAT_EQ(knob->valueForPoint(CPoint(19, 40)), 1.f) << "the maximum's half";
}

TEST_F(KnobGeometry, RoundTripOverTheWholeSweepBothWays) {
    CKnob* big = new CKnob(CRect(0, 0, 400, 400), nullptr, 0, nullptr, nullptr);
    big->setIndicatorInset(0);
    for (int direction = 0; direction < 2; ++direction) {
        if (direction == 1) {
            big->setSweepStart(-kPi / 4);
            big->setSweepAngle(3 * kPi / 2);
        }
        for (int i = 0; i <= 20; ++i) {
            const float v = i / 20.f;
            EXPECT_NEAR(big->valueForPoint(pointAt(big, v)), v, 0.005f) << "direction " << direction << " value " << v;
        }
    }
    big->release();
}

TEST_F(KnobGeometry, RangeChangesWaitForTheAngleSetters) {
    knob->setMax(2.f);
    EXPECT_EQ(pointAt(knob, 1.f), CPoint(34, 34)) << "coefficients are not refreshed by setMax";
    knob->setSweepAngle(knob->getSweepAngle());
    EXPECT_EQ(pointAt(knob, 1.f), CPoint(20, 0)) << "1 is now the middle of 0..2";
    EXPECT_FLOAT_EQ(knob->valueForPoint(CPoint(21, 40)), 2.f);
}

TEST_F(KnobGeometry, AngleSettersMarkTheKnobDirty) {
    knob->setDirty(false);
    EXPECT_FALSE(knob->isDirty());
    knob->setSweepStart(knob->getSweepStart());
    EXPECT_TRUE(knob->isDirty());
}

TEST_F(KnobGeometry, DegenerateValuesStayOnTheKnob) {
    EXPECT_EQ(pointAt(knob, std::numeric_limits<float>::quiet_NaN()), CPoint(20, 20));
    EXPECT_EQ(pointAt(knob, std::numeric_limits<float>::infinity()), CPoint(20, 20));
    knob->setSweepAngle(0.f);  // no sweep at all: the factor is infinite
    CPoint p = pointAt(knob, 0.5f);
    EXPECT_TRUE(p.h >= 0 && p.h <= 40 && p.v >= 0 && p.v <= 40) << p.h << "," << p.v;
}

TEST(KnobIndicatorBitmap, InsetAndReferences) {
    CBitmap* indicator = new CBitmap(203);
    ASSERT_EQ(indicator->getWidth(), 9) << "the test program embeds its bitmaps";
    CKnob* knob = new CKnob(CRect(0, 0, 40, 40), nullptr, 0, nullptr, indicator);
    EXPECT_EQ(knob->getIndicatorInset(), 7) << "(int)(9 x 0.5 + 2.5)";
    EXPECT_EQ(indicator->getNbReference(), 2);
    knob->setIndicatorBitmap(indicator);
    EXPECT_EQ(indicator->getNbReference(), 2) << "setting the bitmap it holds keeps one reference";
    knob->setIndicatorInset(1);
    knob->setIndicatorBitmap(nullptr);
    EXPECT_EQ(indicator->getNbReference(), 1);
    EXPECT_EQ(knob->getIndicatorInset(), 1) << "no bitmap leaves the inset alone";
    knob->setIndicatorBitmap(indicator);
    EXPECT_EQ(knob->getIndicatorInset(), 7);
    knob->release();
    EXPECT_EQ(indicator->getNbReference(), 1) << "the knob lets go of it when destroyed";
    indicator->release();

}

// Knobs drawn into a real offscreen buffer, read back pixel by pixel.
class KnobDrawing : public ::testing::Test {
protected:
    ControlRig rig;
    COffscreenContext* buffer = new COffscreenContext(rig.frame(), 80, 80, kColorBlack);
    ~KnobDrawing() override { buffer->release(); }
    COLORREF at(int x, int y) { return GetPixel((HDC)buffer->getSystemContext(), x, y); }
};

TEST_F(KnobDrawing, TwoLinesFromTheCentreToTheIndicatorPoint) {
    CKnob* knob = new CKnob(CRect(10, 10, 50, 50), nullptr, 0, nullptr, nullptr);
    knob->setValue(0.5f);  // indicator point (20, 3): straight up
    knob->draw(buffer);
    EXPECT_FALSE(knob->isDirty());
    // Shadow from (29, 13) to (29, 30), the light line one pixel right and up.
    EXPECT_EQ(at(29, 13), RGB(127, 127, 127));
    EXPECT_EQ(at(29, 20), RGB(127, 127, 127));
    EXPECT_EQ(at(29, 29), RGB(127, 127, 127));
    EXPECT_EQ(at(29, 30), RGB(0, 0, 0)) << "a line leaves out its end point";
    EXPECT_EQ(at(30, 12), RGB(255, 255, 255));
    EXPECT_EQ(at(30, 28), RGB(255, 255, 255));
    EXPECT_EQ(at(31, 20), RGB(0, 0, 0));
    EXPECT_EQ(at(28, 20), RGB(0, 0, 0));
    knob->release();
}

TEST_F(KnobDrawing, FaceFromItsOffsetAndTheIndicatorBitmapCentred) {
    CBitmap* face = new CBitmap(204);
    CBitmap* indicator = new CBitmap(203);
    CKnob* knob = new CKnob(CRect(10, 10, 50, 50), nullptr, 0, face, indicator, CPoint(0, 40));
    knob->setValue(0.5f);  // inset 7: point (20, 7)
    knob->draw(buffer);
    EXPECT_EQ(at(12, 45), RGB(200, 100, 0)) << "the face comes from the knob's offset";
    EXPECT_EQ(at(30, 17), RGB(230, 0, 0)) << "indicator centred on (30, 17)";
    EXPECT_EQ(at(26, 13), RGB(200, 100, 0)) << "its white corner is transparent";
    EXPECT_EQ(at(27, 13), RGB(230, 0, 0));
    EXPECT_EQ(at(35, 17), RGB(200, 100, 0));
    knob->release();
    face->release();
    indicator->release();
}

}  // namespace
}  // namespace controltest
