// The editor's view: SDEditor behind IPlugView, at the size of its scale,
// talking to the controller through ViewController and getting its time from
// the platform's part. Every call comes on the UI thread.
#include "plugin/vst3/vst3_view.h"

#include <cstring>
#include <memory>
#include <new>

#include "editor/editor_host.h"
#include "editor/sdeditor.h"
#include "plugin/vst3/vst3_object.h"
#include "plugin/vst3/vst3_view_platform.h"

namespace v3 {
namespace {

class Vst3View final : public Object<IPlugView, IPlugViewContentScaleSupport>,
                       private EditorHost,
                       private EditorView,
                       private ViewIdle {
public:
    Vst3View(ViewController& controller, FUnknown* owner) : controller(controller), owner(owner), editor(this) {
        owner->addRef();
    }

    tresult V3_API queryInterface(const TUID id, void** obj) override {
        if (!obj) return kInvalidArgument;
        void* found = nullptr;
        if (sameUid(id, FUnknown::iid) || sameUid(id, IPlugView::iid))
            found = static_cast<IPlugView*>(this);
        else if (sameUid(id, IPlugViewContentScaleSupport::iid))
            found = static_cast<IPlugViewContentScaleSupport*>(this);
        return handOut(found, obj);
    }

    tresult V3_API isPlatformTypeSupported(FIDString type) override {
        return type && std::strcmp(type, ViewPlatform::type()) == 0 ? kResultTrue : kResultFalse;
    }
    // Hosts set the frame before or after attached(); the editor's time
    // comes with it (see setFrame).
    tresult V3_API attached(void* parent, FIDString type) override {
        if (platform || !parent || isPlatformTypeSupported(type) != kResultTrue) return kResultFalse;
        platform.reset(ViewPlatform::attach(editor, parent, frame, *this));
        if (!platform) return kResultFalse;
        std::memset(shownKeys, 0, sizeof shownKeys);
        controller.viewOpened(this);
        return kResultOk;
    }
    tresult V3_API removed() override {
        if (!platform) return kResultFalse;
        controller.viewClosed(this);
        platform.reset();
        return kResultOk;
    }
    tresult V3_API onWheel(float distance) override {
        return platform && editor.onWheel(distance) ? kResultTrue : kResultFalse;
    }
    // The editor uses no keys: the host keeps them for its shortcuts.
    tresult V3_API onKeyDown(char16, int16, int16) override { return kResultFalse; }
    tresult V3_API onKeyUp(char16, int16, int16) override { return kResultFalse; }
    tresult V3_API getSize(ViewRect* size) override {
        if (!size) return kInvalidArgument;
        *size = editorSize();
        return kResultOk;
    }
    // The window keeps the size of its scale: only that size is taken.
    tresult V3_API onSize(ViewRect* size) override {
        if (!size) return kInvalidArgument;
        const ViewRect own = editorSize();
        const bool same = size->right - size->left == own.right && size->bottom - size->top == own.bottom;
        return same ? kResultOk : kResultFalse;
    }
    tresult V3_API onFocus(TBool) override { return kResultOk; }
    tresult V3_API setFrame(IPlugFrame* newFrame) override {
        if (newFrame) newFrame->addRef();
        if (frame) frame->release();
        frame = newFrame;
        if (platform) platform->frameChanged(frame);
        return kResultOk;
    }
    tresult V3_API canResize() override { return kResultFalse; }
    tresult V3_API checkSizeConstraint(ViewRect* rect) override {
        if (!rect) return kInvalidArgument;
        const ViewRect own = editorSize();
        rect->right = rect->left + own.right;
        rect->bottom = rect->top + own.bottom;
        return kResultTrue;
    }

    // The host's word on the scale, rounded to the nearest the editor draws
    // at; a factor that says nothing (NaN, zero, negative) is refused. An
    // attached editor asks for its new size through resizeView.
    tresult V3_API setContentScaleFactor(float factor) override {
        if (!(factor > 0.f) || !(factor < 1.0e6f)) return kResultFalse;
        editor.setHostScale(factor);
        return kResultTrue;
    }

private:
    ~Vst3View() override {
        removed();
        setFrame(nullptr);
        owner->release();
    }

    ViewRect editorSize() {
        EditorRect* rect = nullptr;
        ViewRect size{0, 0, 0, 0};
        if (editor.getRect(&rect) && rect) {
            size.right = rect->right - rect->left;
            size.bottom = rect->bottom - rect->top;
        }
        return size;
    }

    // EditorHost: the editor's requests.
    float parameterValue(int32_t index) override { return controller.parameterValue(index); }
    void beginEdit(int32_t index) override { controller.beginEdit(index); }
    void performEdit(int32_t index, float value) override { controller.performEdit(index, value); }
    void endEdit(int32_t index) override { controller.endEdit(index); }
    void playKey(int32_t key, float value) override { controller.playKey(key, value != 0.f); }
    bool resizeWindow(int32_t width, int32_t height) override {
        if (!frame) return false;
        ViewRect size{0, 0, width, height};
        return frame->resizeView(this, &size) == kResultTrue;
    }
    // The host's run loop goes on by itself.
    void hostIdle() override {}

    // EditorView: only the keys that changed, so that a key the mouse holds
    // is not put out by an answer older than the press.
    void showParameter(int32_t index, float value) override { editor.setParameter(index, value); }
    void showKeys(const uint8_t* keys) override {
        for (int32_t key = SDEditor::kLowestKey; key <= SDEditor::kHighestKey; key++) {
            const bool down = keys[key] != 0;
            if (down == shownKeys[key]) continue;
            shownKeys[key] = down;
            editor.setParameter(key, down ? 1.f : 0.f);
        }
    }

    void editorIdle(bool timer) override {
        editor.idle();
        if (timer) controller.askForKeys();
    }

    ViewController& controller;
    FUnknown* const owner;
    IPlugFrame* frame = nullptr;
    bool shownKeys[128] = {};
    SDEditor editor;
    std::unique_ptr<ViewPlatform> platform;  // while attached
};

}  // namespace

IPlugView* newVst3View(ViewController& controller, FUnknown* owner) {
    try {
        return new Vst3View(controller, owner);
    } catch (...) {  // out of memory: no view, and nothing thrown into the host
        return nullptr;
    }
}

}  // namespace v3
