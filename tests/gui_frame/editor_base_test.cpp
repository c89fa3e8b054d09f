// The editor base as the host drives it through the dispatcher, the edit
// bracket sent on to the host, the knob mode, the wheel, and the idle pump's
// timing under a clock stepped by hand.
#include <gtest/gtest.h>

#include "gui/win32/platform_input.h"
#include "tests/gui_frame/frame_test_support.h"

using namespace frametest;

TEST(EditorBase, TheHostReachesTheEditorThroughTheDispatcher) {
    HostedTestPlugin hosted;
    EXPECT_TRUE(hosted.instance->record()->flags & effFlagsHasEditor);

    // A fresh editor reports an empty rectangle until the concrete one fills it.
    ERect* rect = nullptr;
    EXPECT_EQ(1, hosted.instance->dispatch(effEditGetRect, 0, 0, &rect));
    ASSERT_NE(nullptr, rect);
    EXPECT_EQ(0, rect->top);
    EXPECT_EQ(0, rect->left);
    EXPECT_EQ(0, rect->bottom);
    EXPECT_EQ(0, rect->right);
    hosted.editor()->setRect(120, 80);
    EXPECT_EQ(120, rect->right);

    HostWindow host(200, 100);
    EXPECT_FALSE(hosted.editor()->isOpen());
    EXPECT_EQ(1, hosted.instance->dispatch(effEditOpen, 0, 0, host.parent()));
    CFrame* frame = hosted.editor()->getFrame();
    ASSERT_NE(nullptr, frame);
    EXPECT_EQ(hosted.editor(), frame->getEditor());
    EXPECT_TRUE(hosted.editor()->isOpen());
    EXPECT_EQ(1u, childWindows(host.handle()).size());

    int idles = hosted.editor()->idleCalls;
    EXPECT_EQ(0, hosted.instance->dispatch(effEditIdle));
    EXPECT_EQ(idles + 1, hosted.editor()->idleCalls);

    EXPECT_EQ(0, hosted.instance->dispatch(effEditClose));
    EXPECT_EQ(nullptr, hosted.editor()->getFrame());
    EXPECT_TRUE(childWindows(host.handle()).empty());
    EXPECT_FALSE(windowClassRegistered());
    // Closed, idle does nothing and nothing breaks.
    EXPECT_EQ(0, hosted.instance->dispatch(effEditIdle));
}

TEST(EditorBase, TheKnobModeIsOneForTheWholeLibrary) {
    HostedTestPlugin first;
    HostedTestPlugin second;
    HostWindow host(200, 100);
    second.instance->dispatch(effEditOpen, 0, 0, host.parent());
    EXPECT_EQ(1, first.instance->dispatch(effSetEditKnobMode, 0, 2));
    EXPECT_EQ(2, AEffGUIEditor::libraryKnobMode());
    EXPECT_EQ(2, second.editor()->getFrame()->getKnobMode());
    EXPECT_EQ(1, second.instance->dispatch(effSetEditKnobMode, 0, 1));
    EXPECT_EQ(1, first.editor()->getKnobMode());
    first.instance->dispatch(effSetEditKnobMode, 0, 0);
    second.instance->dispatch(effEditClose);
}

TEST(EditorBase, AControlsEditBracketReachesTheHost) {
    HostedTestPlugin hosted;
    HostWindow host(200, 100);
    hosted.instance->dispatch(effEditOpen, 0, 0, host.parent());
    CFrame* frame = hosted.editor()->getFrame();
    hosted.host.clear();
    frame->beginEdit(3);
    frame->endEdit(3);
    frame->beginEdit(60);
    std::vector<HostCall> calls = hosted.host.calls();
    ASSERT_EQ(3u, calls.size());
    EXPECT_EQ(audioMasterBeginEdit, calls[0].opcode);
    EXPECT_EQ(3, calls[0].index);
    EXPECT_EQ(audioMasterEndEdit, calls[1].opcode);
    EXPECT_EQ(3, calls[1].index);
    EXPECT_EQ(audioMasterBeginEdit, calls[2].opcode);
    EXPECT_EQ(60, calls[2].index);
    hosted.instance->dispatch(effEditClose);

    // A frame without editor has nobody to tell.
    TestFrame alone(CRect(0, 0, 10, 10), nullptr);
    alone.beginEdit(1);
    alone.endEdit(1);
    alone.runIdle();
    EXPECT_EQ(3u, hosted.host.calls().size());
}

