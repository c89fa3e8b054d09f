// The payload of a drag from another application, as the views see it.
#pragma once

#include <cstdint>

#include "gui/creferencecounter.h"

namespace VSTGUI {

class CDragContainer : public CReferenceCounter {
public:
    // platformDrag: the drag's IDataObject (not reference-counted here).
    explicit CDragContainer(void* platformDrag);
    ~CDragContainer() override;

    void* getPlatformDrag() const { return dataObject; }
    int32_t getCount() const { return itemCount; }

protected:
    void* dataObject;
    int32_t itemCount;
};

}  // namespace VSTGUI
