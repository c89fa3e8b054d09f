#include "editor/editor_scale.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace editorscale {

namespace {

constexpr const char* kKey = "scale=";
constexpr size_t kMostBytesRead = 4096;  // the file holds one short line; more is not ours

#ifdef _WIN32
constexpr const char* kFolder = "\\Qelt-epiano";
constexpr const char* kFile = "\\settings.txt";

// Paths go through UTF-16 so that a user name outside the code page works.
std::wstring wide(const std::string& utf8) {
    const int n = MultiByteToWideChar(CP_UTF8, 0, utf8.c_str(), -1, nullptr, 0);
    if (n <= 0) return std::wstring();
    std::wstring out((size_t)n, L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.c_str(), -1, &out[0], n);
    out.resize((size_t)n - 1);
    return out;
}

std::string configHome() {
    const wchar_t* appData = _wgetenv(L"APPDATA");
    if (!appData || !*appData) return std::string();
    const int n = WideCharToMultiByte(CP_UTF8, 0, appData, -1, nullptr, 0, nullptr, nullptr);
    if (n <= 1) return std::string();
    std::string out((size_t)n, '\0');
    WideCharToMultiByte(CP_UTF8, 0, appData, -1, &out[0], n, nullptr, nullptr);
    out.resize((size_t)n - 1);
    return out;
}

FILE* openFile(const std::string& path, const char* mode) { return _wfopen(wide(path).c_str(), wide(mode).c_str()); }
bool makeFolder(const std::string& path) {
    return CreateDirectoryW(wide(path).c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS;
}
bool replaceFile(const std::string& from, const std::string& to) {
    return MoveFileExW(wide(from).c_str(), wide(to).c_str(), MOVEFILE_REPLACE_EXISTING) != 0;
}
void removeFile(const std::string& path) { DeleteFileW(wide(path).c_str()); }
#else
constexpr const char* kFolder = "/Qelt-epiano";
constexpr const char* kFile = "/settings";

// A relative XDG_CONFIG_HOME is to be ignored, as the base directory rules say.
std::string configHome() {
    const char* xdg = std::getenv("XDG_CONFIG_HOME");
    if (xdg && xdg[0] == '/') return xdg;
    const char* home = std::getenv("HOME");
    if (home && home[0] == '/') return std::string(home) + "/.config";
    return std::string();
}

FILE* openFile(const std::string& path, const char* mode) { return std::fopen(path.c_str(), mode); }
bool makeFolder(const std::string& path) {
    struct stat seen;
    return mkdir(path.c_str(), 0755) == 0 || (stat(path.c_str(), &seen) == 0 && S_ISDIR(seen.st_mode));
}
bool replaceFile(const std::string& from, const std::string& to) { return std::rename(from.c_str(), to.c_str()) == 0; }
void removeFile(const std::string& path) { std::remove(path.c_str()); }
#endif

bool isChoice(int percent) { return percent == kAutomatic || percent == 100 || percent == 150 || percent == 200; }

// The choice in the file's text: the last "scale=" line that says one.
int parseChoice(const char* text) {
    int choice = kAutomatic;
    for (const char* line = text; line && *line;) {
        const char* end = std::strchr(line, '\n');
        const size_t length = end ? (size_t)(end - line) : std::strlen(line);
        const size_t keyLength = std::strlen(kKey);
        if (length > keyLength && std::strncmp(line, kKey, keyLength) == 0) {
            std::string value(line + keyLength, length - keyLength);
            while (!value.empty() && (value.back() == '\r' || value.back() == ' ')) value.pop_back();
            if (value == "100" || value == "150" || value == "200")
                choice = std::atoi(value.c_str());
            else
                choice = kAutomatic;
        }
        line = end ? end + 1 : nullptr;
    }
    return choice;
}

}  // namespace

int nearestPercent(double factor) {
    if (!std::isfinite(factor) || factor <= 0.0) return 0;
    if (factor < 1.25) return 100;
    if (factor < 1.75) return 150;
    return 200;
}

std::string settingsPath() {
    const std::string home = configHome();
    return home.empty() ? std::string() : home + kFolder + kFile;
}

int readChoice() {
    const std::string path = settingsPath();
    if (path.empty()) return kAutomatic;
    FILE* file = openFile(path, "rb");
    if (!file) return kAutomatic;
    char text[kMostBytesRead + 1];
    const size_t read = std::fread(text, 1, kMostBytesRead, file);
    std::fclose(file);
    // A NUL inside ends the text there: what follows is not a setting.
    text[read] = '\0';
    return parseChoice(text);
}

bool writeChoice(int percent) {
    if (!isChoice(percent)) return false;
    const std::string home = configHome();
    if (home.empty()) return false;
    const std::string folder = home + kFolder;
    if (!makeFolder(home) || !makeFolder(folder)) return false;
    const std::string path = folder + kFile;
    const std::string temporary = path + ".new";
    FILE* file = openFile(temporary, "wb");
    if (!file) return false;
    const std::string text = percent == kAutomatic ? "scale=automatic\n" : "scale=" + std::to_string(percent) + "\n";
    const bool written = std::fwrite(text.data(), 1, text.size(), file) == text.size();
    const bool closed = std::fclose(file) == 0;
    if (!written || !closed || !replaceFile(temporary, path)) {
        removeFile(temporary);
        return false;
    }
    return true;
}

}  // namespace editorscale
