// The VST 3 editor as a Linux host shows it: the view made by the controller
// of an instance loaded from the bundle, attached to a window of this
// program on a real X server, given the host's run loop on its frame and
// driven by it pass by pass; its pixels read back and real input sent
// through XTest. The processor and the controller stay apart behind the
// host's proxies, so keys reach the sound and come back only by message.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <set>
#include <string>

#include "engine/epiano_program.h"
#include "tests/editor_x11/x11_editor_rig.h"
#include "tools/vst3host/vst3_editor_host.h"
#include "tools/vst3host/vst3_host.h"

namespace x11test {
namespace {

using namespace v3host;
using editortest::differences;
using editortest::keyRect;
using editortest::knobRect;
using editortest::rms;

constexpr const char* kX11 = "X11EmbedWindowID";
constexpr int32 kBlock = 512;

class Vst3EditorRig : public EditorWindowRig {
public:
    Vst3EditorRig() : EditorWindowRig(40, 40) {
        std::string why;
        if (!module.load(QELT_VST3_BUNDLE, &why) || !instance.start(module, Vst3Setup(), &why)) {
            ADD_FAILURE() << why;
            return;
        }
        handler.reset(new ComponentHandler());
        instance.controller()->setComponentHandler(handler.get());
    }
    ~Vst3EditorRig() override {
        button(false);
        close();
    }

    // A new view, not attached yet.
    void newView() {
        close();
        view.reset(instance.controller()->createView("editor"));
    }
    // The view attached in the host window, then run-loop passes.
    tresult attach() {
        if (!view) return kInternalError;
        const tresult result = view->attached(reinterpret_cast<void*>((uintptr_t)window.id()), kX11);
        idle();
        return result;
    }
    // A new view attached, its frame (none when null) set before attached()
    // as the SDK's host does, or after it as others do.
    enum FrameSet { kFrameBefore, kFrameAfter };
    tresult open(PlugFrame* withFrame, FrameSet when = kFrameBefore) {
        newView();
        if (!view) return kInternalError;
        if (withFrame && when == kFrameBefore) view->setFrame(withFrame);
        const tresult result = attach();
        if (withFrame && when == kFrameAfter) {
            view->setFrame(withFrame);
            idle();
        }
        return result;
    }
    tresult open() { return open(frame.get()); }
    // As hosts close it: frame taken away, removed, released.
    void close() {
        if (!view) return;
        view->setFrame(nullptr);
        view->removed();
        view.reset();
        settle();
    }

    Picture expected(const std::set<int>& pressedKeys = {}, int percent = 100) {
        float values[kNumParams];
        for (int i = 0; i < kNumParams; i++) values[i] = (float)instance.controller()->getParamNormalized((ParamID)i);
        return editortest::expectedEditor(values, pressedKeys, percent);
    }
    tresult setScale(float factor) {
        const tresult result = setContentScale(view.get(), factor);
        idle();
        return result;
    }
    std::pair<int, int> viewSize() {
        ViewRect size{};
        view->getSize(&size);
        return {size.right - size.left, size.bottom - size.top};
    }
    // One block with these notes; the left channel's level.
    float play(EventList* notes = nullptr) {
        EXPECT_EQ(instance.process(kBlock, notes, nullptr), kResultOk);
        return rms(instance.left);
    }

    Vst3Module module;
    Vst3Instance instance;
    Ref<ComponentHandler> handler;
    Ref<TestRunLoop> loop{new TestRunLoop()};
    Ref<PlugFrame> frame{new PlugFrame(loop.get())};
    Ref<IPlugView> view;

protected:
    void idleEditor() override { loop->dispatch(); }
};

class Vst3Editor : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(testDisplay()) << "no X display"; }
    Vst3EditorRig rig;
};

