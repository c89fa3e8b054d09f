#include "tests/editor/editor_pictures.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <vector>

#include "resources/bitmaps/packed_picture.h"
#include "tests/bitmaps/bmp_reader.h"
#include "tools/make-bitmaps/layout.h"

namespace editortest {

namespace {

Picture readPicture(const std::string& name) {
    BmpFile file = readBmp(std::string(QELT_BITMAP_DIR) + "/" + name);
    Picture picture;
    if (file.bytes.empty()) return picture;
    picture.width = file.width;
    picture.height = file.height < 0 ? -file.height : file.height;
    picture.pixels.resize((size_t)picture.width * picture.height);
    for (int y = 0; y < picture.height; ++y)
        for (int x = 0; x < picture.width; ++x) {
            Pixel p = file.at(x, y);
            picture.at(x, y) = (uint32_t)(p.r << 16 | p.g << 8 | p.b);
        }
    return picture;
}

Picture readPackedPicture(const std::string& name) {
    Picture picture;
    const std::string bytes = fileText(std::string(QELT_BITMAP_DIR) + "/" + name);
    UnpackedPicture unpacked;
    if (!unpackPicture(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), &unpacked)) return picture;
    picture.width = unpacked.width;
    picture.height = unpacked.height;
    picture.pixels.resize((size_t)picture.width * picture.height);
    for (size_t i = 0; i < picture.pixels.size(); ++i)
        picture.pixels[i] = (uint32_t)(unpacked.rgb[3 * i] << 16 | unpacked.rgb[3 * i + 1] << 8 | unpacked.rgb[3 * i + 2]);
    return picture;
}

void paste(Picture& into, const Rect& at, const Picture& from, int sourceTop) {
    for (int y = 0; y < at.height(); ++y)
        for (int x = 0; x < at.width(); ++x) into.at(at.left + x, at.top + y) = from.at(x, sourceTop + y);
}

// The knob frame a value shows: 64 frames, the last one only at 1.
int knobFrame(float value) {
    if (!(value >= 0.f)) return 0;
    if (value >= 1.f) return 63;
    return (int)(value * 63.f);
}

}  // namespace

std::string fileText(const std::string& path) {
    std::string text;
    if (FILE* file = std::fopen(path.c_str(), "rb")) {
        char buffer[65536];
        for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, file)) > 0;) text.append(buffer, n);
        std::fclose(file);
    }
    return text;
}

bool writeFileText(const std::string& path, const std::string& bytes) {
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) return false;
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return std::fclose(file) == 0 && written;
}

const EditorPictures& EditorPictures::get(int percent) {
    static const auto load = [](int scale) {
        EditorPictures p;
        if (scale == 100) {
            p.background = readPicture("background.bmp");
            p.smallKnob = readPicture("knob-small.bmp");
            p.largeKnob = readPicture("knob-large.bmp");
            p.whiteKeys = readPicture("keys-white.bmp");
            p.blackKeys = readPicture("keys-black.bmp");
            p.scaleMenu = readPicture("scale-menu.bmp");
            return p;
        }
        const std::string dir = std::to_string(scale) + "/";
        p.background = readPackedPicture(dir + "background.qpp");
        p.smallKnob = readPackedPicture(dir + "knob-small.qpp");
        p.largeKnob = readPackedPicture(dir + "knob-large.qpp");
        p.whiteKeys = readPackedPicture(dir + "keys-white.qpp");
        p.blackKeys = readPackedPicture(dir + "keys-black.qpp");
        p.otherWhiteKeys = readPackedPicture(dir + "keys-white-other.qpp");
        p.scaleMenu = readPackedPicture(dir + "scale-menu.qpp");
        return p;
    };
    static const EditorPictures at100 = load(100), at150 = load(150), at200 = load(200);
    return percent == 150 ? at150 : percent == 200 ? at200 : at100;
}

int scaled(int edge, int percent) { return layout::toDevice(edge, percent / 100.0); }

Rect scaled(const Rect& r, int percent) {
    return Rect{scaled(r.left, percent), scaled(r.top, percent), scaled(r.right, percent), scaled(r.bottom, percent)};
}

Rect knobRect(int tag) {
    static const int lefts[5] = {355, 412, 490, 547, 624};
    if (tag == 4) return Rect{624, 72, 688, 136};
    return Rect{lefts[tag], 76, lefts[tag] + 40, 116};
}

