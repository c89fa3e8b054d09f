// The frame's own window on X11 and the drawing operations as they land in
// its pixels: opaque, colour-keyed and constant-alpha blits of an embedded
// bitmap, fills, straight lines and clipping, drawn through the frame's
// offscreen buffer and read back from the window.
#include <gtest/gtest.h>
// After the test framework: X11 defines names it uses.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <unistd.h>

#include <functional>

#include "gui/vstgui.h"
#include "tests/bitmaps/bmp_reader.h"
#include "tests/editor/editor_pictures.h"

namespace {

using namespace VSTGUI;
using editortest::EditorPictures;
using editortest::Picture;

constexpr int kWidth = 200;
constexpr int kHeight = 100;
constexpr int32_t kSmallKnobBitmap = 130;
const CColor kGrey = {100, 100, 100, 255};

uint32_t rgb(const CColor& c) { return uint32_t(c.red) << 16 | uint32_t(c.green) << 8 | c.blue; }

Display* display() {
    static Display* d = XOpenDisplay(nullptr);
    return d;
}

Picture capture(Window window) {
    Picture picture;
    XImage* image = XGetImage(display(), window, 0, 0, kWidth, kHeight, AllPlanes, ZPixmap);
    if (!image) return picture;
    picture.width = kWidth;
    picture.height = kHeight;
    picture.pixels.resize(kWidth * kHeight);
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x) picture.at(x, y) = (uint32_t)XGetPixel(image, x, y) & 0xFFFFFF;
    XDestroyImage(image);
    return picture;
}

// A view that draws whatever the test gives it.
class Scene : public CView {
public:
    explicit Scene(std::function<void(CDrawContext*)> paint) : CView(CRect(0, 0, kWidth, kHeight)), paint(paint) {}
    void draw(CDrawContext* context) override {
        paint(context);
        setDirty(false);
    }

private:
    std::function<void(CDrawContext*)> paint;
};

class X11Frame : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(display()) << "no X display";
        ASSERT_FALSE(EditorPictures::get().smallKnob.empty());
        parent = XCreateSimpleWindow(display(), DefaultRootWindow(display()), 10, 10, kWidth, kHeight, 0, 0, 0);
        XSelectInput(display(), parent, StructureNotifyMask);
        XMapRaised(display(), parent);
        XEvent event;
        do XWindowEvent(display(), parent, StructureNotifyMask, &event);
        while (event.type != MapNotify);
    }
    void TearDown() override {
        delete frame;
        XDestroyWindow(display(), parent);
        XSync(display(), False);
    }
    // A frame in the parent with one scene view; returns the window's pixels
    // once it has painted.
    Picture show(std::function<void(CDrawContext*)> paint) {
        frame = new CFrame(CRect(0, 0, kWidth, kHeight), reinterpret_cast<void*>(parent), nullptr);
        Scene* scene = new Scene(paint);
        frame->addView(scene);
        for (int i = 0; i < 5; ++i) {
            XSync(display(), False);
            usleep(10000);
            frame->idle();
        }
        XSync(display(), False);
        return capture(static_cast<Window>(reinterpret_cast<uintptr_t>(frame->getSystemWindow())));
    }
    Window parent = 0;
    CFrame* frame = nullptr;
};

TEST_F(X11Frame, IsTheOnlyChildOfItsParentAndGoesWithTheFrame) {
    show([](CDrawContext*) {});
    Window root, up, *children = nullptr;
    unsigned int count = 0;
    XQueryTree(display(), parent, &root, &up, &children, &count);
    ASSERT_EQ(count, 1u);
    EXPECT_EQ(children[0], static_cast<Window>(reinterpret_cast<uintptr_t>(frame->getSystemWindow())));
    XFree(children);
    delete frame;
    frame = nullptr;
    XSync(display(), False);
    XQueryTree(display(), parent, &root, &up, &children, &count);
    EXPECT_EQ(count, 0u);
    if (children) XFree(children);
}

// Also run under AddressSanitizer: the X-Resource request that finds the
// parent's owner is put together by hand.
TEST_F(X11Frame, AParentNotOnTheServerYetGetsItsWindowAtTheFirstIdleAfter) {
    const Window later =
        XCreateSimpleWindow(display(), DefaultRootWindow(display()), 10, 200, kWidth, kHeight, 0, 0, 0);
    frame = new CFrame(CRect(0, 0, kWidth, kHeight), reinterpret_cast<void*>(later), nullptr);
    EXPECT_TRUE(!frame->getSystemWindow() && frame->isWindowPending());
    XSync(display(), False);
    frame->idle();
    EXPECT_TRUE(frame->getSystemWindow() && !frame->isWindowPending());
    delete frame;
    frame = nullptr;
    XDestroyWindow(display(), later);
}

