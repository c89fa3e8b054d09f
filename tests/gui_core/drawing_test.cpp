// Records, reference counting and the drawing contexts on real GDI.
#include <gtest/gtest.h>

#include <cstring>

#include "gui/win32/platform_input.h"
#include "gui/win32/platform_state.h"
#include "gui_test_support.h"

using namespace VSTGUI;
using namespace guitest;

TEST(Records, IntersectClampsInItsOwnOrder) {
    CRect a(0, 0, 10, 10);
    EXPECT_EQ(CRect(a).intersect(CRect(20, 20, 30, 30)), CRect(20, 20, 20, 20));
    EXPECT_EQ(CRect(a).intersect(CRect(5, -5, 8, 3)), CRect(5, 0, 8, 3));
    // Disjoint only horizontally: collapses onto the other's left edge.
    EXPECT_EQ(CRect(a).intersect(CRect(15, 2, 30, 8)), CRect(15, 2, 15, 8));
    EXPECT_EQ(CRect(1, 2, 3, 4).offset(10, 20), CRect(11, 22, 13, 24));
    EXPECT_EQ(CRect(1, 2, 11, 32).getWidth(), 10);
    EXPECT_EQ(CRect(1, 2, 11, 32).getHeight(), 30);
}

TEST(Records, ColoursCompareAllFourBytesButThePlatformSeesOnlyThree) {
    EXPECT_NE(kColorBlack, (CColor{0, 0, 0, 0}));
    EXPECT_NE(kColorTransparent, kColorWhite);
    EXPECT_EQ(kColorTransparent.toPlatform(), kColorWhite.toPlatform());
    EXPECT_EQ((CColor{1, 2, 3, 0}).toPlatform(), 0x030201u);
}

namespace {
struct Counted : CReferenceCounter {
    explicit Counted(bool* gone) : gone(gone) {}
    ~Counted() override { *gone = true; }
    bool* gone;
};
}  // namespace

TEST(Records, LastReleaseDestroys) {
    bool gone = false;
    Counted* c = new Counted(&gone);
    EXPECT_EQ(c->getNbReference(), 1);
    c->retain();
    c->release();
    EXPECT_EQ(c->getNbReference(), 1);
    EXPECT_FALSE(gone);
    c->release();
    EXPECT_TRUE(gone);
}

class Offscreen : public ::testing::Test {
protected:
    void SetUp() override { ctx = new COffscreenContext(nullptr, 30, 30, kColorBlack); }
    void TearDown() override { ctx->release(); }
    COffscreenContext* ctx;
};

TEST_F(Offscreen, FillLeavesLeftColumnAndTopRowAndStrokeLiesOnLastCoveredPixels) {
    ctx->setFillColor(kColorRed);
    ctx->fillRect(CRect(10, 10, 20, 20));
    Pixels filled(ctx);
    EXPECT_EQ(filled.mismatches(CRect(11, 11, 20, 20), kRed), 0);
    EXPECT_EQ(filled.mismatches(CRect(10, 10, 21, 11), kBlack), 0);  // top row
    EXPECT_EQ(filled.mismatches(CRect(10, 10, 11, 21), kBlack), 0);  // left column
    EXPECT_EQ(filled.count(kRed), 81);

    COffscreenContext* stroke = new COffscreenContext(nullptr, 30, 30, kColorBlack);
    stroke->setFrameColor(kColorGreen);
    stroke->drawRect(CRect(10, 10, 20, 20), kStroked);
    Pixels outline(stroke);
    for (int i = 10; i <= 19; ++i) {
        EXPECT_EQ(outline.at(i, 10), kGreen) << i;
        EXPECT_EQ(outline.at(i, 19), kGreen) << i;
        EXPECT_EQ(outline.at(10, i), kGreen) << i;
        EXPECT_EQ(outline.at(19, i), kGreen) << i;
    }
    EXPECT_EQ(outline.count(kGreen), 36);  // nothing outside or inside
    stroke->release();

    ctx->setFillColor(kColorBlue);
    ctx->setFrameColor(kColorGreen);
    ctx->drawRect(CRect(0, 0, 10, 10), kFilledAndStroked);
    ctx->drawRect(CRect(20, 20, 30, 30), 7);  // unknown style: nothing
    Pixels both(ctx);
    EXPECT_EQ(both.mismatches(CRect(1, 1, 9, 9), kBlue), 0);
    EXPECT_EQ(both.count(kGreen), 36);
    EXPECT_EQ(both.mismatches(CRect(20, 20, 30, 30), kBlack), 0);
}

