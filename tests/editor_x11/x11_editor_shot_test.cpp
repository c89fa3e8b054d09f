// The renderer's editor shot on X11: the saved picture is the editor as it
// shows itself, and a missing display is an error, not a crash.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "tests/bitmaps/bmp_reader.h"
#include "tests/editor/editor_pictures.h"
#include "tests/support/plugin_under_test.h"
#include "tools/render-midi/editor_shot.h"

namespace {

using editortest::Picture;

Picture pictureOf(const BmpFile& file) {
    Picture picture;
    picture.width = file.width;
    picture.height = file.height < 0 ? -file.height : file.height;
    picture.pixels.resize((size_t)picture.width * picture.height);
    for (int y = 0; y < picture.height; ++y)
        for (int x = 0; x < picture.width; ++x) {
            const Pixel p = file.at(x, y);
            picture.at(x, y) = (uint32_t)(p.r << 16 | p.g << 8 | p.b);
        }
    return picture;
}

class X11EditorShot : public ::testing::Test {
protected:
    void SetUp() override {
        std::string error;
        VstEntryProc entry = pluginEntry();
        ASSERT_TRUE(entry) << "the plug-in does not load";
        ASSERT_TRUE(host.start(entry, 44100, 512, &error)) << error;
        path = ::testing::TempDir() + "x11_editor_shot.bmp";
        std::remove(path.c_str());
    }
    RenderHost host;
    std::string path;
};

TEST_F(X11EditorShot, SavesTheEditorAsItShowsItself) {
    ASSERT_TRUE(std::getenv("DISPLAY")) << "no X display";
    EditorShot shot;
    std::string error;
    ASSERT_TRUE(saveEditorShot(host, path, 200, &shot, &error)) << error;
    EXPECT_EQ(shot.width, 730);
    EXPECT_EQ(shot.height, 248);
    EXPECT_FALSE(shot.blank);
    float values[5];
    for (int i = 0; i < 5; ++i) values[i] = host.instance()->getParameter(i);
    EXPECT_EQ(editortest::differences(pictureOf(readBmp(path)), editortest::expectedEditor(values, {})), "");
}

TEST_F(X11EditorShot, WithoutADisplayItSaysSoAndWritesNothing) {
    const char* display = std::getenv("DISPLAY");
    const std::string saved = display ? display : "";
    unsetenv("DISPLAY");
    EditorShot shot;
    std::string error;
    EXPECT_FALSE(saveEditorShot(host, path, 50, &shot, &error));
    EXPECT_NE(error.find("display"), std::string::npos) << error;
    if (display) setenv("DISPLAY", saved.c_str(), 1);
    EXPECT_EQ(std::fopen(path.c_str(), "rb"), nullptr);
}

}  // namespace
