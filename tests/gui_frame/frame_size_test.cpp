// Resizing the frame: a host that resizes its own window, a host that
// leaves it to the plug-in (the walk up the chain of real windows and its
// stops), and the frame's position and size as the host's windows give them.
#include <gtest/gtest.h>

#include "tests/gui_frame/frame_test_support.h"

using namespace frametest;

namespace {

SIZE outerOf(void* window) {
    RECT r;
    GetWindowRect(static_cast<HWND>(window), &r);
    return SIZE{r.right - r.left, r.bottom - r.top};
}

::testing::AssertionResult sizeIs(SIZE actual, int width, int height) {
    if (actual.cx == width && actual.cy == height) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << actual.cx << " x " << actual.cy << " instead of " << width << " x "
                                         << height;
}

// The frame of the test plug-in's editor, opened through the dispatcher.
struct EditorRig {
    HostedTestPlugin hosted;
    CFrame* frame = nullptr;
    explicit EditorRig(void* parent, int16_t width = 200, int16_t height = 100) {
        hosted.editor()->setRect(width, height);
        hosted.instance->dispatch(effEditOpen, 0, 0, parent);
        frame = hosted.editor()->getFrame();
    }
    ~EditorRig() { hosted.instance->dispatch(effEditClose); }
};

}  // namespace

TEST(FrameSize, TheSameSizeIsRefused) {
    HostWindow host(200, 100);
    EditorRig rig(host.parent());
    EXPECT_FALSE(rig.frame->setSize(200, 100));
    EXPECT_EQ(0, rig.hosted.hostCalls(audioMasterCanDo));
}

TEST(FrameSize, AHostThatResizesItsWindowLeavesOnlyTheFrameWindowToUs) {
    HostWindow outer(400, 300);
    HostWindow host(200, 100, outer.handle());
    EditorRig rig(host.parent());
    rig.frame->draw(nullptr);  // makes the offscreen buffer

    EXPECT_TRUE(rig.frame->setSize(260, 150));
    std::vector<HostCall> calls = rig.hosted.host.calls();
    ASSERT_EQ(2u, calls.size());
    EXPECT_EQ(audioMasterCanDo, calls[0].opcode);
    EXPECT_EQ("sizeWindow", calls[0].text);
    EXPECT_EQ(audioMasterSizeWindow, calls[1].opcode);
    EXPECT_EQ(260, calls[1].index);
    EXPECT_EQ(150, calls[1].value);

    EXPECT_TRUE(sizeIs(outerOf(rig.frame->getSystemWindow()), 260, 150));
    EXPECT_TRUE(sizeIs(host.outerSize(), 200, 100));
    EXPECT_TRUE(sizeIs(outer.clientSize(), 400, 300));
    CRect size;
    rig.frame->getViewSize(size);
    EXPECT_EQ(CRect(0, 0, 260, 150), size);
    // The buffer of the old size is not kept for the new one.
    COffscreenContext* buffer = rig.frame->getOffscreen();
    EXPECT_TRUE(!buffer || (buffer->getWidth() == 260 && buffer->getHeight() == 150));
}

