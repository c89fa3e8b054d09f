#include <windows.h>

#include <vector>

#include "tools/render-midi/editor_shot.h"
#include "tools/vsthost/device_pixels_win32.h"

namespace {

const char kWindowClass[] = "QeltRenderEditorHost";
const DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;

LRESULT CALLBACK hostWindowProc(HWND window, UINT message, WPARAM w, LPARAM l) {
    if (message == WM_CLOSE) return 0;  // the window lives until the picture is taken
    return DefWindowProcA(window, message, w, l);
}

bool registerClass() {
    WNDCLASSA c;
    ZeroMemory(&c, sizeof(c));
    c.lpfnWndProc = hostWindowProc;
    c.hInstance = GetModuleHandleA(nullptr);
    c.hCursor = LoadCursor(nullptr, IDC_ARROW);
    c.hbrBackground = (HBRUSH)GetStockObject(BLACK_BRUSH);
    c.lpszClassName = kWindowClass;
    return RegisterClassA(&c) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

// Makes the client area width x height.
bool sizeClientArea(HWND window, int width, int height) {
    if (width <= 0 || height <= 0 || width > 8192 || height > 8192) return false;
    RECT r = {0, 0, width, height};
    AdjustWindowRectEx(&r, kStyle, FALSE, WS_EX_TOPMOST);
    return SetWindowPos(window, nullptr, 0, 0, r.right - r.left, r.bottom - r.top,
                        SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE) != 0;
}

bool editorRect(PluginInstance* plugin, int* width, int* height) {
    ERect* rect = nullptr;
    plugin->dispatch(effEditGetRect, 0, 0, &rect);
    if (!rect) return false;
    *width = rect->right - rect->left;
    *height = rect->bottom - rect->top;
    return *width > 0 && *height > 0;
}

void pump() {
    MSG m;
    while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&m);
        DispatchMessageA(&m);
    }
}

bool hasChildWindow(HWND window) { return GetWindow(window, GW_CHILD) != nullptr; }

// The client area's pixels as 0xRRGGBB, top row first, read from the window's surface.
bool capture(HWND window, int width, int height, std::vector<uint32_t>* pixels) {
    HDC source = GetDC(window);
    if (!source) return false;
    bool ok = readDevicePixels(source, width, height, pixels);
    if (ok)
        for (uint32_t& v : *pixels) v &= 0xFFFFFF;
    ReleaseDC(window, source);
    return ok;
}

}  // namespace

bool saveEditorShot(RenderHost& host, const std::string& path, int idleMillis, EditorShot* shot,
                    std::string* error) {
    PluginInstance* plugin = host.instance();
    if (!plugin || !plugin->record()) {
        *error = "no plug-in instance";
        return false;
    }
    if (!(plugin->record()->flags & effFlagsHasEditor)) {
        *error = "the plug-in has no editor: no picture written";
        return false;
    }
    if (!registerClass()) {
        *error = "cannot register a window class";
        return false;
    }
    // On top, so that no other window covers (and so clips) the editor's painting.
    HWND window = CreateWindowExA(WS_EX_TOPMOST, kWindowClass, "qelt-render editor", kStyle, 0, 0, 320, 240, nullptr, nullptr,
                                  GetModuleHandleA(nullptr), nullptr);
    if (!window) {
        *error = "cannot create a window";
        return false;
    }
    int width = 0, height = 0;
    if (editorRect(plugin, &width, &height)) sizeClientArea(window, width, height);
    ShowWindow(window, SW_SHOWNORMAL);
    UpdateWindow(window);
    pump();

    host.resizeEditorWindow = [window](int w, int h) { return sizeClientArea(window, w, h); };
    VstIntPtr opened = plugin->dispatch(effEditOpen, 0, 0, window);
    // Some editors answer 0 and open all the same; a child window says they did.
    bool ok = opened != 0 || hasChildWindow(window);
    if (!ok) *error = "the plug-in's editor did not open";
    if (ok) {
        // The rectangle may be known only once the editor is open.
        if (editorRect(plugin, &width, &height)) sizeClientArea(window, width, height);
        DWORD start = GetTickCount();
        do {
            pump();
            plugin->dispatch(effEditIdle);
            Sleep(15);
        } while (GetTickCount() - start < (DWORD)idleMillis);
        pump();
        RECT client;
        GetClientRect(window, &client);
        width = client.right;
        height = client.bottom;
        std::vector<uint32_t> pixels;
        ok = capture(window, width, height, &pixels);
        if (!ok) *error = "cannot read the window's pixels";
        if (ok) ok = saveShotPicture(path, width, height, pixels, shot, error);
        plugin->dispatch(effEditClose);
        pump();
    }
    host.resizeEditorWindow = nullptr;
    DestroyWindow(window);
    pump();
    return ok;
}
