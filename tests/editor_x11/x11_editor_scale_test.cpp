// The editor's scale on X11, from each of its sources in their order: the
// player's settings file, then the server's Xft.dpi, then GDK_SCALE or
// QT_SCALE_FACTOR, else 100 %. At each scale the real window shows what the
// generator drew for it, and a change while open resizes through the host.
#include <gtest/gtest.h>
// After the test framework: X11 defines names it uses.
#include <X11/extensions/XTest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>

#include "tests/editor_x11/x11_editor_rig.h"
#include "tools/make-bitmaps/layout.h"

namespace x11test {
namespace {

using editortest::differences;
using editortest::scaled;

// Environment variables for the length of a test, put back afterwards.
class Environment {
public:
    ~Environment() {
        for (auto& entry : saved)
            if (entry.second.first)
                setenv(entry.first.c_str(), entry.second.second.c_str(), 1);
            else
                unsetenv(entry.first.c_str());
    }
    void set(const char* name, const char* value) {
        if (!saved.count(name)) {
            const char* before = std::getenv(name);
            saved[name] = {before != nullptr, before ? before : ""};
        }
        if (value)
            setenv(name, value, 1);
        else
            unsetenv(name);
    }

private:
    std::map<std::string, std::pair<bool, std::string>> saved;
};

class X11EditorScale : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(testDisplay()) << "no X display";
        ASSERT_TRUE(rig.plugin);
        char pattern[] = "/tmp/qelt-scale-XXXXXX";
        ASSERT_TRUE(mkdtemp(pattern));
        configHome = pattern;
        environment.set("XDG_CONFIG_HOME", configHome.c_str());
        environment.set("GDK_SCALE", nullptr);
        environment.set("QT_SCALE_FACTOR", nullptr);
    }
    void TearDown() override {
        std::remove(settingsFile().c_str());
        rmdir((configHome + "/Qelt-epiano").c_str());
        rmdir(configHome.c_str());
    }

    std::string settingsFile() const { return configHome + "/Qelt-epiano/settings"; }
    void writeSettings(const std::string& bytes) {
        mkdir((configHome + "/Qelt-epiano").c_str(), 0755);
        ASSERT_TRUE(editortest::writeFileText(settingsFile(), bytes));
    }
    std::pair<int, int> sizeAt(int percent) const { return {scaled(730, percent), scaled(248, percent)}; }
    // The editor's own window: its size, and that it shows the generator's
    // picture for the scale.
    void expectShownAt(int percent) {
        const std::vector<Window> children = childrenOf(rig.window.id());
        ASSERT_EQ(children.size(), 1u);
        XWindowAttributes attributes;
        ASSERT_TRUE(XGetWindowAttributes(testDisplay(), children[0], &attributes));
        EXPECT_EQ(std::make_pair(attributes.width, attributes.height), sizeAt(percent));
        const Picture expected = rig.expected({}, percent);
        ASSERT_FALSE(expected.empty()) << "no generated pictures at " << percent << " %";
        EXPECT_EQ(differences(rig.shot(), expected), "") << "at " << percent << " %";
    }

    std::string settingsText() const { return editortest::fileText(settingsFile()); }
    // Real clicks at a point of the editor window, with button 1 or 3.
    void click(int x, int y, unsigned int button) {
        rig.moveTo(x, y);
        rig.idle(1);
        XTestFakeButtonEvent(testDisplay(), button, True, CurrentTime);
        XTestFakeButtonEvent(testDisplay(), button, False, CurrentTime);
        settle();
        rig.idle();
    }
    // The editor as it should show with the menu open at `corner` (device
    // pixels, already inside the window) and `tickedRow` ticked.
    Picture expectedWithMenu(const Rect& corner, int tickedRow, int percent) {
        Picture picture = rig.expected({}, percent);
        const Picture& menu = editortest::EditorPictures::get(percent).scaleMenu;
        const int height = menu.height / 2;
        for (int y = 0; y < height; ++y) {
            const int row = (y >= scaled(layout::menuRowTop(tickedRow), percent) &&
                             y < scaled(layout::menuRowTop(tickedRow + 1), percent))
                                ? height
                                : 0;
            for (int x = 0; x < menu.width; ++x) picture.at(corner.left + x, corner.top + y) = menu.at(x, row + y);
        }
        return picture;
    }

