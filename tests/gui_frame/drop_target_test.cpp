// The frame's OLE drop target: its COM answers and reference counting, its
// registration for the frame's window, and drags of files and of text
// reaching the views under the pointer in the order the pointer visits them.
#include <gtest/gtest.h>

#include <shlobj.h>

#include <cstring>

#include "gui/cdragcontainer.h"
#include "gui/win32/cdroptarget.h"
#include "gui/win32/platform_input.h"
#include "tests/gui_frame/frame_test_support.h"

using namespace frametest;

namespace {

// Counts the references of whatever it is handed to, and is the releaser of
// the media the data object gives out, so that their return can be seen.
class MediumReleaser : public IUnknown {
public:
    STDMETHODIMP QueryInterface(REFIID iid, void** object) override {
        if (IsEqualGUID(iid, IID_IUnknown)) {
            *object = this;
            AddRef();
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ++references; }
    STDMETHODIMP_(ULONG) Release() override { return --references; }
    LONG references = 0;
};

// A data object of our own offering text, a list of files, both or nothing.
class TestDataObject : public IDataObject {
public:
    std::string text;                // offered as CF_TEXT when not empty
    std::vector<std::string> files;  // offered as CF_HDROP when not empty
    MediumReleaser releaser;
    int requests = 0;

    STDMETHODIMP QueryInterface(REFIID iid, void** object) override {
        if (IsEqualGUID(iid, IID_IUnknown) || IsEqualGUID(iid, IID_IDataObject)) {
            *object = this;
            AddRef();
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ++references; }
    STDMETHODIMP_(ULONG) Release() override { return --references; }

    STDMETHODIMP GetData(FORMATETC* format, STGMEDIUM* medium) override {
        ++requests;
        if (!(format->tymed & TYMED_HGLOBAL) || format->dwAspect != DVASPECT_CONTENT || format->lindex != -1)
            return DV_E_FORMATETC;
        HGLOBAL memory = nullptr;
        if (format->cfFormat == CF_TEXT && !text.empty()) {
            memory = GlobalAlloc(GMEM_MOVEABLE, text.size() + 1);
            std::memcpy(GlobalLock(memory), text.c_str(), text.size() + 1);
            GlobalUnlock(memory);
        } else if (format->cfFormat == CF_HDROP && !files.empty()) {
            size_t bytes = sizeof(DROPFILES) + 1;
            for (const std::string& f : files) bytes += f.size() + 1;
            memory = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, bytes);
            char* base = static_cast<char*>(GlobalLock(memory));
            DROPFILES* header = reinterpret_cast<DROPFILES*>(base);
            header->pFiles = sizeof(DROPFILES);
            header->fWide = FALSE;
            char* name = base + sizeof(DROPFILES);
            for (const std::string& f : files) {
                std::memcpy(name, f.c_str(), f.size() + 1);
                name += f.size() + 1;
            }
            GlobalUnlock(memory);
        } else {
            return DV_E_FORMATETC;
        }
        medium->tymed = TYMED_HGLOBAL;
        medium->hGlobal = memory;
        // The releaser stands for the caller's duty to give the medium back.
        medium->pUnkForRelease = &releaser;
        releaser.AddRef();
        givenOut.push_back(memory);
        return S_OK;
    }
    STDMETHODIMP GetDataHere(FORMATETC*, STGMEDIUM*) override { return E_NOTIMPL; }
    STDMETHODIMP QueryGetData(FORMATETC*) override { return E_NOTIMPL; }
    STDMETHODIMP GetCanonicalFormatEtc(FORMATETC*, FORMATETC* out) override {
        out->ptd = nullptr;
        return E_NOTIMPL;
    }
    STDMETHODIMP SetData(FORMATETC*, STGMEDIUM*, BOOL) override { return E_NOTIMPL; }
    STDMETHODIMP EnumFormatEtc(DWORD, IEnumFORMATETC**) override { return E_NOTIMPL; }
    STDMETHODIMP DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) override { return OLE_E_ADVISENOTSUPPORTED; }
    STDMETHODIMP DUnadvise(DWORD) override { return OLE_E_ADVISENOTSUPPORTED; }
    STDMETHODIMP EnumDAdvise(IEnumSTATDATA**) override { return OLE_E_ADVISENOTSUPPORTED; }

