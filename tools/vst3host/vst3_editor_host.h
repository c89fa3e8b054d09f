// The host's side of the instrument's editor: the frame a view is given
// (with the host's run loop on it, or without one), a run loop that the
// test drives pass by pass, and a component handler that records the edits.
#pragma once

#include <functional>
#include <utility>
#include <vector>

#include "tools/vst3host/vst3_host.h"

namespace v3host {

// Handlers registered as a Linux host's loop keeps them. Each `dispatch` is
// one pass of the loop: the handlers whose descriptor is readable now, then
// every timer once, whatever its interval (the test sets the pace).
class TestRunLoop final : public Counted<IRunLoop> {
public:
    // `refuses`: every registration answers kNotImplemented, as a validator's loop does.
    explicit TestRunLoop(bool refuses = false) : refuses(refuses) {}
    tresult V3_API queryInterface(const TUID id, void** obj) override { return answer(id, obj, IRunLoop::iid); }
    tresult V3_API registerEventHandler(IEventHandler* handler, int fd) override;
    tresult V3_API unregisterEventHandler(IEventHandler* handler) override;
    tresult V3_API registerTimer(ITimerHandler* handler, uint64 milliseconds) override;
    tresult V3_API unregisterTimer(ITimerHandler* handler) override;

    void dispatch();
    size_t registrations() const { return handlers.size() + timers.size(); }

    std::vector<std::pair<IEventHandler*, int>> handlers;
    std::vector<std::pair<ITimerHandler*, uint64>> timers;
    int calls = 0;  // registrations and unregistrations asked for

private:
    ~TestRunLoop() override;
    const bool refuses;
};

class PlugFrame final : public Counted<IPlugFrame> {
public:
    // `loop` may be null: a frame that offers no run loop.
    explicit PlugFrame(TestRunLoop* loop) : loop(loop) {
        if (loop) loop->addRef();
    }
    tresult V3_API queryInterface(const TUID id, void** obj) override;
    // Recorded; then, as a host does, `onResize` (where set) resizes the
    // window that holds the view and tells the view with onSize. A frame
    // that `refuses` answers kResultFalse and does neither.
    tresult V3_API resizeView(IPlugView* view, ViewRect* rect) override {
        if (!rect) return kInvalidArgument;
        resizes.push_back(*rect);
        if (refuses) return kResultFalse;
        if (onResize) onResize(*rect);
        if (view) view->onSize(rect);
        return kResultOk;
    }
    std::vector<ViewRect> resizes;
    std::function<void(const ViewRect&)> onResize;
    bool refuses = false;

private:
    ~PlugFrame() override {
        if (loop) loop->release();
    }
    TestRunLoop* loop;
};

class ComponentHandler final : public Counted<IComponentHandler> {
public:
    struct Call {
        char kind;  // 'b'egin, 'p'erform, 'e'nd, 'r'estart
        ParamID id;
        double value;
    };
    tresult V3_API queryInterface(const TUID id, void** obj) override {
        return answer(id, obj, IComponentHandler::iid);
    }
    tresult V3_API beginEdit(ParamID id) override { return record('b', id, 0); }
    tresult V3_API performEdit(ParamID id, ParamValue value) override { return record('p', id, value); }
    tresult V3_API endEdit(ParamID id) override { return record('e', id, 0); }
    tresult V3_API restartComponent(int32 flags) override { return record('r', 0, flags); }
    std::vector<Call> calls;

private:
    tresult record(char kind, ParamID id, double value) {
        calls.push_back({kind, id, value});
        return kResultOk;
    }
};

// The host's content scale for a view, as hosts set it; kNoInterface for a
// view without IPlugViewContentScaleSupport.
inline tresult setContentScale(IPlugView* view, float factor) {
    IPlugViewContentScaleSupport* scale = query<IPlugViewContentScaleSupport>(view);
    if (!scale) return kNoInterface;
    const tresult result = scale->setContentScaleFactor(factor);
    scale->release();
    return result;
}

}  // namespace v3host
