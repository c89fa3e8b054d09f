// Bitmaps from the program's own resources, blitted into offscreen buffers.
#include <gtest/gtest.h>

#include "gui/win32/platform_state.h"
#include "gui_test_support.h"

using namespace VSTGUI;
using namespace guitest;

namespace {
const int kSwatches = 101;  // 5 x 2, see make_test_bitmaps.py
const Rgb kOffWhite = {254, 255, 255};

// Loads the blit entry points the way a frame does, and restores them.
class Bitmaps : public ::testing::Test {
protected:
    void SetUp() override {
        msimg32 = LoadLibraryA("msimg32.dll");
        ASSERT_TRUE(msimg32);
        setAlphaBlendEntry(procAddress<AlphaBlendProc>(msimg32, "AlphaBlend"));
        setTransparentBltEntry(procAddress<TransparentBltProc>(msimg32, "TransparentBlt"));
        ASSERT_TRUE(alphaBlendEntry() && transparentBltEntry());
        bitmap = new CBitmap(kSwatches);
        target = new COffscreenContext(nullptr, 12, 6, CColor{40, 50, 60, 255});
    }
    void TearDown() override {
        target->release();
        bitmap->release();
        setAlphaBlendEntry(nullptr);
        setTransparentBltEntry(nullptr);
        FreeLibrary(msimg32);
    }
    HMODULE msimg32 = nullptr;
    CBitmap* bitmap = nullptr;
    COffscreenContext* target = nullptr;
    const Rgb background = {40, 50, 60};
};
}  // namespace

TEST_F(Bitmaps, LoadFromTheToolkitsModuleAndAMissingOneIsEmpty) {
    EXPECT_EQ(bitmap->getWidth(), 5);
    EXPECT_EQ(bitmap->getHeight(), 2);
    EXPECT_EQ(bitmap->getTransparentColor(), kColorTransparent);

    CBitmap* missing = new CBitmap(999);
    EXPECT_EQ(missing->getWidth(), 0);
    EXPECT_EQ(missing->getHeight(), 0);
    missing->draw(target, CRect(0, 0, 5, 2));
    missing->drawTransparent(target, CRect(0, 0, 5, 2));
    missing->drawAlphaBlend(target, CRect(0, 0, 5, 2), CPoint(), 255);
    EXPECT_EQ(Pixels(target).count(background), 72);
    missing->release();

    CBitmap* b = new CBitmap(102);
    EXPECT_TRUE(b->loadFromResource(kSwatches));
    EXPECT_EQ(b->getWidth(), 5);
    EXPECT_FALSE(b->loadFromPath("swatches.bmp"));
    EXPECT_EQ(b->getWidth(), 0);
    EXPECT_FALSE(b->getHandle());
    b->release();

    // The probe library holds resource 201, this program does not; the
    // program holds 101, the library does not.
    HMODULE probe = LoadLibraryA("gui_core_probe.dll");
    ASSERT_TRUE(probe);
    auto probeSize = procAddress<void (*)(int, int*, int*)>(probe, "probeBitmapSize");
    ASSERT_TRUE(probeSize);
    int w = -1, h = -1;
    probeSize(201, &w, &h);
    EXPECT_EQ(w, 3);
    EXPECT_EQ(h, 7);
    probeSize(kSwatches, &w, &h);
    EXPECT_EQ(w, 0);
    CBitmap* notOurs = new CBitmap(201);
    EXPECT_EQ(notOurs->getWidth(), 0);
    notOurs->release();
    FreeLibrary(probe);
}

TEST_F(Bitmaps, AScaleLoadsItsPackedPictureAndNoOther) {
    // The program holds the swatches packed for 150 % (1101), none for 200 %.
    CBitmap* scaled = new CBitmap(kSwatches, 150);
    ASSERT_EQ(scaled->getWidth(), 3);
    ASSERT_EQ(scaled->getHeight(), 2);
    scaled->draw(target, CRect(0, 0, 3, 2));
    Pixels p(target);
    EXPECT_EQ(p.at(0, 0), (Rgb{200, 10, 10}));
    EXPECT_EQ(p.at(2, 0), (Rgb{10, 10, 200}));
    EXPECT_EQ(p.at(0, 1), (Rgb{250, 250, 0}));
    EXPECT_EQ(p.at(2, 1), (Rgb{90, 80, 70}));
    EXPECT_EQ(p.count(background), 72 - 6);
    EXPECT_TRUE(scaled->loadFromResource(kSwatches, 100));
    EXPECT_EQ(scaled->getWidth(), 5) << "100 % is the bitmap itself";
    scaled->release();
    for (int percent : {200, 125}) {
        CBitmap* missing = new CBitmap(kSwatches, percent);
        EXPECT_EQ(missing->getWidth(), 0) << percent;
        EXPECT_FALSE(missing->getHandle()) << percent;
        missing->release();
    }
}