TEST_F(Offscreen, ClearsEveryPixelToItsBackgroundWhateverTheColour) {
    const CColor colours[] = {kColorWhite, kColorBlack, {12, 34, 56, 255}};
    for (const CColor& c : colours) {
        COffscreenContext* o = new COffscreenContext(nullptr, 17, 9, c);
        EXPECT_EQ(Pixels(o).mismatches(CRect(0, 0, 17, 9), rgb(c)), 0) << rgb(c);
        EXPECT_EQ(o->getClipRect(), CRect(0, 0, 17, 9));
        o->release();
    }
    COffscreenContext* empty = new COffscreenContext(nullptr, 0, 0, kColorWhite);
    EXPECT_EQ(empty->getClipRect(), CRect(0, 0, 0, 0));
    empty->release();
}

TEST_F(Offscreen, ClipRectReplacesThePreviousClipAndFollowsTheOffset) {
    ctx->setFillColor(kColorRed);
    ctx->setClipRect(CRect(2, 2, 6, 6));
    ctx->setClipRect(CRect(5, 5, 15, 15));  // replaces, does not intersect
    ctx->drawRect(CRect(0, 0, 30, 30), kFilled);
    Pixels p(ctx);
    EXPECT_EQ(p.mismatches(CRect(5, 5, 15, 15), kRed), 0);
    EXPECT_EQ(p.count(kRed), 100);

    ctx->offset = CPoint(3, 4);
    EXPECT_EQ(ctx->getClipRect(), CRect(2, 1, 12, 11));
    ctx->setClipRect(CRect(0, 0, 2, 2));  // device (3, 4, 5, 6)
    ctx->setFillColor(kColorBlue);
    ctx->drawRect(CRect(-10, -10, 30, 30), kFilled);
    Pixels q(ctx);
    EXPECT_EQ(q.count(kBlue), 4);
    EXPECT_EQ(q.at(3, 4), kBlue);
    EXPECT_EQ(q.at(4, 5), kBlue);
}

TEST_F(Offscreen, LinesExcludeTheirEndPointInEveryDrawMode) {
    ctx->setFrameColor(kColorRed);
    ctx->moveTo(CPoint(2, 3));
    ctx->lineTo(CPoint(12, 3));
    Pixels copy(ctx);
    EXPECT_EQ(copy.mismatches(CRect(2, 3, 12, 4), kRed), 0);
    EXPECT_EQ(copy.at(12, 3), kBlack);

    // Or merges the pen with what is there.
    ctx->setFillColor(kColorBlue);
    ctx->drawRect(CRect(0, 10, 30, 12), kFilled);
    ctx->setDrawMode(kModeOr);
    ctx->moveTo(CPoint(0, 10));
    ctx->lineTo(CPoint(10, 10));
    // The xor mode (not-xor of the pen) with a black pen inverts.
    ctx->setDrawMode(kModeXor);
    ctx->setFrameColor(kColorBlack);
    ctx->moveTo(CPoint(0, 11));
    ctx->lineTo(CPoint(10, 11));
    ctx->moveTo(CPoint(0, 20));
    ctx->lineTo(CPoint(10, 20));
    Pixels modes(ctx);
    EXPECT_EQ(modes.at(5, 10), (Rgb{255, 0, 255}));
    EXPECT_EQ(modes.at(5, 11), (Rgb{255, 255, 0}));
    EXPECT_EQ(modes.at(5, 20), kWhite);
    EXPECT_EQ(modes.at(15, 11), kBlue);

    ctx->setDrawMode(kModeCopy);
    ctx->setLineStyle(kDashedLine);
    ctx->setFrameColor(kColorWhite);
    ctx->moveTo(CPoint(0, 25));
    ctx->lineTo(CPoint(30, 25));
    int lit = Pixels(ctx).mismatches(CRect(0, 25, 30, 26), kBlack);
    EXPECT_GT(lit, 5);
    EXPECT_LT(lit, 25);
}