    std::string configHome;
    Environment environment;
    ServerDpi dpi{0};
    X11EditorRig rig;
};

TEST_F(X11EditorScale, TheServersXftDpiSetsTheScaleRoundedToTheNearest) {
    const struct {
        int dpi, percent;
    } cases[] = {{96, 100}, {110, 100}, {120, 150}, {144, 150}, {168, 200}, {192, 200}, {288, 200}, {0, 100}};
    for (const auto& c : cases) {
        SCOPED_TRACE("Xft.dpi " + std::to_string(c.dpi));
        dpi.set(c.dpi);
        EXPECT_EQ(rig.editorSize(), sizeAt(c.percent)) << "closed, the editor answers the size it will open at";
        rig.plugin->setParameter(1, 0.25f);
        rig.plugin->setParameter(4, 0.9f);
        ASSERT_TRUE(rig.open());
        EXPECT_EQ(rig.editorSize(), sizeAt(c.percent));
        expectShownAt(c.percent);
        rig.close();
    }
}

TEST_F(X11EditorScale, WithoutXftDpiGdkScaleThenQtScaleFactorDecide) {
    const struct {
        const char *gdk, *qt;
        int percent;
    } cases[] = {{"2", nullptr, 200},  {nullptr, "1.5", 150}, {"1", "2", 100},       {"", "2", 200},
                 {"x", nullptr, 100},  {"-2", "nan", 100},    {nullptr, nullptr, 100}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string("GDK_SCALE ") + (c.gdk ? c.gdk : "unset") + ", QT_SCALE_FACTOR " + (c.qt ? c.qt : "unset"));
        environment.set("GDK_SCALE", c.gdk);
        environment.set("QT_SCALE_FACTOR", c.qt);
        EXPECT_EQ(rig.editorSize(), sizeAt(c.percent));
    }
    environment.set("GDK_SCALE", "1");
    dpi.set(192);
    EXPECT_EQ(rig.editorSize(), sizeAt(200)) << "Xft.dpi comes first";
}

TEST_F(X11EditorScale, ThePlayersSettingsFileComesFirstAndAnythingElseInItMeansAutomatic) {
    dpi.set(192);
    const struct {
        const char* name;
        std::string bytes;
        int percent;
    } cases[] = {
        {"150", "scale=150\n", 150},
        {"100, no line end", "scale=100", 100},
        {"among other lines, CRLF", "# mine\r\nscale=200\r\ntheme=dark\r\n", 200},
        {"automatic", "scale=automatic\n", 200},
        {"another scale", "scale=175\n", 200},
        {"garbage", std::string("\x00\xff\xfe scale=150\n", 14), 200},
        {"empty", "", 200},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        writeSettings(c.bytes);
        EXPECT_EQ(rig.editorSize(), sizeAt(c.percent));
        ASSERT_TRUE(rig.open());
        expectShownAt(c.percent);
        rig.close();
    }
    std::remove(settingsFile().c_str());
    EXPECT_EQ(rig.editorSize(), sizeAt(200)) << "no file: automatic";
    mkdir(settingsFile().c_str(), 0755);
    EXPECT_EQ(rig.editorSize(), sizeAt(200)) << "an unreadable file: automatic";
    ASSERT_TRUE(rig.open()) << "and never a reason to fail";
    rig.close();
    rmdir(settingsFile().c_str());
}

