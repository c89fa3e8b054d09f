// The window system's part of the view: the parent it embeds in, and where
// the editor gets its time (the host's run loop on Linux; a timer on its
// window on Windows). One source file per platform.
#pragma once

#include "plugin/vst3/vst3_abi.h"

class SDEditor;

namespace v3 {

// 50 redraws a second: a key or knob follows the host within a frame or two.
constexpr uint32 kViewIdleMilliseconds = 20;

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
    // editor closed, when it cannot be opened or `frame` cannot give it
    // time (on Linux: a frame without a run loop). With no frame yet the
    // editor waits for one.
    static ViewPlatform* attach(SDEditor& editor, void* parent, IPlugFrame* frame, ViewIdle& idle);
    // The host set another frame (null: took it away) while attached; on
    // Linux the editor's time moves to its run loop, or stops without one.
    virtual void frameChanged(IPlugFrame* frame) = 0;
    // Takes the time back from the host, then closes the editor.
    virtual ~ViewPlatform() = default;
};

}  // namespace v3
