// The view on Windows: the editor's window inside the host's HWND. The
// editor's window takes its messages from the thread's own queue, as the
// VST 2 DLL's does, so nothing more is needed of the host.
#include <new>

#include "editor/sdeditor.h"
#include "plugin/vst3/vst3_view_platform.h"

namespace v3 {
namespace {

class Win32ViewPlatform final : public ViewPlatform {
public:
    explicit Win32ViewPlatform(SDEditor& editor) : editor(editor) {}
    ~Win32ViewPlatform() override { editor.close(); }
    // The window's messages need nothing of the frame.
    void frameChanged(IPlugFrame*) override {}

private:
    SDEditor& editor;
};

}  // namespace

const char* ViewPlatform::type() { return "HWND"; }

ViewPlatform* ViewPlatform::attach(SDEditor& editor, void* parent, IPlugFrame*, ViewIdle&) {
    if (!editor.open(parent)) return nullptr;
    ViewPlatform* platform = new (std::nothrow) Win32ViewPlatform(editor);
    if (!platform) editor.close();
    return platform;
}

}  // namespace v3
