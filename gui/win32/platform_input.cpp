#include "gui/win32/platform_input.h"

#include <windows.h>

#include <algorithm>

namespace VSTGUI {

namespace {

class SystemInput : public PlatformInput {
public:
    bool isKeyDown(int32_t virtualKey) override { return (GetAsyncKeyState(virtualKey) & 0x8000) != 0; }
    CPoint cursorPosition() override {
        POINT p = {0, 0};
        GetCursorPos(&p);
        return CPoint(p.x, p.y);
    }
};

SystemInput systemInput;
PlatformInput* installed = nullptr;

}  // namespace

PlatformInput& platformInput() { return installed ? *installed : systemInput; }
void setPlatformInput(PlatformInput* input) { installed = input; }

bool ScriptedInput::isKeyDown(int32_t virtualKey) {
    ++keyReads;
    if (states.empty()) return false;
    const std::vector<int32_t>& keys = states[current].keysDown;
    return std::find(keys.begin(), keys.end(), virtualKey) != keys.end();
}

CPoint ScriptedInput::cursorPosition() {
    ++cursorReads;
    if (states.empty()) return CPoint();
    CPoint p = states[current].cursor;
    if (current + 1 < states.size()) ++current;
    return p;
}

}  // namespace VSTGUI
