// The window opened and closed hundreds of times on the window's thread while
// the audio thread plays notes and another thread automates the parameters:
// nothing crashes, nothing leaks, and the last window shows the right state.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "tests/editor/editor_rig.h"

namespace editortest {
namespace {

TEST(EditorStress, OpenAndCloseWhileNotesAndAutomationArrive) {
    ASSERT_FALSE(EditorPictures::get().background.empty());
    EditorRig rig;
    ASSERT_TRUE(rig.hosted.plugin);

    // One cycle first, so that what is made once per program (window class,
    // cached system objects) is counted in the baseline.
    ASSERT_TRUE(rig.open());
    rig.idle();
    rig.close();
    const int gdiBefore = gdiObjectCount();
    const int userBefore = userObjectCount();
    const int windowsBefore = threadWindowCount();

    std::atomic<bool> stop{false};
    std::atomic<int> blocks{0};
    std::thread audio([&] {
        MidiEventBlock events;
        std::vector<float> left, right;
        for (int block = 0; !stop; ++block) {
            events.clear();
            const int note = 15 + block * 7 % 100;  // also below and above the keyboard
            events.add(0, 0x90, note, 90);
            events.add(100, 0x80, (note + 50) % 100 + 15, 0);
            if (block % 8 == 0) events.add(200, 0xB0, 123, 0);  // all notes off
            left.clear();
            right.clear();
            rig.plugin().render(&events, 256, left, right);
            ++blocks;
            Sleep(1);
        }
        // Everything released at the end.
        events.clear();
        for (int note = 21; note <= 108; ++note) events.add(0, 0x80, note, 0);
        rig.plugin().render(&events, 256, left, right);
    });
    std::thread automation([&] {
        for (int i = 0; !stop; ++i) {
            rig.plugin().setParameter(i % 5, (float)(i % 97) / 96.f);
            rig.plugin().setParameter(21 + i % 88, (float)(i % 2));
            if (i % 16 == 0) Sleep(1);
        }
    });

    const int kCycles = 300;
    for (int cycle = 0; cycle < kCycles; ++cycle) {
        ASSERT_TRUE(rig.open());
        rig.plugin().dispatch(effEditIdle);
        if (cycle % 3 == 0) rig.idle(1);
        if (cycle % 5 == 0) rig.plugin().setParameter(cycle % 5, 0.5f);  // the window's own thread too
        rig.close();
    }
    stop = true;
    audio.join();
    automation.join();
    EXPECT_GT(blocks, 100) << "the audio thread kept playing";

    EXPECT_EQ(threadWindowCount(), windowsBefore);
    EXPECT_EQ(gdiObjectCount(), gdiBefore);
    EXPECT_EQ(userObjectCount(), userBefore);

    // The next window starts from the engine's values, every key released.
    for (int i = 0; i < 5; ++i) rig.plugin().setParameter(i, 0.1f + 0.2f * i);
    ASSERT_TRUE(rig.open());
    rig.idle();
    EXPECT_EQ(differences(rig.shot(), rig.expected()), "");
    rig.close();
}

}  // namespace
}  // namespace editortest
