// The view base: geometry tests, background references, update paths, type
// tests and coordinate conversion through nested containers.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "gui/win32/platform_input.h"
#include "gui_test_support.h"

using namespace VSTGUI;
using namespace guitest;

namespace {
// A frame that records the direct redraw requests that reach it.
class SpyFrame : public CFrame {
public:
    SpyFrame() : CFrame(CRect(0, 0, 100, 80), nullptr, nullptr) {}
    void drawView(CView* view) override { log.push_back(view ? "drawView" : "drawView(all)"); }
    void drawRect(CDrawContext*, const CRect& r) override {
        log.push_back("drawRect(" + std::to_string(r.left) + "," + std::to_string(r.top) + "," +
                      std::to_string(r.right) + "," + std::to_string(r.bottom) + ")");
    }
    std::vector<std::string> log;
};
}  // namespace

TEST(View, HitAndOverlapTestsIncludeAllFourEdges) {
    CView* v = new CView(CRect(0, 0, 40, 40));
    EXPECT_TRUE(v->hitTest(CPoint(40, 40)));
    EXPECT_TRUE(v->hitTest(CPoint(0, 0)));
    EXPECT_FALSE(v->hitTest(CPoint(41, 40)));
    EXPECT_FALSE(v->hitTest(CPoint(20, -1)));
    EXPECT_TRUE(v->overlaps(CRect(40, 0, 50, 10)));
    EXPECT_TRUE(v->overlaps(CRect(-10, 40, 0, 50)));
    EXPECT_FALSE(v->overlaps(CRect(41, 0, 50, 10)));
    EXPECT_FALSE(v->overlaps(CRect(0, -10, 10, -1)));

    // Resizing leaves the mouse area where it was.
    v->setViewSize(CRect(100, 100, 140, 140));
    EXPECT_TRUE(v->isDirty());
    EXPECT_TRUE(v->hitTest(CPoint(40, 40)));
    EXPECT_FALSE(v->hitTest(CPoint(120, 120)));
    CRect area;
    EXPECT_EQ(&v->getMouseArea(area), &area);
    EXPECT_EQ(area, CRect(0, 0, 40, 40));
    v->release();
}

TEST(View, HoldsExactlyOneReferenceToItsBackground) {
    CBitmap* a = new CBitmap(101);
    CBitmap* b = new CBitmap(102);
    CView* v = new CView(CRect(0, 0, 10, 10));
    v->setBackground(a);
    EXPECT_EQ(a->getNbReference(), 2);
    v->setDirty(false);
    v->setBackground(a);  // the same bitmap again
    EXPECT_EQ(a->getNbReference(), 2);
    EXPECT_TRUE(v->isDirty());
    v->setBackground(b);
    EXPECT_EQ(a->getNbReference(), 1);
    EXPECT_EQ(b->getNbReference(), 2);
    EXPECT_EQ(v->getBackground(), b);
    v->setBackground(nullptr);
    EXPECT_EQ(b->getNbReference(), 1);
    v->setBackground(b);
    v->release();
    EXPECT_EQ(b->getNbReference(), 1);
    a->release();
    b->release();
}

TEST(View, UpdateDrawsDirtyViewsThroughTheFrameOrTheirRectangle) {
    SpyFrame* frame = new SpyFrame;
    CView* v = new CView(CRect(10, 20, 30, 40));
    v->setParentFrame(frame);  // in the tree but not a child: redraws go to the frame
    v->update(nullptr);
    EXPECT_TRUE(frame->log.empty());  // clean: nothing
    v->setDirty(true);
    v->update(nullptr);
    v->setDirty(true);
    CDrawContext* ctx = new CDrawContext(nullptr, nullptr, nullptr);
    v->update(ctx);
    EXPECT_FALSE(v->isDirty());
    EXPECT_EQ(frame->log, (std::vector<std::string>{"drawView", "drawRect(10,20,30,40)"}));
    ctx->release();
    v->release();
    frame->release();
}

TEST(View, WheelWithAnAxisReachesTheAxislessHandler) {
    std::vector<std::string> log;
    LoggingView* v = new LoggingView("v", CRect(0, 0, 10, 10), &log);
    CView* plain = v;
    EXPECT_TRUE(plain->onWheel(nullptr, CPoint(1, 2), 2, 0.5f));
    EXPECT_EQ(log, (std::vector<std::string>{"v:wheel(1,2,5,offset -99,-99)"}));

    v->release();
}

TEST(View, TypeTestsAndTheContainerMessageComparedByIdentity) {
    CView* v = new CView(CRect());
    CViewContainer* c = new CViewContainer(CRect(0, 0, 10, 10), nullptr);
    CFrame* f = new CFrame(CRect(0, 0, 10, 10), nullptr, nullptr);
    EXPECT_TRUE(v->isTypeOf("CView"));
    EXPECT_FALSE(v->isTypeOf("CViewContainer"));
    EXPECT_FALSE(v->isTypeOf("cview"));
    EXPECT_TRUE(c->isTypeOf("CView"));
    EXPECT_TRUE(c->isTypeOf("CViewContainer"));
    EXPECT_FALSE(c->isTypeOf("CScrollContainer"));
    EXPECT_FALSE(c->isTypeOf("CFrame"));
    EXPECT_TRUE(f->isTypeOf("CFrame"));
    EXPECT_TRUE(f->isTypeOf("CViewContainer"));

    char copy[64];
    std::strcpy(copy, kMsgCheckIfViewContainer);
    EXPECT_EQ(c->notify(v, kMsgCheckIfViewContainer), kNotifyHandled);
    EXPECT_EQ(c->notify(v, copy), kNotifyUnhandled);
    EXPECT_EQ(v->notify(c, kMsgCheckIfViewContainer), kNotifyUnhandled);
    f->release();
    c->release();
    v->release();
}

TEST(View, MouseLocationAndPointConversionWalkUpNestedContainers) {
    CFrame* frame = new CFrame(CRect(0, 0, 200, 200), nullptr, nullptr);
    CViewContainer* outer = new CViewContainer(CRect(10, 20, 110, 120), frame);
    frame->addView(outer);
    CViewContainer* inner = new CViewContainer(CRect(5, 5, 55, 55), frame);
    outer->addView(inner);
    CView* v = new CView(CRect(1, 1, 9, 9));
    inner->addView(v);

    ScriptedInput script;
    ScopedPlatformInput use(&script);
    script.add(CPoint(150, 160));
    CDrawContext* ctx = new CDrawContext(nullptr, nullptr, nullptr);
    ctx->screenOffset = CPoint(100, 100);
    CPoint where(-1, -1);
    v->getMouseLocation(ctx, where);
    EXPECT_EQ(where, CPoint(35, 35));  // in inner's coordinates, like v's size
    EXPECT_EQ(ctx->screenOffset, CPoint(100, 100));
    EXPECT_EQ(ctx->offset, CPoint(0, 0));
    CPoint untouched(7, 7);
    v->getMouseLocation(nullptr, untouched);
    EXPECT_EQ(untouched, CPoint(7, 7));

    CPoint p(50, 50);
    EXPECT_EQ(v->frameToLocal(p), CPoint(35, 25));
    EXPECT_EQ(v->localToFrame(p), CPoint(50, 50));
    CPoint q(0, 0);
    EXPECT_EQ(inner->localToFrame(q), CPoint(15, 25));
    ctx->release();
    frame->release();
}
