// Helpers the module's objects share: the reference count and the strings.
#pragma once

#include <atomic>
#include <cstddef>

#include "plugin/vst3/vst3_abi.h"

namespace v3 {

// A reference count for an object that deletes itself at zero.
class RefCount {
public:
    uint32 add() { return ++count; }
    // True when the last reference went.
    bool drop(uint32* left) {
        uint32 now = --count;
        *left = now;
        return now == 0;
    }

private:
    std::atomic<uint32> count{1};
};

// An 8-bit text into a zero-terminated UTF-16 field of `size` units, cut to
// fit; our texts are ASCII.
inline void copyText16(char16* to, size_t size, const char* from) {
    size_t i = 0;
    for (; from && from[i] && i + 1 < size; i++) to[i] = (char16)(unsigned char)from[i];
    to[i] = 0;
}

inline void copyText8(char8* to, size_t size, const char* from) {
    size_t i = 0;
    for (; from && from[i] && i + 1 < size; i++) to[i] = from[i];
    to[i] = 0;
}

}  // namespace v3
