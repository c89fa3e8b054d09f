#include "tools/render-midi/editor_shot.h"

#include "tools/render-midi/bmp_writer.h"

bool saveShotPicture(const std::string& path, int width, int height, const std::vector<uint32_t>& pixels,
                     EditorShot* shot, std::string* error) {
    if (!writeBmp(path, width, height, pixels, error)) return false;
    shot->width = width;
    shot->height = height;
    shot->blank = true;
    for (uint32_t p : pixels) shot->blank = shot->blank && p == pixels[0];
    return true;
}