TEST_F(Vst3Editor, AnswersForItsOneSizeAndPlatform) {
    IEditController* controller = rig.instance.controller();
    EXPECT_EQ(controller->createView("other"), nullptr);
    EXPECT_EQ(controller->createView(nullptr), nullptr);
    Ref<IPlugView> view(controller->createView("editor"));
    ASSERT_TRUE(view);
    ViewRect size{};
    EXPECT_EQ(view->getSize(&size), kResultOk);
    EXPECT_EQ(size.left, 0);
    EXPECT_EQ(size.top, 0);
    EXPECT_EQ(size.right, 730);
    EXPECT_EQ(size.bottom, 248);
    EXPECT_EQ(view->getSize(nullptr), kInvalidArgument);
    EXPECT_EQ(view->isPlatformTypeSupported(kX11), kResultTrue);
    for (const char* type : {"HWND", "NSView", "WaylandSurfaceID", "", static_cast<const char*>(nullptr)})
        EXPECT_EQ(view->isPlatformTypeSupported(type), kResultFalse) << (type ? type : "null");
    EXPECT_EQ(view->canResize(), kResultFalse);
    ViewRect wanted{10, 20, 900, 900};
    EXPECT_EQ(view->checkSizeConstraint(&wanted), kResultTrue);
    EXPECT_EQ(wanted.right - wanted.left, 730);
    EXPECT_EQ(wanted.bottom - wanted.top, 248);
    ViewRect other{0, 0, 400, 100};
    EXPECT_EQ(view->onSize(&size), kResultOk);
    EXPECT_EQ(view->onSize(&other), kResultFalse);
    EXPECT_EQ(view->onKeyDown(u'a', 0, 0), kResultFalse) << "the host keeps its keys";
    EXPECT_EQ(view->onKeyUp(0, 7, 1), kResultFalse);
    EXPECT_EQ(view->removed(), kResultFalse) << "not attached";
    IPlugViewContentScaleSupport* scale = query<IPlugViewContentScaleSupport>(view.get());
    ASSERT_NE(scale, nullptr);
    for (float factor : {1.f, 1.5f, 2.f}) EXPECT_EQ(scale->setContentScaleFactor(factor), kResultTrue) << factor;
    for (float factor : {0.f, -1.f, std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::infinity()})
        EXPECT_EQ(scale->setContentScaleFactor(factor), kResultFalse) << factor;
    EXPECT_EQ(view->getSize(&size), kResultOk);
    EXPECT_EQ(size.right, 1460) << "the last factor taken holds";
    EXPECT_EQ(size.bottom, 496);
    scale->release();
    EXPECT_EQ(view->attached(reinterpret_cast<void*>((uintptr_t)rig.window.id()), "HWND"), kResultFalse);
    EXPECT_EQ(view->attached(nullptr, kX11), kResultFalse);
}

// The same picture as the VST 2 and LV2 editors; the editor lives on the
// host's loop, and removed() takes back every handler, window and connection.
TEST_F(Vst3Editor, EmbedsOnTheHostsRunLoopAndLeavesNothingWhenRemoved) {
    const int clients = clientCount();
    ASSERT_EQ(rig.open(), kResultOk);
    ASSERT_NE(rig.editorWindow(), 0u);
    EXPECT_EQ(childrenOf(rig.window.id()).size(), 1u);
    EXPECT_EQ(differences(rig.shot(), rig.expected()), "");
    ASSERT_EQ(rig.loop->handlers.size(), 1u) << "the display connection";
    EXPECT_GE(rig.loop->handlers[0].second, 0);
    ASSERT_EQ(rig.loop->timers.size(), 1u);
    EXPECT_GT(rig.loop->timers[0].second, 0u);
    EXPECT_LE(rig.loop->timers[0].second, 50u);
    EXPECT_EQ(clientCount(), clients + 1) << "the editor's own connection";

    // The handlers follow the frame: gone with a frame without a run loop
    // (the editor stays, undriven), to another frame's loop, and back; a
    // frame on the loop in use keeps them.
    Ref<PlugFrame> bare(new PlugFrame(nullptr));
    EXPECT_EQ(rig.view->setFrame(bare.get()), kResultOk);
    EXPECT_EQ(rig.loop->registrations(), 0u);
    EXPECT_EQ(childrenOf(rig.window.id()).size(), 1u);
    Ref<TestRunLoop> otherLoop(new TestRunLoop());
    Ref<PlugFrame> other(new PlugFrame(otherLoop.get()));
    EXPECT_EQ(rig.view->setFrame(other.get()), kResultOk);
    EXPECT_EQ(otherLoop->registrations(), 2u);
    EXPECT_EQ(rig.view->setFrame(rig.frame.get()), kResultOk);
    EXPECT_EQ(otherLoop->registrations(), 0u);
    EXPECT_EQ(rig.loop->registrations(), 2u);
    const int calls = rig.loop->calls;
    Ref<PlugFrame> sameLoop(new PlugFrame(rig.loop.get()));
    EXPECT_EQ(rig.view->setFrame(sameLoop.get()), kResultOk);
    EXPECT_EQ(rig.view->setFrame(sameLoop.get()), kResultOk);
    EXPECT_EQ(rig.loop->calls, calls);
    rig.instance.controller()->setParamNormalized(2, 0.3);
    rig.idle();
    EXPECT_EQ(differences(rig.shot(), rig.expected()), "") << "still driven";

    EXPECT_EQ(rig.view->removed(), kResultOk);
    EXPECT_EQ(rig.loop->registrations(), 0u);
    settle();
    EXPECT_TRUE(childrenOf(rig.window.id()).empty());
    EXPECT_EQ(clientCount(), clients);
    EXPECT_TRUE(rig.frame->resizes.empty()) << "the editor has its size from the start";
}

