#include "tools/make-bitmaps/fonts.h"

#include <cairo-ft.h>
#include <ft2build.h>
#include FT_FREETYPE_H

#include <string>

namespace {

const char* const kFiles[3] = {"DejaVuSans.ttf", "DejaVuSans-Bold.ttf", "DejaVuSerif-Bold.ttf"};

// Width of a string as drawn by drawText.
double trackedWidth(cairo_t* cr, const std::string& text, double tracking) {
    double w = 0;
    for (size_t i = 0; i < text.size();) {
        size_t len = 1;
        unsigned char c = text[i];
        if (c >= 0xf0) len = 4; else if (c >= 0xe0) len = 3; else if (c >= 0xc0) len = 2;
        cairo_text_extents_t e;
        cairo_text_extents(cr, text.substr(i, len).c_str(), &e);
        w += e.x_advance;
        i += len;
        if (i < text.size()) w += tracking;
    }
    return w;
}

}  // namespace

bool Fonts::load(const std::string& fontDir, std::string* error) {
    FT_Library lib;
    if (FT_Init_FreeType(&lib) != 0) {
        *error = "cannot start FreeType";
        return false;
    }
    library = lib;
    for (int i = 0; i < 3; ++i) {
        std::string path = fontDir + "/" + kFiles[i];
        FT_Face face;
        if (FT_New_Face(lib, path.c_str(), 0, &face) != 0) {
            *error = "cannot load font " + path;
            return false;
        }
        ftFaces[i] = face;
        faces[i] = cairo_ft_font_face_create_for_ft_face(face, FT_LOAD_NO_HINTING);
    }
    return true;
}

Fonts::~Fonts() {
    for (int i = 0; i < 3; ++i) {
        if (faces[i]) cairo_font_face_destroy(faces[i]);
        if (ftFaces[i]) FT_Done_Face(static_cast<FT_Face>(ftFaces[i]));
    }
    if (library) FT_Done_FreeType(static_cast<FT_Library>(library));
}

void Fonts::use(cairo_t* cr, Face face, double size, double slant) const {
    cairo_set_font_face(cr, faces[int(face)]);
    cairo_matrix_t m;
    cairo_matrix_init(&m, size, 0, -slant * size, size, 0, 0);
    cairo_set_font_matrix(cr, &m);
    cairo_font_options_t* o = cairo_font_options_create();
    cairo_font_options_set_antialias(o, CAIRO_ANTIALIAS_GRAY);
    cairo_font_options_set_hint_style(o, CAIRO_HINT_STYLE_NONE);
    cairo_font_options_set_hint_metrics(o, CAIRO_HINT_METRICS_OFF);
    cairo_font_options_set_subpixel_order(o, CAIRO_SUBPIXEL_ORDER_DEFAULT);
    cairo_set_font_options(cr, o);
    cairo_font_options_destroy(o);
}

void drawText(cairo_t* cr, const char* text, double x, double y, Align align, double tracking) {
    std::string s(text);
    double w = trackedWidth(cr, s, tracking);
    if (align == Align::Centre) x -= w / 2;
    else if (align == Align::Right) x -= w;
    if (tracking == 0.0) {
        cairo_move_to(cr, x, y);
        cairo_show_text(cr, text);
        return;
    }
    for (size_t i = 0; i < s.size();) {
        size_t len = 1;
        unsigned char c = s[i];
        if (c >= 0xf0) len = 4; else if (c >= 0xe0) len = 3; else if (c >= 0xc0) len = 2;
        std::string glyph = s.substr(i, len);
        cairo_move_to(cr, x, y);
        cairo_show_text(cr, glyph.c_str());
        cairo_text_extents_t e;
        cairo_text_extents(cr, glyph.c_str(), &e);
        x += e.x_advance + tracking;
        i += len;
    }
}
