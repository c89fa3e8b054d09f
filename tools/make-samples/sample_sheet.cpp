// qelt-sample-sheet DIR OUT.png: one picture of the whole set, a spectrogram
// (made by sox beside each WAV) and a level envelope of every recording, the
// soft layer left and the loud layer right, lowest zone at the top.
#include <cairo.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "engine/sample_set.h"

namespace {

constexpr int kCellWidth = 640, kSpectrumHeight = 150, kEnvelopeHeight = 60, kLabelHeight = 18;
constexpr int kCellHeight = kLabelHeight + kSpectrumHeight + kEnvelopeHeight + 10;

std::vector<int16_t> readWav(const std::string& path) {
    std::vector<int16_t> values;
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return values;
    unsigned char header[44];
    if (std::fread(header, 1, 44, f) == 44) {
        unsigned char b[2];
        while (std::fread(b, 1, 2, f) == 2) values.push_back(int16_t(b[0] | (b[1] << 8)));
    }
    std::fclose(f);
    return values;
}

std::string baseName(int k) {
    char name[64];
    std::snprintf(name, sizeof name, "sample%02d-key%d-%s", k, kSampleInfo[k].rootKey, (k & 1) ? "loud" : "soft");
    return name;
}

void drawEnvelope(cairo_t* cr, const std::vector<int16_t>& v, const SampleInfo& info, double x0, double y0) {
    cairo_set_source_rgb(cr, 0.1, 0.1, 0.12);
    cairo_rectangle(cr, x0, y0, kCellWidth, kEnvelopeHeight);
    cairo_fill(cr);
    const size_t n = v.size();
    cairo_move_to(cr, x0, y0 + kEnvelopeHeight);
    for (int x = 0; x < kCellWidth; ++x) {
        const size_t a = n * size_t(x) / kCellWidth, b = std::max(a + 1, n * size_t(x + 1) / kCellWidth);
        int peak = 1;
        for (size_t i = a; i < b && i < n; ++i) peak = std::max(peak, std::abs(int(v[i])));
        const double level = std::max(-60.0, 20.0 * std::log10(peak / 32768.0));  // -60..0 dBFS
        cairo_line_to(cr, x0 + x, y0 + kEnvelopeHeight * (-level / 60.0));
    }
    cairo_line_to(cr, x0 + kCellWidth, y0 + kEnvelopeHeight);
    cairo_close_path(cr);
    cairo_set_source_rgb(cr, 0.35, 0.75, 0.45);
    cairo_fill(cr);
    // Loop start and end.
    cairo_set_source_rgb(cr, 1.0, 0.8, 0.2);
    cairo_set_line_width(cr, 1.0);
    for (int32_t p : {info.loopStart, info.loopEnd}) {
        const double x = x0 + kCellWidth * double(p) / double(n);
        cairo_move_to(cr, x + 0.5, y0);
        cairo_line_to(cr, x + 0.5, y0 + kEnvelopeHeight);
    }
    cairo_stroke(cr);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s DIR OUT.png\n", argv[0]);
        return 2;
    }
    const std::string dir = argv[1];
    cairo_surface_t* sheet = cairo_image_surface_create(CAIRO_FORMAT_RGB24, 2 * kCellWidth + 30, 11 * kCellHeight + 30);
    cairo_t* cr = cairo_create(sheet);
    cairo_set_source_rgb(cr, 0.95, 0.95, 0.93);
    cairo_paint(cr);
    cairo_select_font_face(cr, "DejaVu Sans", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_NORMAL);
    cairo_set_font_size(cr, 12);
    int missing = 0;
    for (int k = 0; k < kNumSamples; ++k) {
        const SampleInfo& info = kSampleInfo[k];
        const double x0 = 10 + (k & 1) * (kCellWidth + 10), y0 = 10 + (k / 2) * kCellHeight;
        const std::vector<int16_t> values = readWav(dir + "/" + baseName(k) + ".wav");
        char label[160];
        std::snprintf(label, sizeof label, "#%d  root %d  keys %d-%d  %s  %.2f s  loop %.2f-%.2f s  (0-%.0f Hz, envelope -60..0 dBFS)",
                      k, info.rootKey, info.lowKey, info.highKey, (k & 1) ? "loud" : "soft",
                      info.length / 88200.0, info.loopStart / 88200.0, info.loopEnd / 88200.0, 22050.0);
        cairo_set_source_rgb(cr, 0, 0, 0);
        cairo_move_to(cr, x0, y0 + 13);
        cairo_show_text(cr, label);
        cairo_surface_t* spectrum = cairo_image_surface_create_from_png((dir + "/" + baseName(k) + ".png").c_str());
        if (cairo_surface_status(spectrum) == CAIRO_STATUS_SUCCESS && !values.empty()) {
            const int w = cairo_image_surface_get_width(spectrum), h = cairo_image_surface_get_height(spectrum);
            cairo_save(cr);
            cairo_translate(cr, x0, y0 + kLabelHeight);
            cairo_scale(cr, double(kCellWidth) / w, double(kSpectrumHeight) / h);
            cairo_set_source_surface(cr, spectrum, 0, 0);
            cairo_paint(cr);
            cairo_restore(cr);
            drawEnvelope(cr, values, info, x0, y0 + kLabelHeight + kSpectrumHeight);
        } else {
            ++missing;
        }
        cairo_surface_destroy(spectrum);
    }
    cairo_destroy(cr);
    const bool written = cairo_surface_write_to_png(sheet, argv[2]) == CAIRO_STATUS_SUCCESS;
    cairo_surface_destroy(sheet);
    if (missing) std::fprintf(stderr, "qelt-sample-sheet: %d recordings or spectrograms missing in %s\n", missing, dir.c_str());
    return written && !missing ? 0 : 1;
}
