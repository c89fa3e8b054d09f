// The window system's part of the view: the parent it embeds in, and where
// the editor gets its time (the host's run loop on Linux; its own window
// messages on Windows). One source file per platform.
#pragma once

#include "plugin/vst3/vst3_abi.h"

class SDEditor;

namespace v3 {

// The view's idle work: the editor's events and drawing, and (at the timer)
// asking the processor for its keys.
class ViewIdle {
public:
    virtual void editorIdle(bool timer) = 0;

protected:
    ~ViewIdle() = default;
};

class ViewPlatform {
public:
    // The one platform type the view embeds in here.
    static const char* type();
    // Opens `editor` in `parent` and gives it its time; null, with the
    // editor closed, when either cannot be had (on Linux: no run loop on
    // `frame`).
    static ViewPlatform* attach(SDEditor& editor, void* parent, IPlugFrame* frame, ViewIdle& idle);
    // Takes the time back from the host, then closes the editor.
    virtual ~ViewPlatform() = default;
};

}  // namespace v3
