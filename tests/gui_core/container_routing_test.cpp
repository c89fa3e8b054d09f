// Containers route clicks, keys, wheel turns, drags and focus to the right
// child, in local coordinates.
#include <gtest/gtest.h>

#include "gui/win32/platform_input.h"
#include "gui_test_support.h"

using namespace VSTGUI;
using namespace guitest;

using Log = std::vector<std::string>;

class Routing : public ::testing::Test {
protected:
    void SetUp() override {
        frame = new CFrame(CRect(0, 0, 200, 200), nullptr, nullptr);
        c = new CViewContainer(CRect(5, 5, 105, 105), frame);
        frame->addView(c);
        a = new LoggingView("a", CRect(10, 10, 30, 30), &log);
        b = new LoggingView("b", CRect(20, 20, 40, 40), &log);
        c->addView(a);
        c->addView(b);
        ctx = new CDrawContext(nullptr, nullptr, nullptr);
    }
    void TearDown() override {
        ctx->release();
        frame->release();  // and with it every view, handed over
    }
    Log log;
    CFrame* frame;
    CViewContainer* c;
    LoggingView* a;
    LoggingView* b;
    CDrawContext* ctx;
};

TEST_F(Routing, ClickGoesToTheTopMostHitChildWithInclusiveEdges) {
    c->mouse(ctx, CPoint(30, 30), kButtonLeft);  // local (25, 25): both are hit
    c->mouse(ctx, CPoint(45, 45), kButtonRight);  // b's bottom-right corner
    c->mouse(ctx, CPoint(46, 45), kButtonLeft);   // nobody
    c->mouse(ctx, CPoint(15, 15), kButtonLeft);   // a's top-left corner
    EXPECT_EQ(log, (Log{"b:mouse(25,25,1)", "b:mouse(40,40,4)", "a:mouse(10,10,1)"}));

    log.clear();
    b->setMouseEnabled(false);
    c->mouse(ctx, CPoint(30, 30), kButtonLeft);  // falls through to a
    c->mouse(ctx, CPoint(40, 40), kButtonLeft);  // only b would be hit
    EXPECT_EQ(log, (Log{"a:mouse(25,25,1)"}));

    // -1 reads the live state through the context.
    log.clear();
    ScriptedInput script;
    ScopedPlatformInput use(&script);
    script.add(CPoint(), {VK_LBUTTON, VK_CONTROL});
    c->mouse(ctx, CPoint(20, 20), -1);
    c->mouse(nullptr, CPoint(20, 20), -1);
    EXPECT_EQ(log, (Log{"a:mouse(15,15,17)", "a:mouse(15,15,-1)"}));
}

TEST_F(Routing, KeysAreOfferedFromTheLastChildUntilOneAnswers) {
    LoggingView* third = new LoggingView("c", CRect(), &log);
    c->addView(third);
    b->keyAnswer = 7;
    a->keyAnswer = 5;
    VSTGUI::CKeyCode key = {'x', 0, 0};
    EXPECT_EQ(c->onKeyDown(key), 7);
    EXPECT_EQ(c->onKeyUp(key), 7);
    EXPECT_EQ(log, (Log{"c:keyDown", "b:keyDown", "c:keyUp", "b:keyUp"}));
    a->keyAnswer = b->keyAnswer = -1;
    EXPECT_EQ(c->onKeyDown(key), -1);
}

TEST_F(Routing, WheelReachesTheChildUnderThePointerWithOrWithoutAxis) {
    ctx->offset = CPoint(1, 2);
    EXPECT_TRUE(c->onWheel(ctx, CPoint(20, 20), 2, 1.0f));
    EXPECT_TRUE(c->onWheel(ctx, CPoint(40, 40), -0.5f));
    EXPECT_FALSE(c->onWheel(ctx, CPoint(100, 100), 1.0f));
    EXPECT_EQ(log, (Log{"a:wheel(15,15,10,offset 6,7)", "b:wheel(35,35,-5,offset 6,7)"}));
    EXPECT_EQ(ctx->offset, CPoint(1, 2));

    // Without a frame there is no child under the pointer.
    CViewContainer* loose = new CViewContainer(CRect(0, 0, 50, 50), nullptr);
    loose->addView(new LoggingView("x", CRect(0, 0, 50, 50), &log));
    EXPECT_FALSE(loose->onWheel(ctx, CPoint(5, 5), 1.0f));
    EXPECT_EQ(loose->getViewAt(CPoint(5, 5)), nullptr);
    loose->release();
}

