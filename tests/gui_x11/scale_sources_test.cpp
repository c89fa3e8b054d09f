// Where the editor's scale comes from, below the windows: the rounding of any
// factor to the scales the pictures exist at, the player's settings file as
// written and read back, and the system's word as X11 states it.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <string>

#include "editor/editor_scale.h"
#include "gui/system_scale.h"
#include "tests/editor/editor_pictures.h"

namespace {

TEST(ScaleRounding, AnyFactorGoesToTheNearestScaleAndNonsenseToNone) {
    const double inf = std::numeric_limits<double>::infinity();
    const struct {
        double factor;
        int percent;
    } cases[] = {{1.0, 100},  {0.5, 100},   {1.2499, 100}, {1.25, 150}, {1.5, 150}, {1.7499, 150}, {1.75, 200},
                 {2.0, 200},  {3.0, 200},   {1e300, 200},  {1e-300, 100}, {0.0, 0}, {-1.5, 0},    {NAN, 0},
                 {inf, 0},    {-inf, 0}};
    for (const auto& c : cases) EXPECT_EQ(editorscale::nearestPercent(c.factor), c.percent) << c.factor;
}

class SettingsFile : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/qelt-settings-XXXXXX";
        ASSERT_TRUE(mkdtemp(pattern));
        home = pattern;
        const char* before = std::getenv("XDG_CONFIG_HOME");
        hadBefore = before != nullptr;
        if (before) saved = before;
        setenv("XDG_CONFIG_HOME", (home + "/config").c_str(), 1);
    }
    void TearDown() override {
        if (hadBefore)
            setenv("XDG_CONFIG_HOME", saved.c_str(), 1);
        else
            unsetenv("XDG_CONFIG_HOME");
        std::system(("rm -rf '" + home + "'").c_str());
    }
    std::string contents() const { return editortest::fileText(editorscale::settingsPath()); }
    std::string home, saved;
    bool hadBefore = false;
};

TEST_F(SettingsFile, EachChoiceIsWrittenWholeAndReadBack) {
    EXPECT_EQ(editorscale::settingsPath(), home + "/config/Qelt-epiano/settings");
    EXPECT_EQ(editorscale::readChoice(), editorscale::kAutomatic) << "no file yet";
    for (int percent : {150, 200, 100, editorscale::kAutomatic, 200}) {
        ASSERT_TRUE(editorscale::writeChoice(percent)) << "folders made as needed";
        EXPECT_EQ(editorscale::readChoice(), percent);
    }
    EXPECT_EQ(contents(), "scale=200\n");
    struct stat seen;
    EXPECT_NE(stat((editorscale::settingsPath() + ".new").c_str(), &seen), 0) << "no temporary file left";
    for (int refused : {50, 125, 300, -1}) EXPECT_FALSE(editorscale::writeChoice(refused)) << refused;
    EXPECT_EQ(contents(), "scale=200\n") << "a refused choice leaves the file as it was";
}

TEST_F(SettingsFile, WithoutAPlaceToKeepItTheChoiceIsNotKeptAndNothingFails) {
    setenv("XDG_CONFIG_HOME", "relative/dir", 1);  // ignored, as the base directory rules say
    const char* homeBefore = std::getenv("HOME");
    const std::string savedHome = homeBefore ? homeBefore : "";
    setenv("HOME", home.c_str(), 1);
    EXPECT_EQ(editorscale::settingsPath(), home + "/.config/Qelt-epiano/settings");
    unsetenv("HOME");
    EXPECT_EQ(editorscale::settingsPath(), "");
    EXPECT_FALSE(editorscale::writeChoice(150));
    EXPECT_EQ(editorscale::readChoice(), editorscale::kAutomatic);
    // A file where the folder should be.
    setenv("XDG_CONFIG_HOME", (home + "/blocked").c_str(), 1);
    FILE* file = std::fopen((home + "/blocked").c_str(), "wb");
    ASSERT_TRUE(file);
    std::fclose(file);
    EXPECT_FALSE(editorscale::writeChoice(150));
    EXPECT_EQ(editorscale::readChoice(), editorscale::kAutomatic);
    if (homeBefore) setenv("HOME", savedHome.c_str(), 1);
}

TEST(SystemScale, XftDpiIsReadFromTheResourceManagerString) {
    const struct {
        const char* resources;
        double factor;
    } cases[] = {
        {"Xft.dpi:\t192\n", 2.0},
        {"Xft.antialias:\t1\nXft.dpi:\t144\nXft.hinting:\t1\n", 1.5},
        {"*Xft.dpi: 120", 1.25},
        {"Xft.dpi:96.0\r\n", 1.0},
        {"Xft.dpi:\t144\nXft.dpi:\t192\n", 2.0},  // the last binding wins, as in Xrm
        {"Xft.dpix:\t192\n", 0.0},
        {"Xft.dpi:\tlarge\n", 0.0},
        {"Xft.dpi:\t0\n", 0.0},
        {"Xft.dpi:\t-96\n", 0.0},
        {"Xft.dpi:\t1e9\n", 0.0},
        {"Xft.dpi", 0.0},
        {"", 0.0},
        {nullptr, 0.0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(VSTGUI::scaleFromXResources(c.resources), c.factor) << (c.resources ? c.resources : "null");
}

}  // namespace
