// The view on X11: the editor's window inside the host's, and its time from
// the run loop of the host's frame. The run loop wakes the editor when its
// display connection has events, and a timer redraws and asks for the
// processor's keys. No thread of our own, no waiting. The frame may come
// before or after attached(), and change while open: the handlers follow it.
#include <dlfcn.h>

#include <new>

#include "editor/sdeditor.h"
#include "plugin/vst3/vst3_object.h"
#include "plugin/vst3/vst3_view_platform.h"

namespace v3 {
namespace {

class X11ViewPlatform;

// What one run loop holds (a separate object: the host keeps its own
// references until the handlers are unregistered, maybe past the view).
class RunLoopClient final : public Object<IEventHandler, ITimerHandler> {
public:
    explicit RunLoopClient(X11ViewPlatform* platform) : platform(platform) {}
    tresult V3_API queryInterface(const TUID id, void** obj) override {
        if (!obj) return kInvalidArgument;
        void* found = nullptr;
        if (sameUid(id, FUnknown::iid) || sameUid(id, IEventHandler::iid))
            found = static_cast<IEventHandler*>(this);
        else if (sameUid(id, ITimerHandler::iid))
            found = static_cast<ITimerHandler*>(this);
        return handOut(found, obj);
    }
    void V3_API onFDIsSet(int fd) override;
    void V3_API onTimer() override;
    void detach() { platform = nullptr; }

private:
    X11ViewPlatform* platform;
};

// The frame's run loop with a reference for the caller; null without one.
IRunLoop* runLoopOf(IPlugFrame* frame) {
    void* found = nullptr;
    if (!frame || frame->queryInterface(IRunLoop::iid.bytes, &found) != kResultOk) return nullptr;
    return static_cast<IRunLoop*>(found);
}

class X11ViewPlatform final : public ViewPlatform {
public:
    X11ViewPlatform(SDEditor& editor, ViewIdle& idle) : editor(editor), idle(idle) {}

    ~X11ViewPlatform() override {
        leaveLoop();
        editor.close();
    }

    // Takes the reference on `newLoop` (may be null: the editor then waits
    // undriven). The same loop again keeps its registrations. False when out
    // of memory for the handlers.
    bool useLoop(IRunLoop* newLoop) {
        if (newLoop && newLoop == loop) {
            newLoop->release();
            return true;
        }
        leaveLoop();
        loop = newLoop;
        return !loop || joinLoop();
    }

    void frameChanged(IPlugFrame* frame) override { useLoop(runLoopOf(frame)); }

    void eventsWaiting() { idle.editorIdle(false); }
    void timer() {
        idle.editorIdle(true);
        // A host window that never reached the server: the editor has given
        // up its connection, so its descriptor is nothing to wait on.
        if (watching && editor.eventDescriptor() != descriptor) stopWatching();
    }

private:
    // A run loop that takes no handlers (a validator's) leaves the editor
    // open without time, which is no failure.
    bool joinLoop() {
        client = new (std::nothrow) RunLoopClient(this);
        if (!client) return false;
        descriptor = editor.eventDescriptor();
        watching = descriptor >= 0 && loop->registerEventHandler(client, descriptor) == kResultOk;
        timing = loop->registerTimer(client, kViewIdleMilliseconds) == kResultOk;
        return true;
    }

    // Every handler unregistered, and the loop forgotten: a client left
    // behind in a loop (kept by a careless host) no longer reaches us.
    void leaveLoop() {
        if (client) {
            stopWatching();
            if (timing) loop->unregisterTimer(client);
            timing = false;
            client->detach();
            client->release();
            client = nullptr;
        }
        if (loop) loop->release();
        loop = nullptr;
    }

    void stopWatching() {
        if (watching) loop->unregisterEventHandler(client);
        watching = false;
    }

    SDEditor& editor;
    ViewIdle& idle;
    IRunLoop* loop = nullptr;  // our reference, while the frame has one
    RunLoopClient* client = nullptr;
    int descriptor = -1;
    bool watching = false, timing = false;
};

void RunLoopClient::onFDIsSet(int) {
    if (platform) platform->eventsWaiting();
}

void RunLoopClient::onTimer() {
    if (platform) platform->timer();
}

}  // namespace

const char* ViewPlatform::type() { return "X11EmbedWindowID"; }

ViewPlatform* ViewPlatform::attach(SDEditor& editor, void* parent, IPlugFrame* frame, ViewIdle& idle) {
    IRunLoop* loop = runLoopOf(frame);
    if (frame && !loop) return nullptr;  // a frame, but nothing to run the editor
    X11ViewPlatform* platform = nullptr;
    if (editor.open(parent)) platform = new (std::nothrow) X11ViewPlatform(editor, idle);
    if (!platform) {
        if (loop) loop->release();
        editor.close();
        return nullptr;
    }
    if (!platform->useLoop(loop)) {
        delete platform;
        return nullptr;
    }
    return platform;
}

}  // namespace v3

// Cairo and pixman keep tables from their first use that they never free:
// unloaded with the module and loaded again with the next, they would leave
// them behind each time; so cairo stays once it has come (as the LV2 UI does).
__attribute__((constructor)) static void keepCairoLoaded() { dlopen("libcairo.so.2", RTLD_NOW | RTLD_NODELETE); }
