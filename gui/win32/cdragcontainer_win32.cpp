#include "gui/cdragcontainer.h"

#include <windows.h>
#include <ole2.h>
#include <shellapi.h>

namespace VSTGUI {

namespace {

bool fetch(IDataObject* data, CLIPFORMAT format, STGMEDIUM& medium) {
    FORMATETC request = {format, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    return SUCCEEDED(data->GetData(&request, &medium));
}

}  // namespace

CDragContainer::CDragContainer(void* platformDrag) : dataObject(platformDrag), itemCount(0) {
    IDataObject* data = static_cast<IDataObject*>(platformDrag);
    if (!data) return;
    // The media are only looked at here, so they are given back at once.
    STGMEDIUM medium = {};
    if (fetch(data, CF_TEXT, medium)) {
        itemCount = 1;
        ReleaseStgMedium(&medium);
        return;
    }
    medium = STGMEDIUM();
    if (fetch(data, CF_HDROP, medium)) {
        if (medium.tymed == TYMED_HGLOBAL && medium.hGlobal)
            itemCount = (int32_t)DragQueryFileA(static_cast<HDROP>(medium.hGlobal), 0xFFFFFFFF, nullptr, 0);
        ReleaseStgMedium(&medium);
    }
}

CDragContainer::~CDragContainer() {}

}  // namespace VSTGUI
