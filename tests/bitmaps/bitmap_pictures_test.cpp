// What the pictures show: knob pointers where the mouse geometry puts each
// frame's value, keys whose two pictures differ, and controls that sit on the
// background without seams.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <string>

#include "tests/bitmaps/bmp_reader.h"

namespace {

struct Rect {
    int left, top, right, bottom;
};

const Rect kKnobs[5] = {
    {355, 76, 395, 116}, {412, 76, 452, 116}, {490, 76, 530, 116}, {547, 76, 587, 116}, {624, 72, 688, 136},
};

bool isBlack(int note) {
    int k = note % 12;
    return k == 1 || k == 3 || k == 6 || k == 8 || k == 10;
}

// The editor places keys with two running rectangles in note order.
Rect keyRect(int note) {
    int white = 27, black = 38;
    for (int n = 21; n < note; ++n) {
        if (!isBlack(n)) white += 13;
        else black += (n % 12 == 3 || n % 12 == 10) ? 23 : 15;
    }
    return isBlack(note) ? Rect{black, 187, black + 8, 212} : Rect{white, 215, white + 13, 236};
}

const BmpFile& bitmap(int index) {
    static BmpFile files[5];
    if (files[index].bytes.empty())
        files[index] = readBmp(std::string(QELT_BITMAP_DIR) + "/" + kBitmaps[index].file);
    return files[index];
}
const BmpFile& background() { return bitmap(0); }

class Pictures : public ::testing::Test {
protected:
    void SetUp() override {
        for (int i = 0; i < 5; ++i) ASSERT_EQ(bitmap(i).width, kBitmaps[i].width) << kBitmaps[i].file;
    }
};

int channelDifference(const Pixel& a, const Pixel& b) {
    return std::abs(a.r - b.r) + std::abs(a.g - b.g) + std::abs(a.b - b.b);
}

// Angle of the pointer, in degrees counter-clockwise from the right, found
// as the centre of the brightest pixels on the knob.
double pointerAngle(const BmpFile& strip, int frame) {
    const int size = strip.width;
    const double c = size / 2.0;
    auto onKnob = [&](int x, int y) {
        double r = std::hypot(x + 0.5 - c, y + 0.5 - c);
        return r > 0.08 * size && r < 0.42 * size;
    };
    int brightest = 0;
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x)
            if (onKnob(x, y)) brightest = std::max(brightest, strip.at(x, frame * size + y).luminance());
    double sx = 0, sy = 0;
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            int w = strip.at(x, frame * size + y).luminance() - (brightest - 40);
            if (!onKnob(x, y) || w <= 0) continue;
            sx += w * (x + 0.5 - c);
            sy += w * (c - (y + 0.5));
        }
    return std::atan2(sy, sx) * 180 / M_PI;
}

double angleBetween(double a, double b) {
    double d = std::fmod(a - b, 360.0);
    if (d > 180) d -= 360;
    if (d < -180) d += 360;
    return d;
}

TEST_F(Pictures, KeyRectanglesFollowTheEditorsLayout) {
    // Spot checks of the rule the tests below rely on.
    EXPECT_EQ(keyRect(21).left, 27);
    EXPECT_EQ(keyRect(22).left, 38);
    EXPECT_EQ(keyRect(25).left, 61);
    EXPECT_EQ(keyRect(30).left, 99);
    EXPECT_EQ(keyRect(106).left, 675);
    EXPECT_EQ(keyRect(108).left, 690);
}

TEST_F(Pictures, ReleasedKeyPictureIsExactlyTheKeyboardUnderEveryKey) {
    for (int note = 21; note <= 108; ++note) {
        const BmpFile& keys = bitmap(isBlack(note) ? 4 : 3);
        Rect r = keyRect(note);
        int mismatches = 0;
        for (int y = r.top; y < r.bottom; ++y)
            for (int x = r.left; x < r.right; ++x)
                mismatches += !(keys.at(x - r.left, y - r.top) == background().at(x, y));
        EXPECT_EQ(mismatches, 0) << "note " << note;
    }
}

TEST_F(Pictures, PressedKeysClearlyDifferFromReleasedOnes) {
    for (int i : {3, 4}) {
        const BmpFile& keys = bitmap(i);
        const int h = keys.height / 2;
        long total = 0;
        int changed = 0;
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < keys.width; ++x) {
                int d = channelDifference(keys.at(x, y), keys.at(x, y + h));
                total += d;
                changed += d >= 30;
            }
        const int n = keys.width * h;
        SCOPED_TRACE(kBitmaps[i].file);
        EXPECT_GE(double(total) / n, 40.0) << "mean difference over the three channels";
        EXPECT_GE(changed, n / 2) << "pixels that visibly change";
    }
}