    ~TestDataObject() {
        for (HGLOBAL memory : givenOut) GlobalFree(memory);
    }

    LONG references = 1;
    std::vector<HGLOBAL> givenOut;
};

class CountedDropTarget : public CDropTarget {
public:
    CountedDropTarget(CFrame* frame, bool* destroyed) : CDropTarget(frame), destroyed(destroyed) {}
    ~CountedDropTarget() override { *destroyed = true; }
    bool* destroyed;
};

// Frame with two views side by side and its registered drop target.
struct DragRig {
    EventLog log;
    HostWindow host{300, 200};
    TestFrame frame{CRect(0, 0, 300, 200), host.parent()};
    RecordingView* left = new RecordingView(CRect(0, 0, 100, 100), "left", &log);
    RecordingView* right = new RecordingView(CRect(150, 0, 250, 100), "right", &log);
    ScriptedInput input;
    RECT bounds;

    DragRig() {
        frame.addView(left);
        frame.addView(right);
        GetWindowRect(static_cast<HWND>(frame.getSystemWindow()), &bounds);
        setPlatformInput(&input);
    }
    ~DragRig() { setPlatformInput(nullptr); }
    IDropTarget* target() { return frame.dropTarget; }
    // The next pointer read gives this frame position.
    void pointerAt(int x, int y) {
        input.clear();
        input.add(CPoint(bounds.left + x, bounds.top + y));
    }
};

const POINTL kUnusedPoint = {-1000, -1000};

}  // namespace

TEST(DropTargetCom, QueryInterfaceAndReferenceCounting) {
    bool destroyed = false;
    CountedDropTarget* target = new CountedDropTarget(nullptr, &destroyed);
    IDropTarget* asInterface = target;
    EXPECT_EQ(1u, asInterface->AddRef());
    EXPECT_EQ(2u, asInterface->AddRef());
    EXPECT_EQ(1u, asInterface->Release());

    void* answer = nullptr;
    EXPECT_EQ(S_OK, asInterface->QueryInterface(IID_IUnknown, &answer));
    EXPECT_EQ(static_cast<void*>(asInterface), answer);
    EXPECT_EQ(S_OK, asInterface->QueryInterface(IID_IDropTarget, &answer));
    EXPECT_EQ(static_cast<void*>(asInterface), answer);
    EXPECT_EQ(2u, asInterface->Release());  // each query took a reference

    answer = reinterpret_cast<void*>(0x1234);
    EXPECT_EQ(E_NOINTERFACE, asInterface->QueryInterface(IID_IDataObject, &answer));
    EXPECT_EQ(nullptr, answer);
    answer = reinterpret_cast<void*>(0x1234);
    EXPECT_EQ(E_NOINTERFACE, asInterface->QueryInterface(IID_IDropSource, &answer));
    EXPECT_EQ(nullptr, answer);
    EXPECT_EQ(3u, asInterface->AddRef());  // unchanged by the refused queries
    EXPECT_EQ(2u, asInterface->Release());
    EXPECT_EQ(1u, asInterface->Release());
    EXPECT_FALSE(destroyed);
    EXPECT_EQ(0u, asInterface->Release());
    EXPECT_TRUE(destroyed);
}

