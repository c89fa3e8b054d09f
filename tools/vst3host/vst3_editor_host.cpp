// The run loop and the frame of the host's editor side.
#include "tools/vst3host/vst3_editor_host.h"

#ifndef _WIN32
#include <poll.h>
#endif

namespace v3host {

tresult TestRunLoop::registerEventHandler(IEventHandler* handler, int fd) {
    calls++;
    if (refuses) return kNotImplemented;
    if (!handler || fd < 0) return kInvalidArgument;
    handler->addRef();
    handlers.push_back({handler, fd});
    return kResultOk;
}

tresult TestRunLoop::unregisterEventHandler(IEventHandler* handler) {
    calls++;
    if (refuses) return kNotImplemented;
    for (size_t i = 0; i < handlers.size(); i++) {
        if (handlers[i].first != handler) continue;
        handlers.erase(handlers.begin() + (long)i);
        handler->release();
        return kResultOk;
    }
    return kInvalidArgument;
}

tresult TestRunLoop::registerTimer(ITimerHandler* handler, uint64 milliseconds) {
    calls++;
    if (refuses) return kNotImplemented;
    if (!handler || milliseconds == 0) return kInvalidArgument;
    handler->addRef();
    timers.push_back({handler, milliseconds});
    return kResultOk;
}

tresult TestRunLoop::unregisterTimer(ITimerHandler* handler) {
    calls++;
    if (refuses) return kNotImplemented;
    for (size_t i = 0; i < timers.size(); i++) {
        if (timers[i].first != handler) continue;
        timers.erase(timers.begin() + (long)i);
        handler->release();
        return kResultOk;
    }
    return kInvalidArgument;
}

// A handler may unregister itself or another while called: each is called
// only while still registered, from a copy of the lists.
void TestRunLoop::dispatch() {
    std::vector<std::pair<IEventHandler*, int>> ready;
#ifndef _WIN32  // Windows hosts' frames bring no run loop: nothing registers a descriptor there
    for (const auto& h : handlers) {
        pollfd p{h.second, POLLIN, 0};
        if (poll(&p, 1, 0) == 1 && (p.revents & POLLIN)) ready.push_back(h);
    }
#endif
    auto stillHas = [](const auto& list, const auto& entry) {
        for (const auto& e : list)
            if (e == entry) return true;
        return false;
    };
    for (const auto& h : ready)
        if (stillHas(handlers, h)) h.first->onFDIsSet(h.second);
    const std::vector<std::pair<ITimerHandler*, uint64>> due = timers;
    for (const auto& t : due)
        if (stillHas(timers, t)) t.first->onTimer();
}

TestRunLoop::~TestRunLoop() {
    for (auto& h : handlers) h.first->release();
    for (auto& t : timers) t.first->release();
}

tresult PlugFrame::queryInterface(const TUID id, void** obj) {
    if (obj && loop && sameUid(id, IRunLoop::iid)) {
        loop->addRef();
        *obj = static_cast<IRunLoop*>(loop);
        return kResultOk;
    }
    return answer(id, obj, IPlugFrame::iid);
}

}  // namespace v3host
