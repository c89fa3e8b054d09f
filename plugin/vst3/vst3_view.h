// The editor's view as the controller makes it for createView("editor"),
// and what the two ask of each other. Everything here runs on the UI thread.
#pragma once

#include <cstdint>

#include "plugin/vst3/vst3_abi.h"

namespace v3 {

// An open editor as the controller sees it.
class EditorView {
public:
    // A value the controller took from the host.
    virtual void showParameter(int32_t index, float value) = 0;
    // The keys the processor plays: one byte per key 0..127, non-zero sounding.
    virtual void showKeys(const uint8_t* keys) = 0;

protected:
    ~EditorView() = default;
};

// What a view asks of the controller that made it.
class ViewController {
public:
    virtual float parameterValue(int32_t index) = 0;
    // A knob's gesture: to the host's component handler and the controller's values.
    virtual void beginEdit(int32_t index) = 0;
    virtual void performEdit(int32_t index, float value) = 0;
    virtual void endEdit(int32_t index) = 0;
    // To the processor, by message.
    virtual void playKey(int32_t key, bool down) = 0;
    virtual void askForKeys() = 0;
    // While open, the view follows the controller's values and keys.
    virtual void viewOpened(EditorView* view) = 0;
    virtual void viewClosed(EditorView* view) = 0;

protected:
    ~ViewController() = default;
};

// A new view with one reference for the caller; it keeps a reference to
// `owner` (the controller behind `controller`) for its life. Null when out of
// memory.
IPlugView* newVst3View(ViewController& controller, FUnknown* owner);

}  // namespace v3