TEST_F(X11EditorScale, AChangeOfXftDpiWhileOpenResizesThroughTheHost) {
    dpi.set(96);
    ASSERT_TRUE(rig.open());
    expectShownAt(100);
    rig.host.clear();
    dpi.set(192);
    // The editor looks at the system's scale about once a second.
    for (int i = 0; i < 40 && rig.host.count(audioMasterSizeWindow) == 0; ++i) {
        usleep(50000);
        rig.idle(1);
    }
    rig.idle();
    ASSERT_EQ(rig.host.count(audioMasterSizeWindow), 1);
    for (const HostCall& call : rig.host.calls())
        if (call.opcode == audioMasterSizeWindow) EXPECT_EQ(std::make_pair(call.index, (int)call.value), sizeAt(200));
    EXPECT_EQ(rig.editorSize(), sizeAt(200));
    expectShownAt(200);
}

TEST_F(X11EditorScale, AHostThatRefusesTheNewSizeKeepsAWholeEditorAtTheScaleThatFits) {
    dpi.set(144);
    ASSERT_TRUE(rig.open());
    expectShownAt(150);
    rig.host.sizeWindowAnswer = 0;
    rig.followsSizeRequests = false;
    dpi.set(192);
    for (int i = 0; i < 40 && rig.host.count(audioMasterSizeWindow) == 0; ++i) {
        usleep(50000);
        rig.idle(1);
    }
    rig.idle();
    EXPECT_GE(rig.host.count(audioMasterSizeWindow), 1) << "the host was asked";
    EXPECT_EQ(rig.editorSize(), sizeAt(150)) << "and the editor stayed at what its window holds";
    expectShownAt(150);
}

// The player's menu: a right click on the panel opens it with the choice
// ticked, a row chooses and keeps the choice in the settings file, and a
// click beside it closes it with nothing changed. A right click on a control
// opens nothing.
TEST_F(X11EditorScale, TheRightClickMenuChoosesAndKeepsThePlayersScale) {
    dpi.set(0);
    ASSERT_TRUE(rig.open());
    const Rect knob = editortest::knobRect(4);
    click(knob.centerX(), knob.centerY(), Button3);
    EXPECT_EQ(differences(rig.shot(), rig.expected()), "") << "no menu on a knob";

    const Rect at{100, 40, 0, 0};
    click(at.left, at.top, Button3);
    const Picture menu = editortest::EditorPictures::get(100).scaleMenu;
    ASSERT_FALSE(menu.empty());
    EXPECT_EQ(differences(rig.shot(), expectedWithMenu(at, 3, 100)), "") << "open, with Automatic ticked";

    // The 150 % row.
    rig.host.clear();
    click(at.left + 50, at.top + layout::menuRowTop(1) + 10, Button1);
    rig.idle();
    EXPECT_EQ(settingsText(), "scale=150\n");
    EXPECT_EQ(rig.editorSize(), sizeAt(150));
    ASSERT_EQ(rig.host.count(audioMasterSizeWindow), 1);
    expectShownAt(150);
    EXPECT_EQ(rig.host.count(audioMasterAutomate), 0) << "no parameter changed";

    // Near the bottom right corner the menu moves in to show whole.
    const int right = scaled(730, 150) - 2, bottom = scaled(248, 150) - 2;
    click(right, bottom, Button3);
    const Rect corner{scaled(730, 150) - scaled(layout::kMenuWidth, 150),
                      scaled(248, 150) - scaled(layout::kMenuHeight, 150), 0, 0};
    EXPECT_EQ(differences(rig.shot(), expectedWithMenu(corner, 1, 150)), "") << "moved in, 150 % ticked";
    click(10, 10, Button1);
    rig.idle();
    EXPECT_EQ(differences(rig.shot(), rig.expected({}, 150)), "") << "closed by a click beside it";
    EXPECT_EQ(settingsText(), "scale=150\n") << "unchanged";

    // "Automatic": the system's scale again, 100 % on this server.
    click(20, 20, Button3);
    click(20 + 30, 20 + scaled(layout::menuRowTop(3) + 10, 150), Button1);
    rig.idle();
    EXPECT_EQ(settingsText(), "scale=automatic\n");
    EXPECT_EQ(rig.editorSize(), sizeAt(100));
    expectShownAt(100);
}

}  // namespace
}  // namespace x11test
