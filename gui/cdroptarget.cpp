#include "gui/cdroptarget.h"

#include "gui/cdragcontainer.h"
#include "gui/cframe.h"

namespace VSTGUI {

namespace {

CDragContainer* currentDrag = nullptr;

void dropCurrentDrag() {
    if (currentDrag) currentDrag->release();
    currentDrag = nullptr;
}

// Drag events carry the pointer as the frame sees it now; the platform's
// screen point is not used.
template <typename Event>
void sendToFrame(CFrame* frame, Event event) {
    CDrawContext* context = frame->createDrawContext();
    CPoint where;
    frame->getMouseLocation(context, where);
    event(context, where);
    context->release();
}

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
    CDragContainer* drag = currentDrag;
    CFrame* target = frame;
    sendToFrame(target, [=](CDrawContext* context, const CPoint& where) { target->onDragEnter(context, drag, where); });
    if (effect) *effect = DROPEFFECT_MOVE;
    return S_OK;
}

STDMETHODIMP CDropTarget::DragOver(DWORD, POINTL, DWORD* effect) {
    if (!currentDrag || !frame) return S_OK;
    CDragContainer* drag = currentDrag;
    CFrame* target = frame;
    sendToFrame(target, [=](CDrawContext* context, const CPoint& where) { target->onDragMove(context, drag, where); });
    if (effect) *effect = DROPEFFECT_MOVE;
    return S_OK;
}

STDMETHODIMP CDropTarget::DragLeave() {
    if (!currentDrag || !frame) return S_OK;
    CDragContainer* drag = currentDrag;
    CFrame* target = frame;
    sendToFrame(target, [=](CDrawContext* context, const CPoint& where) { target->onDragLeave(context, drag, where); });
    dropCurrentDrag();
    return S_OK;
}

STDMETHODIMP CDropTarget::Drop(IDataObject*, DWORD, POINTL, DWORD*) {
    if (!currentDrag || !frame) return S_OK;
    CDragContainer* drag = currentDrag;
    CFrame* target = frame;
    sendToFrame(target, [=](CDrawContext* context, const CPoint& where) { target->onDrop(context, drag, where); });
    dropCurrentDrag();
    return S_OK;
}

}  // namespace VSTGUI
