// Each control under real input: the platform's own injection (SendInput)
// moves the display's pointer and presses its buttons from a second thread
// while the control's modal loop polls the live state on this one. Nothing is
// scripted through the seam here, which proves the seam changes nothing. The
// drag also has to keep the window painting and the host's idle running.
#include <gtest/gtest.h>

#include <atomic>

#include "gui/controls/canimknob.h"
#include "gui/controls/ckickbutton.h"
#include "gui/controls/cknob.h"
#include "tests/gui_controls/control_rig.h"
#include "tests/support/win32_test_input.h"

namespace controltest {
namespace {

using win32test::mouseButton;
using win32test::withInjection;

POINT onScreen(const CPoint& p) { return POINT{p.h, p.v}; }

void moveTo(const CPoint& screen) { win32test::moveMouseTo(onScreen(screen)); }

// Steps from a to b in n pauses of `ms` milliseconds.
void glide(const CPoint& a, const CPoint& b, int n, int ms) { win32test::glide(onScreen(a), onScreen(b), n, ms); }

class RealInput : public ::testing::Test {
protected:
    ControlRig rig{320, 260, 80, 80, true};
    void SetUp() override {
        // The live pointer, no script.
        setPlatformInput(nullptr);
        moveTo(rig.toScreen(CPoint(300, 250)));
        Sleep(50);
        pumpMessages();
        rig.log.clear();
    }
    void TearDown() override { mouseButton(MOUSEEVENTF_LEFTUP); }
};

TEST_F(RealInput, CircularKnobFollowsThePointer) {
    CKnob* knob = rig.add(new CKnob(CRect(100, 150, 140, 190), &rig.listener, 1, nullptr, nullptr));
    knob->setValue(0.1f);
    withInjection([&] {
        moveTo(rig.toScreen(CPoint(120, 150)));  // the top: 0.5
        Sleep(60);
        mouseButton(MOUSEEVENTF_LEFTDOWN);
        Sleep(150);
        glide(rig.toScreen(CPoint(120, 150)), rig.toScreen(CPoint(140, 170)), 8, 20);  // to the right: 5/6
        Sleep(200);
        mouseButton(MOUSEEVENTF_LEFTUP);
        Sleep(150);
    });
    ASSERT_GE(rig.log.values().size(), 2u) << rig.log.describe();
    EXPECT_NEAR(rig.log.values().front(), 0.5f, 0.02f) << "the press turns the knob to the pointer";
    EXPECT_NEAR(knob->getValue(), 5.f / 6, 0.02f);
    EXPECT_EQ(rig.log.kinds().front(), "begin");
    EXPECT_EQ(rig.log.kinds().back(), "end");
    EXPECT_EQ(rig.log.count("begin"), 1);
}

// A filmstrip knob that counts how often it is drawn.
class CountingAnimKnob : public CAnimKnob {
public:
    using CAnimKnob::CAnimKnob;
    void draw(CDrawContext* context) override {
        ++draws;
        CAnimKnob::draw(context);
    }
    std::atomic<int> draws{0};
};

TEST_F(RealInput, LinearFilmstripDragKeepsPaintingAndIdling) {
    rig.setKnobMode(2);
    CBitmap* strip = new CBitmap(201);
    CountingAnimKnob* knob = rig.add(new CountingAnimKnob(CRect(100, 150, 140, 190), &rig.listener, 3, 64, 40, strip));
    strip->release();
    knob->setValue(0.2f);
    rig.paint();
    const int drawsBefore = knob->draws;
    const CPoint press = rig.toScreen(CPoint(120, 170));
    HDC window = GetDC(rig.frameWindow());
    COLORREF midDrag = 0;
    withInjection([&] {
        moveTo(press);
        Sleep(60);
        mouseButton(MOUSEEVENTF_LEFTDOWN);
        Sleep(150);
        glide(press, CPoint(press.h, press.v - 60), 30, 20);  // 60 up, 0.6 s: +0.3
        Sleep(400);
        midDrag = GetPixel(window, 130, 170);  // still held: what the window shows now
        mouseButton(MOUSEEVENTF_LEFTUP);
        Sleep(150);
    });
    ReleaseDC(rig.frameWindow(), window);
    EXPECT_NEAR(knob->getValue(), 0.5f, 0.011f) << rig.log.describe();
    EXPECT_EQ(rig.log.count("begin"), 1);
    EXPECT_EQ(rig.log.count("end"), 1);
    EXPECT_GE(rig.log.count("changed"), 10) << "reported along the way";
    EXPECT_GE(rig.log.count("idle"), 5) << "the host kept getting idle time during the drag";
    EXPECT_GE(knob->draws - drawsBefore, 5) << "the window kept being redrawn during the drag";
    EXPECT_EQ(GetRValue(midDrag), 4 * 31 + 2) << "frame 31 of the strip on screen while still held";
}

TEST_F(RealInput, KickButtonHeldDraggedOutAndReleasedOutside) {
    CBitmap* pictures = new CBitmap(202);
    CKickButton* key = rig.add(new CKickButton(CRect(200, 100, 212, 130), &rig.listener, 60, pictures));
    pictures->release();
    rig.paint();
    HDC window = GetDC(rig.frameWindow());
    COLORREF held = 0, outside = 0;
    withInjection([&] {
        moveTo(rig.toScreen(CPoint(206, 115)));
        Sleep(60);
        mouseButton(MOUSEEVENTF_LEFTDOWN);
        Sleep(400);
        held = GetPixel(window, 206, 115);
        moveTo(rig.toScreen(CPoint(240, 115)));
        Sleep(400);
        outside = GetPixel(window, 206, 115);
        mouseButton(MOUSEEVENTF_LEFTUP);
        Sleep(150);
    });
    ReleaseDC(rig.frameWindow(), window);
    std::vector<float> values = rig.log.values();
    ASSERT_GE(values.size(), 3u) << rig.log.describe();
    EXPECT_EQ(values.front(), 1.f);
    EXPECT_EQ(values[values.size() - 2], 0.f) << "left the key";
    EXPECT_EQ(values.back(), 0.f) << "and the release";
    EXPECT_EQ(rig.log.kinds().front(), "begin");
    EXPECT_EQ(rig.log.kinds().back(), "end");
    EXPECT_EQ(held, RGB(20, 210, 30)) << "pressed picture on screen while held";
    EXPECT_EQ(outside, RGB(10, 20, 200)) << "released picture once the pointer left";
    EXPECT_FLOAT_EQ(key->getValue(), 0.f);
}

}  // namespace
}  // namespace controltest