TEST_F(Offscreen, PensBrushesAndFontsAreCreatedOnlyOnChangeAndOldOnesDeleted) {
    void* pen = ctx->getOwnedPen();
    ctx->setFrameColor(ctx->getFrameColor());
    ctx->setLineWidth(ctx->getLineWidth());
    ctx->setLineStyle(ctx->getLineStyle());
    EXPECT_EQ(ctx->getOwnedPen(), pen);
    CColor sameButAlpha = ctx->getFrameColor();
    sameButAlpha.alpha = 3;
    ctx->setFrameColor(sameButAlpha);
    EXPECT_NE(ctx->getOwnedPen(), pen);
    EXPECT_EQ(GetObjectType(static_cast<HGDIOBJ>(pen)), 0u);  // deleted
    EXPECT_EQ(GetCurrentObject(static_cast<HDC>(ctx->getSystemContext()), OBJ_PEN), ctx->getOwnedPen());

    void* brush = ctx->getOwnedBrush();
    ctx->setFillColor(ctx->getFillColor());
    EXPECT_EQ(ctx->getOwnedBrush(), brush);
    ctx->setFillColor(kColorCyan);
    EXPECT_NE(ctx->getOwnedBrush(), brush);
    EXPECT_EQ(GetObjectType(static_cast<HGDIOBJ>(brush)), 0u);
    EXPECT_EQ(GetBkColor(static_cast<HDC>(ctx->getSystemContext())), kColorCyan.toPlatform());

    LOGFONTA f;
    ctx->setFont(9, 0, 0);  // out of range: the system font, always bold
    ASSERT_TRUE(GetObjectA(ctx->getOwnedFont(), sizeof(f), &f));
    EXPECT_EQ(ctx->getFont(), 0);
    EXPECT_EQ(f.lfHeight, -12);
    EXPECT_EQ(f.lfWeight, 700);
    EXPECT_EQ(f.lfPitchAndFamily, 0x22);
    ctx->setFont(kFontNormal, 0, kStyleBold | kStyleUnderline);
    void* font = ctx->getOwnedFont();
    ASSERT_TRUE(GetObjectA(font, sizeof(f), &f));
    EXPECT_STREQ(f.lfFaceName, "Arial");
    EXPECT_EQ(f.lfHeight, -12);
    EXPECT_EQ(f.lfWeight, 700);
    EXPECT_EQ(f.lfUnderline, 1);
    EXPECT_EQ(f.lfItalic, 0);
    ctx->setFont(kFontNormal, 12, kStyleBold | kStyleUnderline);  // same font, size spelled out
    EXPECT_EQ(ctx->getOwnedFont(), font);
    ctx->setFont(kFontSymbol, 20, kStyleItalic);
    ASSERT_TRUE(GetObjectA(ctx->getOwnedFont(), sizeof(f), &f));
    EXPECT_STREQ(f.lfFaceName, "Symbol");
    EXPECT_EQ(f.lfHeight, -20);
    EXPECT_EQ(f.lfWeight, 400);
    EXPECT_EQ(f.lfItalic, 1);
    EXPECT_EQ(f.lfPitchAndFamily, 0x50);
    EXPECT_EQ(GetObjectType(font), 0u);
}

