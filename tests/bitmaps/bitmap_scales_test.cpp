// The 1.5x and 2x pictures: sizes by the rounding rule, the same fit of keys
// to keyboard as at 1x, and drawn afresh rather than stretched from 1x. The
// 1x files are still the ones the editor had before it had scales.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>

#include "resources/bitmaps/packed_picture.h"
#include "tests/bitmaps/bmp_reader.h"

namespace {

struct ScaleDir {
    double scale;
    const char* dir;
};
const ScaleDir kScaled[] = {{1.5, "/150/"}, {2.0, "/200/"}};

int device(int edge, double scale) { return int(std::floor(edge * scale + 0.5)); }

BmpFile load(const char* dir, const std::string& file) { return readBmp(std::string(QELT_BITMAP_DIR) + dir + file); }

// Knob squares and key rectangles at 1x, as the editor places them.
const int kSmallKnob[4] = {355, 76, 395, 116}, kLargeKnob[4] = {624, 72, 688, 136};

bool isBlack(int note) {
    int k = note % 12;
    return k == 1 || k == 3 || k == 6 || k == 8 || k == 10;
}

struct Rect {
    int left, top, right, bottom;
};

Rect keyRect(int note) {
    int white = 27, black = 38;
    for (int n = 21; n < note; ++n) {
        if (!isBlack(n))
            white += 13;
        else
            black += (n % 12 == 3 || n % 12 == 10) ? 23 : 15;
    }
    return isBlack(note) ? Rect{black, 187, black + 8, 212} : Rect{white, 215, white + 13, 236};
}

int channelDifference(const Pixel& a, const Pixel& b) {
    return std::abs(a.r - b.r) + std::abs(a.g - b.g) + std::abs(a.b - b.b);
}

TEST(ScaledBitmaps, AreTheRoundedScaleOfThe1xPictures) {
    for (const ScaleDir& s : kScaled) {
        SCOPED_TRACE(s.dir);
        auto size = [&](int from, int to) { return device(to, s.scale) - device(from, s.scale); };
        const int small = size(kSmallKnob[0], kSmallKnob[2]), large = size(kLargeKnob[0], kLargeKnob[2]);
        const int white[4] = {27, 215, 40, 236}, black[4] = {38, 187, 46, 212};
        const struct {
            const char* file;
            int width, height;
        } expected[] = {
            {"background.bmp", size(0, 730), size(0, 248)},
            {"knob-small.bmp", small, 64 * small},
            {"knob-large.bmp", large, 64 * large},
            {"keys-white.bmp", size(white[0], white[2]), 2 * size(white[1], white[3])},
            {"keys-black.bmp", size(black[0], black[2]), 2 * size(black[1], black[3])},
        };
        for (const auto& e : expected) {
            BmpFile f = load(s.dir, e.file);
            ASSERT_FALSE(f.bytes.empty()) << e.file;
            EXPECT_EQ(f.width, e.width) << e.file;
            EXPECT_EQ(f.height, e.height) << e.file;
            EXPECT_EQ(f.bitsPerPixel, 24) << e.file;
            EXPECT_EQ(f.compression, 0u) << e.file;
            EXPECT_EQ(f.fileSize, f.bytes.size()) << e.file;
        }
    }
    EXPECT_EQ(load("/200/", "background.bmp").width, 1460);
    EXPECT_EQ(load("/150/", "background.bmp").width, 1095);
    EXPECT_EQ(load("/150/", "knob-small.bmp").width, 60) << "every small knob rounds to one size";
}

TEST(ScaledBitmaps, EveryKeyIsExactlyThePictureOfItsWidth) {
    for (const ScaleDir& s : kScaled) {
        BmpFile bg = load(s.dir, "background.bmp");
        BmpFile whites[2] = {load(s.dir, "keys-white.bmp"), load(s.dir, "keys-white-other.bmp")};
        BmpFile blacks = load(s.dir, "keys-black.bmp");
        ASSERT_FALSE(bg.bytes.empty());
        int widths[2] = {0, 0};
        for (int note = 21; note <= 108; ++note) {
            const Rect r = keyRect(note);
            const int left = device(r.left, s.scale), top = device(r.top, s.scale);
            const int w = device(r.right, s.scale) - left, h = device(r.bottom, s.scale) - top;
            const BmpFile* keys = isBlack(note) ? &blacks : whites[0].width == w ? &whites[0] : &whites[1];
            if (!isBlack(note)) widths[keys == &whites[1]] = w;
            ASSERT_EQ(keys->width, w) << s.dir << " note " << note << ": no picture of this width";
            ASSERT_EQ(keys->height, 2 * h);
            int mismatches = 0, pressedChanged = 0;
            for (int y = 0; y < h; ++y)
                for (int x = 0; x < w; ++x) {
                    mismatches += !(keys->at(x, y) == bg.at(left + x, top + y));
                    pressedChanged += channelDifference(keys->at(x, y), keys->at(x, y + h)) >= 30;
                }
            EXPECT_EQ(mismatches, 0) << s.dir << " note " << note;
            EXPECT_GE(pressedChanged, w * h / 2) << s.dir << " note " << note;
        }
        // 13 x 1.5 is not whole: white keys come in two widths there, at 2x in one.
        if (s.scale == 1.5)
            EXPECT_EQ(std::abs(widths[0] - widths[1]), 1);
        else
            EXPECT_TRUE(whites[1].bytes.empty()) << "no second white key picture at 2x";
    }
}

TEST(ScaledBitmaps, OnePixelLinesCoverWholeDevicePixels) {
    // The engraved line left of the tone knobs (1x column 336, dark, with its
    // lit edge at 337) and the plate's top bevel (1x row 6, lit): at every
    // scale each 1x pixel of them is a block of equal device pixels, as dark
    // or as bright as at 1x, not smeared over its neighbours.
    BmpFile x1 = load("/", "background.bmp");
    for (const ScaleDir& s : kScaled) {
        BmpFile bg = load(s.dir, "background.bmp");
        ASSERT_FALSE(bg.bytes.empty());
        const int row = device(90, s.scale), column = device(100, s.scale);
        for (int x = 334; x < 340; ++x)
            for (int d = device(x, s.scale); d < device(x + 1, s.scale); ++d)
                EXPECT_LE(channelDifference(bg.at(d, row), x1.at(x, 90)), 6) << s.dir << " column " << x;
        const int top = device(6, s.scale), bottom = device(7, s.scale);
        for (int d = top; d < bottom; ++d) EXPECT_LE(channelDifference(bg.at(column, d), x1.at(100, 6)), 12) << s.dir;
        // Above it the case's vinyl, below it the plate: both far darker.
        EXPECT_GE(channelDifference(bg.at(column, top), bg.at(column, top - 1)), 200) << s.dir;
        EXPECT_GE(channelDifference(bg.at(column, bottom - 1), bg.at(column, bottom)), 120) << s.dir;
    }
    EXPECT_GE(channelDifference(x1.at(336, 90), x1.at(335, 90)), 60) << "the line is a clear one";
    EXPECT_GE(channelDifference(x1.at(100, 6), x1.at(100, 5)), 200);
}

// A pixel of the 1x picture upscaled twice, nearest-neighbour or bilinear
// (pixel centres aligned): what a host that stretches the editor shows.
Pixel upscaled(const BmpFile& x1, int x, int y, bool bilinear) {
    if (!bilinear) return x1.at(x / 2, y / 2);
    double fx = std::min(std::max((x + 0.5) / 2 - 0.5, 0.0), x1.width - 1.0);
    double fy = std::min(std::max((y + 0.5) / 2 - 0.5, 0.0), x1.height - 1.0);
    int x0 = std::min(int(fx), x1.width - 2), y0 = std::min(int(fy), x1.height - 2);
    double ax = fx - x0, ay = fy - y0;
    auto mix = [&](int Pixel::*c) {
        double top = x1.at(x0, y0).*c * (1 - ax) + x1.at(x0 + 1, y0).*c * ax;
        double bottom = x1.at(x0, y0 + 1).*c * (1 - ax) + x1.at(x0 + 1, y0 + 1).*c * ax;
        return int(std::lround(top * (1 - ay) + bottom * ay));
    };
    return Pixel{mix(&Pixel::r), mix(&Pixel::g), mix(&Pixel::b)};
}

TEST(ScaledBitmaps, TwiceIsDrawnNotStretched) {
    BmpFile x1 = load("/", "background.bmp"), x2 = load("/200/", "background.bmp");
    ASSERT_EQ(x2.width, 2 * x1.width);
    ASSERT_EQ(x2.height, 2 * x1.height);
    for (bool bilinear : {false, true}) {
        // Mean difference over the three channels.
        double total = 0;
        for (int y = 0; y < x2.height; ++y)
            for (int x = 0; x < x2.width; ++x) total += channelDifference(upscaled(x1, x, y, bilinear), x2.at(x, y));
        const double mean = total / (double(x2.width) * x2.height);
        RecordProperty(bilinear ? "mean_difference_from_bilinear" : "mean_difference_from_nearest",
                       std::to_string(mean));
        EXPECT_GE(mean, 6.0) << (bilinear ? "bilinear" : "nearest");
    }
}

// Sharpness of a knob's outline in a background (pixel(x, y)): along every
// device row and column that crosses the skirt's rim, the steepest luminance
// step between neighbouring device pixels within two 1x pixels of the rim,
// averaged over all of them (the rim falls at every sub-pixel phase, so luck
// cancels out).
template <class PixelAt>
double rimSharpness(PixelAt pixel, const int box[4], double scale) {
    const int l = device(box[0], scale), t = device(box[1], scale);
    const int size = device(box[2], scale) - l;
    const double c = size / 2.0, rim = 15.5 * (box[2] - box[0]) / 40.0 * scale, reach = 2 * scale;
    auto lum = [&](int x, int y, bool across) {
        return (across ? pixel(l + y, t + x) : pixel(l + x, t + y)).luminance();
    };
    long total = 0;
    int lines = 0;
    for (bool across : {false, true})
        for (int v = int(c - rim / 2); v < int(c + rim / 2); ++v) {
            const double half = std::sqrt(rim * rim - (v + 0.5 - c) * (v + 0.5 - c));
            for (int side : {-1, 1}) {
                int steepest = 0;
                for (int u = int(c + side * half - reach); u <= int(c + side * half + reach); ++u)
                    steepest = std::max(steepest, std::abs(lum(u, v, across) - lum(u + 1, v, across)));
                total += steepest;
                ++lines;
            }
        }
    return double(total) / lines;
}

TEST(ScaledBitmaps, KnobOutlinesAreAtLeastAsSharpAsAt1x) {
    BmpFile x1 = load("/", "background.bmp");
    ASSERT_FALSE(x1.bytes.empty());
    auto from = [](const BmpFile& f) { return [&f](int x, int y) { return f.at(x, y); }; };
    for (const int* box : {kSmallKnob, kLargeKnob}) {
        const double at1x = rimSharpness(from(x1), box, 1.0);
        EXPECT_GE(at1x, 12) << "the rim is a clear edge at 1x";
        // The measure tells stretching: a bilinear upscale is far softer.
        const double stretched = rimSharpness([&](int x, int y) { return upscaled(x1, x, y, true); }, box, 2.0);
        EXPECT_LE(stretched, 0.7 * at1x) << "knob at " << box[0];
        for (const ScaleDir& s : kScaled) {
            BmpFile scaled = load(s.dir, "background.bmp");
            ASSERT_FALSE(scaled.bytes.empty());
            double sharpness = rimSharpness(from(scaled), box, s.scale);
            RecordProperty(std::string("rim_sharpness_") + std::to_string(box[0]) + "_at_" + std::string(s.dir + 1, 3),
                           std::to_string(sharpness) + " (1x " + std::to_string(at1x) + ", bilinear 2x " +
                               std::to_string(stretched) + ")");
            EXPECT_GE(sharpness, at1x) << s.dir << " knob at " << box[0];
        }
    }
}

const char* const kScaledFiles[] = {"background", "knob-small", "knob-large",
                                    "keys-white", "keys-black", "keys-white-other"};

TEST(ScaledBitmaps, PackedForEmbeddingTheyUnpackToExactlyTheDrawnPictures) {
    size_t packedTotal = 0, bmpTotal = 0;
    for (const ScaleDir& s : kScaled)
        for (const char* name : kScaledFiles) {
            BmpFile bmp = load(s.dir, std::string(name) + ".bmp");
            BmpFile packed = load(s.dir, std::string(name) + ".qpp");  // the raw bytes are all we use
            if (bmp.bytes.empty() && s.scale == 2.0 && std::string(name) == "keys-white-other") continue;
            SCOPED_TRACE(std::string(s.dir) + name);
            ASSERT_FALSE(bmp.bytes.empty());
            UnpackedPicture picture;
            ASSERT_TRUE(unpackPicture(packed.bytes.data(), packed.bytes.size(), &picture));
            ASSERT_EQ(picture.width, bmp.width);
            ASSERT_EQ(picture.height, bmp.height);
            int mismatches = 0;
            for (int y = 0; y < bmp.height; ++y)
                for (int x = 0; x < bmp.width; ++x) {
                    const uint8_t* p = &picture.rgb[(size_t(y) * bmp.width + x) * 3];
                    mismatches += !(Pixel{p[0], p[1], p[2]} == bmp.at(x, y));
                }
            EXPECT_EQ(mismatches, 0);
            packedTotal += packed.bytes.size();
            bmpTotal += bmp.bytes.size();

            // Cut short, lengthened or with a wrong header it is refused.
            std::vector<uint8_t> bad = packed.bytes;
            bad.pop_back();
            EXPECT_FALSE(unpackPicture(bad.data(), bad.size(), &picture));
            EXPECT_TRUE(picture.rgb.empty());
            bad = packed.bytes;
            bad.push_back(0);
            EXPECT_FALSE(unpackPicture(bad.data(), bad.size(), &picture));
            bad = packed.bytes;
            bad[8] = 0xff, bad[9] = 0xff, bad[10] = 0xff;  // height far beyond the data
            EXPECT_FALSE(unpackPicture(bad.data(), bad.size(), &picture));
        }
    RecordProperty("packed_bytes", std::to_string(packedTotal));
    RecordProperty("bmp_bytes", std::to_string(bmpTotal));
    // What the binaries grow by: well under 4 MB.
    EXPECT_LT(packedTotal, 3u << 20);
    UnpackedPicture none;
    EXPECT_FALSE(unpackPicture(nullptr, 0, &none));
}

uint64_t fnv1a(const std::vector<uint8_t>& bytes) {
    uint64_t h = 0xcbf29ce484222325ull;
    for (uint8_t b : bytes) h = (h ^ b) * 0x100000001b3ull;
    return h;
}

TEST(ScaledBitmaps, The1xFilesAreTheEditorsPicturesFromBeforeScales) {
    // Hashes of the files as the editor shipped them with one scale only.
    const uint64_t known[5] = {0x699819eb092efa80ull, 0x0302102b3ae72a3eull, 0x3d13f6bd0aa25e90ull,
                               0xc761f277f8c2d269ull, 0x7dc767db63cf53b3ull};
    for (int i = 0; i < 5; ++i) {
        BmpFile f = load("/", kBitmaps[i].file);
        ASSERT_FALSE(f.bytes.empty());
        EXPECT_EQ(fnv1a(f.bytes), known[i]) << kBitmaps[i].file;
    }
}

}  // namespace
