#include "tests/gui_controls/control_rig.h"

#include <cstdio>

namespace controltest {

const std::vector<int32_t> kLeft = {VK_LBUTTON};
const std::vector<int32_t> kLeftShift = {VK_LBUTTON, VK_SHIFT};
const std::vector<int32_t> kLeftAlt = {VK_LBUTTON, VK_MENU};
const std::vector<int32_t> kNone = {};

std::vector<int32_t> keys(std::initializer_list<int32_t> list) { return std::vector<int32_t>(list); }

std::vector<std::string> EventLog::kinds(bool withIdle) const {
    std::vector<std::string> out;
    for (const Event& e : events)
        if (withIdle || e.what != "idle") out.push_back(e.what);
    return out;
}

std::vector<float> EventLog::values() const {
    std::vector<float> out;
    for (const Event& e : events)
        if (e.what == "changed") out.push_back(e.value);
    return out;
}

int EventLog::count(const std::string& what) const {
    int n = 0;
    for (const Event& e : events) n += e.what == what;
    return n;
}

std::string EventLog::describe() const {
    std::string out;
    char buffer[64];
    for (const Event& e : events) {
        if (e.what == "idle") continue;
        std::snprintf(buffer, sizeof buffer, "%s %d %.6g; ", e.what.c_str(), (int)e.tag, e.value);
        out += buffer;
    }
    return out;
}

void RecordingListener::valueChanged(CDrawContext* context, CControl* control) {
    log->add("changed", control->getTag(), control->getValue());
    hadContext.push_back(context != nullptr);
    if (onChange) onChange(control);
}

int32_t RecordingListener::modifierClicked(CDrawContext*, CControl* control, int32_t buttons) {
    log->add("modifier", control->getTag(), (float)buttons);
    return modifierAnswer;
}

TestEditor::TestEditor(EditorHost* host, int width, int height)
    : AEffGUIEditor(host), width(width), height(height) {
    rect.left = 0;
    rect.top = 0;
    rect.right = (int16_t)width;
    rect.bottom = (int16_t)height;
}

bool TestEditor::open(void* window) {
    AEffGUIEditor::open(window);
    frame = new CFrame(CRect(0, 0, width, height), window, this);
    return true;
}

void TestEditor::close() {
    if (!frame) return;
    delete frame;
    frame = nullptr;
}

void TestEditor::runIdle() {
    ++runIdleCalls;
    AEffGUIEditor::runIdle();
}

namespace {

uint32_t steppedTicks = 0;
uint32_t stepTicks() { return steppedTicks += 100; }
uint32_t frozenTicks() { return 0; }
void noSleep(uint32_t) {}

LRESULT CALLBACK hostProc(HWND window, UINT message, WPARAM w, LPARAM l) {
    return DefWindowProcA(window, message, w, l);
}

const char* hostClassName() {
    static bool registered = false;
    if (!registered) {
        WNDCLASSA wc = {};
        wc.lpfnWndProc = hostProc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.hCursor = LoadCursorA(nullptr, (LPCSTR)IDC_ARROW);
        wc.hbrBackground = (HBRUSH)GetStockObject(GRAY_BRUSH);
        wc.lpszClassName = "QeltControlsTestHost";
        RegisterClassA(&wc);
        registered = true;
    }
    return "QeltControlsTestHost";
}

HWND sharedHostWindow() {
    static HWND window = CreateWindowExA(0, hostClassName(), "controls test", WS_POPUP | WS_VISIBLE, 0, 0,
                                         100, 100, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    return window;
}

}  // namespace

SteppingClock::SteppingClock() {
    // Start past any editor's next idle time taken from the platform's clock.
    steppedTicks = platformTickClock().ticks() + 1000;
    tickClock().ticks = stepTicks;
    tickClock().sleep = noSleep;
}

SteppingClock::~SteppingClock() { tickClock() = platformTickClock(); }

FrozenClock::FrozenClock() {
    tickClock().ticks = frozenTicks;
    tickClock().sleep = noSleep;
}

FrozenClock::~FrozenClock() { tickClock() = platformTickClock(); }

ControlRig::ControlRig(int width, int height, int x, int y, bool onTop) {
    effect = new TestEffect(RecordingHost::callback);
    effect->getAeffect()->user = &hostRecord;
    editor = new TestEditor(&effect->editorHost, width, height);
    effect->setEditor(editor);
    hostRecord.onCall = [this](const HostCall& call) {
        if (call.opcode == audioMasterBeginEdit)
            log.add("begin", call.index, 0.f);
        else if (call.opcode == audioMasterEndEdit)
            log.add("end", call.index, 0.f);
        else if (call.opcode == audioMasterIdle)
            log.add("idle", 0, 0.f);
    };
    // One borderless top-level window serves every rig of the program: without
    // a window manager, destroying a top-level window costs Wine two seconds.
    host = sharedHostWindow();
    SetWindowPos(host, onTop ? HWND_TOPMOST : HWND_NOTOPMOST, x, y, width, height, SWP_SHOWWINDOW);
    editor->open(host);
    setKnobMode(0);
    paint();
}

ControlRig::~ControlRig() {
    editor->close();
    pumpMessages(1);
    delete effect;  // deletes its editor
}

void ControlRig::closeOnIdle(int n) {
    std::function<void(const HostCall&)> logging = hostRecord.onCall;
    hostRecord.onCall = [this, logging, n](const HostCall& call) {
        logging(call);
        if (call.opcode == audioMasterIdle && log.count("idle") == n) editor->close();
    };
}

CPoint ControlRig::toScreen(const CPoint& p) const {
    POINT q = {p.h, p.v};
    ClientToScreen(frameWindow(), &q);
    return CPoint(q.x, q.y);
}

void ControlRig::paint() {
    InvalidateRect(frameWindow(), nullptr, FALSE);
    UpdateWindow(frameWindow());
    pumpMessages(1);
}

void Gesture::run(const CPoint& pressAt) {
    ScopedPlatformInput scope(&input);
    CDrawContext* context = new CDrawContext(rig.frame(), nullptr, rig.frame()->getSystemWindow());
    rig.frame()->mouse(context, pressAt, -1);
    context->release();
}

}  // namespace controltest