TEST(DropTargetCom, WithoutFrameOrDataADragIsRefusedAndTheRestDoesNothing) {
    TestDataObject data;
    data.text = "hello";
    CDropTarget* orphan = new CDropTarget(nullptr);
    orphan->AddRef();
    DWORD effect = DROPEFFECT_COPY | DROPEFFECT_MOVE;
    EXPECT_EQ(S_OK, orphan->DragEnter(&data, MK_LBUTTON, kUnusedPoint, &effect));
    EXPECT_EQ((DWORD)DROPEFFECT_NONE, effect);
    EXPECT_EQ(nullptr, currentDragContainer());
    effect = DROPEFFECT_COPY;
    EXPECT_EQ(S_OK, orphan->DragOver(0, kUnusedPoint, &effect));
    EXPECT_EQ((DWORD)DROPEFFECT_COPY, effect);
    EXPECT_EQ(S_OK, orphan->DragLeave());
    EXPECT_EQ(S_OK, orphan->Drop(&data, 0, kUnusedPoint, &effect));
    orphan->Release();

    DragRig rig;
    effect = DROPEFFECT_MOVE;
    EXPECT_EQ(S_OK, rig.target()->DragEnter(nullptr, 0, kUnusedPoint, &effect));
    EXPECT_EQ((DWORD)DROPEFFECT_NONE, effect);
    // Without an enter before them the other notifications do nothing.
    rig.pointerAt(10, 10);
    effect = DROPEFFECT_LINK;
    EXPECT_EQ(S_OK, rig.target()->DragOver(0, kUnusedPoint, &effect));
    EXPECT_EQ((DWORD)DROPEFFECT_LINK, effect);
    EXPECT_EQ(S_OK, rig.target()->DragLeave());
    EXPECT_EQ(S_OK, rig.target()->Drop(&data, 0, kUnusedPoint, &effect));
    EXPECT_TRUE(rig.log.lines.empty());
    EXPECT_EQ(0, data.requests);
}

TEST(DropTargetRegistration, TheFrameWindowHasOneRegisteredTargetWhileDropIsActive) {
    HostWindow host(200, 100);
    TestFrame* frame = new TestFrame(CRect(0, 0, 200, 100), host.parent());
    HWND window = static_cast<HWND>(frame->getSystemWindow());
    ASSERT_TRUE(frame->isDropActive());
    CDropTarget* registered = frame->dropTarget;
    ASSERT_NE(nullptr, registered);
    EXPECT_EQ(frame, registered->getFrame());

    bool destroyed = false;
    CountedDropTarget* other = new CountedDropTarget(nullptr, &destroyed);
    other->AddRef();
    EXPECT_EQ(DRAGDROP_E_ALREADYREGISTERED, RegisterDragDrop(window, other));

    // Switching dropping off revokes the registration; on again gives a new target.
    registered->AddRef();  // keep it to look at
    EXPECT_TRUE(frame->setDropActive(false));
    EXPECT_FALSE(frame->isDropActive());
    EXPECT_EQ(nullptr, frame->dropTarget);
    EXPECT_EQ(nullptr, registered->getFrame());
    EXPECT_EQ(0u, registered->Release());  // the platform gave back every reference
    EXPECT_EQ(S_OK, RegisterDragDrop(window, other));
    EXPECT_EQ(S_OK, RevokeDragDrop(window));
    EXPECT_TRUE(frame->setDropActive(true));
    ASSERT_NE(nullptr, frame->dropTarget);
    EXPECT_EQ(DRAGDROP_E_ALREADYREGISTERED, RegisterDragDrop(window, other));

    // Deleting the frame revokes its target and destroys it.
    CDropTarget* last = frame->dropTarget;
    last->AddRef();
    delete frame;
    EXPECT_EQ(nullptr, last->getFrame());
    EXPECT_EQ(0u, last->Release());
    EXPECT_EQ(0u, other->Release());
    EXPECT_TRUE(destroyed);
}