// The host's content scale, before attached() (the size the host asks for
// first) and after it (through resizeView, which this host follows as hosts
// do); a host that refuses the size keeps a whole editor at the scale that
// fits its window.
TEST_F(Vst3Editor, TheHostsContentScaleSetsItsSizeBeforeAndWhileAttached) {
    rig.frame->onResize = [this](const ViewRect& size) { rig.window.resize(size.right - size.left, size.bottom - size.top); };
    rig.newView();
    ASSERT_EQ(rig.setScale(1.5f), kResultTrue);
    EXPECT_EQ(rig.viewSize(), std::make_pair(1095, 372));
    ViewRect wanted{0, 0, 730, 248};
    EXPECT_EQ(rig.view->checkSizeConstraint(&wanted), kResultTrue);
    EXPECT_EQ(std::make_pair(wanted.right, wanted.bottom), std::make_pair(1095, 372));
    rig.window.resize(1095, 372);
    rig.view->setFrame(rig.frame.get());
    ASSERT_EQ(rig.attach(), kResultOk);
    EXPECT_EQ(differences(rig.shot(), rig.expected({}, 150)), "");
    EXPECT_TRUE(rig.frame->resizes.empty()) << "the size was the host's from the start";

    ASSERT_EQ(rig.setScale(1.f), kResultTrue);
    ASSERT_EQ(rig.frame->resizes.size(), 1u);
    EXPECT_EQ(rig.frame->resizes[0].right, 730);
    EXPECT_EQ(rig.frame->resizes[0].bottom, 248);
    EXPECT_EQ(rig.viewSize(), std::make_pair(730, 248));
    EXPECT_EQ(differences(rig.shot(), rig.expected()), "");

    rig.frame->refuses = true;
    ASSERT_EQ(rig.setScale(1.5f), kResultTrue);
    ASSERT_GE(rig.frame->resizes.size(), 2u);
    EXPECT_EQ(rig.frame->resizes[1].right, 1095) << "asked";
    EXPECT_EQ(rig.viewSize(), std::make_pair(730, 248)) << "refused: the scale that fits";
    EXPECT_EQ(differences(rig.shot(), rig.expected()), "");
    rig.frame->refuses = false;
    rig.frame->onResize = nullptr;
    rig.close();
}

