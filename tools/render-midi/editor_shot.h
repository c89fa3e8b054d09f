// Opens a plug-in's editor in a real top-level window, lets it idle and
// paint, and saves the window's client area as a picture (Windows and X11).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tools/render-midi/render_host.h"

struct EditorShot {
    int width = 0, height = 0;  // of the saved picture
    bool blank = false;         // every pixel has one colour
};

// False with a reason when the plug-in has no editor, the editor does not
// open, or the picture cannot be written.
bool saveEditorShot(RenderHost& host, const std::string& path, int idleMillis, EditorShot* shot,
                    std::string* error);

// Writes the captured pixels (0xRRGGBB, top row first) as the shot's BMP file
// and fills in what the summary reports of it; both platforms' shots end here.
bool saveShotPicture(const std::string& path, int width, int height, const std::vector<uint32_t>& pixels,
                     EditorShot* shot, std::string* error);