TEST(DragAndDrop, ThreeFilesDroppedOnTheSecondViewAfterPassingTheFirst) {
    DragRig rig;
    TestDataObject data;
    data.files = {"C:\\one.wav", "C:\\two.wav", "C:\\three.wav"};
    DWORD effect = DROPEFFECT_COPY | DROPEFFECT_MOVE | DROPEFFECT_LINK;

    rig.pointerAt(10, 20);
    EXPECT_EQ(S_OK, rig.target()->DragEnter(&data, MK_LBUTTON, kUnusedPoint, &effect));
    EXPECT_EQ((DWORD)DROPEFFECT_MOVE, effect);
    ASSERT_NE(nullptr, currentDragContainer());
    EXPECT_EQ(3, currentDragContainer()->getCount());
    EXPECT_EQ(&data, currentDragContainer()->getPlatformDrag());
    // The medium was asked for, used and given back.
    EXPECT_EQ(0, data.releaser.references);

    rig.pointerAt(30, 40);
    effect = DROPEFFECT_COPY;
    EXPECT_EQ(S_OK, rig.target()->DragOver(MK_LBUTTON, kUnusedPoint, &effect));
    EXPECT_EQ((DWORD)DROPEFFECT_MOVE, effect);
    rig.pointerAt(160, 50);
    rig.target()->DragOver(MK_LBUTTON, kUnusedPoint, &effect);
    rig.pointerAt(170, 60);
    effect = DROPEFFECT_COPY;
    EXPECT_EQ(S_OK, rig.target()->Drop(&data, 0, kUnusedPoint, &effect));
    EXPECT_EQ((DWORD)DROPEFFECT_COPY, effect);  // left as the platform passed it

    EXPECT_EQ(
        "left enter 10,20 items 3; left move 30,40; left leave 160,50; right enter 160,50 items 3; "
        "right drop 170,60 items 3; right leave 170,60",
        rig.log.joined());
    EXPECT_EQ(nullptr, currentDragContainer());
    EXPECT_EQ(1, data.references);  // the toolkit holds no reference on the data object
}

TEST(DragAndDrop, TextPassingBothViewsAndLeavingIsNoDrop) {
    DragRig rig;
    TestDataObject data;
    data.text = "a line of text";
    data.files = {"C:\\also.wav"};  // text wins over a file list
    DWORD effect = DROPEFFECT_MOVE;
    rig.pointerAt(50, 50);
    rig.target()->DragEnter(&data, 0, kUnusedPoint, &effect);
    EXPECT_EQ(1, currentDragContainer()->getCount());
    rig.pointerAt(200, 50);
    rig.target()->DragOver(0, kUnusedPoint, &effect);
    rig.pointerAt(200, 150);  // below both views
    rig.target()->DragOver(0, kUnusedPoint, &effect);
    rig.target()->DragLeave();
    EXPECT_EQ("left enter 50,50 items 1; left leave 200,50; right enter 200,50 items 1; right leave 200,150",
              rig.log.joined());
    EXPECT_EQ(nullptr, currentDragContainer());
    EXPECT_EQ(0, data.releaser.references);
}

TEST(DragAndDrop, APayloadOfNeitherKindCountsNoItemsAndAReEnterReplacesThePayload) {
    DragRig rig;
    TestDataObject empty;
    TestDataObject text;
    text.text = "x";
    DWORD effect = DROPEFFECT_MOVE;
    rig.pointerAt(260, 150);  // over no view
    rig.target()->DragEnter(&empty, 0, kUnusedPoint, &effect);
    EXPECT_EQ((DWORD)DROPEFFECT_MOVE, effect);
    ASSERT_NE(nullptr, currentDragContainer());
    EXPECT_EQ(0, currentDragContainer()->getCount());
    EXPECT_EQ(2, empty.requests);  // text, then a file list

    rig.target()->DragEnter(&text, 0, kUnusedPoint, &effect);
    EXPECT_EQ(1, currentDragContainer()->getCount());
    EXPECT_EQ(&text, currentDragContainer()->getPlatformDrag());
    rig.target()->Drop(&text, 0, kUnusedPoint, &effect);
    EXPECT_EQ(nullptr, currentDragContainer());
    EXPECT_TRUE(rig.log.lines.empty());
}