TEST(FrameSize, AHostThatCannotResizeGetsItsWindowChainResized) {
    // desktop > captioned host window > borderless panel > frame, all fitting tightly.
    HostWindow top(200, 100, nullptr, 10, 10, HostWindow::kCaption);
    HostWindow panel(200, 100, top.handle());
    EditorRig rig(panel.parent());
    rig.hosted.host.canDoSizeWindowAnswer = 0;
    rig.frame->draw(nullptr);
    SIZE captioned = top.outerSize();

    EXPECT_TRUE(rig.frame->setSize(260, 150));
    EXPECT_EQ(1, rig.hosted.hostCalls(audioMasterCanDo));
    EXPECT_EQ(0, rig.hosted.hostCalls(audioMasterSizeWindow));
    EXPECT_TRUE(sizeIs(outerOf(rig.frame->getSystemWindow()), 260, 150));
    EXPECT_TRUE(sizeIs(panel.outerSize(), 260, 150));
    // The captioned window keeps its border and caption around the new size.
    EXPECT_TRUE(sizeIs(top.clientSize(), 260, 150));
    EXPECT_TRUE(sizeIs(top.outerSize(), captioned.cx + 60, captioned.cy + 50));

    CRect size;
    rig.frame->getViewSize(size);
    EXPECT_EQ(CRect(0, 0, 260, 150), size);
    EXPECT_TRUE(rig.frame->isDirty());
    ASSERT_NE(nullptr, rig.frame->getOffscreen());  // replaced at once
    EXPECT_EQ(260, rig.frame->getOffscreen()->getWidth());
    EXPECT_EQ(150, rig.frame->getOffscreen()->getHeight());

    // A host that can but refuses this size is the same as one that cannot.
    rig.hosted.host.canDoSizeWindowAnswer = 1;
    rig.hosted.host.sizeWindowAnswer = 0;
    EXPECT_TRUE(rig.frame->setSize(240, 120));
    EXPECT_EQ(1, rig.hosted.hostCalls(audioMasterSizeWindow));
    EXPECT_TRUE(sizeIs(top.clientSize(), 240, 120));
}

TEST(FrameSize, TheWalkStopsAtAWindowMuchBiggerThanItsChild) {
    HostWindow top(400, 300, nullptr, 10, 10, HostWindow::kCaption);
    HostWindow panel(200, 100, top.handle());
    EditorRig rig(panel.parent());
    rig.hosted.host.canDoSizeWindowAnswer = 0;
    rig.frame->draw(nullptr);
    ASSERT_FALSE(rig.frame->isDirty());
    SIZE topBefore = top.outerSize();

    EXPECT_TRUE(rig.frame->setSize(260, 150));
    EXPECT_TRUE(sizeIs(outerOf(rig.frame->getSystemWindow()), 260, 150));
    EXPECT_TRUE(sizeIs(panel.outerSize(), 260, 150));
    EXPECT_TRUE(sizeIs(top.outerSize(), topBefore.cx, topBefore.cy));
    // The frame takes the size but is not re-laid out.
    CRect size;
    rig.frame->getViewSize(size);
    EXPECT_EQ(CRect(0, 0, 260, 150), size);
    EXPECT_FALSE(rig.frame->isDirty());
    COffscreenContext* buffer = rig.frame->getOffscreen();
    EXPECT_TRUE(!buffer || (buffer->getWidth() == 260 && buffer->getHeight() == 150));
}

TEST(FrameSize, TheWalkStopsWhenTheBordersAddUpToTwiceTheDialogFrame) {
    // Each thin border adds 2 pixels; the walk resizes windows until the
    // widths added up reach 2 x SM_CYDLGFRAME, and that window is the last.
    const int limit = 2 * GetSystemMetrics(SM_CYDLGFRAME);
    ASSERT_GT(limit, 0);
    ASSERT_EQ(0, limit % 2);
    const int resized = limit / 2;  // bordered panels that follow the frame
    std::vector<std::unique_ptr<HostWindow>> chain;
    HWND outerMost = nullptr;
    int levels = resized + 2;
    std::vector<int> inner(levels);
    // Built from the outside in: level i has the client size of level i+1's outer size.
    for (int i = 0; i < levels; ++i) {
        int clientWidth = 200 + 2 * (levels - 1 - i);
        int clientHeight = 100 + 2 * (levels - 1 - i);
        chain.emplace_back(new HostWindow(clientWidth, clientHeight, outerMost, 0, 0, HostWindow::kThinBorder));
        outerMost = chain.back()->handle();
    }
    ASSERT_TRUE(sizeIs(chain.back()->clientSize(), 200, 100));
    EditorRig rig(chain.back()->parent());
    rig.hosted.host.canDoSizeWindowAnswer = 0;
    std::vector<SIZE> before;
    for (auto& w : chain) before.push_back(w->outerSize());

    EXPECT_TRUE(rig.frame->setSize(230, 120));
    EXPECT_TRUE(sizeIs(outerOf(rig.frame->getSystemWindow()), 230, 120));
    // The innermost `resized` panels grow by 30 x 20; the ones outside them do not.
    for (int i = levels - 1; i >= 0; --i) {
        int fromInside = levels - 1 - i;
        if (fromInside < resized)
            EXPECT_TRUE(sizeIs(chain[i]->outerSize(), before[i].cx + 30, before[i].cy + 20)) << "level " << i;
        else
            EXPECT_TRUE(sizeIs(chain[i]->outerSize(), before[i].cx, before[i].cy)) << "level " << i;
    }
    EXPECT_TRUE(rig.frame->isDirty());
}