TEST_F(X11Frame, BlitsOpaqueColourKeyedAndWithConstantAlpha) {
    const Picture& strip = EditorPictures::get().smallKnob;
    const uint32_t keyPixel = strip.at(0, 0);  // the corner's colour becomes the key
    const CColor key = {uint8_t(keyPixel >> 16), uint8_t(keyPixel >> 8), uint8_t(keyPixel), 255};
    const int frameTop = 40;  // the strip's second frame
    Picture shown = show([&](CDrawContext* context) {
        context->setFillColor(kGrey);
        context->drawRect(CRect(0, 0, kWidth, kHeight), kFilled);
        CBitmap* bitmap = new CBitmap(kSmallKnobBitmap);
        bitmap->draw(context, CRect(0, 0, 40, 40), CPoint(0, frameTop));
        bitmap->setTransparentColor(key);
        bitmap->drawTransparent(context, CRect(50, 0, 90, 40), CPoint(0, frameTop));
        bitmap->drawAlphaBlend(context, CRect(100, 0, 140, 40), CPoint(0, frameTop), 128);
        bitmap->drawAlphaBlend(context, CRect(150, 0, 190, 40), CPoint(0, frameTop), 0);
        bitmap->release();
    });
    ASSERT_FALSE(shown.empty());
    int keyed = 0;
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 40; ++x) {
            const uint32_t source = strip.at(x, frameTop + y);
            ASSERT_EQ(shown.at(x, y), source) << "opaque at " << x << "," << y;
            const bool transparent = source == keyPixel;
            keyed += transparent;
            ASSERT_EQ(shown.at(50 + x, y), transparent ? rgb(kGrey) : source) << "keyed at " << x << "," << y;
            Picture blended, expected;
            blended.width = expected.width = blended.height = expected.height = 1;
            blended.pixels = {shown.at(100 + x, y)};
            uint32_t mix = 0;
            for (int shift = 0; shift < 24; shift += 8) {
                const int s = (source >> shift) & 0xFF, d = (rgb(kGrey) >> shift) & 0xFF;
                mix |= uint32_t((s * 128 + d * 127 + 127) / 255) << shift;
            }
            expected.pixels = {mix};
            ASSERT_EQ(editortest::differences(blended, expected, nullptr, 1), "") << "blend at " << x << "," << y;
            ASSERT_EQ(shown.at(150 + x, y), rgb(kGrey)) << "an invisible blend draws nothing";
        }
    EXPECT_GT(keyed, 0) << "the key colour occurs in the picture";
}

TEST_F(X11Frame, BlitsThePicturesDrawnForEachScale) {
    // The small knob's second frame at 150 % and 200 %, side by side.
    const struct {
        int percent, size, left;
        const char* file;
    } scales[] = {{150, 60, 0, "/150/knob-small.bmp"}, {200, 80, 70, "/200/knob-small.bmp"}};
    Picture shown = show([&](CDrawContext* context) {
        context->setFillColor(kGrey);
        context->drawRect(CRect(0, 0, kWidth, kHeight), kFilled);
        for (const auto& s : scales) {
            CBitmap* bitmap = new CBitmap(kSmallKnobBitmap, s.percent);
            EXPECT_EQ(bitmap->getWidth(), s.size);
            EXPECT_EQ(bitmap->getHeight(), 64 * s.size);
            bitmap->draw(context, CRect(s.left, 0, s.left + s.size, s.size), CPoint(0, s.size));
            bitmap->release();
        }
        CBitmap* between = new CBitmap(kSmallKnobBitmap, 125);
        EXPECT_EQ(between->getWidth(), 0) << "only the scales drawn for";
        between->release();
    });
    ASSERT_FALSE(shown.empty());
    for (const auto& s : scales) {
        BmpFile drawn = readBmp(std::string(QELT_BITMAP_DIR) + s.file);
        ASSERT_EQ(drawn.width, s.size) << s.file;
        int mismatches = 0;
        for (int y = 0; y < s.size; ++y)
            for (int x = 0; x < s.size; ++x) {
                const Pixel p = drawn.at(x, s.size + y);
                mismatches += shown.at(s.left + x, y) != (uint32_t(p.r) << 16 | uint32_t(p.g) << 8 | uint32_t(p.b));
            }
        EXPECT_EQ(mismatches, 0) << s.percent << " %";
    }
}

