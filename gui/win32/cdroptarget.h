// The OLE drop target registered for a frame's window: turns the platform's
// drag notifications into the toolkit's drag events on the frame.
#pragma once

#include <windows.h>
#include <ole2.h>

namespace VSTGUI {

class CFrame;

class CDropTarget : public IDropTarget {
public:
    // Starts with no reference: registering it gives the platform the one that
    // keeps it alive.
    explicit CDropTarget(CFrame* frame);

    STDMETHODIMP QueryInterface(REFIID iid, void** object) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;
    STDMETHODIMP DragEnter(IDataObject* dataObject, DWORD keyState, POINTL point, DWORD* effect) override;
    STDMETHODIMP DragOver(DWORD keyState, POINTL point, DWORD* effect) override;
    STDMETHODIMP DragLeave() override;
    STDMETHODIMP Drop(IDataObject* dataObject, DWORD keyState, POINTL point, DWORD* effect) override;

    virtual ~CDropTarget();

    CFrame* getFrame() const { return frame; }
    // The frame lets go of the target before revoking it: the platform may
    // still hold references while a drag is running.
    void detachFrame() { frame = nullptr; }

private:
    LONG refCount;
    CFrame* frame;
};

class CDragContainer;

// The payload of the drag now over a frame window, or empty. It holds the
// container's only reference.
CDragContainer* currentDragContainer();

}  // namespace VSTGUI