TEST(EditorBase, TheWheelGoesToTheViewUnderThePointerInFrameCoordinates) {
    EventLog log;
    HostedTestPlugin hosted;
    hosted.editor()->setRect(200, 100);
    // A captioned parent: its window corner is not the frame's corner.
    HostWindow host(200, 100, nullptr, 50, 60, HostWindow::kCaption);
    hosted.instance->dispatch(effEditOpen, 0, 0, host.parent());
    CFrame* frame = hosted.editor()->getFrame();
    RecordingView* view = new RecordingView(CRect(100, 50, 150, 90), "knob", &log);
    frame->addView(view);

    RECT bounds;
    GetWindowRect(static_cast<HWND>(frame->getSystemWindow()), &bounds);
    ScriptedInput input;
    input.add(CPoint(bounds.left + 120, bounds.top + 70));
    input.add(CPoint(bounds.left + 10, bounds.top + 10));
    ScopedPlatformInput scoped(&input);
    EXPECT_TRUE(hosted.editor()->onWheel(-1.f));
    EXPECT_EQ("knob wheel 120,70 axis 1 distance -1", log.joined());
    view->wheelAnswer = false;
    EXPECT_FALSE(hosted.editor()->onWheel(1.f));  // over no view
    EXPECT_EQ(1u, log.lines.size());
    hosted.instance->dispatch(effEditClose);
}

// The idle pump's clock: the editor and its frame read the manual clock.
struct PumpRig {
    ScopedManualClock clock;
    EventLog log;
    HostedTestPlugin hosted;
    HostWindow host{200, 100};
    CFrame* frame = nullptr;
    RecordingView* view = nullptr;

    explicit PumpRig(uint32_t start = 1000) : clock(start) {
        hosted.editor()->setRect(200, 100);
        hosted.instance->dispatch(effEditOpen, 0, 0, host.parent());
        frame = hosted.editor()->getFrame();
        view = new RecordingView(CRect(10, 10, 50, 50), "v", &log);
        frame->addView(view);
        hosted.host.clear();
    }
    ~PumpRig() { hosted.instance->dispatch(effEditClose); }

    // Runs the pump at the given clock reading; answers whether it did its work.
    bool runAt(uint32_t now) {
        ManualClock::now = now;
        ManualClock::sleeps.clear();
        int hostIdles = hosted.hostCalls(audioMasterIdle);
        int idles = hosted.editor()->idleCalls;
        hosted.editor()->runIdle();
        bool worked = hosted.hostCalls(audioMasterIdle) == hostIdles + 1;
        EXPECT_EQ(worked ? idles + 1 : idles, hosted.editor()->idleCalls);
        return worked;
    }
    bool slept() const { return ManualClock::sleeps == std::vector<uint32_t>{4}; }
};

TEST(IdlePump, WorkIsDoneAtMostEveryHundredMillisecondsWithAFourMillisecondSleepWhenEarly) {
    PumpRig rig;
    EXPECT_EQ(1000, rig.frame->getTicks());

    // The construction time is the first due time.
    EXPECT_TRUE(rig.runAt(1000));
    EXPECT_TRUE(ManualClock::sleeps.empty());
    // 10 ms later: a sleep, and nothing else.
    EXPECT_FALSE(rig.runAt(1010));
    EXPECT_TRUE(rig.slept());
    // 60 ms later: a sleep, then the work, since no more than 54 ms remain.
    EXPECT_TRUE(rig.runAt(1060));
    EXPECT_TRUE(rig.slept());
    // The next due time counts from after the sleep: 1064 + 100. Early calls
    // go on once the time after their sleep reaches 1164 - 50.
    EXPECT_FALSE(rig.runAt(1109));  // 1113 < 1114
    EXPECT_TRUE(rig.slept());
    EXPECT_TRUE(rig.runAt(1110));  // 1114
    // Late calls work at once without sleeping.
    EXPECT_TRUE(rig.runAt(5000));
    EXPECT_TRUE(ManualClock::sleeps.empty());
}

TEST(IdlePump, TheCounterRollingOverDoesNotStopThePump) {
    PumpRig rig(0xFFFFFF00u);
    EXPECT_TRUE(rig.runAt(0xFFFFFF00u));  // due next at 0xFFFFFF64
    EXPECT_FALSE(rig.runAt(0xFFFFFF10u));
    // 272 ms later the counter has wrapped to 0x10: the work is long due.
    EXPECT_TRUE(rig.runAt(0x00000010u));
    EXPECT_TRUE(ManualClock::sleeps.empty());
    EXPECT_FALSE(rig.runAt(0x00000020u));  // due at 0x74
    EXPECT_TRUE(rig.runAt(0x00000080u));
}