TEST_F(X11Frame, FillsLinesAndClipsLandOnWholePixels) {
    Picture shown = show([](CDrawContext* context) {
        context->setFillColor(kGrey);
        context->drawRect(CRect(0, 0, kWidth, kHeight), kFilled);
        // fillRect leaves the top and left edge out.
        context->setFillColor(kColorRed);
        context->fillRect(CRect(10, 10, 20, 20));
        // A fill through a clip shows inside it only.
        context->setClipRect(CRect(40, 10, 60, 20));
        context->setFillColor(kColorBlue);
        context->drawRect(CRect(30, 0, 70, 30), kFilled);
        context->setClipRect(CRect(0, 0, kWidth, kHeight));
        // Lines end one pixel short of their end point.
        context->setFrameColor(kColorGreen);
        context->moveTo(CPoint(100, 50));
        context->lineTo(CPoint(130, 50));
        context->lineTo(CPoint(130, 70));
        // A stroked rectangle: its right and bottom edges inside.
        context->setFrameColor(kColorYellow);
        context->drawRect(CRect(150, 50, 160, 60), kStroked);
    });
    ASSERT_FALSE(shown.empty());
    auto expectAt = [&](int x, int y, const CColor& c) { EXPECT_EQ(shown.at(x, y), rgb(c)) << x << "," << y; };
    expectAt(10, 10, kGrey);
    expectAt(11, 11, kColorRed);
    expectAt(19, 19, kColorRed);
    expectAt(20, 20, kGrey);
    expectAt(39, 15, kGrey);
    expectAt(40, 10, kColorBlue);
    expectAt(59, 19, kColorBlue);
    expectAt(60, 15, kGrey);
    expectAt(50, 20, kGrey);
    expectAt(99, 50, kGrey);
    expectAt(100, 50, kColorGreen);
    expectAt(129, 50, kColorGreen);
    expectAt(130, 50, kColorGreen);  // the second line's first point
    expectAt(130, 69, kColorGreen);
    expectAt(130, 70, kGrey);
    expectAt(100, 51, kGrey);
    expectAt(150, 50, kColorYellow);
    expectAt(159, 59, kColorYellow);
    expectAt(155, 55, kGrey);
    expectAt(160, 55, kGrey);
    expectAt(155, 60, kGrey);
}

TEST_F(X11Frame, ReportsItsScreenPositionAndTheParentsSizeAndResizes) {
    show([](CDrawContext* context) {
        context->setFillColor(kColorRed);
        context->drawRect(CRect(0, 0, 400, 400), kFilled);
    });
    int32_t x = -1, y = -1;
    ASSERT_TRUE(frame->getPosition(x, y));
    int rootX = 0, rootY = 0;
    Window child;
    XTranslateCoordinates(display(), parent, DefaultRootWindow(display()), 0, 0, &rootX, &rootY, &child);
    EXPECT_EQ(x, rootX);
    EXPECT_EQ(y, rootY);
    CRect parentSize;
    ASSERT_TRUE(frame->getSize(parentSize));
    EXPECT_EQ(parentSize.getWidth(), kWidth);
    EXPECT_EQ(parentSize.getHeight(), kHeight);

    // Without an editor there is no host to ask: the frame's own window
    // follows alone.
    XResizeWindow(display(), parent, 300, 150);
    ASSERT_TRUE(frame->setSize(300, 150));
    XSync(display(), False);
    XWindowAttributes attributes;
    XGetWindowAttributes(display(), static_cast<Window>(reinterpret_cast<uintptr_t>(frame->getSystemWindow())),
                         &attributes);
    EXPECT_EQ(attributes.width, 300);
    EXPECT_EQ(attributes.height, 150);
    EXPECT_FALSE(frame->setSize(300, 150)) << "no change, nothing done";
    EXPECT_FALSE(frame->setSize(0, -5)) << "no window of no size";
}

TEST(X11FrameWithoutParent, HoldsViewsAndDrawsNothing) {
    CFrame* frame = new CFrame(CRect(0, 0, 50, 50), nullptr, nullptr);
    EXPECT_EQ(frame->getSystemWindow(), nullptr);
    EXPECT_FALSE(frame->drivesGesturesByEvents());
    frame->addView(new Scene([](CDrawContext* context) { context->fillRect(CRect(0, 0, 10, 10)); }));
    frame->idle();
    frame->draw(nullptr);
    delete frame;
}

}  // namespace
