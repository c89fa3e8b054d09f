// The host's window that a plug-in's editor opens inside, with its message
// pump; only where the build has a window system the editor knows.
#pragma once

#include <string>

namespace validate {

class EditorParent {
public:
    EditorParent();
    ~EditorParent();
    EditorParent(const EditorParent&) = delete;
    EditorParent& operator=(const EditorParent&) = delete;

    // False, saying why, where there is no window to give.
    bool create(std::string* why);
    // A window the window system does not know yet, as a host's is between
    // making it and flushing its connection (X11); false where there is no
    // such state.
    bool createUnflushed(std::string* why);
    // Sends what the host has made to the window system.
    void flush();
    void* handle() const { return window; }
    // Whether the editor has put a window inside this one.
    bool hasChild() const;
    // Delivers the window messages that are waiting.
    void pump();

    // A handle that names no window, nor will while the check runs.
    static void* missing();
    // Window-system errors of the plug-in's own connections that reached
    // the host's error handler (X11); they are the plug-in's to keep.
    static int strayErrors();

private:
    void* window = nullptr;
};

}  // namespace validate