TEST_F(Pictures, WhiteKeyPictureContinuesTheKeyAboveIt) {
    // The key control covers only the front of a white key; its released
    // picture must carry on the key body drawn above it.
    const BmpFile& keys = bitmap(3);
    for (int note : {21, 60, 108}) {
        Rect r = keyRect(note);
        long total = 0;
        for (int x = 1; x < 13; ++x) total += channelDifference(keys.at(x, 0), background().at(r.left + x, r.top - 1));
        EXPECT_LE(total / 12, 30) << "note " << note;
    }
}

TEST_F(Pictures, EachKnobFramePointsWhereTheMouseGeometryPutsItsValue) {
    // At every scale the generator draws.
    const char* const scales[3][2] = {{"/", "100"}, {"/150/", "150"}, {"/200/", "200"}};
    for (const auto& scale : scales)
        for (int i : {1, 2}) {
            SCOPED_TRACE(scale[0]);
            const BmpFile strip = readBmp(std::string(QELT_BITMAP_DIR) + scale[0] + kBitmaps[i].file);
            ASSERT_GT(strip.width, 0);
            const int frames = strip.height / strip.width;
            ASSERT_EQ(frames, 64);
            double worst = 0;
            for (int k = 0; k < frames; ++k) {
                double expected = 225.0 - 270.0 * k / 63;  // frame k is shown from value k/63 on
                double error = angleBetween(pointerAngle(strip, k), expected);
                worst = std::max(worst, std::fabs(error));
                EXPECT_LT(std::fabs(error), 1.5) << kBitmaps[i].file << " frame " << k;
            }
            RecordProperty(std::string("worst_angle_error_") + (i == 1 ? "small_" : "large_") + scale[1],
                           std::to_string(worst));
        }
}

TEST_F(Pictures, KnobFramesMeetThePanelWithoutSeams) {
    for (int i = 0; i < 5; ++i) {
        const Rect& r = kKnobs[i];
        const BmpFile& strip = bitmap(i < 4 ? 1 : 2);
        const int size = r.right - r.left;
        SCOPED_TRACE(i);
        // Every frame leaves the square's edge as the panel has it.
        for (int k = 0; k < 64; ++k) {
            int mismatches = 0;
            for (int t = 0; t < size; ++t) {
                mismatches += !(strip.at(t, k * size) == background().at(r.left + t, r.top));
                mismatches += !(strip.at(t, k * size + size - 1) == background().at(r.left + t, r.bottom - 1));
                mismatches += !(strip.at(0, k * size + t) == background().at(r.left, r.top + t));
                mismatches += !(strip.at(size - 1, k * size + t) == background().at(r.right - 1, r.top + t));
            }
            EXPECT_EQ(mismatches, 0) << "frame " << k;
        }
        // Across the square's edge the panel changes no more than it does
        // one pixel further out.
        long across = 0, outside = 0;
        for (int t = 0; t < size; ++t) {
            across += channelDifference(strip.at(t, 0), background().at(r.left + t, r.top - 1));
            outside += channelDifference(background().at(r.left + t, r.top - 1), background().at(r.left + t, r.top - 2));
            across += channelDifference(strip.at(t, size - 1), background().at(r.left + t, r.bottom));
            outside += channelDifference(background().at(r.left + t, r.bottom), background().at(r.left + t, r.bottom + 1));
            across += channelDifference(strip.at(0, t), background().at(r.left - 1, r.top + t));
            outside += channelDifference(background().at(r.left - 1, r.top + t), background().at(r.left - 2, r.top + t));
            across += channelDifference(strip.at(size - 1, t), background().at(r.right, r.top + t));
            outside += channelDifference(background().at(r.right, r.top + t), background().at(r.right + 1, r.top + t));
        }
        EXPECT_LE(across, outside + 4 * size * 2) << "a visible edge around the knob";
    }
}

TEST_F(Pictures, BackgroundShowsEachKnobAtTheDefaultProgram) {
    // Sustain, Treble, LFO depth 0.5, LFO Rate 0.65, Volume 1.0.
    const int frames[5] = {31, 31, 31, 40, 63};
    for (int i = 0; i < 5; ++i) {
        const Rect& r = kKnobs[i];
        const BmpFile& strip = bitmap(i < 4 ? 1 : 2);
        const int size = r.right - r.left;
        int mismatches = 0;
        for (int y = 0; y < size; ++y)
            for (int x = 0; x < size; ++x)
                mismatches += !(strip.at(x, frames[i] * size + y) == background().at(r.left + x, r.top + y));
        EXPECT_EQ(mismatches, 0) << "knob " << i;
    }
}

}  // namespace
