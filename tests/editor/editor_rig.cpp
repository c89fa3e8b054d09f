#include "tests/editor/editor_rig.h"

#include "tools/vsthost/device_pixels_win32.h"

namespace editortest {

namespace {

const char kHostClass[] = "QeltEditorTestHost";

LRESULT CALLBACK hostProc(HWND window, UINT message, WPARAM w, LPARAM l) {
    if (message == WM_CLOSE) return 0;
    return DefWindowProcA(window, message, w, l);
}

}  // namespace

Picture capture(HWND window) {
    Picture picture;
    RECT client;
    if (!window || !GetClientRect(window, &client)) return picture;
    HDC source = GetDC(window);
    if (readDevicePixels(source, client.right, client.bottom, &picture.pixels)) {
        picture.width = client.right;
        picture.height = client.bottom;
        for (uint32_t& v : picture.pixels) v &= 0xFFFFFF;
    }
    ReleaseDC(window, source);
    return picture;
}

HWND hostWindow() {
    static HWND window = [] {
        WNDCLASSA c = {};
        c.lpfnWndProc = hostProc;
        c.hInstance = GetModuleHandleA(nullptr);
        c.hCursor = LoadCursor(nullptr, IDC_ARROW);
        c.hbrBackground = (HBRUSH)GetStockObject(BLACK_BRUSH);
        c.lpszClassName = kHostClass;
        RegisterClassA(&c);
        const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_CLIPCHILDREN;
        RECT r = {0, 0, 730, 248};
        AdjustWindowRectEx(&r, style, FALSE, WS_EX_TOPMOST);
        HWND w = CreateWindowExA(WS_EX_TOPMOST, kHostClass, "editor test host", style, 60, 60, r.right - r.left,
                                 r.bottom - r.top, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
        ShowWindow(w, SW_SHOWNORMAL);
        UpdateWindow(w);
        pumpMessages(10);
        return w;
    }();
    return window;
}

int userObjectCount() { return (int)GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS); }

EditorRig::EditorRig() {
    hostWindow();
    if (hosted.create()) plugin().start(44100.f, 512);
}

EditorRig::~EditorRig() {
    if (hosted.plugin && hosted.plugin->record() && editorWindow()) close();
}

void sizeHostWindow(int width, int height) {
    RECT client;
    GetClientRect(hostWindow(), &client);
    if (client.right == width && client.bottom == height) return;
    const DWORD style = (DWORD)GetWindowLongPtrA(hostWindow(), GWL_STYLE);
    RECT outer = {0, 0, width, height};
    AdjustWindowRectEx(&outer, style, FALSE, WS_EX_TOPMOST);
    SetWindowPos(hostWindow(), nullptr, 0, 0, outer.right - outer.left, outer.bottom - outer.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    pumpMessages(2);
}

// The host window's client area takes the editor's size first, as hosts
// size their windows from effEditGetRect.
void EditorRig::sizeHostWindow() {
    ERect* rect = nullptr;
    plugin().dispatch(effEditGetRect, 0, 0, &rect);
    if (rect) editortest::sizeHostWindow(rect->right - rect->left, rect->bottom - rect->top);
}

bool EditorRig::open() {
    sizeHostWindow();
    bool opened = plugin().dispatch(effEditOpen, 0, 0, hostWindow()) != 0;
    pumpMessages();
    return opened;
}

void EditorRig::close() {
    plugin().dispatch(effEditClose);
    pumpMessages();
}

HWND EditorRig::editorWindow() const { return GetWindow(hostWindow(), GW_CHILD); }

void EditorRig::idle(int passes) {
    for (int i = 0; i < passes; ++i) {
        pumpMessages(2);
        plugin().dispatch(effEditIdle);
    }
    pumpMessages(2);
}

Picture EditorRig::expected(const std::set<int>& pressedKeys, int percent) {
    float values[5];
    for (int i = 0; i < 5; ++i) values[i] = plugin().getParameter(i);
    return expectedEditor(values, pressedKeys, percent);
}

std::vector<std::pair<int, float>> EditorRig::calls(VstInt32 opcode) {
    std::vector<std::pair<int, float>> found;
    for (const HostCall& call : host().calls())
        if (call.opcode == opcode) found.emplace_back(call.index, call.opt);
    return found;
}

std::vector<float> EditorRig::render(int frames, const std::vector<std::pair<int, int>>& notes) {
    MidiEventBlock block;
    for (const auto& note : notes) block.add(0, note.second ? 0x90 : 0x80, note.first, note.second);
    std::vector<float> left, right;
    for (int done = 0; done < frames; done += 512) {
        plugin().render(done == 0 ? &block : nullptr, 512, left, right);
    }
    return left;
}

POINT EditorRig::toScreen(int x, int y) const {
    POINT p = {x, y};
    ClientToScreen(editorWindow(), &p);
    return p;
}

}  // namespace editortest
