// The five bitmaps as the editor finds them: resources of the real DLL,
// loaded through Win32 as the toolkit loads them; at 150 % and 200 % packed
// pictures kept as data.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "resources/bitmaps/packed_picture.h"
#include "tests/bitmaps/bmp_reader.h"

namespace {

HMODULE library() {
    static HMODULE module = LoadLibraryA("Qelt-epiano.dll");
    return module;
}

// The generator's file, reached from Wine through the drive that maps the
// Unix root.
BmpFile generatedFile(const BitmapEntry& e) {
    std::string dir = QELT_BITMAP_DIR;
    if (!dir.empty() && dir[0] == '/') dir = "Z:" + dir;
    return readBmp(dir + "/" + e.file);
}

TEST(BitmapResources, EachIsTheGeneratedPictureStoredAs24BitBitmap) {
    ASSERT_NE(library(), nullptr);
    for (const BitmapEntry& e : kBitmaps) {
        SCOPED_TRACE(e.resourceId);
        HRSRC found = FindResourceA(library(), MAKEINTRESOURCEA(e.resourceId), MAKEINTRESOURCEA(2) /* RT_BITMAP */);
        ASSERT_NE(found, nullptr);
        HGLOBAL loaded = LoadResource(library(), found);
        ASSERT_NE(loaded, nullptr);
        const uint8_t* data = static_cast<const uint8_t*>(LockResource(loaded));
        ASSERT_NE(data, nullptr);
        DWORD size = SizeofResource(library(), found);
        ASSERT_GE(size, sizeof(BITMAPINFOHEADER));
        BITMAPINFOHEADER info;
        std::memcpy(&info, data, sizeof info);
        EXPECT_EQ(info.biSize, 40u);
        EXPECT_EQ(info.biWidth, e.width);
        EXPECT_EQ(info.biHeight, e.height);
        EXPECT_EQ(info.biBitCount, 24);
        EXPECT_EQ(info.biCompression, DWORD(BI_RGB));

        // A resource is the file without its 14-byte file header.
        BmpFile file = generatedFile(e);
        ASSERT_FALSE(file.bytes.empty()) << e.file;
        ASSERT_EQ(size_t(size), file.bytes.size() - 14);
        EXPECT_EQ(std::memcmp(data, file.bytes.data() + 14, size), 0) << "embedded picture differs from " << e.file;
    }
}

TEST(BitmapResources, LoadThroughUser32WithTheirSizesAndDepth) {
    ASSERT_NE(library(), nullptr);
    for (const BitmapEntry& e : kBitmaps) {
        SCOPED_TRACE(e.resourceId);
        // The toolkit's way: a device-dependent bitmap and its description.
        HBITMAP bitmap = LoadBitmapA(library(), MAKEINTRESOURCEA(e.resourceId));
        ASSERT_NE(bitmap, nullptr);
        BITMAP description;
        ASSERT_EQ(GetObjectA(bitmap, sizeof description, &description), int(sizeof description));
        EXPECT_EQ(description.bmWidth, e.width);
        EXPECT_EQ(description.bmHeight, e.height);
        DeleteObject(bitmap);

        // As a DIB section the stored depth shows: 24 bits per pixel.
        HANDLE image = LoadImageA(library(), MAKEINTRESOURCEA(e.resourceId), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION);
        ASSERT_NE(image, nullptr);
        DIBSECTION section;
        ASSERT_EQ(GetObjectA(image, sizeof section, &section), int(sizeof section));
        EXPECT_EQ(section.dsBm.bmWidth, e.width);
        EXPECT_EQ(section.dsBm.bmHeight, e.height);
        EXPECT_EQ(section.dsBm.bmBitsPixel, 24);
        EXPECT_EQ(section.dsBmih.biCompression, DWORD(BI_RGB));
        DeleteObject(image);
    }
}

TEST(BitmapResources, EachScaleIsPackedDataThatUnpacksToTheGeneratedPicture) {
    ASSERT_NE(library(), nullptr);
    for (int percent : {150, 200})
        for (const BitmapEntry& e : kBitmaps) {
            const int id = scaledResourceId(e.resourceId, percent);
            SCOPED_TRACE(id);
            HRSRC found = FindResourceA(library(), MAKEINTRESOURCEA(id), MAKEINTRESOURCEA(10) /* RT_RCDATA */);
            ASSERT_NE(found, nullptr);
            const void* data = LockResource(LoadResource(library(), found));
            ASSERT_NE(data, nullptr);
            UnpackedPicture picture;
            ASSERT_TRUE(unpackPicture(static_cast<const uint8_t*>(data), SizeofResource(library(), found), &picture));
            BitmapEntry scaled = e;
            std::string file = std::string(percent == 150 ? "150/" : "200/") + e.file;
            scaled.file = file.c_str();
            BmpFile drawn = generatedFile(scaled);
            ASSERT_EQ(picture.width, drawn.width);
            ASSERT_EQ(picture.height, drawn.height);
            int mismatches = 0;
            for (int y = 0; y < drawn.height; ++y)
                for (int x = 0; x < drawn.width; ++x) {
                    const uint8_t* p = &picture.rgb[(size_t(y) * drawn.width + x) * 3];
                    mismatches += !(Pixel{p[0], p[1], p[2]} == drawn.at(x, y));
                }
            EXPECT_EQ(mismatches, 0);
        }
    // White keys of the other width exist only at 150 %.
    EXPECT_NE(FindResourceA(library(), MAKEINTRESOURCEA(1136), MAKEINTRESOURCEA(10)), nullptr);
    EXPECT_EQ(FindResourceA(library(), MAKEINTRESOURCEA(2136), MAKEINTRESOURCEA(10)), nullptr);
    // The menu of scales at each scale.
    EXPECT_NE(FindResourceA(library(), MAKEINTRESOURCEA(137), MAKEINTRESOURCEA(2)), nullptr);
    for (int id : {1137, 2137}) EXPECT_NE(FindResourceA(library(), MAKEINTRESOURCEA(id), MAKEINTRESOURCEA(10)), nullptr) << id;
}

TEST(BitmapResources, NoOtherBitmapIdsAreTakenByThem) {
    // The editor asks for exactly these numbers; neighbours stay free.
    ASSERT_NE(library(), nullptr);
    for (int id : {127, 129, 131, 133, 136, 138})
        EXPECT_EQ(FindResourceA(library(), MAKEINTRESOURCEA(id), MAKEINTRESOURCEA(2)), nullptr) << id;
}

}  // namespace
