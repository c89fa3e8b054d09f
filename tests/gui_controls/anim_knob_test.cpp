// The filmstrip knob: which frame each value shows (all 64 frames, the ends,
// values outside the range), drawn for real and read back, and the dirty test
// by whole-pixel indicator movement.
#include <gtest/gtest.h>

#include <limits>

#include "gui/controls/canimknob.h"
#include "tests/gui_controls/control_rig.h"

namespace controltest {
namespace {

// A bitmap that only remembers where it was drawn from.
class SourceSpy : public CBitmap {
public:
    SourceSpy() : CBitmap(31999) {}
    void draw(CDrawContext*, const CRect& rect, const CPoint& offset) override {
        lastRect = rect;
        lastOffset = offset;
    }
    CRect lastRect;
    CPoint lastOffset;
};

struct Filmstrip : ::testing::Test {
    SourceSpy* strip = new SourceSpy;
    CAnimKnob* knob = new CAnimKnob(CRect(10, 20, 50, 60), nullptr, 0, 64, 40, strip);
    ~Filmstrip() override {
        knob->release();
        strip->release();
    }
    int32_t drawnOffset(float value) {
        knob->setValue(value);
        knob->draw(nullptr);
        return strip->lastOffset.v;
    }
};

TEST_F(Filmstrip, EveryOneOfSixtyFourFrames) {
    for (int frame = 0; frame < 63; ++frame) {
        const float middle = (frame + 0.5f) / 63;
        EXPECT_EQ(drawnOffset(middle), frame * 40) << "frame " << frame;
        EXPECT_EQ(strip->lastOffset.h, 0);
        EXPECT_EQ(strip->lastRect, CRect(10, 20, 50, 60));
    }
    EXPECT_EQ(drawnOffset(1.f), 63 * 40) << "the last frame, at 1.0 only";
    EXPECT_EQ(drawnOffset(0.999f), 62 * 40);
    EXPECT_EQ(drawnOffset(0.99f), 62 * 40);
    EXPECT_EQ(drawnOffset(0.5f), 31 * 40);
    EXPECT_EQ(drawnOffset(0.f), 0);
    EXPECT_EQ(drawnOffset(1.f / 63), 40) << "a frame boundary computed in single precision";
}

TEST_F(Filmstrip, ValuesOutsideTheRangeStayInsideTheStrip) {
    EXPECT_EQ(drawnOffset(-0.5f), 0);
    EXPECT_EQ(drawnOffset(-1e-7f), 0);
    EXPECT_EQ(drawnOffset(std::numeric_limits<float>::quiet_NaN()), 0);
    EXPECT_EQ(drawnOffset(-std::numeric_limits<float>::infinity()), 0);
    EXPECT_EQ(drawnOffset(1.0001f), 2520) << "above 1.0: the last frame";
    EXPECT_EQ(drawnOffset(1.7f), 2520);
    EXPECT_EQ(drawnOffset(3e9f), 2520);
    EXPECT_EQ(drawnOffset(std::numeric_limits<float>::infinity()), 2520);
}

TEST_F(Filmstrip, DegenerateStripsShowTheirFirstFrame) {
    CAnimKnob single(CRect(0, 0, 40, 40), nullptr, 0, 1, 40, nullptr);
    single.setValue(1.f);
    EXPECT_EQ(single.frameOffset(), 0);
    CAnimKnob flat(CRect(0, 0, 40, 40), nullptr, 0, 64, 0, nullptr);
    flat.setValue(0.7f);
    EXPECT_EQ(flat.frameOffset(), 0) << "frames without height";
    CAnimKnob none(CRect(0, 0, 40, 40), nullptr, 0, 0, 40, nullptr);
    none.setValue(0.7f);
    EXPECT_EQ(none.frameOffset(), 0);
}

TEST_F(Filmstrip, DirtyOnlyWhenTheIndicatorPointMovesAWholePixel) {
    EXPECT_TRUE(knob->isDirty()) << "new";
    EXPECT_EQ(knob->getIndicatorInset(), 0);
    drawnOffset(0.5f);
    EXPECT_FALSE(knob->isDirty());
    EXPECT_EQ(knob->getLastDrawnPoint(), CPoint(20, 0));
    knob->setValue(0.503f);  // under a pixel on a radius of 20
    EXPECT_FALSE(knob->isDirty()) << "the value moved, the picture would not";
    knob->setValue(0.52f);
    EXPECT_TRUE(knob->isDirty());
    knob->setValue(0.5f);
    EXPECT_FALSE(knob->isDirty());
    knob->setDirty(true);
    EXPECT_TRUE(knob->isDirty()) << "the view's flag still counts";
    knob->draw(nullptr);
    knob->CView::setDirty(false);
    knob->setValue(0.503f);
    EXPECT_FALSE(knob->isDirty());
}

// The real strip (frame k filled with red 4k + 2) drawn into a real buffer.
class FilmstripPixels : public ::testing::Test {
protected:
    ControlRig rig;
    COffscreenContext* buffer = new COffscreenContext(rig.frame(), 60, 60, kColorBlack);
    CBitmap* strip = new CBitmap(201);
    ~FilmstripPixels() override {
        buffer->release();
        strip->release();
    }
    int shownFrame(CAnimKnob* knob, float value) {
        knob->setValue(value);
        knob->draw(buffer);
        COLORREF c = GetPixel((HDC)buffer->getSystemContext(), 30, 30);
        return (GetRValue(c) - 2) / 4;
    }
};

TEST_F(FilmstripPixels, TheFrameOnScreenFollowsTheValue) {
    ASSERT_EQ(strip->getHeight(), 64 * 40) << "the test program embeds its bitmaps";
    CAnimKnob* knob = new CAnimKnob(CRect(10, 10, 50, 50), nullptr, 0, 64, 40, strip);
    EXPECT_EQ(shownFrame(knob, 0.f), 0);
    EXPECT_EQ(shownFrame(knob, 0.5f), 31);
    EXPECT_EQ(shownFrame(knob, 0.99f), 62);
    EXPECT_EQ(shownFrame(knob, 1.f), 63);
    EXPECT_EQ(shownFrame(knob, 5.f), 63);
    EXPECT_EQ(shownFrame(knob, -2.f), 0);
    COLORREF corner = GetPixel((HDC)buffer->getSystemContext(), 10, 10);
    EXPECT_EQ(corner, RGB(2, 250, 77)) << "the knob covers its rectangle from its top-left corner";
    EXPECT_EQ(GetPixel((HDC)buffer->getSystemContext(), 50, 30), RGB(0, 0, 0)) << "and no more";
    knob->release();
}

}  // namespace
}  // namespace controltest
