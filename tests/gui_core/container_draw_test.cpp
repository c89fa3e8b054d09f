// Containers: child ownership, drawing order and clipping, partial redraws,
// the two update modes and the offscreen buffer.
#include <gtest/gtest.h>

#include "gui_test_support.h"

using namespace VSTGUI;
using namespace guitest;

TEST(ContainerChildren, ReferencesAcrossAddRemoveAndRemoveAll) {
    CFrame* frame = new CFrame(CRect(0, 0, 100, 100), nullptr, nullptr);
    CViewContainer* c = new CViewContainer(CRect(0, 0, 50, 50), frame);
    bool aGone = false, bGone = false, cGone = false;
    LoggingView* a = new LoggingView("a", CRect(0, 0, 10, 10), nullptr);
    LoggingView* b = new LoggingView("b", CRect(0, 0, 10, 10), nullptr);
    a->destroyed = &aGone;
    b->destroyed = &bGone;
    c->addView(a);
    c->addView(b, CRect(1, 2, 3, 4), false);
    c->addView(nullptr);
    EXPECT_EQ(a->getNbReference(), 2);
    EXPECT_EQ(c->getViewCount(), 2);
    EXPECT_EQ(c->getView(0), a);
    EXPECT_EQ(c->getView(1), b);
    EXPECT_EQ(c->getView(2), nullptr);
    EXPECT_EQ(b->getParentView(), c);
    EXPECT_EQ(b->getFrame(), frame);
    EXPECT_FALSE(b->getMouseEnabled());
    EXPECT_TRUE(b->isDirty());

    c->removeView(a, false);  // the creator's reference remains
    EXPECT_FALSE(aGone);
    EXPECT_EQ(a->getNbReference(), 1);
    EXPECT_FALSE(c->isChild(a));
    c->removeView(a, true);  // not a child: nothing happens
    EXPECT_FALSE(aGone);
    c->addView(a);
    c->removeView(a, true);  // releases the handed-over reference too
    EXPECT_TRUE(aGone);

    a = new LoggingView("a", CRect(0, 0, 10, 10), nullptr);
    a->destroyed = &aGone;
    aGone = false;
    c->addView(a);
    c->removeAll(false);
    EXPECT_EQ(c->getViewCount(), 0);
    EXPECT_FALSE(aGone || bGone);
    c->addView(a);
    c->addView(b);
    c->removeAll(true);
    EXPECT_TRUE(aGone && bGone);

    // Destroying a container releases both references of its children.
    LoggingView* d = new LoggingView("d", CRect(), nullptr);
    d->destroyed = &cGone;
    c->addView(d);
    c->release();
    EXPECT_TRUE(cGone);
    frame->release();
}

TEST(ContainerChildren, RemovingTheFocusViewClearsTheFocusButRemoveAllDoesNot) {
    CFrame* frame = new CFrame(CRect(0, 0, 100, 100), nullptr, nullptr);
    CView* v = new CView(CRect(0, 0, 10, 10));
    CView* w = new CView(CRect(0, 0, 10, 10));
    frame->addView(v);
    frame->addView(w);
    frame->setFocusView(v);
    frame->removeView(v, false);
    EXPECT_EQ(frame->getFocusView(), nullptr);
    frame->setFocusView(w);
    frame->removeAll(false);
    EXPECT_EQ(frame->getFocusView(), w);
    frame->setFocusView(nullptr);
    frame->release();
    v->release();
    w->release();
}

class ContainerDrawing : public ::testing::Test {
protected:
    void SetUp() override {
        frame = new CFrame(CRect(0, 0, 60, 40), nullptr, nullptr);
        frame->setBackgroundColor(kColorGreen);
        a = new LoggingView("a", CRect(10, 10, 30, 30), nullptr, kColorRed);
        b = new LoggingView("b", CRect(20, 20, 40, 35), nullptr, kColorBlue);
        frame->addView(a);
        frame->addView(b);
        screen = new COffscreenContext(nullptr, 60, 40, kColorWhite);
    }
    // Children are handed over: the frame's destruction releases them.
    void TearDown() override {
        screen->release();
        frame->release();
    }
    CFrame* frame;
    LoggingView* a;
    LoggingView* b;
    COffscreenContext* screen;
};

