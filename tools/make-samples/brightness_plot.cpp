// qelt-brightness-plot OUT.png: brightness against key as the instrument plays
// the recordings (default parameters), attack and body, both layers, with
// the real tine piano's figures and the tolerance band around them.
#include <cairo.h>

#include <cmath>
#include <cstdio>
#include <vector>

#include "tests/samples/sound_measures.h"
#include "tests/samples/tine_reference.h"

namespace {

constexpr int kWidth = 960, kHeight = 600, kLeft = 70, kRight = 190, kTop = 40, kBottom = 50;
constexpr int kFirstKey = 21, kLastKey = 108;
constexpr double kTopDb = 25, kBottomDb = -75, kTolerance = 8;

double xOf(double key) { return kLeft + (key - kFirstKey) * (kWidth - kLeft - kRight) / double(kLastKey - kFirstKey); }
double yOf(double db) { return kTop + (kTopDb - db) * (kHeight - kTop - kBottom) / (kTopDb - kBottomDb); }

struct Series {
    const char* label;
    double r, g, b;
    bool dashed;
    std::vector<double> values;  // by key from kFirstKey
};

void drawAxes(cairo_t* cr) {
    cairo_set_font_size(cr, 12);
    cairo_set_line_width(cr, 1);
    for (double db = kBottomDb; db <= kTopDb; db += 10) {
        cairo_set_source_rgb(cr, 0.85, 0.85, 0.85);
        cairo_move_to(cr, kLeft, yOf(db));
        cairo_line_to(cr, kWidth - kRight, yOf(db));
        cairo_stroke(cr);
        char text[16];
        std::snprintf(text, sizeof text, "%+.0f", db);
        cairo_set_source_rgb(cr, 0, 0, 0);
        cairo_move_to(cr, kLeft - 34, yOf(db) + 4);
        cairo_show_text(cr, text);
    }
    for (int key = 24; key <= kLastKey; key += 12) {
        cairo_set_source_rgb(cr, 0.85, 0.85, 0.85);
        cairo_move_to(cr, xOf(key), kTop);
        cairo_line_to(cr, xOf(key), kHeight - kBottom);
        cairo_stroke(cr);
        char text[16];
        std::snprintf(text, sizeof text, "C%d", key / 12 - 1);
        cairo_set_source_rgb(cr, 0, 0, 0);
        cairo_move_to(cr, xOf(key) - 8, kHeight - kBottom + 18);
        cairo_show_text(cr, text);
    }
    cairo_move_to(cr, kLeft, 24);
    cairo_show_text(cr,
                    "Brightness (harmonics 2-8 re the fundamental, dB) against key: "
                    "attack 0-100 ms, body 0.95-1.05 s");
    cairo_move_to(cr, (kWidth - kRight) / 2, kHeight - 12);
    cairo_show_text(cr, "key");
}

void drawSeries(cairo_t* cr, const Series& s, double legendY) {
    cairo_set_source_rgb(cr, s.r, s.g, s.b);
    cairo_set_line_width(cr, 2);
    const double dash[] = {6, 4};
    cairo_set_dash(cr, dash, s.dashed ? 2 : 0, 0);
    for (size_t i = 0; i < s.values.size(); ++i) {
        const double y = yOf(std::fmax(kBottomDb, std::fmin(kTopDb, s.values[i])));
        if (i)
            cairo_line_to(cr, xOf(kFirstKey + double(i)), y);
        else
            cairo_move_to(cr, xOf(kFirstKey), y);
    }
    cairo_stroke(cr);
    cairo_move_to(cr, kWidth - kRight + 12, legendY);
    cairo_line_to(cr, kWidth - kRight + 40, legendY);
    cairo_stroke(cr);
    cairo_set_dash(cr, dash, 0, 0);
    cairo_set_source_rgb(cr, 0, 0, 0);
    cairo_move_to(cr, kWidth - kRight + 46, legendY + 4);
    cairo_show_text(cr, s.label);
}

void drawReference(cairo_t* cr, bool body, double legendY) {
    cairo_set_source_rgb(cr, 0.1, 0.1, 0.1);
    cairo_set_line_width(cr, 1.5);
    for (const TineReference& r : kTineReference) {
        const double x = xOf(r.key), y = yOf(body ? r.bodyBrightness : r.attackBrightness);
        cairo_move_to(cr, x, yOf(body ? r.bodyBrightness + kTolerance : r.attackBrightness + kTolerance));
        cairo_line_to(cr, x, yOf(body ? r.bodyBrightness - kTolerance : r.attackBrightness - kTolerance));
        cairo_stroke(cr);
        if (body)
            cairo_rectangle(cr, x - 4, y - 4, 8, 8);
        else
            cairo_arc(cr, x, y, 4.5, 0, 2 * 3.14159265358979);
        cairo_fill(cr);
    }
    const double x = kWidth - kRight + 26;
    if (body)
        cairo_rectangle(cr, x - 4, legendY - 4, 8, 8);
    else
        cairo_arc(cr, x, legendY, 4.5, 0, 2 * 3.14159265358979);
    cairo_fill(cr);
    cairo_move_to(cr, kWidth - kRight + 46, legendY + 4);
    cairo_show_text(cr, body ? "reference body" : "reference attack");
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUT.png\n", argv[0]);
        return 2;
    }
    Series series[] = {
        {"loud attack", 0.80, 0.20, 0.10, false, {}},
        {"loud body", 0.80, 0.20, 0.10, true, {}},
        {"soft attack", 0.10, 0.35, 0.80, false, {}},
        {"soft body", 0.10, 0.35, 0.80, true, {}},
    };
    for (int key = kFirstKey; key <= kLastKey; ++key) {
        const timbre::NoteTimbre loud = measure::noteTimbre(key, kLoudVelocity);
        const timbre::NoteTimbre soft = measure::noteTimbre(key, kSoftVelocity);
        series[0].values.push_back(loud.attack.brightness);
        series[1].values.push_back(loud.body.brightness);
        series[2].values.push_back(soft.attack.brightness);
        series[3].values.push_back(soft.body.brightness);
    }
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, kWidth, kHeight);
    cairo_t* cr = cairo_create(surface);
    cairo_set_source_rgb(cr, 1, 1, 1);
    cairo_paint(cr);
    cairo_select_font_face(cr, "DejaVu Sans", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_NORMAL);
    drawAxes(cr);
    double legendY = kTop + 10;
    for (const Series& s : series) drawSeries(cr, s, legendY), legendY += 22;
    drawReference(cr, false, legendY);
    drawReference(cr, true, legendY + 22);
    cairo_set_source_rgb(cr, 0, 0, 0);
    cairo_move_to(cr, kWidth - kRight + 12, legendY + 48);
    cairo_show_text(cr, "bars: +-8 dB");
    cairo_destroy(cr);
    const bool written = cairo_surface_write_to_png(surface, argv[1]) == CAIRO_STATUS_SUCCESS;
    cairo_surface_destroy(surface);
    if (!written) std::fprintf(stderr, "qelt-brightness-plot: cannot write %s\n", argv[1]);
    return written ? 0 : 1;
}
