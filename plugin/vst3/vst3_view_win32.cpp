// The view on Windows: the editor's window inside the host's HWND. The
// editor's window takes its messages from the thread's own queue, as the
// VST 2 DLL's does; its idle time, which VST 2 hosts give by effEditIdle
// and VST 3 hosts do not, comes from a timer on that window.
#include <windows.h>

#include <new>

#include "editor/sdeditor.h"
#include "plugin/vst3/vst3_view_platform.h"

namespace v3 {
namespace {

// The timer lives on the editor's own window with a TIMERPROC: the host's
// message loop, which already delivers that window's messages, calls it on
// the UI thread without a window class of ours or the toolkit's window
// procedure, and the timer goes with the window if the host destroys it
// first. The view is found through a property of the window, not the
// timer's id, so a timer message that outlives removed() finds nothing.
const wchar_t kViewProperty[] = L"QeltVst3View";
constexpr UINT_PTR kIdleTimer = 1;

class Win32ViewPlatform final : public ViewPlatform {
public:
    Win32ViewPlatform(SDEditor& editor, ViewIdle& idle) : editor(editor), idle(idle) {
        VSTGUI::CFrame* frame = editor.getFrame();
        window = frame ? static_cast<HWND>(frame->getSystemWindow()) : nullptr;
        if (window && SetPropW(window, kViewProperty, this))
            timing = SetTimer(window, kIdleTimer, kViewIdleMilliseconds, &Win32ViewPlatform::onTimer) != 0;
    }
    ~Win32ViewPlatform() override {
        if (window) {
            if (timing) KillTimer(window, kIdleTimer);
            RemovePropW(window, kViewProperty);
        }
        editor.close();
    }
    // The window's timer needs nothing of the frame.
    void frameChanged(IPlugFrame*) override {}

private:
    static void CALLBACK onTimer(HWND window, UINT, UINT_PTR, DWORD) {
        auto* platform = static_cast<Win32ViewPlatform*>(GetPropW(window, kViewProperty));
        if (platform) platform->idle.editorIdle(true);
    }

    SDEditor& editor;
    ViewIdle& idle;
    HWND window = nullptr;  // the editor's own
    bool timing = false;
};

}  // namespace

const char* ViewPlatform::type() { return "HWND"; }

ViewPlatform* ViewPlatform::attach(SDEditor& editor, void* parent, IPlugFrame*, ViewIdle& idle) {
    if (!editor.open(parent)) return nullptr;
    ViewPlatform* platform = new (std::nothrow) Win32ViewPlatform(editor, idle);
    if (!platform) editor.close();
    return platform;
}

}  // namespace v3
