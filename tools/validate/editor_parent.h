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
    void* handle() const { return window; }
    // Delivers the window messages that are waiting.
    void pump();

private:
    void* window = nullptr;
};

}  // namespace validate