TEST_F(Bitmaps, DrawCopiesTheSourceBlockToTheDestinationOffset) {
    target->offset = CPoint(1, 1);
    bitmap->draw(target, CRect(2, 1, 5, 3), CPoint(2, 0));  // columns 2..4 of the bitmap
    Pixels p(target);
    EXPECT_EQ(p.at(3, 2), kRed);
    EXPECT_EQ(p.at(4, 2), kBlue);
    EXPECT_EQ(p.at(5, 2), (Rgb{255, 0, 255}));
    EXPECT_EQ(p.at(3, 3), kWhite);
    EXPECT_EQ(p.at(4, 3), (Rgb{10, 20, 30}));
    EXPECT_EQ(p.at(5, 3), (Rgb{128, 128, 128}));
    EXPECT_EQ(p.count(background), 72 - 6);
}

static void expectTransparentDraw(CBitmap* bitmap, COffscreenContext* target, const Rgb& background) {
    bitmap->drawTransparent(target, CRect(0, 0, 5, 2));
    Pixels p(target);
    EXPECT_EQ(p.at(0, 0), background);  // pure white is the transparent colour
    EXPECT_EQ(p.at(2, 1), background);
    EXPECT_EQ(p.at(1, 0), kOffWhite);
    EXPECT_EQ(p.at(2, 0), kRed);
    EXPECT_EQ(p.at(3, 0), kBlue);
    EXPECT_EQ(p.at(4, 0), (Rgb{255, 0, 255}));
    EXPECT_EQ(p.at(0, 1), kGreen);
    EXPECT_EQ(p.at(1, 1), kBlack);
    EXPECT_EQ(p.at(3, 1), (Rgb{10, 20, 30}));

    // Another key colour: magenta goes, white comes back.
    bitmap->setTransparentColor(kColorMagenta);
    bitmap->drawTransparent(target, CRect(6, 0, 11, 2));
    Pixels q(target);
    EXPECT_EQ(q.at(10, 0), background);
    EXPECT_EQ(q.at(6, 0), kWhite);
    EXPECT_EQ(q.at(8, 1), kWhite);
    EXPECT_EQ(q.at(7, 1), kBlack);
}

TEST_F(Bitmaps, TransparentDrawSkipsTheKeyColourWithTransparentBlt) {
    expectTransparentDraw(bitmap, target, background);
}

TEST_F(Bitmaps, TransparentDrawSkipsTheKeyColourWithTheMaskMethod) {
    setTransparentBltEntry(nullptr);
    expectTransparentDraw(bitmap, target, background);
    // The destination's colours are put back after the mask blits.
    HDC dc = static_cast<HDC>(target->getSystemContext());
    EXPECT_EQ(GetBkColor(dc), target->getFillColor().toPlatform());
    EXPECT_EQ(GetTextColor(dc), target->getFontColor().toPlatform());
}

TEST_F(Bitmaps, AlphaBlendWithConstantOpacity) {
    bitmap->drawAlphaBlend(target, CRect(0, 0, 5, 2), CPoint(), 0);
    bitmap->drawAlphaBlend(target, CRect(0, 2, 5, 4), CPoint(), 255);
    bitmap->drawAlphaBlend(target, CRect(0, 4, 5, 6), CPoint(), 128);
    Pixels p(target);
    EXPECT_EQ(p.mismatches(CRect(0, 0, 12, 2), background), 0);
    EXPECT_EQ(p.at(2, 2), kRed);
    EXPECT_EQ(p.at(1, 3), kBlack);
    auto close = [](const Rgb& a, const Rgb& b) {
        return std::abs(a.r - b.r) <= 2 && std::abs(a.g - b.g) <= 2 && std::abs(a.b - b.b) <= 2;
    };
    // Half of red (255, 0, 0) over (40, 50, 60): about (148, 25, 30).
    EXPECT_PRED2(close, p.at(2, 4), (Rgb{148, 25, 30})) << p.at(2, 4);
    EXPECT_PRED2(close, p.at(0, 4), (Rgb{148, 153, 158})) << p.at(0, 4);

    // The Windows 98 path blends from a copy of the block: same result.
    OSVERSIONINFOA saved = osVersionRecord();
    osVersionRecord().dwMajorVersion = 4;
    osVersionRecord().dwMinorVersion = 10;
    osVersionRecord().dwPlatformId = VER_PLATFORM_WIN32_WINDOWS;
    bitmap->drawAlphaBlend(target, CRect(6, 4, 8, 5), CPoint(2, 1), 255);  // white, then (10, 20, 30)
    osVersionRecord() = saved;
    Pixels w98(target);
    EXPECT_EQ(w98.at(6, 4), kWhite);
    EXPECT_EQ(w98.at(7, 4), (Rgb{10, 20, 30}));
    EXPECT_EQ(w98.at(8, 4), background);

    // Without the entry: invisible stays invisible, anything else is opaque.
    setAlphaBlendEntry(nullptr);
    bitmap->drawAlphaBlend(target, CRect(6, 0, 11, 2), CPoint(), 0);
    bitmap->drawAlphaBlend(target, CRect(6, 2, 11, 4), CPoint(), 100);
    Pixels q(target);
    EXPECT_EQ(q.mismatches(CRect(6, 0, 11, 2), background), 0);
    EXPECT_EQ(q.at(8, 2), kRed);
}
