#include "tools/make-bitmaps/keyboard.h"

#include <algorithm>
#include <cmath>

#include "tools/make-bitmaps/layout.h"
#include "tools/make-bitmaps/noise.h"
#include "tools/make-bitmaps/panel.h"

namespace {

// Rows of the visible keys: they come out from under the felt at kKeysTop and
// end at the key slip. The white key controls cover the last 21 rows.
constexpr int kKeysTop = 187;
constexpr int kKeysBottom = 236;
constexpr int kWhiteControlTop = kKeysBottom - layout::kWhiteKeyHeight;
constexpr int kWellLeft = 25, kWellRight = 705, kWellTop = kPanelBottom + 2, kWellBottom = 246;

uint8_t channel(double v) { return uint8_t(std::min(254.0, std::max(0.0, v) + 0.5)); }

Rgb scaled(Rgb c, double f) { return Rgb{channel(c.r * f), channel(c.g * f), channel(c.b * f)}; }
Rgb grey(int v) { return Rgb{uint8_t(v), uint8_t(v), uint8_t(std::min(v + 2, 254))}; }

// Column i (0 is the gap to the key on the left) and row j counted from
// kKeysTop of a white key.
Rgb whiteKeyPixel(int i, int j, bool pressed) {
    const int last = kKeysBottom - kKeysTop - 1;
    if (i == 0) return j >= last - 2 ? Rgb{26, 24, 22} : Rgb{44, 41, 38};
    Rgb body = pressed ? Rgb{240, 204, 150} : Rgb{238, 233, 220};
    double f = 0.97 + 0.03 * j / last;
    if (j < 5) f *= 0.78 + 0.044 * j;  // in the shade of the felt rail
    if (!pressed && i == 1) f *= 1.03;
    if (i == 11) f *= 0.96;
    if (i == 12) f *= pressed ? 0.86 : 0.90;
    int fromTop = j - (kWhiteControlTop - kKeysTop);
    if (pressed && fromTop >= 0 && fromTop < 3) f *= 0.70 + 0.10 * fromTop;  // drops below its neighbours
    int fromBottom = last - j;
    if (pressed) {
        if (fromBottom == 1) f *= 0.92;
        if (fromBottom == 0) f *= 0.78;
    } else {
        if (fromBottom == 2) f *= 0.95;
        if (fromBottom == 1) f *= 0.84;
        if (fromBottom == 0) f *= 0.60;
    }
    return scaled(body, f);
}

Rgb blackKeyPixel(int i, int j, bool pressed) {
    const int last = layout::kBlackKeyHeight - 1;
    if (i == 0 || i == layout::kBlackKeyWidth - 1) return grey(12);
    if (j == last) return grey(pressed ? 10 : 14);
    const int slopeStart = pressed ? last - 2 : last - 5;  // the front face shows less when pressed
    if (j >= slopeStart) {
        int v = (pressed ? 46 : 56) + (j - slopeStart) * 10;
        return grey(i == 6 ? v - 12 : v);
    }
    if (j < 2) return grey(18);
    int v = pressed ? 24 : 30;
    if (i == 6) v -= 6;
    // A down key glows warm, like the white ones.
    Rgb p = pressed ? Rgb{channel(v * 2.0), channel(v * 1.35), channel(v * 0.75)} : grey(v);
    // A long reflection along the lit side, wide and warm when the key is down.
    if (j >= 3) {
        static const double released[8] = {0, 0, 1.0, 0.45, 0, 0, 0, 0};
        static const double down[8] = {0, 0.55, 1.0, 0.85, 0.45, 0, 0, 0};
        double k = pressed ? down[i] : released[i];
        if (pressed && k > 0) p = Rgb{channel(v + 165 * k), channel(v + 96 * k), channel(v + 34 * k)};
        else if (k > 0) p = grey(v + int(34 * k));
    }
    if (i == 1) p = scaled(p, 1.2);
    return p;
}

// Walnut, grain running front to back, shaded as a rounded block. (x, y) is
// the 1x position of device pixel (dx, dy); the fine grain follows the device.
Rgb wood(double x, double y, int dx, int dy, int row, int left, int right) {
    double wobble = 2.5 * std::sin(y * 0.037 + x * 0.5) + 1.2 * std::sin(y * 0.11 + 1.3);
    double grain = std::sin((x + wobble) * 1.9 + 0.9 * noise(dx, row / 9, 9));
    double fine = noise(dx, dy, 10) - 0.5;
    double across = (x - left + 0.5) / (right - left);  // 0 at the lit side
    double f = 0.95 + 0.16 * grain + 0.10 * fine + 0.22 * (0.5 - across);
    return scaled(Rgb{108, 62, 34}, f);
}

// Paints 1x pixels as the device pixels each covers at a scale.
struct Canvas {
    Raster& window;
    double scale;

