#include "gui/win32/cdroptarget.h"

#include "gui/cdragcontainer.h"
#include "gui/cframe.h"

namespace VSTGUI {

namespace {

CDragContainer* currentDrag = nullptr;

void dropCurrentDrag() {
    if (currentDrag) currentDrag->release();
    currentDrag = nullptr;
}

// A drawing context and the pointer for one drag event. The pointer is read
// as the frame sees it now; the platform's screen point is not used.
struct DragEvent {
    explicit DragEvent(CFrame* frame) : context(frame->createDrawContext()) { frame->getMouseLocation(context, where); }
    ~DragEvent() { context->release(); }
    DragEvent(const DragEvent&) = delete;
    DragEvent& operator=(const DragEvent&) = delete;

    CDrawContext* context;
    CPoint where;
};

}  // namespace

CDragContainer* currentDragContainer() { return currentDrag; }

CDropTarget::CDropTarget(CFrame* frame) : refCount(0), frame(frame) {}

CDropTarget::~CDropTarget() {}

STDMETHODIMP CDropTarget::QueryInterface(REFIID iid, void** object) {
    if (!object) return E_POINTER;
    if (IsEqualGUID(iid, IID_IDropTarget) || IsEqualGUID(iid, IID_IUnknown)) {
        *object = static_cast<IDropTarget*>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

STDMETHODIMP_(ULONG) CDropTarget::AddRef() { return (ULONG)++refCount; }

STDMETHODIMP_(ULONG) CDropTarget::Release() {
    LONG count = --refCount;
    if (count > 0) return (ULONG)count;
    delete this;
    return 0;
}

STDMETHODIMP CDropTarget::DragEnter(IDataObject* dataObject, DWORD, POINTL, DWORD* effect) {
    if (!dataObject || !frame) {
        if (effect) *effect = DROPEFFECT_NONE;
        return S_OK;
    }
    // An enter without a leave before it must not strand the earlier payload.
    dropCurrentDrag();
    currentDrag = new CDragContainer(dataObject);
    {
        DragEvent event(frame);
        frame->onDragEnter(event.context, currentDrag, event.where);
    }
    if (effect) *effect = DROPEFFECT_MOVE;
    return S_OK;
}

STDMETHODIMP CDropTarget::DragOver(DWORD, POINTL, DWORD* effect) {
    if (!currentDrag || !frame) return S_OK;
    {
        DragEvent event(frame);
        frame->onDragMove(event.context, currentDrag, event.where);
    }
    if (effect) *effect = DROPEFFECT_MOVE;
    return S_OK;
}

STDMETHODIMP CDropTarget::DragLeave() {
    if (!currentDrag || !frame) return S_OK;
    {
        DragEvent event(frame);
        frame->onDragLeave(event.context, currentDrag, event.where);
    }
    dropCurrentDrag();
    return S_OK;
}

STDMETHODIMP CDropTarget::Drop(IDataObject*, DWORD, POINTL, DWORD*) {
    if (!currentDrag || !frame) return S_OK;
    {
        DragEvent event(frame);
        frame->onDrop(event.context, currentDrag, event.where);
    }
    dropCurrentDrag();
    return S_OK;
}

}  // namespace VSTGUI
