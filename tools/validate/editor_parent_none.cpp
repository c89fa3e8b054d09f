// No editor window system on this build yet.
#include "tools/validate/editor_parent.h"

namespace validate {

EditorParent::EditorParent() {}
EditorParent::~EditorParent() {}

bool EditorParent::create(std::string* why) {
    if (why) *why = "no window system for editors on this build";
    return false;
}

void EditorParent::pump() {}

}  // namespace validate