bool isBlackKey(int note) {
    const int pitch = note % 12;
    return pitch == 1 || pitch == 3 || pitch == 6 || pitch == 8 || pitch == 10;
}

Rect keyRect(int note) {
    int whitesBelow = 0;
    for (int n = 21; n < note; ++n) whitesBelow += !isBlackKey(n);
    if (!isBlackKey(note)) {
        const int left = 27 + 13 * whitesBelow;
        return Rect{left, 215, left + 13, 236};
    }
    // Distance from the white key just below, by pitch class (C#, D#, F#, G#, A#).
    int offset = 0;
    switch (note % 12) {
        case 1:
            offset = 8;
            break;
        case 3:
            offset = 10;
            break;
        case 6:
            offset = 7;
            break;
        case 8:
            offset = 9;
            break;
        case 10:
            offset = 11;
            break;
    }
    const int left = 27 + 13 * (whitesBelow - 1) + offset;
    return Rect{left, 187, left + 8, 212};
}

Picture expectedEditor(const float knobValues[5], const std::set<int>& pressedKeys, int percent) {
    const EditorPictures& p = EditorPictures::get(percent);
    Picture picture = p.background;
    if (picture.empty()) return picture;
    for (int tag = 0; tag < 5; ++tag) {
        const Rect r = scaled(knobRect(tag), percent);
        paste(picture, r, tag == 4 ? p.largeKnob : p.smallKnob, knobFrame(knobValues[tag]) * r.height());
    }
    for (int note = 21; note <= 108; ++note) {
        const Rect r = scaled(keyRect(note), percent);
        const bool pressed = pressedKeys.count(note) != 0;
        const Picture& keys = isBlackKey(note)                 ? p.blackKeys
                              : r.width() == p.whiteKeys.width ? p.whiteKeys
                                                               : p.otherWhiteKeys;
        if (keys.width != r.width()) return Picture();  // no picture for this key: nothing to compare with
        paste(picture, r, keys, pressed ? r.height() : 0);
    }
    return picture;
}

namespace {
bool withinTolerance(uint32_t a, uint32_t b, int tolerance) {
    for (int shift = 0; shift < 24; shift += 8)
        if (std::abs((int)((a >> shift) & 0xFF) - (int)((b >> shift) & 0xFF)) > tolerance) return false;
    return true;
}
}  // namespace

std::string differences(const Picture& actual, const Picture& expected, const Rect* area, int tolerance) {
    if (actual.width != expected.width || actual.height != expected.height) {
        std::ostringstream text;
        text << "size " << actual.width << "x" << actual.height << ", expected " << expected.width << "x"
             << expected.height;
        return text.str();
    }
    const Rect all{0, 0, actual.width, actual.height};
    const Rect& r = area ? *area : all;
    int count = 0, firstX = -1, firstY = -1;
    for (int y = r.top; y < r.bottom; ++y)
        for (int x = r.left; x < r.right; ++x)
            if (!withinTolerance(actual.at(x, y), expected.at(x, y), tolerance)) {
                if (count++ == 0) {
                    firstX = x;
                    firstY = y;
                }
            }
    if (count == 0) return std::string();
    std::ostringstream text;
    text << count << " pixels differ, first at (" << firstX << ", " << firstY << "): " << std::hex
         << actual.at(firstX, firstY) << " instead of " << expected.at(firstX, firstY);
    return text.str();
}

float rms(const std::vector<float>& samples, size_t from) {
    double sum = 0;
    size_t n = 0;
    for (size_t i = from; i < samples.size(); ++i, ++n) sum += (double)samples[i] * samples[i];
    return n ? (float)std::sqrt(sum / (double)n) : 0.f;
}

float periodicity(const std::vector<float>& samples, int lag) {
    double product = 0, first = 0, second = 0;
    for (size_t i = 0; i + lag < samples.size(); ++i) {
        product += (double)samples[i] * samples[i + lag];
        first += (double)samples[i] * samples[i];
        second += (double)samples[i + lag] * samples[i + lag];
    }
    return first > 0 && second > 0 ? (float)(product / std::sqrt(first * second)) : 0.f;
}

}  // namespace editortest
