// Drawing thousands of times must leave the process's GDI object count where
// it was.
#include <gtest/gtest.h>

#include "gui/win32/platform_state.h"
#include "gui_test_support.h"
#include "tests/support/win32_test_resources.h"

using namespace VSTGUI;
using namespace guitest;
using win32test::gdiObjectCount;

namespace {
// One round of everything that creates platform objects.
void drawOnce(CViewContainer* frame, CBitmap* bitmap, HWND window, int i) {
    CDrawContext* onWindow = new CDrawContext(nullptr, nullptr, window);  // takes and gives back the window's DC
    onWindow->setFillColor(CColor{uint8_t(i), 9, 9, 255});
    onWindow->fillRect(CRect(0, 0, 20, 20));
    frame->draw(onWindow);
    onWindow->release();

    COffscreenContext* screen = new COffscreenContext(nullptr, 64, 48, kColorWhite);
    screen->setFrameColor(CColor{uint8_t(i), 1, 2, 255});
    screen->setLineWidth(1 + i % 3);
    screen->setLineStyle(i % 2);
    screen->setFillColor(CColor{3, uint8_t(i), 4, 255});
    screen->setFont(i % 8, 0, i % 7);
    screen->setClipRect(CRect(i % 5, 0, 60, 40));
    screen->drawRect(CRect(1, 1, 30, 30), kFilledAndStroked);
    screen->moveTo(CPoint(0, 0));
    screen->lineTo(CPoint(40, 40));
    bitmap->draw(screen, CRect(0, 0, 5, 2));
    bitmap->drawTransparent(screen, CRect(0, 0, 5, 2));
    bitmap->drawAlphaBlend(screen, CRect(0, 0, 5, 2), CPoint(), uint8_t(i));
    frame->getView(0)->setDirty(true);
    frame->drawRect(screen, CRect(0, 0, 64, 48));
    frame->update(screen);
    screen->release();
}
}  // namespace

TEST(GdiObjects, CountStaysConstantOverThousandsOfDraws) {
    // The count must be meaningful here: creating objects must show in it.
    const int before = gdiObjectCount();
    HPEN pens[20];
    for (HPEN& p : pens) p = CreatePen(PS_SOLID, 1, RGB(1, 2, 3));
    const int with = gdiObjectCount();
    for (HPEN p : pens) DeleteObject(p);
    ASSERT_GE(with, before + 20) << "no meaningful GDI object count here";

    HMODULE msimg32 = LoadLibraryA("msimg32.dll");
    setAlphaBlendEntry(procAddress<AlphaBlendProc>(msimg32, "AlphaBlend"));
    HWND window = CreateWindowExA(0, "STATIC", "", WS_POPUP | WS_VISIBLE, 0, 0, 64, 48, nullptr, nullptr,
                                  GetModuleHandleA(nullptr), nullptr);
    ASSERT_TRUE(window);
    CBitmap* bitmap = new CBitmap(101);
    CFrame* frame = new CFrame(CRect(0, 0, 64, 48), nullptr, nullptr);
    CViewContainer* inner = new CViewContainer(CRect(4, 4, 40, 40), frame, bitmap);
    inner->addView(new LoggingView("a", CRect(2, 2, 20, 20), nullptr));
    frame->addView(inner);

    for (int i = 0; i < 50; ++i) drawOnce(frame, bitmap, window, i);  // settle caches
    const int start = gdiObjectCount();
    for (int round = 0; round < 2; ++round) {
        for (int i = 0; i < 2000; ++i) {
            setTransparentBltEntry(round == 0 ? procAddress<TransparentBltProc>(msimg32, "TransparentBlt")
                                              : nullptr);  // second round: the mask method
            drawOnce(frame, bitmap, window, i);
        }
        EXPECT_EQ(gdiObjectCount(), start) << "after round " << round;
    }
    frame->release();
    bitmap->release();
    EXPECT_LT(gdiObjectCount(), start);  // the buffers and the bitmap are gone
    DestroyWindow(window);
    setAlphaBlendEntry(nullptr);
    setTransparentBltEntry(nullptr);
    FreeLibrary(msimg32);
}
