// Playing the editor with the mouse: real input injected through the window
// system from a second thread while the control's own loop polls the live
// pointer and buttons on the window's thread. That second thread also plays
// the host's audio thread, rendering while the key or knob is held.
#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <thread>

#include "tests/editor/editor_rig.h"

namespace editortest {
namespace {

// One period of middle C (261.63 Hz) at 44100 Hz, to the nearest frame.
constexpr int kMiddleCPeriod = 169;

struct Gesture {
    VstInt32 opcode;
    int index;
    float value;
};

class RealInput : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(EditorPictures::get().background.empty());
        ASSERT_TRUE(rig.hosted.plugin);
        ASSERT_TRUE(rig.open());
        rig.idle();
        moveMouseTo(rig.toScreen(720, 10));  // over the panel, away from every control
        Sleep(50);
        pumpMessages();
        rig.host().clear();
    }
    void TearDown() override { mouseButton(MOUSEEVENTF_LEFTUP); }

    // The edit brackets and automation the host received, in order.
    std::vector<Gesture> gestures() {
        std::vector<Gesture> found;
        for (const HostCall& call : rig.host().calls())
            if (call.opcode == audioMasterBeginEdit || call.opcode == audioMasterEndEdit ||
                call.opcode == audioMasterAutomate)
                found.push_back({call.opcode, call.index, call.opt});
        return found;
    }
    std::string describe() {
        std::string text;
        for (const Gesture& g : gestures()) {
            const char* kind = g.opcode == audioMasterBeginEdit ? "begin" : g.opcode == audioMasterEndEdit ? "end" : "set";
            text += std::string(kind) + " " + std::to_string(g.index) + (g.opcode == audioMasterAutomate ? "=" + std::to_string(g.value) : "") + "; ";
        }
        return text;
    }
    int automations(int index, float value) {
        int n = 0;
        for (const Gesture& g : gestures()) n += g.opcode == audioMasterAutomate && g.index == index && g.value == value;
        return n;
    }

    EditorRig rig;
};

TEST_F(RealInput, PressingAKeyPlaysItsNoteForAsLongAsItIsHeld) {
    const Rect key = keyRect(60);
    const POINT at = rig.toScreen(key.centerX(), key.centerY());
    std::vector<float> held, heldOn, released;
    Picture whileHeld;
    withInjection([&] {
        moveMouseTo(at);
        Sleep(60);
        mouseButton(MOUSEEVENTF_LEFTDOWN);
        Sleep(300);
        held = rig.render(4096);
        heldOn = rig.render(4096);  // the strike's inharmonic ping has died by now
        whileHeld = rig.shot();
        mouseButton(MOUSEEVENTF_LEFTUP);
        Sleep(200);
        rig.render(8192);  // the release dies away
        released = rig.render(2048);
    });

    std::vector<Gesture> seen = gestures();
    ASSERT_GE(seen.size(), 4u);
    EXPECT_EQ(seen.front().opcode, audioMasterBeginEdit);
    EXPECT_EQ(seen.front().index, 60);
    EXPECT_EQ(seen.back().opcode, audioMasterEndEdit);
    EXPECT_EQ(seen.back().index, 60);
    EXPECT_EQ(automations(60, 1.f), 1) << "one note start for one press";
    EXPECT_GE(automations(60, 0.f), 1);
    for (size_t i = 1; i + 1 < seen.size(); ++i) {
        EXPECT_EQ(seen[i].opcode, audioMasterAutomate);
        EXPECT_EQ(seen[i].index, 60);
    }
    EXPECT_EQ(seen[1].value, 1.f) << "the press comes before the release";

    EXPECT_GT(rms(held), 0.01f) << "the note sounds while the key is held";
    EXPECT_GT(periodicity(heldOn, kMiddleCPeriod), 0.9f) << "and it is middle C";
    EXPECT_LT(rms(released), rms(held) * 0.01f) << "the release ends it";
    EXPECT_EQ(differences(whileHeld, rig.expected({60}), &key), "") << "pressed picture while held";
    rig.idle();
    EXPECT_EQ(differences(rig.shot(), rig.expected()), "") << "released picture afterwards";
}

