// The view on X11: the editor's window inside the host's, and its time from
// the host's run loop (found on the frame). The run loop wakes the editor
// when its display connection has events, and a timer redraws and asks for
// the processor's keys. No thread of our own, no waiting.
#include <dlfcn.h>

#include <new>

#include "editor/sdeditor.h"
#include "plugin/vst3/vst3_object.h"
#include "plugin/vst3/vst3_view_platform.h"

namespace v3 {
namespace {

// 50 redraws a second: a key or knob follows the host within a frame or two.
constexpr uint64 kIdleMilliseconds = 20;

class X11ViewPlatform;

// What the run loop holds (a separate object: the host keeps its own
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

class X11ViewPlatform final : public ViewPlatform {
public:
    X11ViewPlatform(SDEditor& editor, IRunLoop* loop, ViewIdle& idle) : editor(editor), loop(loop), idle(idle) {}

    // A run loop that takes no handlers (a validator's) leaves the editor
    // open without time, which is no failure.
    bool start() {
        client = new (std::nothrow) RunLoopClient(this);
        if (!client) return false;
        descriptor = editor.eventDescriptor();
        watching = descriptor >= 0 && loop->registerEventHandler(client, descriptor) == kResultOk;
        timing = loop->registerTimer(client, kIdleMilliseconds) == kResultOk;
        return true;
    }

    ~X11ViewPlatform() override {
        if (client) {
            stopWatching();
            if (timing) loop->unregisterTimer(client);
            client->detach();
            client->release();
        }
        loop->release();
        editor.close();
    }

    void eventsWaiting() { idle.editorIdle(false); }
    void timer() {
        idle.editorIdle(true);
        // A host window that never reached the server: the editor has given
        // up its connection, so its descriptor is nothing to wait on.
        if (watching && editor.eventDescriptor() != descriptor) stopWatching();
    }

private:
    void stopWatching() {
        if (watching) loop->unregisterEventHandler(client);
        watching = false;
    }

    SDEditor& editor;
    IRunLoop* const loop;  // our reference
    ViewIdle& idle;
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
    void* found = nullptr;
    if (!frame || frame->queryInterface(IRunLoop::iid.bytes, &found) != kResultOk || !found) return nullptr;
    IRunLoop* loop = static_cast<IRunLoop*>(found);
    if (!editor.open(parent)) {
        loop->release();
        return nullptr;
    }
    X11ViewPlatform* platform = new (std::nothrow) X11ViewPlatform(editor, loop, idle);
    if (!platform) {
        loop->release();
        editor.close();
        return nullptr;
    }
    if (!platform->start()) {
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