    template <class DevicePixel>
    void shade(int x, int y, DevicePixel pixel) {
        for (int dy = layout::toDevice(y, scale); dy < layout::toDevice(y + 1, scale); ++dy)
            for (int dx = layout::toDevice(x, scale); dx < layout::toDevice(x + 1, scale); ++dx)
                window.at(dx, dy) = pixel(dx, dy);
    }
    void fill(int x, int y, Rgb c) {
        shade(x, y, [c](int, int) { return c; });
    }
    void darken(int x, int y, double f) {
        shade(x, y, [&](int dx, int dy) { return scaled(window.at(dx, dy), f); });
    }
    double at1x(int d) const { return (d + 0.5) / scale - 0.5; }
};

void cheek(Canvas& c, int left, int right) {
    for (int y = kPanelBottom + 1; y < kWellBottom; ++y)
        for (int x = left; x < right; ++x)
            c.shade(x, y, [&](int dx, int dy) {
                Rgb p = wood(c.at1x(dx), c.at1x(dy), dx, dy, y, left, right);
                if (y < kPanelBottom + 3) p = scaled(p, 1.4);  // rounded top edge catches the light
                else if (x == left) p = scaled(p, 1.25);
                else if (x == right - 1) p = scaled(p, 0.55);
                if (y == kWellBottom - 1) p = scaled(p, 0.5);
                return p;
            });
}

// The device pixels of a key over 1x rows [top, bottom): rows on the window's
// grid, columns on the key's own, so that every key of one device width is the
// same picture wherever it sits. pixel(i, j) takes the 1x column in the key
// and the 1x row in the window.
template <class KeyPixel>
Raster keyRaster(const Box& key, int top, int bottom, double scale, KeyPixel pixel) {
    const int left = layout::toDevice(key.left, scale), deviceTop = layout::toDevice(top, scale);
    Raster r(layout::toDevice(key.right, scale) - left, layout::toDevice(bottom, scale) - deviceTop);
    for (int v = 0; v < r.height; ++v) {
        int j = layout::fromDevice(deviceTop + v, scale);
        for (int u = 0; u < r.width; ++u) r.at(u, v) = pixel(layout::columnInBox(u, key.width(), r.width), j);
    }
    return r;
}

}  // namespace

Raster keyPicture(int note, bool pressed, double scale) {
    Box b = layout::keyBox(note);
    if (layout::isBlackKey(note))
        return keyRaster(b, b.top, b.bottom, scale, [&](int i, int j) { return blackKeyPixel(i, j - b.top, pressed); });
    return keyRaster(b, b.top, b.bottom, scale, [&](int i, int j) { return whiteKeyPixel(i, j - kKeysTop, pressed); });
}

void drawKeyboard(Raster& w, double scale) {
    Canvas c{w, scale};
    for (int y = kWellTop; y < kWellBottom; ++y)
        for (int x = kWellLeft; x < kWellRight; ++x) c.fill(x, y, grey(9));

    // Back rail, black lacquer with a lit edge.
    const int railBottom = kKeysTop - 6;
    for (int y = kWellTop; y < railBottom; ++y) {
        int v = y == kWellTop ? 74 : y == kWellTop + 1 ? 44 : y >= railBottom - 2 ? 8 : 26 - (y - kWellTop);
        for (int x = kWellLeft; x < kWellRight; ++x) c.fill(x, y, grey(std::max(v, 8)));
    }
    // Red felt strip the keys come out from under.
    for (int y = railBottom; y < kKeysTop; ++y)
        for (int x = kWellLeft; x < kWellRight; ++x)
            c.shade(x, y, [&](int dx, int dy) {
                double f = 0.82 + 0.3 * noise(dx, dy, 5) + (y == kKeysTop - 1 ? -0.25 : 0);
                return scaled(Rgb{150, 30, 34}, f);
            });
    // Key slip in front of the keys.
    for (int y = kKeysBottom; y < kWellBottom; ++y) {
        int v = y == kKeysBottom ? 6 : y == kKeysBottom + 1 ? 86 : y == kKeysBottom + 2 ? 52 : 34 - 2 * (y - kKeysBottom);
        for (int x = kWellLeft; x < kWellRight; ++x) c.fill(x, y, grey(std::max(v, 12)));
    }
    cheek(c, 6, kWellLeft);
    cheek(c, kWellRight, 724);

    // White keys, from under the felt to the key slip; the part the control
    // covers is the released key picture itself.
    for (int n = layout::kFirstNote; n <= layout::kLastNote; ++n) {
        if (layout::isBlackKey(n)) continue;
        Box b = layout::keyBox(n);
        paste(w, keyRaster(b, kKeysTop, kKeysBottom, scale, [](int i, int j) { return whiteKeyPixel(i, j - kKeysTop, false); }),
              layout::toDevice(b.left, scale), layout::toDevice(kKeysTop, scale));
    }
    // The right edge of the last white key.
    Box lastWhite = layout::keyBox(layout::kLastNote);
    for (int y = kKeysTop; y < kKeysBottom; ++y) c.fill(lastWhite.right, y, Rgb{44, 41, 38});

    // Black keys and the shadows they cast to the lower right onto the white
    // keys (outside every key control, so those stay identical).
    for (int n = layout::kFirstNote; n <= layout::kLastNote; ++n) {
        if (!layout::isBlackKey(n)) continue;
        Box b = layout::keyBox(n);
        paste(w, keyPicture(n, false, scale), layout::toDevice(b.left, scale), layout::toDevice(b.top, scale));
        for (int y = b.top + 2; y < b.bottom; ++y) {
            c.darken(b.right, y, 0.80);
            c.darken(b.right + 1, y, 0.92);
        }
        for (int x = b.left + 1; x < b.right + 2; ++x) {
            c.darken(x, b.bottom, 0.70);
            c.darken(x, b.bottom + 1, 0.86);
            c.darken(x, b.bottom + 2, 0.95);
        }
    }
}
