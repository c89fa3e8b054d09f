// The editor interface the plug-in's dispatcher talks to.
#pragma once

#include <cstdint>

#include "editor/editor_host.h"
#include "gui/ckeycode.h"

// The editor's rectangle in the host's window: top, left, bottom, right.
struct EditorRect {
    int16_t top;
    int16_t left;
    int16_t bottom;
    int16_t right;
};

class AEffEditor {
public:
    explicit AEffEditor(EditorHost* host = nullptr) : host(host), parentWindow(nullptr) {}
    virtual ~AEffEditor() {}

    virtual EditorHost* getHost() { return host; }
    virtual bool getRect(EditorRect** rect) {
        *rect = nullptr;
        return false;
    }
    virtual bool open(void* window) {
        parentWindow = window;
        return false;
    }
    virtual void close() { parentWindow = nullptr; }
    virtual bool isOpen() { return parentWindow != nullptr; }
    virtual void idle() {}
    virtual bool onKeyDown(VSTGUI::CKeyCode& /*keyCode*/) { return false; }
    virtual bool onKeyUp(VSTGUI::CKeyCode& /*keyCode*/) { return false; }
    virtual bool onWheel(float /*distance*/) { return false; }
    virtual bool setKnobMode(int32_t /*val*/) { return false; }

protected:
    EditorHost* host;
    void* parentWindow;
};
