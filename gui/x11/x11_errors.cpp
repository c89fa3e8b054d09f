#include "gui/x11/x11_errors.h"

#include <atomic>

// Last: it defines macros (min, max) that the standard headers would trip on.
#include <X11/Xlibint.h>

namespace VSTGUI {

namespace {

// Xlib hands an error to two per-connection hooks before its process-wide
// handler, and each can keep it there:
// - the error procedure of an extension registered on the connection
//   (XESetError), asked only for errors read while a reply is awaited
//   (XSync, XGetWindowAttributes and other round trips);
// - the wire-to-error procedure of the error's code (XESetWireToError),
//   asked for every error, also those read by XPending and XFlush.
// Both go with the connection when it closes.
constexpr int kFirstErrorCode = 1;
constexpr int kLastErrorCode = 255;

// Connections are few (one per open editor); a fixed table read from any
// thread, written by the window threads.
constexpr int kMaxWatched = 64;
std::atomic<Display*> watched[kMaxWatched];
std::atomic<bool> failed[kMaxWatched];

int slotOf(Display* display) {
    for (int i = 0; i < kMaxWatched; ++i)
        if (watched[i].load(std::memory_order_acquire) == display) return i;
    return -1;
}

void noteError(Display* display) {
    const int slot = slotOf(display);
    if (slot >= 0) failed[slot].store(true, std::memory_order_release);
}

// Non-zero: the error is handled, and the awaited reply fails.
int onErrorAwaitingReply(Display* display, xError*, XExtCodes*, int* result) {
    noteError(display);
    *result = 0;
    return 1;
}

// False: the error goes no further.
Bool onAnyError(Display* display, XErrorEvent*, xError*) {
    noteError(display);
    return False;
}

}  // namespace

void watchDisplayErrors(Display* display) {
    if (!display) return;
    for (int i = 0; i < kMaxWatched; ++i) {
        Display* expected = nullptr;
        if (watched[i].compare_exchange_strong(expected, display)) {
            failed[i].store(false);
            break;
        }
    }
    // Without a free slot the errors are still kept from the host; only the
    // flag is not kept.
    if (XExtCodes* codes = XAddExtension(display)) XESetError(display, codes->extension, onErrorAwaitingReply);
    for (int code = kFirstErrorCode; code <= kLastErrorCode; ++code) XESetWireToError(display, code, onAnyError);
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