TEST_F(RealInput, APressRightAfterAnotherGestureStartsItsNoteOnce) {
    // The second press comes a few milliseconds after an idle pass of the
    // first one's loop, so the key is not redrawn during the first passes of
    // its own loop and keeps reporting its value. (The first gesture ends
    // with shift, which ends a key's tracking at once: Wine answers a button
    // read as up from a cache for 50 ms, which a release would start.)
    std::atomic<int> hostIdles{0}, endEdits{0};
    rig.host().onCall = [&](const HostCall& call) {
        if (call.opcode == audioMasterIdle) ++hostIdles;
        if (call.opcode == audioMasterEndEdit) ++endEdits;
    };
    const Rect key = keyRect(60);
    const POINT at = rig.toScreen(key.centerX(), key.centerY());
    withInjection([&] {
        moveMouseTo(at);
        Sleep(60);
        mouseButton(MOUSEEVENTF_LEFTDOWN);
        Sleep(250);
        const int seen = hostIdles;
        const DWORD start = GetTickCount();
        while (hostIdles == seen && GetTickCount() - start < 2000) Sleep(1);
        shiftKey(true);
        while (endEdits == 0 && GetTickCount() - start < 2000) Sleep(1);
        shiftKey(false);
        mouseButton(MOUSEEVENTF_LEFTUP);
        mouseButton(MOUSEEVENTF_LEFTDOWN);
        Sleep(300);
        mouseButton(MOUSEEVENTF_LEFTUP);
        Sleep(150);
    });
    rig.host().onCall = nullptr;
    EXPECT_EQ(rig.host().count(audioMasterBeginEdit), 2) << "two gestures: " << describe();
    EXPECT_EQ(automations(60, 1.f), 2) << "one note start for each: " << describe();
}

TEST_F(RealInput, DraggingTheVolumeKnobChangesTheSoundAndAutomatesTheHost) {
    const float loud = rms(rig.render(4096, {{60, 100}}));
    rig.render(22050, {{60, 0}});
    ASSERT_GT(loud, 0.01f);

    // Circular dragging: the press at the top turns the knob to the middle,
    // the pointer then goes round to the left (a sixth of the sweep).
    const Rect knob = knobRect(4);
    const POINT top = rig.toScreen(knob.centerX(), knob.top);
    const POINT left = rig.toScreen(knob.left, knob.centerY());
    withInjection([&] {
        moveMouseTo(top);
        Sleep(60);
        mouseButton(MOUSEEVENTF_LEFTDOWN);
        Sleep(150);
        glide(top, left, 12, 20);
        Sleep(200);
        mouseButton(MOUSEEVENTF_LEFTUP);
        Sleep(150);
    });

    std::vector<Gesture> seen = gestures();
    ASSERT_GE(seen.size(), 3u);
    EXPECT_EQ(seen.front().opcode, audioMasterBeginEdit);
    EXPECT_EQ(seen.front().index, 4);
    EXPECT_EQ(seen.back().opcode, audioMasterEndEdit);
    EXPECT_EQ(seen.back().index, 4);
    const Gesture& first = seen[1];
    const Gesture& last = seen[seen.size() - 2];
    EXPECT_EQ(first.opcode, audioMasterAutomate);
    EXPECT_NEAR(first.value, 0.5f, 0.03f);
    EXPECT_EQ(last.opcode, audioMasterAutomate);
    EXPECT_NEAR(last.value, 1.f / 6, 0.03f);
    const float volume = rig.plugin().getParameter(4);
    EXPECT_EQ(volume, last.value) << "the engine has what the host was told";

    const float quiet = rms(rig.render(4096, {{60, 100}}));
    rig.render(512, {{60, 0}});
    EXPECT_NEAR(quiet / loud, volume, 0.02f) << "the output is that much quieter";
    rig.idle();
    EXPECT_EQ(differences(rig.shot(), rig.expected()), "") << "the knob shows its new value";
}

TEST_F(RealInput, LinearModeDragsTheKnobByDistance) {
    rig.plugin().dispatch(effSetEditKnobMode, 0, 2);
    const Rect knob = knobRect(1);
    const POINT press = rig.toScreen(knob.centerX(), knob.centerY());
    const POINT up = {press.x, press.y - 50};  // 50 of the 200 pixels of the range: +0.25
    withInjection([&] {
        moveMouseTo(press);
        Sleep(60);
        mouseButton(MOUSEEVENTF_LEFTDOWN);
        Sleep(150);
        glide(press, up, 10, 20);
        Sleep(200);
        mouseButton(MOUSEEVENTF_LEFTUP);
        Sleep(150);
    });
    rig.plugin().dispatch(effSetEditKnobMode, 0, 0);
    EXPECT_NEAR(rig.plugin().getParameter(1), 0.75f, 0.011f);
    EXPECT_EQ(rig.host().count(audioMasterBeginEdit), 1);
    EXPECT_EQ(rig.host().count(audioMasterEndEdit), 1);
    rig.idle();
    EXPECT_EQ(differences(rig.shot(), rig.expected()), "");
}

}  // namespace
}  // namespace editortest