TEST(DrawContext, GivesBackTheObjectsItFoundSelected) {
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ pen = GetCurrentObject(dc, OBJ_PEN), brush = GetCurrentObject(dc, OBJ_BRUSH),
            font = GetCurrentObject(dc, OBJ_FONT);
    CDrawContext* ctx = new CDrawContext(nullptr, dc, nullptr);
    EXPECT_EQ(ctx->getClipRect(), CRect(0, 0, 1000, 1000));
    EXPECT_EQ(GetCurrentObject(dc, OBJ_PEN), ctx->getOwnedPen());
    EXPECT_EQ(GetBkMode(dc), TRANSPARENT);
    EXPECT_EQ(GetTextColor(dc), kColorWhite.toPlatform());
    void* ownPen = ctx->getOwnedPen();
    ctx->release();
    EXPECT_EQ(GetCurrentObject(dc, OBJ_PEN), pen);
    EXPECT_EQ(GetCurrentObject(dc, OBJ_BRUSH), brush);
    EXPECT_EQ(GetCurrentObject(dc, OBJ_FONT), font);
    EXPECT_EQ(GetObjectType(static_cast<HGDIOBJ>(ownPen)), 0u);
    DeleteDC(dc);

    // Without any device the context keeps its state and draws nowhere.
    CDrawContext* nowhere = new CDrawContext(nullptr, nullptr, nullptr);
    nowhere->setFillColor(kColorRed);
    nowhere->fillRect(CRect(0, 0, 10, 10));
    nowhere->setClipRect(CRect(1, 2, 3, 4));
    EXPECT_EQ(nowhere->getFillColor(), kColorRed);
    EXPECT_EQ(nowhere->getClipRect(), CRect(1, 2, 3, 4));
    nowhere->release();
}

TEST(DrawContext, CopyFromBlitsABlockToTheTargetsOffset) {
    COffscreenContext* source = new COffscreenContext(nullptr, 20, 20, kColorBlack);
    source->setFillColor(kColorRed);
    source->drawRect(CRect(5, 5, 10, 10), kFilled);
    COffscreenContext* target = new COffscreenContext(nullptr, 20, 20, kColorWhite);
    target->offset = CPoint(2, 1);
    source->copyFrom(target, CRect(0, 0, 4, 3), CPoint(5, 5));
    Pixels p(target);
    EXPECT_EQ(p.mismatches(CRect(2, 1, 6, 4), kRed), 0);
    EXPECT_EQ(p.count(kRed), 12);
    target->release();
    source->release();
}

TEST(DrawContext, MouseStateComesThroughTheInputSeamWithButtonsSwappedOnRequest) {
    ScriptedInput script;
    ScopedPlatformInput use(&script);
    script.add(CPoint(300, 200), {VK_LBUTTON, VK_SHIFT});
    script.add(CPoint(310, 190), {VK_RBUTTON, VK_MBUTTON, VK_CONTROL, VK_MENU});

    CDrawContext* ctx = new CDrawContext(nullptr, nullptr, nullptr);
    ctx->screenOffset = CPoint(100, 50);
    EXPECT_EQ(ctx->getMouseButtons(), kButtonLeft | kModShift);
    setSwapMouseButtons(true);
    EXPECT_EQ(ctx->getMouseButtons(), kButtonRight | kModShift);
    setSwapMouseButtons(false);
    CPoint where;
    ctx->getMouseLocation(where);
    EXPECT_EQ(where, CPoint(200, 150));
    EXPECT_EQ(ctx->getMouseButtons(), kButtonRight | kButtonMiddle | kModControl | kModAlt);
    setSwapMouseButtons(true);
    EXPECT_EQ(ctx->getMouseButtons(), kButtonLeft | kButtonMiddle | kModControl | kModAlt);
    setSwapMouseButtons(false);
    ctx->getMouseLocation(where);
    EXPECT_EQ(where, CPoint(210, 140));
    ctx->release();
}

TEST(DrawContext, OnAWindowItTakesTheWindowsDeviceAndScreenPosition) {
    HWND w = CreateWindowExA(0, "STATIC", "", WS_POPUP | WS_VISIBLE, 110, 70, 50, 40, nullptr, nullptr,
                             GetModuleHandleA(nullptr), nullptr);
    ASSERT_TRUE(w);
    CDrawContext* ctx = new CDrawContext(nullptr, nullptr, w);
    EXPECT_TRUE(ctx->getSystemContext());
    EXPECT_EQ(ctx->screenOffset, CPoint(110, 70));
    // The default seam reads the real pointer.
    ASSERT_TRUE(SetCursorPos(130, 95));
    CPoint where;
    ctx->getMouseLocation(where);
    EXPECT_EQ(where, CPoint(20, 25));
    ctx->release();
    DestroyWindow(w);
}
