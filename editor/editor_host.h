// What the editor asks of the plug-in it belongs to, whatever the plug-in
// format: each format's glue implements it.
#pragma once

#include <cstdint>

class EditorHost {
public:
    // The value of parameter `index` (0..4) as the plug-in has it now.
    virtual float parameterValue(int32_t index) = 0;
    // A gesture on parameter `index`: begin, each new value, end.
    virtual void beginEdit(int32_t index) = 0;
    virtual void performEdit(int32_t index, float value) = 0;
    virtual void endEdit(int32_t index) = 0;
    // An on-screen key goes down (`value` non-zero) or up.
    virtual void playKey(int32_t key, float value) = 0;
    // Asks the host to resize the windows that hold the editor; true when it did.
    virtual bool resizeWindow(int32_t width, int32_t height) = 0;
    // Gives the host its idle time while a control holds the mouse.
    virtual void hostIdle() = 0;

protected:
    ~EditorHost() = default;
};
