// Opening and closing the editor again and again while another thread
// renders and automates, as a host's audio and automation threads do.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "tests/editor_x11/x11_editor_rig.h"

namespace x11test {
namespace {

using editortest::differences;

TEST(X11EditorStress, OpenCloseCyclesBesideARenderingAndAutomatingThread) {
    ASSERT_TRUE(testDisplay()) << "no X display";
    X11EditorRig rig;
    ASSERT_TRUE(rig.plugin);
    constexpr int kCycles = 25;
    constexpr int kLeastBlocks = 200;

    std::atomic<bool> stop{false};
    std::atomic<int> blocks{0};
    std::thread audio([&] {
        MidiEventBlock events;
        std::vector<float> left, right;
        for (int n = 0; !stop || blocks < kLeastBlocks; ++n) {
            events.clear();
            const int note = 40 + n % 40;
            events.add(0, 0x90, note, 90);
            events.add(200, 0x80, note, 0);
            rig.plugin->setParameter(n % 5, (float)(n % 11) / 10.f);
            rig.plugin->setParameter(21 + n % 88, (float)(n % 2));
            left.clear();
            right.clear();
            rig.plugin->render(&events, 512, left, right);
            ++blocks;
        }
    });
    for (int cycle = 0; cycle < kCycles; ++cycle) {
        ASSERT_TRUE(rig.open());
        rig.idle(2);
        rig.close();
        EXPECT_TRUE(childrenOf(rig.window.id()).empty());
    }
    stop = true;
    audio.join();
    EXPECT_GE(blocks.load(), kLeastBlocks);

    // Quiet now: the editor shows exactly the plug-in's state.
    for (int key = 21; key <= 108; ++key) rig.plugin->setParameter(key, 0.f);
    ASSERT_TRUE(rig.open());
    EXPECT_EQ(differences(rig.shot(), rig.expected()), "");
}

}  // namespace
}  // namespace x11test
