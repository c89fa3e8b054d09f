// The editor's scale on Windows, from the player's settings file in
// %APPDATA% and from the system's DPI. Wine takes the DPI from the LogPixels
// registry value when a process starts, so that case runs this program
// again as a child, DPI aware as a modern host is, after setting it.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "tests/editor/editor_rig.h"

namespace editortest {
namespace {

constexpr const char* kChildPercent = "QELT_SCALE_CHILD_PERCENT";

std::pair<int, int> sizeAt(int percent) { return {scaled(730, percent), scaled(248, percent)}; }

std::pair<int, int> editorSize(EditorRig& rig) {
    ERect* rect = nullptr;
    rig.plugin().dispatch(effEditGetRect, 0, 0, &rect);
    return rect ? std::make_pair(rect->right - rect->left, rect->bottom - rect->top) : std::make_pair(0, 0);
}

// The editor at `percent`: its rectangle, its window and its picture.
void expectShownAt(EditorRig& rig, int percent) {
    EXPECT_EQ(editorSize(rig), sizeAt(percent));
    ASSERT_TRUE(rig.open());
    rig.idle();
    RECT client;
    ASSERT_TRUE(GetClientRect(rig.editorWindow(), &client));
    EXPECT_EQ(std::make_pair((int)client.right, (int)client.bottom), sizeAt(percent));
    const Picture expected = rig.expected({}, percent);
    ASSERT_FALSE(expected.empty()) << "no generated pictures at " << percent << " %";
    EXPECT_EQ(differences(rig.shot(), expected), "") << "at " << percent << " %";
    rig.close();
}

class SettingsInAppData : public ::testing::Test {
protected:
    void SetUp() override {
        char temp[MAX_PATH];
        ASSERT_GT(GetTempPathA(sizeof temp, temp), 0u);
        appData = std::string(temp) + "qelt-scale-" + std::to_string(GetCurrentProcessId());
        CreateDirectoryA(appData.c_str(), nullptr);
        const char* before = std::getenv("APPDATA");
        saved = before ? before : "";
        _putenv_s("APPDATA", appData.c_str());
    }
    void TearDown() override {
        DeleteFileA(settingsFile().c_str());
        RemoveDirectoryA((appData + "\\Qelt-epiano").c_str());
        RemoveDirectoryA(appData.c_str());
        _putenv_s("APPDATA", saved.c_str());
    }
    std::string settingsFile() const { return appData + "\\Qelt-epiano\\settings.txt"; }
    void writeSettings(const std::string& bytes) {
        CreateDirectoryA((appData + "\\Qelt-epiano").c_str(), nullptr);
        ASSERT_TRUE(writeFileText(settingsFile(), bytes));
    }
    std::string appData, saved;
};

TEST_F(SettingsInAppData, ThePlayersChoiceSetsTheScaleAndAnythingElseMeansTheSystems) {
    const struct {
        const char* name;
        std::string bytes;
        int percent;
    } cases[] = {
        {"150", "scale=150\r\n", 150},
        {"200", "scale=200", 200},
        {"automatic", "scale=automatic\r\n", 100},
        {"garbage", std::string("\xff\x00scale=150", 11), 100},
        {"another scale", "scale=120\n", 100},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        writeSettings(c.bytes);
        EditorRig rig;
        ASSERT_TRUE(rig.hosted.plugin);
        expectShownAt(rig, c.percent);
    }
    DeleteFileA(settingsFile().c_str());
    EditorRig rig;
    ASSERT_TRUE(rig.hosted.plugin);
    EXPECT_EQ(editorSize(rig), sizeAt(100)) << "no file: the system's scale";
}

// Real clicks through the window system's queue: the right button opens the
// menu on the panel, the left one takes the 150 % row; the choice is kept
// in %APPDATA% and the editor resizes through the host.
TEST_F(SettingsInAppData, TheRightClickMenuKeepsThePlayersChoice) {
    EditorRig rig;
    ASSERT_TRUE(rig.hosted.plugin);
    rig.host().onCall = [](const HostCall& call) {
        if (call.opcode == audioMasterSizeWindow) sizeHostWindow(call.index, (int)call.value);
    };
    ASSERT_TRUE(rig.open());
    rig.idle();
    const int row150 = 40 + 2 + 20 + 10;  // the menu's corner, its inset, one row, half a row
    withInjection([&] {
        moveMouseTo(rig.toScreen(100, 40));
        Sleep(60);
        mouseButton(MOUSEEVENTF_RIGHTDOWN);
        mouseButton(MOUSEEVENTF_RIGHTUP);
        Sleep(150);
    });
    rig.idle();
    EXPECT_NE(differences(rig.shot(), rig.expected()), "") << "the menu shows";
    withInjection([&] {
        moveMouseTo(rig.toScreen(150, row150));
        Sleep(60);
        mouseButton(MOUSEEVENTF_LEFTDOWN);
        mouseButton(MOUSEEVENTF_LEFTUP);
        Sleep(150);
    });
    rig.idle(4);
    EXPECT_EQ(fileText(settingsFile()), "scale=150\n");
    EXPECT_EQ(editorSize(rig), sizeAt(150));
    rig.idle();
    EXPECT_EQ(differences(rig.shot(), rig.expected({}, 150)), "");
    rig.close();
    rig.host().onCall = nullptr;
    sizeHostWindow(730, 248);
}

// A registry value of this Wine prefix, put back afterwards.
class RegistryDword {
public:
    RegistryDword(HKEY root, const char* path, const char* name) : root(root), path(path), name(name) {
        HKEY key;
        if (RegOpenKeyExA(root, path, 0, KEY_READ, &key) == ERROR_SUCCESS) {
            DWORD size = sizeof before, type = 0;
            had = RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&before), &size) ==
                      ERROR_SUCCESS &&
                  type == REG_DWORD;
            RegCloseKey(key);
        }
    }
    ~RegistryDword() {
        if (had)
            set(before);
        else if (HKEY key; RegOpenKeyExA(root, path, 0, KEY_SET_VALUE, &key) == ERROR_SUCCESS) {
            RegDeleteValueA(key, name);
            RegCloseKey(key);
        }
    }
    bool set(DWORD value) {
        HKEY key;
        if (RegCreateKeyExA(root, path, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr) != ERROR_SUCCESS)
            return false;
        const bool done =
            RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value) == ERROR_SUCCESS;
        RegCloseKey(key);
        return done;
    }