TEST(FrameSize, WithoutAnEditorTheWindowChainIsResized) {
    HostWindow top(200, 100, nullptr, 0, 0, HostWindow::kCaption);
    TestFrame frame(CRect(0, 0, 200, 100), top.parent());
    EXPECT_TRUE(frame.setSize(180, 90));
    EXPECT_TRUE(sizeIs(top.clientSize(), 180, 90));
    // The frame's own setViewSize is a resize.
    frame.setViewSize(CRect(0, 0, 150, 80));
    EXPECT_TRUE(sizeIs(top.clientSize(), 150, 80));
    CRect size;
    EXPECT_TRUE(frame.getSize(&size));
    EXPECT_FALSE(frame.getSize(nullptr));
}

TEST(FramePosition, TheHostWindowIsTheLastWithinSixtyPixelsOfTheFrameOrTheCaptionedOne) {
    // top (captioned, a little bigger than the frame) > panel > frame
    HostWindow top(210, 110, nullptr, 100, 50, HostWindow::kCaption);
    HostWindow panel(205, 105, top.handle(), 2, 3);
    TestFrame frame(CRect(0, 0, 200, 100), panel.parent());
    EXPECT_EQ(top.handle(), frame.findHostWindow());
    int32_t x = -1, y = -1;
    ASSERT_TRUE(frame.getPosition(x, y));
    // The captioned window's corner in its parent's client coordinates.
    EXPECT_EQ(100, x);
    EXPECT_EQ(50, y);

    // Every window is compared with the frame's own size: a window more than
    // 60 pixels bigger ends the walk below it.
    HostWindow big(400, 300, nullptr, 300, 200);
    HostWindow middle(220, 110, big.handle(), 10, 20);
    TestFrame inMiddle(CRect(0, 0, 200, 100), middle.parent());
    EXPECT_EQ(middle.handle(), inMiddle.findHostWindow());
    ASSERT_TRUE(inMiddle.getPosition(x, y));
    EXPECT_EQ(10, x);
    EXPECT_EQ(20, y);

    HostWindow wide(270, 100, nullptr, 500, 500);
    TestFrame inWide(CRect(0, 0, 200, 100), wide.parent());
    EXPECT_EQ(inWide.getSystemWindow(), inWide.findHostWindow());
    ASSERT_TRUE(inWide.getPosition(x, y));
    EXPECT_EQ(0, x);
    EXPECT_EQ(0, y);
}

TEST(FramePosition, GetSizeIsTheParentWindowInTheCoordinatesOfItsGrandparentsParent) {
    HostWindow top(500, 400, nullptr, 40, 30);
    HostWindow middle(300, 200, top.handle(), 25, 15);
    HostWindow panel(220, 120, middle.handle(), 7, 9);
    TestFrame frame(CRect(0, 0, 200, 100), panel.parent());
    CRect r;
    ASSERT_TRUE(frame.getSize(r));
    // p = panel, q = the parent of p's parent = top.
    RECT bounds;
    GetWindowRect(panel.handle(), &bounds);
    POINT corner = {bounds.left, bounds.top};
    ScreenToClient(top.handle(), &corner);
    EXPECT_EQ(CRect(corner.x, corner.y, corner.x + 220, corner.y + 120), r);
    EXPECT_EQ(CRect(32, 24, 252, 144), r);
}