TEST_F(ContainerDrawing, ChildrenPaintInOrderClippedToTheirRectangles) {
    frame->draw(screen);
    Pixels p(screen);
    EXPECT_EQ(p.at(15, 15), kRed);
    EXPECT_EQ(p.at(25, 25), kBlue);     // the second child paints over the first
    EXPECT_EQ(p.at(17, 32), kGreen);    // b paints 5 pixels to its left: clipped
    EXPECT_EQ(p.at(42, 25), kGreen);    // and to its right
    EXPECT_EQ(p.at(0, 0), kBlack);      // the buffer's own clear colour shows in the
    EXPECT_EQ(p.at(30, 0), kBlack);     // top row and left column, which the
    EXPECT_EQ(p.at(0, 20), kBlack);     // background fill leaves out
    EXPECT_EQ(p.at(1, 1), kGreen);
    EXPECT_EQ(p.at(59, 39), kGreen);
    EXPECT_FALSE(frame->isDirty());

    // Clean children are drawn too by a full draw.
    frame->draw(screen);
    EXPECT_EQ(a->draws, 2);
    EXPECT_EQ(b->draws, 2);
}

TEST_F(ContainerDrawing, PartlyRedrawnDirtyChildStaysDirty) {
    frame->draw(screen);
    a->setDirty(true);
    b->setDirty(true);
    frame->drawRect(screen, CRect(0, 0, 15, 15));  // a in part, b not at all
    EXPECT_EQ(a->draws, 2);
    EXPECT_EQ(b->draws, 1);
    EXPECT_TRUE(a->isDirty());
    EXPECT_TRUE(b->isDirty());
    a->color = kColorYellow;
    frame->drawRect(screen, CRect(0, 0, 60, 40));
    EXPECT_FALSE(a->isDirty());
    EXPECT_FALSE(b->isDirty());
    EXPECT_EQ(Pixels(screen).at(12, 12), (Rgb{255, 255, 0}));
}

TEST_F(ContainerDrawing, PartialRedrawThroughANestedOffscreenContainerShowsNewContent) {
    CViewContainer* inner = new CViewContainer(CRect(20, 10, 60, 40), frame);
    inner->setBackgroundColor(kColorBlue);
    LoggingView* v = new LoggingView("v", CRect(5, 5, 25, 25), nullptr, kColorRed);
    inner->addView(v);
    frame->removeAll(true);
    frame->addView(inner);
    frame->draw(screen);
    EXPECT_EQ(Pixels(screen).at(35, 25), kRed);

    v->color = kColorWhite;
    frame->drawRect(screen, CRect(30, 20, 40, 30));  // inside v, not at the container's corner
    Pixels p(screen);
    EXPECT_EQ(p.mismatches(CRect(30, 20, 40, 30), kWhite), 0);
    EXPECT_EQ(p.at(41, 25), kRed);  // outside the update rectangle: untouched
}

TEST_F(ContainerDrawing, NestedContainerBackgroundsBitmapsAndTransparency) {
    CBitmap* gradient = new CBitmap(102);  // pixel (x, y) = (6x, 8y, 77)
    CViewContainer* c = new CViewContainer(CRect(5, 5, 45, 35), frame, gradient);
    c->setBackgroundOffset(CPoint(2, 1));
    frame->removeAll(true);
    frame->addView(c);
    frame->draw(screen);
    Pixels p(screen);
    EXPECT_EQ(p.at(5, 5), (Rgb{12, 8, 77}));
    EXPECT_EQ(p.at(8, 7), (Rgb{30, 24, 77}));

    // A transparent container without a bitmap, drawn straight into its
    // parent, paints nothing behind its children; its redraws start above it.
    c->setBackground(nullptr);
    c->setTransparency(true);
    c->setDrawOffscreen(false);
    EXPECT_EQ(c->getOffscreen(), nullptr);
    LoggingView* v = new LoggingView("v", CRect(0, 0, 5, 5), nullptr, kColorRed);
    c->addView(v);
    frame->draw(screen);
    Pixels q(screen);
    EXPECT_EQ(q.at(20, 20), kGreen);
    EXPECT_EQ(q.at(7, 7), kRed);  // the child, at the container's offset
    EXPECT_EQ(q.at(11, 11), kGreen);

    screen->setFillColor(kColorWhite);
    screen->drawRect(CRect(0, 0, 60, 40), kFilled);
    c->redrawRect(screen, CRect(0, 0, 10, 10));  // through the frame at (5, 5, 15, 15)
    Pixels r(screen);
    EXPECT_EQ(r.at(6, 6), kRed);
    EXPECT_EQ(r.at(12, 12), kGreen);
    EXPECT_EQ(r.at(20, 20), kWhite);
    gradient->release();
}

