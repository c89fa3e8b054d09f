// Draws the editor's five bitmaps at one scale.
//   qelt-make-bitmaps --out DIR [--scale 1|1.5|2] [--png DIR] [--fonts DIR]
// DIR receives the 24-bit BMP files the library embeds; --png adds viewable
// copies and a preview of the whole window. Where white keys come in two
// device widths (1.5x) a sixth file holds the other width's pictures. Above
// 1x each picture is also written packed (NAME.qpp) for embedding.
#include <cairo.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "tools/make-bitmaps/bitmap_set.h"
#include "tools/make-bitmaps/bmp_file.h"
#include "tools/make-bitmaps/cairo_raster.h"
#include "resources/bitmaps/packed_picture.h"

#ifndef QELT_FONT_DIR
#define QELT_FONT_DIR "/usr/share/fonts/truetype/dejavu"
#endif

namespace {

struct Output {
    const char* name;
    const Raster BitmapSet::*picture;
};

const Output kOutputs[] = {
    {"background", &BitmapSet::background}, {"knob-small", &BitmapSet::smallKnob},
    {"knob-large", &BitmapSet::largeKnob},   {"keys-white", &BitmapSet::whiteKeys},
    {"keys-black", &BitmapSet::blackKeys},   {"keys-white-other", &BitmapSet::otherWhiteKeys},
    {"scale-menu", &BitmapSet::scaleMenu},
};

bool writePng(const std::string& path, const Raster& r) {
    cairo_surface_t* s = surfaceFromRaster(r);
    bool ok = cairo_surface_write_to_png(s, path.c_str()) == CAIRO_STATUS_SUCCESS;
    cairo_surface_destroy(s);
    return ok;
}

// Knob filmstrips are packed frame against frame.
bool writePacked(const std::string& path, const Raster& r, bool filmstrip) {
    std::vector<uint8_t> rgb;
    rgb.reserve(r.pixels.size() * 3);
    for (Rgb p : r.pixels) rgb.insert(rgb.end(), {p.r, p.g, p.b});
    std::vector<uint8_t> packed = packPicture(r.width, r.height, filmstrip ? r.width : 0, rgb.data());
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    bool ok = std::fwrite(packed.data(), 1, packed.size(), f) == packed.size();
    return std::fclose(f) == 0 && ok;
}

int usage() {
    std::fprintf(stderr, "usage: qelt-make-bitmaps --out DIR [--scale 1|1.5|2] [--png DIR] [--fonts DIR]\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    std::string out, png, fontDir = QELT_FONT_DIR, scaleText = "1";
    for (int i = 1; i < argc; ++i) {
        std::string* target = nullptr;
        if (!std::strcmp(argv[i], "--out")) target = &out;
        else if (!std::strcmp(argv[i], "--png")) target = &png;
        else if (!std::strcmp(argv[i], "--fonts")) target = &fontDir;
        else if (!std::strcmp(argv[i], "--scale")) target = &scaleText;
        if (!target || i + 1 >= argc) return usage();
        *target = argv[++i];
    }
    if (out.empty()) return usage();
    const double scale = scaleText == "1" ? 1.0 : scaleText == "1.5" ? 1.5 : scaleText == "2" ? 2.0 : 0.0;
    if (scale == 0) return usage();

    std::string error;
    Fonts fonts;
    BitmapSet set;
    if (!fonts.load(fontDir, &error) || !makeBitmapSet(fonts, scale, &set, &error)) {
        std::fprintf(stderr, "qelt-make-bitmaps: %s\n", error.c_str());
        return 1;
    }
    for (const Output& o : kOutputs) {
        if ((set.*o.picture).pixels.empty()) continue;
        std::string path = out + "/" + o.name + ".bmp";
        if (!writeBmp(path, set.*o.picture)) {
            std::fprintf(stderr, "qelt-make-bitmaps: cannot write %s\n", path.c_str());
            return 1;
        }
        const bool filmstrip = std::strncmp(o.name, "knob", 4) == 0;
        if (scale != 1.0 && !writePacked(out + "/" + o.name + ".qpp", set.*o.picture, filmstrip)) {
            std::fprintf(stderr, "qelt-make-bitmaps: cannot write %s/%s.qpp\n", out.c_str(), o.name);
            return 1;
        }
        if (!png.empty() && !writePng(png + "/" + o.name + ".png", set.*o.picture)) {
            std::fprintf(stderr, "qelt-make-bitmaps: cannot write %s/%s.png\n", png.c_str(), o.name);
            return 1;
        }
    }
    if (!png.empty()) {
        // A few keys held: a chord with a black key in it, and a bass note.
        const double values[5] = {0.5, 0.5, 0.5, 0.65, 1.0};
        const int held[] = {36, 60, 63, 67, 70};
        if (!writePng(png + "/preview.png", composeWindow(set, values, held, 5))) {
            std::fprintf(stderr, "qelt-make-bitmaps: cannot write %s/preview.png\n", png.c_str());
            return 1;
        }
    }
    return 0;
}
