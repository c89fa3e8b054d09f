// The bitmaps embedded in the Linux plug-in are the generator's files, byte
// for byte, under the numbers the editor asks for: BMP files at 100 %, the
// packed pictures at 150 % and 200 %.
#include "resources/bitmaps/embedded_bitmaps.h"

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

std::vector<unsigned char> fileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<unsigned char>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

TEST(EmbeddedBitmaps, EachNumberHoldsItsFile) {
    const struct {
        int32_t id;
        const char* file;
    } bitmaps[] = {{128, "background.bmp"},
                   {130, "knob-small.bmp"},
                   {132, "knob-large.bmp"},
                   {134, "keys-white.bmp"},
                   {135, "keys-black.bmp"},
                   {137, "scale-menu.bmp"},
                   {1128, "150/background.qpp"},
                   {1130, "150/knob-small.qpp"},
                   {1132, "150/knob-large.qpp"},
                   {1134, "150/keys-white.qpp"},
                   {1135, "150/keys-black.qpp"},
                   {1136, "150/keys-white-other.qpp"},
                   {1137, "150/scale-menu.qpp"},
                   {2128, "200/background.qpp"},
                   {2130, "200/knob-small.qpp"},
                   {2132, "200/knob-large.qpp"},
                   {2134, "200/keys-white.qpp"},
                   {2135, "200/keys-black.qpp"},
                   {2137, "200/scale-menu.qpp"}};
    for (const auto& b : bitmaps) {
        SCOPED_TRACE(b.file);
        std::vector<unsigned char> expected = fileBytes(std::string(QELT_BITMAP_DIR) + "/" + b.file);
        ASSERT_GT(expected.size(), 54u);
        EmbeddedBitmap found = embeddedBitmap(b.id);
        ASSERT_NE(found.bytes, nullptr);
        ASSERT_EQ(found.size, expected.size());
        EXPECT_EQ(std::memcmp(found.bytes, expected.data(), expected.size()), 0);
    }
}

TEST(EmbeddedBitmaps, OtherNumbersHaveNone) {
    for (int32_t id : {0, -1, 127, 129, 131, 133, 136, 138, 1127, 1138, 2136, 2138, 3128, 1 << 30}) {
        EXPECT_EQ(embeddedBitmap(id).bytes, nullptr) << id;
        EXPECT_EQ(embeddedBitmap(id).size, 0u) << id;
    }
}

}  // namespace