TEST_F(ContainerDrawing, UpdateRedrawsDirtyChildrenOnlyOrEverythingByMode) {
    CViewContainer* c = new CViewContainer(CRect(0, 0, 40, 30), frame);
    LoggingView* x = new LoggingView("x", CRect(0, 0, 10, 10), nullptr);
    LoggingView* y = new LoggingView("y", CRect(20, 0, 30, 10), nullptr);
    LoggingView* edge = new LoggingView("edge", CRect(40, 0, 50, 10), nullptr);  // touches the right edge
    c->addView(x);
    c->addView(y);
    c->addView(edge);
    frame->removeAll(true);
    frame->addView(c);
    frame->draw(screen);
    ASSERT_EQ(x->draws, 1);
    EXPECT_TRUE(edge->isDirty() == false);

    x->setDirty(true);
    c->update(screen);
    EXPECT_EQ(x->draws, 2);
    EXPECT_EQ(y->draws, 1);
    EXPECT_FALSE(x->isDirty());

    edge->setDirty(true);
    EXPECT_FALSE(c->isDirty());  // nothing of it lies inside
    c->update(screen);
    EXPECT_EQ(edge->draws, 1);  // an empty rectangle: nothing drawn

    c->setMode(kUpdateAll);
    EXPECT_EQ(c->getMode(), kUpdateAll);
    c->update(screen);  // nothing dirty inside: nothing
    EXPECT_EQ(x->draws, 2);
    x->setDirty(true);
    c->update(screen);
    EXPECT_EQ(x->draws, 3);
    EXPECT_EQ(y->draws, 2);

    c->setMode(kUpdateDirtyOnly);
    c->setBackgroundColor(kColorRed);  // the container itself is dirty: all of it
    c->update(screen);
    EXPECT_EQ(y->draws, 3);
    EXPECT_FALSE(c->isDirty());
}

TEST_F(ContainerDrawing, NestedContainerUpdatesItsDirtyChildInPlace) {
    CViewContainer* outer = new CViewContainer(CRect(10, 5, 60, 40), frame);
    CViewContainer* inner = new CViewContainer(CRect(5, 5, 45, 30), frame);
    LoggingView* x = new LoggingView("x", CRect(2, 2, 12, 12), nullptr, kColorRed);
    frame->removeAll(true);
    frame->addView(outer);
    outer->addView(inner);
    inner->addView(x);
    frame->draw(screen);
    ASSERT_EQ(Pixels(screen).mismatches(CRect(18, 13, 27, 22), kRed), 0);

    x->color = kColorBlue;
    x->setDirty(true);
    EXPECT_TRUE(outer->isDirty());
    outer->update(screen);  // outer asks inner, inner redraws x's rectangle
    Pixels p(screen);
    EXPECT_EQ(p.mismatches(CRect(17, 12, 27, 22), kBlue), 0);
    EXPECT_EQ(p.count(kBlue), 100);
    EXPECT_EQ(screen->offset, CPoint(0, 0));
    EXPECT_FALSE(outer->isDirty());
}

TEST_F(ContainerDrawing, ResizingReplacesTheOffscreenBufferAtOnce) {
    CViewContainer* c = new CViewContainer(CRect(0, 0, 40, 30), frame);
    frame->addView(c);  // attaching creates the buffer
    ASSERT_NE(c->getOffscreen(), nullptr);
    EXPECT_EQ(c->getOffscreen()->getWidth(), 40);
    c->setViewSize(CRect(0, 0, 25, 15));
    ASSERT_NE(c->getOffscreen(), nullptr);
    EXPECT_EQ(c->getOffscreen()->getWidth(), 25);
    EXPECT_EQ(c->getOffscreen()->getHeight(), 15);
    EXPECT_EQ(Pixels(c->getOffscreen()).mismatches(CRect(0, 0, 25, 15), kBlack), 0);
    frame->removeView(c, false);  // removal lets go of it
    EXPECT_EQ(c->getOffscreen(), nullptr);
    c->release();
}
