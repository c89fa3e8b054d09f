// What the editor holds on the X server and in the process: its own
// connection, windows, pixmaps and pictures while open, nothing after close,
// and no memory that grows with open and close cycles.
#include <gtest/gtest.h>
// After the test framework: X11 defines names it uses.
#include <X11/Xlib.h>
#include <X11/extensions/XRes.h>
#include <unistd.h>

#include <map>
#include <string>

#include "tests/editor_x11/x11_editor_rig.h"

namespace x11test {
namespace {

// Server resources of the client that owns `resource`, by type name.
std::map<std::string, int> resourcesOfOwner(XID resource) {
    std::map<std::string, int> found;
    int types = 0;
    XResType* list = nullptr;
    if (!XResQueryClientResources(testDisplay(), resource, &types, &list)) return found;
    for (int i = 0; i < types; ++i) {
        char* name = XGetAtomName(testDisplay(), list[i].resource_type);
        if (name) {
            found[name] = (int)list[i].count;
            XFree(name);
        }
    }
    XFree(list);
    return found;
}

class X11EditorResources : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(testDisplay()) << "no X display";
        int event = 0, error = 0;
        ASSERT_TRUE(XResQueryExtension(testDisplay(), &event, &error)) << "the server has no X-Resource extension";
        ASSERT_TRUE(rig.plugin);
    }
    void cycle(float value) {
        ASSERT_TRUE(rig.open());
        rig.plugin->setParameter(3, value);
        rig.idle(2);
        rig.close();
        rig.host.clear();  // the host's log is the test's, not the editor's
    }
    X11EditorRig rig;
};

TEST_F(X11EditorResources, AnOpenEditorIsOneMoreClientAndCloseEndsIt) {
    const int before = clientCount();
    ASSERT_TRUE(rig.open());
    EXPECT_EQ(clientCount(), before + 1) << "a connection of its own";
    rig.close();
    EXPECT_EQ(clientCount(), before);
}

TEST_F(X11EditorResources, RedrawingHoldsASteadyCountOfServerResources) {
    ASSERT_TRUE(rig.open());
    rig.plugin->setParameter(0, 0.2f);
    rig.idle();
    const std::map<std::string, int> settled = resourcesOfOwner(rig.editorWindow());
    ASSERT_GE(settled.count("WINDOW"), 1u);
    ASSERT_GE(settled.count("PIXMAP"), 1u) << "the offscreen buffer lives on the server";
    for (int pass = 0; pass < 30; ++pass) {
        rig.plugin->setParameter(pass % 5, (float)(pass % 10) / 10.f);
        rig.idle(1);
    }
    EXPECT_EQ(resourcesOfOwner(rig.editorWindow()), settled);
}

TEST_F(X11EditorResources, OpenCloseCyclesLeaveNoConnectionFileOrMemoryBehind) {
    for (int i = 0; i < 5; ++i) cycle(0.1f * (float)i);  // caches of the libraries fill once
    const int clients = clientCount();
    const int files = openFileCount();
    const size_t heap = heapInUse();
    constexpr int kCycles = 20;
    for (int i = 0; i < kCycles; ++i) cycle(0.05f * (float)i);
    EXPECT_EQ(clientCount(), clients);
    EXPECT_EQ(openFileCount(), files);
    // One open editor holds about 3 MB of pictures and hundreds of records:
    // a leak of any kind of them shows. The tables of Xlib and cairo grow by
    // some 100 bytes with each connection made and closed.
    constexpr size_t kAllowedPerCycle = 512;
    EXPECT_LT(heapInUse(), heap + kCycles * kAllowedPerCycle) << "heap grew from " << heap << " to " << heapInUse();
}

TEST_F(X11EditorResources, AHostWindowThatNeverComesEndsTheWaitAndTheConnection) {
    const int before = clientCount();
    // An id of the test's own that it never makes a window of.
    const XID never = XAllocID(testDisplay());
    ASSERT_EQ(rig.plugin->dispatch(effEditOpen, 0, 0, reinterpret_cast<void*>(never)), 1) << "it may still come";
    EXPECT_EQ(clientCount(), before + 1);
    for (int pass = 0; pass < 50 && clientCount() > before; ++pass) {
        usleep(100000);
        rig.plugin->dispatch(effEditIdle);
    }
    EXPECT_EQ(clientCount(), before);
    rig.plugin->dispatch(effEditClose);
    rig.plugin->dispatch(effEditIdle);
}

TEST_F(X11EditorResources, TwoEditorsHoldTwoConnectionsAndGiveBothBack) {
    X11EditorRig second(40, 400);
    ASSERT_TRUE(second.plugin);
    const int before = clientCount();
    ASSERT_TRUE(rig.open());
    ASSERT_TRUE(second.open());
    EXPECT_EQ(clientCount(), before + 2);
    EXPECT_NE(rig.editorWindow() >> 21, second.editorWindow() >> 21) << "different clients' windows";
    rig.close();
    second.close();
    EXPECT_EQ(clientCount(), before);
}

}  // namespace
}  // namespace x11test
