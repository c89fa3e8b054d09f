#include "tests/gui_frame/frame_test_support.h"

#include <cstdio>
#include <sstream>

#include "gui/cdragcontainer.h"
#include "gui/win32/platform_state.h"
#include "tests/support/win32_test_messages.h"

namespace frametest {

void pumpMessages(int rounds) {
    for (int round = 0; round < rounds; ++round) {
        win32test::drainMessages();
        if (round + 1 < rounds) Sleep(5);
    }
}

namespace {

const char* const kHostClass = "QeltTestHostWindow";

ATOM hostClass() {
    static ATOM atom = 0;
    if (!atom) {
        WNDCLASSA windowClass = {};
        windowClass.lpfnWndProc = DefWindowProcA;
        windowClass.hInstance = GetModuleHandleA(nullptr);
        windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
        windowClass.hbrBackground = (HBRUSH)GetStockObject(WHITE_BRUSH);
        windowClass.lpszClassName = kHostClass;
        atom = RegisterClassA(&windowClass);
    }
    return atom;
}

}  // namespace

HWND testDesktop() {
    static HWND desktop = nullptr;
    if (!desktop) {
        hostClass();
        desktop = CreateWindowExA(0, kHostClass, "Test desktop", WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0,
                                  1200, 1000, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
        pumpMessages();
    }
    return desktop;
}

HostWindow::HostWindow(int width, int height, HWND parent, int x, int y, Border border) : window(nullptr) {
    hostClass();
    if (!parent) parent = testDesktop();
    DWORD style = WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN;
    if (border == kThinBorder) style |= WS_BORDER;
    if (border == kCaption) style |= WS_CAPTION;
    RECT outer = {0, 0, width, height};
    AdjustWindowRectEx(&outer, style, FALSE, 0);
    window = CreateWindowExA(0, kHostClass, "Test host", style, x, y, outer.right - outer.left,
                             outer.bottom - outer.top, parent, nullptr, GetModuleHandleA(nullptr), nullptr);
    pumpMessages();
}

HostWindow::~HostWindow() {
    if (window && IsWindow(window)) DestroyWindow(window);
    pumpMessages(1);
}

SIZE HostWindow::outerSize() const {
    RECT r;
    GetWindowRect(window, &r);
    return SIZE{r.right - r.left, r.bottom - r.top};
}

SIZE HostWindow::clientSize() const {
    RECT r;
    GetClientRect(window, &r);
    return SIZE{r.right, r.bottom};
}

std::string expectedWindowClassName() {
    char name[32];
    std::snprintf(name, sizeof(name), "Plugin%0*llX", (int)(2 * sizeof(void*)),
                  (unsigned long long)(uintptr_t)VSTGUI::toolkitModule());
    return name;
}

bool windowClassRegistered() {
    WNDCLASSA info;
    return GetClassInfoA(VSTGUI::toolkitModule(), expectedWindowClassName().c_str(), &info) != 0;
}

namespace {
BOOL CALLBACK collect(HWND window, LPARAM list) {
    reinterpret_cast<std::vector<HWND>*>(list)->push_back(window);
    return TRUE;
}
}  // namespace

std::vector<HWND> childWindows(HWND parent) {
    std::vector<HWND> all;
    EnumChildWindows(parent, collect, reinterpret_cast<LPARAM>(&all));
    return all;
}

std::string EventLog::joined() const {
    std::string all;
    for (const std::string& line : lines) {
        if (!all.empty()) all += "; ";
        all += line;
    }
    return all;
}

namespace {
std::string at(const CPoint& where) {
    std::ostringstream text;
    text << where.h << "," << where.v;
    return text.str();
}
}  // namespace

RecordingView::RecordingView(const CRect& size, const std::string& name, EventLog* log)
    : CView(size), name(name), log(log) {}

RecordingView::~RecordingView() {
    if (destroyed) *destroyed = true;
}

void RecordingView::draw(CDrawContext* context) {
    ++draws;
    CView::draw(context);
}

void RecordingView::mouse(CDrawContext*, const CPoint& where, int32_t buttons) {
    log->add(name + " mouse " + at(where) + " buttons " + std::to_string(buttons));
}

int32_t RecordingView::onKeyDown(VSTGUI::CKeyCode& keyCode) {
    log->add(name + " keydown " + std::to_string(keyCode.virt));
    return keyAnswer;
}

int32_t RecordingView::onKeyUp(VSTGUI::CKeyCode& keyCode) {
    log->add(name + " keyup " + std::to_string(keyCode.virt));
    return keyAnswer;
}

bool RecordingView::onWheel(CDrawContext*, const CPoint& where, int32_t axis, float distance) {
    std::ostringstream text;
    text << name << " wheel " << at(where) << " axis " << axis << " distance " << distance;
    log->add(text.str());
    return wheelAnswer;
}

bool RecordingView::onDrop(CDrawContext*, CDragContainer* drag, const CPoint& where) {
    log->add(name + " drop " + at(where) + " items " + std::to_string(drag->getCount()));
    return true;
}

void RecordingView::onDragEnter(CDrawContext*, CDragContainer* drag, const CPoint& where) {
    log->add(name + " enter " + at(where) + " items " + std::to_string(drag->getCount()));
}

void RecordingView::onDragLeave(CDrawContext*, CDragContainer*, const CPoint& where) {
    log->add(name + " leave " + at(where));
}

void RecordingView::onDragMove(CDrawContext*, CDragContainer*, const CPoint& where) {
    log->add(name + " move " + at(where));
}

void RecordingView::loseFocus(CDrawContext*) { log->add(name + " losefocus"); }

uint32_t ManualClock::now = 0;
std::vector<uint32_t> ManualClock::sleeps;

ScopedManualClock::ScopedManualClock(uint32_t start) {
    ManualClock::now = start;
    ManualClock::sleeps.clear();
    VSTGUI::tickClock() = VSTGUI::TickClock{ManualClock::ticks, ManualClock::sleep};
}

ScopedManualClock::~ScopedManualClock() { VSTGUI::tickClock() = VSTGUI::platformTickClock(); }

TestEditor::TestEditor(EditorHost* host) : AEffGUIEditor(host) {}

bool TestEditor::open(void* window) {
    AEffGUIEditor::open(window);
    frame = new CFrame(CRect(0, 0, rect.right - rect.left, rect.bottom - rect.top), window, this);
    return true;
}

void TestEditor::close() {
    delete frame;
    frame = nullptr;
}

void TestEditor::idle() {
    ++idleCalls;
    if (hostIdleActive) ++idleCallsDuringHostIdle;
    AEffGUIEditor::idle();
}

TestPlugin::TestPlugin(audioMasterCallback host) : AudioEffectX(host, 1, 1) {
    setEditor(new TestEditor(&editorHost));
}

void TestPlugin::processReplacing(float**, float** outputs, VstInt32 frames) {
    for (VstInt32 i = 0; i < frames; ++i) outputs[0][i] = outputs[1][i] = 0.f;
}

namespace {
AEffect* VSTCALLBACK testEntry(audioMasterCallback host) { return (new TestPlugin(host))->getAeffect(); }
}  // namespace

HostedTestPlugin::HostedTestPlugin() { instance.reset(new PluginInstance(host.create(testEntry))); }

TestPlugin* HostedTestPlugin::plugin() const {
    return static_cast<TestPlugin*>(static_cast<AudioEffect*>(instance->record()->object));
}

}  // namespace frametest
