#include "gui/x11/x11_errors.h"

#include <atomic>

namespace VSTGUI {

namespace {

// Connections are few (one per open editor); a fixed table read from any
// thread, written by the window threads.
constexpr int kMaxWatched = 64;
std::atomic<Display*> watched[kMaxWatched];
std::atomic<bool> failed[kMaxWatched];

XErrorHandler previousHandler = nullptr;
std::atomic<bool> installed(false);

int slotOf(Display* display) {
    for (int i = 0; i < kMaxWatched; ++i)
        if (watched[i].load(std::memory_order_acquire) == display) return i;
    return -1;
}

int onError(Display* display, XErrorEvent* error) {
    const int slot = slotOf(display);
    if (slot >= 0) {
        failed[slot].store(true, std::memory_order_release);
        return 0;
    }
    return previousHandler ? previousHandler(display, error) : 0;
}

}  // namespace

void watchDisplayErrors(Display* display) {
    if (!display) return;
    // Installed once and left in place: a host that set its own handler
    // after ours must not lose it when an editor closes.
    if (!installed.exchange(true)) previousHandler = XSetErrorHandler(onError);
    for (int i = 0; i < kMaxWatched; ++i) {
        Display* expected = nullptr;
        if (watched[i].compare_exchange_strong(expected, display)) {
            failed[i].store(false);
            return;
        }
    }
}

void forgetDisplayErrors(Display* display) {
    const int slot = slotOf(display);
    if (slot >= 0) watched[slot].store(nullptr, std::memory_order_release);
}

bool takeDisplayError(Display* display) {
    const int slot = slotOf(display);
    return slot >= 0 && failed[slot].exchange(false);
}

}  // namespace VSTGUI