// Each way a host may give the editor its time: the frame with the run loop
// set before attached() or after it (the handlers come with it), a frame
// without a run loop (refused when set before; after, the editor stays open
// undriven), no frame yet (the editor waits), or a validator's loop that
// takes nothing. removed() leaves nothing in any case.
TEST_F(Vst3Editor, TakesTheRunLoopFromAFrameSetBeforeOrAfterAttached) {
    const int clients = clientCount();
    Ref<PlugFrame> bare(new PlugFrame(nullptr));
    Ref<TestRunLoop> refusing(new TestRunLoop(true));
    Ref<PlugFrame> validatorFrame(new PlugFrame(refusing.get()));
    PlugFrame* const hosts = rig.frame.get();
    const struct {
        const char* name;
        PlugFrame* frame;
        bool after;
        tresult attached;
    } cases[] = {
        {"the host's loop, set before", hosts, false, kResultOk},
        {"the host's loop, set after", hosts, true, kResultOk},
        {"no frame", nullptr, false, kResultOk},
        {"a frame without a run loop, set before", bare.get(), false, kResultFalse},
        {"a frame without a run loop, set after", bare.get(), true, kResultOk},
        {"a validator's loop, set before", validatorFrame.get(), false, kResultOk},
        {"a validator's loop, set after", validatorFrame.get(), true, kResultOk},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        rig.newView();
        if (c.frame && !c.after) rig.view->setFrame(c.frame);
        EXPECT_EQ(rig.attach(), c.attached);
        EXPECT_EQ(childrenOf(rig.window.id()).size(), c.attached == kResultOk ? 1u : 0u);
        EXPECT_EQ(rig.loop->registrations(), c.frame == hosts && !c.after ? 2u : 0u);
        if (c.after) {
            EXPECT_EQ(rig.view->setFrame(c.frame), kResultOk);
            EXPECT_EQ(rig.loop->registrations(), c.frame == hosts ? 2u : 0u);
            rig.idle();
        }
        if (c.frame == hosts) {
            EXPECT_EQ(differences(rig.shot(), rig.expected()), "") << "drawn on the loop";
        }
        EXPECT_EQ(refusing->registrations(), 0u);
        rig.close();
        EXPECT_EQ(rig.loop->registrations(), 0u);
        EXPECT_TRUE(childrenOf(rig.window.id()).empty());
        EXPECT_EQ(clientCount(), clients);
    }
    EXPECT_GE(refusing->calls, 4) << "the validator's loop was asked, before and after";
}

// Hosts may destroy their window before they call removed().
TEST_F(Vst3Editor, AParentGoneBeforeRemovedIsNoTrouble) {
    const int clients = clientCount();
    HostErrors errors;
    ASSERT_EQ(rig.open(), kResultOk);
    rig.window.destroy();
    rig.idle();
    EXPECT_EQ(rig.view->removed(), kResultOk);
    EXPECT_EQ(rig.loop->registrations(), 0u);
    settle();
    EXPECT_EQ(clientCount(), clients);
    EXPECT_EQ(errors.onTestDisplay(), 0);
}

TEST_F(Vst3Editor, OpeningAndClosingRepeatedlyLeavesNothingBehind) {
    auto cycle = [&](int i) {
        ASSERT_EQ(rig.open(rig.frame.get(), i % 2 ? Vst3EditorRig::kFrameAfter : Vst3EditorRig::kFrameBefore),
                  kResultOk);
        rig.instance.controller()->setParamNormalized((ParamID)(i % kNumParams), 0.1 * (i % 10));
        rig.idle(2);
        rig.close();
    };
    for (int i = 0; i < 5; ++i) cycle(i);  // caches of the libraries fill once
    HostErrors errors;
    const int clients = clientCount();
    const int files = openFileCount();
    const size_t heap = heapInUse();
    constexpr int kCycles = 20;
    for (int i = 0; i < kCycles; ++i) cycle(i);
    EXPECT_EQ(rig.loop->registrations(), 0u);
    EXPECT_TRUE(errors.installed()) << "the process's X error handler is still the host's";
    EXPECT_EQ(errors.onTestDisplay() + errors.elsewhere(), 0);
    EXPECT_EQ(clientCount(), clients);
    EXPECT_EQ(openFileCount(), files);
    constexpr size_t kAllowedPerCycle = 512;  // an open editor holds about 3 MB
    EXPECT_LT(heapInUse(), heap + kCycles * kAllowedPerCycle) << "heap grew from " << heap << " to " << heapInUse();
}

