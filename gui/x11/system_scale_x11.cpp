#include "gui/system_scale.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string>

#include "gui/cframe.h"
#include "gui/x11/frame_window_state.h"

namespace VSTGUI {

namespace {

constexpr double kBaseDpi = 96.0;
constexpr double kLargestFactor = 16.0;  // beyond this a setting is a typo, not a screen
constexpr long kMostResourceWords = 1 << 16;  // 256 KB: far more than any desktop sets

double sensibleFactor(double factor) { return std::isfinite(factor) && factor > 0.0 && factor <= kLargestFactor ? factor : 0.0; }

// The number a whole string holds; NaN when it holds anything else.
double wholeNumber(const char* text) {
    if (!text || !*text) return NAN;
    char* end = nullptr;
    const double value = std::strtod(text, &end);
    while (end && (*end == ' ' || *end == '\t' || *end == '\r')) ++end;
    return end && *end == '\0' ? value : NAN;
}

}  // namespace

double scaleFromXResources(const char* resources) {
    double factor = 0.0;
    for (const char* line = resources; line && *line;) {
        const char* end = std::strchr(line, '\n');
        std::string text(line, end ? (size_t)(end - line) : std::strlen(line));
        line = end ? end + 1 : nullptr;
        // "Xft.dpi" itself or any binding of it that ends the name ("*Xft.dpi").
        const size_t colon = text.find(':');
        if (colon == std::string::npos) continue;
        std::string name = text.substr(0, colon);
        while (!name.empty() && (name.back() == ' ' || name.back() == '\t')) name.pop_back();
        size_t start = name.find_first_not_of(" \t*");
        if (start == std::string::npos || name.compare(start, std::string::npos, "Xft.dpi") != 0) continue;
        const char* value = text.c_str() + colon + 1;
        while (*value == ' ' || *value == '\t') ++value;
        factor = sensibleFactor(wholeNumber(value) / kBaseDpi);
    }
    return factor;
}

double scaleFromEnvironment() {
    const double gdk = sensibleFactor(wholeNumber(std::getenv("GDK_SCALE")));
    if (gdk > 0.0) return gdk;
    return sensibleFactor(wholeNumber(std::getenv("QT_SCALE_FACTOR")));
}

namespace {

// The property is read from the server each time rather than taken from
// XResourceManagerString, which keeps what the connection saw at its start.
double scaleOfDisplay(Display* display) {
    const Atom property = XInternAtom(display, "RESOURCE_MANAGER", True);
    Atom type = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    double factor = 0.0;
    if (property != None &&
        XGetWindowProperty(display, RootWindow(display, 0), property, 0, kMostResourceWords, False, XA_STRING, &type,
                           &format, &count, &after, &data) == Success &&
        data && format == 8) {
        const std::string text(reinterpret_cast<const char*>(data), count);
        factor = scaleFromXResources(text.c_str());
    }
    if (data) XFree(data);
    return factor > 0.0 ? factor : scaleFromEnvironment();
}

}  // namespace

double systemScaleFactor(void*) {
    Display* display = XOpenDisplay(nullptr);
    if (!display) return scaleFromEnvironment();
    const double factor = scaleOfDisplay(display);
    XCloseDisplay(display);
    return factor;
}

double systemScaleFactor(const CFrame& frame) {
    const CFrameWindowState* state = frame.getWindowState();
    return state && state->display ? scaleOfDisplay(state->display) : systemScaleFactor(nullptr);
}

}  // namespace VSTGUI