private:
    HKEY root;
    const char *path, *name;
    bool had = false;
    DWORD before = 0;
};

// Runs this program's child case with the screen at `dpi`; its exit status.
DWORD runChildAt(DWORD dpi, int percent) {
    RegistryDword desktop(HKEY_CURRENT_USER, "Control Panel\\Desktop", "LogPixels");
    RegistryDword fonts(HKEY_CURRENT_CONFIG, "Software\\Fonts", "LogPixels");
    if (!desktop.set(dpi) || !fonts.set(dpi)) return 1000;
    char self[MAX_PATH];
    GetModuleFileNameA(nullptr, self, sizeof self);
    std::string command = std::string("\"") + self + "\" --gtest_filter=SystemDpiChild.*";
    _putenv_s(kChildPercent, std::to_string(percent).c_str());
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    const BOOL started =
        CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process);
    _putenv_s(kChildPercent, "");
    if (!started) return 1001;
    WaitForSingleObject(process.hProcess, 120000);
    DWORD status = 1002;
    GetExitCodeProcess(process.hProcess, &status);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return status;
}

TEST(SystemDpi, TheLogPixelsOfTheSystemSetTheScale) {
    for (auto c : {std::make_pair(144u, 150), std::make_pair(120u, 150)}) {
        SCOPED_TRACE("LogPixels " + std::to_string(c.first));
        EXPECT_EQ(runChildAt(c.first, c.second), 0u) << "the child's case failed; its output is above";
    }
}

TEST(SystemDpiChild, ShowsTheEditorAtTheScaleOfTheSystem) {
    const char* wanted = std::getenv(kChildPercent);
    if (!wanted || !*wanted) GTEST_SKIP() << "run by SystemDpi with the screen's DPI set";
    using SetAware = BOOL(WINAPI*)();
    if (auto aware = reinterpret_cast<SetAware>(
            reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("user32.dll"), "SetProcessDPIAware"))))
        aware();
    EditorRig rig;
    ASSERT_TRUE(rig.hosted.plugin);
    expectShownAt(rig, std::atoi(wanted));
}

}  // namespace
}  // namespace editortest
