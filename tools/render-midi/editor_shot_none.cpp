// A build without a window system for the editor's picture: --shot says so.
#include "tools/render-midi/editor_shot.h"

bool saveEditorShot(RenderHost&, const std::string&, int, EditorShot*, std::string* error) {
    if (error) *error = "--shot: this build of the renderer cannot show an editor window";
    return false;
}