TEST_F(Vst3Editor, KnobsFollowTheHostAndTheirDragsReachItsComponentHandler) {
    ASSERT_EQ(rig.open(), kResultOk);
    rig.instance.controller()->setParamNormalized(1, 0.9);
    rig.instance.controller()->setParamNormalized(4, 0.2);
    rig.idle();
    EXPECT_EQ(differences(rig.shot(), rig.expected()), "");
    EXPECT_TRUE(rig.handler->calls.empty()) << "a host's value is not echoed";

    rig.instance.controller()->setParamNormalized(4, 0.5);
    rig.idle();
    rig.dragKnobRoundToTheLeft(knobRect(4));
    const auto& calls = rig.handler->calls;
    ASSERT_GE(calls.size(), 4u);
    EXPECT_EQ(calls.front().kind, 'b');
    EXPECT_EQ(calls.back().kind, 'e');
    for (const auto& call : calls) EXPECT_EQ(call.id, 4u);
    for (size_t i = 1; i + 1 < calls.size(); i++) EXPECT_EQ(calls[i].kind, 'p');
    EXPECT_NEAR(calls[calls.size() - 2].value, 1.0 / 6, 0.03);
    EXPECT_EQ(rig.instance.controller()->getParamNormalized(4), calls[calls.size() - 2].value);
    EXPECT_EQ(differences(rig.shot(), rig.expected()), "") << "the knob shows what the controller has";
}

// A key clicked sounds through the processor; the keys light from what the
// processor plays, whoever played it.
TEST_F(Vst3Editor, KeysPlayThroughTheProcessorAndLightFromItsMessages) {
    ASSERT_EQ(rig.open(), kResultOk);
    EXPECT_EQ(rig.play(), 0.f);
    const Rect key = keyRect(61);
    rig.moveTo(key.centerX(), key.centerY());
    rig.idle(1);
    rig.button(true);
    rig.idle();
    EXPECT_GT(rig.play(), 1e-3f) << "the clicked key sounds";
    rig.idle();
    EXPECT_EQ(differences(rig.shot(), rig.expected({61})), "");
    rig.button(false);
    rig.idle();
    rig.play();
    rig.idle();
    EXPECT_EQ(differences(rig.shot(), rig.expected()), "");

    Ref<EventList> notes(new EventList());
    notes->noteOn(0, 64, 0.7f);
    notes->noteOn(0, 21, 0.7f);
    rig.play(notes.get());
    rig.idle();
    EXPECT_EQ(differences(rig.shot(), rig.expected({21, 64})), "") << "host notes light their keys";
    notes->events.clear();
    notes->noteOff(0, 64);
    rig.play(notes.get());
    rig.idle();
    EXPECT_EQ(differences(rig.shot(), rig.expected({21})), "");
    EXPECT_GT(rig.instance.toProcessor()->messages, 0);
    EXPECT_GT(rig.instance.toController()->messages, 0);
    EXPECT_TRUE(rig.handler->calls.empty()) << "keys are no parameters";
}

TEST_F(Vst3Editor, MessagesNotOursOrShortAreRefusedAndChangeNothing) {
    ASSERT_EQ(rig.open(), kResultOk);
    auto message = [](const char* id) {
        Message* m = new Message();
        m->setMessageID(id);
        return m;
    };
    auto toProcessor = [&](Message* m) {
        Ref<Message> owned(m);
        return rig.instance.toProcessor()->notify(m);
    };
    auto toController = [&](Message* m) {
        Ref<Message> owned(m);
        return rig.instance.toController()->notify(m);
    };
    EXPECT_EQ(rig.instance.toProcessor()->notify(nullptr), kInvalidArgument);
    EXPECT_EQ(rig.instance.toController()->notify(nullptr), kInvalidArgument);
    EXPECT_EQ(toProcessor(message("NotOurs")), kResultFalse);
    Message* noDown = message("QeltKey");
    noDown->getAttributes()->setInt("key", 60);
    EXPECT_EQ(toProcessor(noDown), kResultFalse);
    for (int64 key : {-1, 128, 1000}) {
        Message* outside = message("QeltKey");
        outside->getAttributes()->setInt("key", key);
        outside->getAttributes()->setInt("down", 1);
        EXPECT_EQ(toProcessor(outside), kResultFalse) << key;
    }
    EXPECT_EQ(toController(message("QeltKeys")), kResultFalse) << "no keys";
    Message* shortKeys = message("QeltKeys");
    const uint8_t down[100] = {1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1};
    shortKeys->getAttributes()->setBinary("keys", down, sizeof down);
    EXPECT_EQ(toController(shortKeys), kResultFalse);
    EXPECT_EQ(toController(message("Other")), kResultFalse);
    rig.idle();
    EXPECT_EQ(rig.play(), 0.f) << "no note";
    EXPECT_EQ(differences(rig.shot(), rig.expected()), "") << "no key lit";
}

}  // namespace
}  // namespace x11test
