// Shared base of every reference-counted toolkit object.
//
// Whoever creates an object holds its first reference; anyone who keeps a
// pointer beyond a call retains it and releases it when done.
#pragma once

#include <cstdint>

namespace VSTGUI {

class CReferenceCounter {
public:
    CReferenceCounter() : refCount(1) {}
    virtual ~CReferenceCounter() {}

    virtual void release() {
        if (--refCount == 0) delete this;
    }
    virtual void retain() { ++refCount; }

    int32_t getNbReference() const { return refCount; }

protected:
    CReferenceCounter(const CReferenceCounter&) = delete;
    CReferenceCounter& operator=(const CReferenceCounter&) = delete;

    int32_t refCount;
};

}  // namespace VSTGUI