TEST_F(Routing, DragFollowsThePointerAcrossTwoChildren) {
    b->setViewSize(CRect(50, 10, 70, 30));
    b->setMouseArea(CRect(50, 10, 70, 30));
    c->onDragEnter(ctx, nullptr, CPoint(20, 20));
    c->onDragMove(ctx, nullptr, CPoint(21, 20));
    c->onDragMove(ctx, nullptr, CPoint(60, 20));
    c->onDragMove(ctx, nullptr, CPoint(200, 200));  // over no child
    c->onDragMove(ctx, nullptr, CPoint(61, 21));
    c->onDragLeave(ctx, nullptr, CPoint(61, 21));
    c->onDragLeave(ctx, nullptr, CPoint(61, 21));  // nothing left to leave
    EXPECT_EQ(log, (Log{"a:enter(15,15)", "a:move(16,15)", "a:leave(55,15)", "b:enter(55,15)",
                        "b:leave(195,195)", "b:enter(56,16)", "b:leave(56,16)"}));

    log.clear();
    c->onDragEnter(ctx, nullptr, CPoint(20, 20));
    EXPECT_TRUE(c->onDrop(ctx, nullptr, CPoint(60, 20)));  // dropped on b: a is left first
    EXPECT_FALSE(c->onDrop(ctx, nullptr, CPoint(200, 200)));
    EXPECT_EQ(log, (Log{"a:enter(15,15)", "a:leave(55,15)", "b:drop(55,15)", "b:leave(55,15)"}));

    // A child removed in the middle of a drag is no longer told about it.
    log.clear();
    c->onDragEnter(ctx, nullptr, CPoint(20, 20));
    c->removeView(a, true);
    c->onDragLeave(ctx, nullptr, CPoint(20, 20));
    EXPECT_EQ(log, (Log{"a:enter(15,15)"}));
}

TEST_F(Routing, ViewLookupByPointShallowDeepAndUnderTheCursor) {
    CViewContainer* nested = new CViewContainer(CRect(50, 50, 90, 90), frame);
    LoggingView* deep = new LoggingView("deep", CRect(5, 5, 10, 10), &log);
    nested->addView(deep);
    c->addView(nested);
    EXPECT_EQ(c->getViewAt(CPoint(30, 30)), b);
    EXPECT_EQ(c->getViewAt(CPoint(65, 65)), nested);
    EXPECT_EQ(c->getViewAt(CPoint(65, 65), true), deep);
    EXPECT_EQ(c->getViewAt(CPoint(56, 56), true), nullptr);  // inside nested, over none of its children
    EXPECT_EQ(frame->getViewAt(CPoint(65, 65), true), deep);

    ScriptedInput script;
    ScopedPlatformInput use(&script);
    script.add(CPoint(16, 16));  // frame coordinates (the frame has no window)
    script.add(CPoint(60, 60));
    EXPECT_EQ(c->getViewUnderCursor(), a);
    EXPECT_EQ(c->getViewUnderCursor(), nested);  // it does not descend
}

TEST_F(Routing, AdvanceFocusWalksNestedContainersBothWays) {
    c->removeAll(true);
    log.clear();
    auto focusable = [&](const char* name) {
        LoggingView* v = new LoggingView(name, CRect(), nullptr);
        v->setWantsFocus(true);
        return v;
    };
    LoggingView* f1 = focusable("f1");
    CViewContainer* group = new CViewContainer(CRect(0, 0, 10, 10), frame);
    CView* plain = new CView(CRect());
    LoggingView* f2 = focusable("f2");
    LoggingView* f3 = focusable("f3");
    LoggingView* f4 = focusable("f4");
    c->addView(f1);
    c->addView(group);
    group->addView(plain);
    group->addView(f2);
    group->addView(f3);
    c->addView(f4);

    EXPECT_TRUE(c->advanceFocus(nullptr, false));
    EXPECT_EQ(frame->getFocusView(), f1);
    EXPECT_TRUE(c->advanceFocus(f1, false));
    EXPECT_EQ(frame->getFocusView(), f2);  // the first focusable inside the group
    EXPECT_TRUE(group->advanceFocus(f2, false));
    EXPECT_EQ(frame->getFocusView(), f3);
    EXPECT_FALSE(group->advanceFocus(f3, false));
    EXPECT_TRUE(c->advanceFocus(group, false));
    EXPECT_EQ(frame->getFocusView(), f4);
    EXPECT_FALSE(c->advanceFocus(f4, false));

    EXPECT_TRUE(c->advanceFocus(nullptr, true));
    EXPECT_EQ(frame->getFocusView(), f4);
    EXPECT_TRUE(c->advanceFocus(f4, true));
    EXPECT_EQ(frame->getFocusView(), f3);  // the group walked from its end
    EXPECT_TRUE(c->advanceFocus(group, true));
    EXPECT_EQ(frame->getFocusView(), f1);
    EXPECT_FALSE(c->advanceFocus(f1, true));

    EXPECT_FALSE(c->advanceFocus(f2, false));  // not a direct child: everything skipped
    EXPECT_EQ(frame->getFocusView(), f1);
    frame->setFocusView(nullptr);
}
