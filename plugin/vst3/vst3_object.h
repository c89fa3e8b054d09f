// Helpers the module's objects share: the reference count, the FUnknown
// side and the strings.
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

// The FUnknown side the module's objects share: the count, and the tail of
// queryInterface. The object's own queryInterface picks the interface for
// an ID and hands it out through `handOut`.
template <class... Interfaces>
class Object : public Interfaces... {
public:
    uint32 V3_API addRef() override { return refs.add(); }
    uint32 V3_API release() override {
        uint32 left;
        if (refs.drop(&left)) delete this;
        return left;
    }

protected:
    virtual ~Object() = default;
    // `found`: the interface asked for, or null when the object has none.
    tresult handOut(void* found, void** obj) {
        *obj = found;
        if (!found) return kNoInterface;
        refs.add();
        return kResultOk;
    }

private:
    RefCount refs;
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
