// The typefaces of the panel, loaded from fixed font files (never through a
// font lookup that could pick another face on another machine), with hinting
// switched off so that text renders the same way on every run.
#pragma once

#include <cairo.h>

#include <string>

enum class Face { Sans, SansBold, SerifBold };

class Fonts {
public:
    // fontDir holds the DejaVu TrueType files; false if one is missing.
    bool load(const std::string& fontDir, std::string* error);
    ~Fonts();

    // Selects the face at this pixel size (and a slant, as a shear of the
    // glyphs) with the fixed rendering options.
    void use(cairo_t* cr, Face face, double size, double slant = 0.0) const;

private:
    void* library = nullptr;  // FT_Library
    void* ftFaces[3] = {};     // FT_Face
    cairo_font_face_t* faces[3] = {};
};

enum class Align { Left, Centre, Right };

// Draws text on the baseline y with extra space between letters (tracking),
// aligned at x.
void drawText(cairo_t* cr, const char* text, double x, double y, Align align, double tracking = 0.0);
