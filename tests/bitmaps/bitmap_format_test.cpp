// The generator's files: the exact format the library embeds, no transparent
// white, and the same bytes on every run.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

#include "tests/bitmaps/bmp_reader.h"

namespace {

std::string builtFile(const BitmapEntry& e) { return std::string(QELT_BITMAP_DIR) + "/" + e.file; }

std::string freshDir() {
    char pattern[] = "/tmp/qelt-bitmaps-XXXXXX";
    const char* dir = mkdtemp(pattern);
    return dir ? dir : "";
}

int runGenerator(const std::string& args) {
    std::string command = std::string(QELT_MAKE_BITMAPS) + " " + args + " 2>/dev/null";
    int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

void removeDir(const std::string& dir) {
    for (const BitmapEntry& e : kBitmaps) unlink((dir + "/" + e.file).c_str());
    rmdir(dir.c_str());
}

TEST(BitmapFiles, AreBottomUpUncompressed24BitWithTheEditorsSizes) {
    for (const BitmapEntry& e : kBitmaps) {
        SCOPED_TRACE(e.file);
        BmpFile f = readBmp(builtFile(e));
        ASSERT_FALSE(f.bytes.empty());
        EXPECT_EQ(f.magic, 0x4d42);  // "BM"
        EXPECT_EQ(f.infoSize, 40u);
        EXPECT_EQ(f.pixelOffset, 54u);
        EXPECT_EQ(f.width, e.width);
        EXPECT_EQ(f.height, e.height) << "positive height: rows stored bottom-up";
        EXPECT_EQ(f.planes, 1);
        EXPECT_EQ(f.bitsPerPixel, 24);
        EXPECT_EQ(f.compression, 0u);
        EXPECT_EQ(f.imageSize, f.stride() * uint32_t(e.height));
        EXPECT_EQ(f.fileSize, 54 + f.imageSize);
        EXPECT_EQ(f.bytes.size(), size_t(f.fileSize));
        // Row padding is zero, so equal pictures are equal files.
        for (int y = 0; y < f.height && f.bytes.size() == f.fileSize; ++y)
            for (uint32_t p = uint32_t(f.width) * 3; p < f.stride(); ++p)
                ASSERT_EQ(f.bytes[54 + y * f.stride() + p], 0) << "row " << y;
    }
}

TEST(BitmapFiles, HaveNoPureWhitePixelThatATransparentDrawWouldDrop) {
    for (const BitmapEntry& e : kBitmaps) {
        BmpFile f = readBmp(builtFile(e));
        ASSERT_EQ(f.width, e.width) << e.file;
        int white = 0;
        for (int y = 0; y < f.height; ++y)
            for (int x = 0; x < f.width; ++x) white += f.at(x, y) == Pixel{255, 255, 255};
        EXPECT_EQ(white, 0) << e.file;
    }
}

TEST(BitmapGenerator, WritesTheSameBytesOnEveryRunAsTheBuildMade) {
    std::string a = freshDir(), b = freshDir();
    ASSERT_FALSE(a.empty());
    ASSERT_FALSE(b.empty());
    ASSERT_EQ(runGenerator("--out " + a), 0);
    ASSERT_EQ(runGenerator("--out " + b), 0);
    for (const BitmapEntry& e : kBitmaps) {
        SCOPED_TRACE(e.file);
        BmpFile first = readBmp(a + "/" + e.file), second = readBmp(b + "/" + e.file);
        ASSERT_FALSE(first.bytes.empty());
        EXPECT_TRUE(first.bytes == second.bytes);
        EXPECT_TRUE(first.bytes == readBmp(builtFile(e)).bytes) << "the build's copy is stale";
    }
    removeDir(a);
    removeDir(b);
}

TEST(BitmapGenerator, FailsLoudlyInsteadOfWritingWrongPictures) {
    std::string dir = freshDir();
    ASSERT_FALSE(dir.empty());
    EXPECT_NE(runGenerator(""), 0) << "no output folder";
    EXPECT_NE(runGenerator("--out"), 0) << "option without its value";
    EXPECT_NE(runGenerator("--out " + dir + " --colour red"), 0) << "unknown option";
    for (const char* scale : {"3", "1.25", "0", "1.5x", ""})
        EXPECT_NE(runGenerator("--out " + dir + " --scale '" + scale + "'"), 0) << "a scale not drawn for: " << scale;
    // Without its fonts it must not fall back to some other face.
    EXPECT_NE(runGenerator("--out " + dir + " --fonts " + dir + "/none"), 0);
    struct stat st;
    EXPECT_NE(stat((dir + "/background.bmp").c_str(), &st), 0) << "nothing written after a failure";
    EXPECT_NE(runGenerator("--out " + dir + "/missing/folder"), 0) << "unwritable output";
    removeDir(dir);
}

}  // namespace