TEST(IdlePump, ADueTimePastTheRollOverIsNotTakenForThePast) {
    PumpRig rig(0xFFFFFFC0u);
    EXPECT_TRUE(rig.runAt(0xFFFFFFC0u));   // due next at 0x24, after the wrap
    EXPECT_FALSE(rig.runAt(0xFFFFFFE0u));  // 32 ms later is early
    EXPECT_TRUE(rig.slept());
    EXPECT_TRUE(rig.runAt(0xFFFFFFF0u));  // 0xFFFFFFF4 after the sleep is within 50 ms
}

TEST(IdlePump, TheWorkRedrawsDispatchesOnePaintAndGivesTheHostItsIdle) {
    PumpRig rig;
    HWND window = static_cast<HWND>(rig.frame->getSystemWindow());
    RECT pending;
    // Nothing has been painted yet, so the frame's own idle draws nothing;
    // the paint message taken by the pump draws the window.
    ASSERT_TRUE(GetUpdateRect(window, &pending, FALSE));
    EXPECT_FALSE(rig.runAt(940));  // 944 after the sleep: still more than 50 ms early
    EXPECT_TRUE(GetUpdateRect(window, &pending, FALSE));
    EXPECT_EQ(0, rig.view->draws);
    EXPECT_TRUE(rig.runAt(1000));
    EXPECT_FALSE(GetUpdateRect(window, &pending, FALSE));
    EXPECT_EQ(1, rig.view->draws);

    // One paint message per pass, whichever window of the thread it is for.
    HostWindow otherHost(100, 100, nullptr, 400, 0);
    HostWindow thirdHost(100, 100, nullptr, 600, 0);
    TestFrame other(CRect(0, 0, 100, 100), otherHost.parent());
    TestFrame third(CRect(0, 0, 100, 100), thirdHost.parent());
    ASSERT_TRUE(other.firstDraw && third.firstDraw);
    EXPECT_FALSE(rig.runAt(1010));  // an early pass takes none
    EXPECT_TRUE(other.firstDraw && third.firstDraw);
    EXPECT_TRUE(rig.runAt(1100));
    EXPECT_NE(other.firstDraw, third.firstDraw);
    EXPECT_TRUE(rig.runAt(1200));
    EXPECT_FALSE(other.firstDraw || third.firstDraw);

    // Later work redraws what became dirty through the frame's idle.
    rig.view->setDirty(true);
    EXPECT_TRUE(rig.runAt(1300));
    EXPECT_EQ(2, rig.view->draws);
    EXPECT_FALSE(rig.view->isDirty());

    // A control's idle request reaches the pump through its frame.
    ManualClock::now = 1340;  // due at 1400
    rig.frame->runIdle();
    EXPECT_EQ(4, rig.hosted.hostCalls(audioMasterIdle));
    ManualClock::now = 1450;
    rig.frame->runIdle();
    EXPECT_EQ(5, rig.hosted.hostCalls(audioMasterIdle));
}

TEST(IdlePump, TheHostsIdleRequestCannotReEnterTheEditorsIdle) {
    PumpRig rig;
    UpdateWindow(static_cast<HWND>(rig.frame->getSystemWindow()));  // first paint
    int drawsInside = -1;
    bool flagInside = false;
    // A host that calls the editor's idle from within its own idle work.
    rig.hosted.host.onCall = [&](const HostCall& call) {
        if (call.opcode != audioMasterIdle) return;
        flagInside = rig.hosted.editor()->idleWhileHostIdle();
        rig.view->setDirty(true);
        int before = rig.view->draws;
        rig.hosted.instance->dispatch(effEditIdle);
        drawsInside = rig.view->draws - before;
    };
    ManualClock::now = 1000;
    rig.hosted.editor()->runIdle();
    EXPECT_EQ(1, rig.hosted.hostCalls(audioMasterIdle));
    EXPECT_TRUE(flagInside);
    EXPECT_EQ(0, drawsInside);
    EXPECT_EQ(1, rig.hosted.editor()->idleCallsDuringHostIdle);
    EXPECT_FALSE(rig.hosted.editor()->idleWhileHostIdle());
    rig.hosted.host.onCall = nullptr;
    // Outside the host's idle the same request draws.
    rig.hosted.instance->dispatch(effEditIdle);
    EXPECT_FALSE(rig.view->isDirty());
}
