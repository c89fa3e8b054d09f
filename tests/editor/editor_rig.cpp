#include "tests/editor/editor_rig.h"

#include <cmath>
#include <sstream>

#include "tests/bitmaps/bmp_reader.h"
#include "tools/vsthost/device_pixels_win32.h"

namespace editortest {

namespace {

Picture readPicture(const std::string& name) {
    BmpFile file = readBmp(std::string(QELT_BITMAP_DIR) + "/" + name);
    Picture picture;
    if (file.bytes.empty()) return picture;
    picture.width = file.width;
    picture.height = file.height < 0 ? -file.height : file.height;
    picture.pixels.resize((size_t)picture.width * picture.height);
    for (int y = 0; y < picture.height; ++y)
        for (int x = 0; x < picture.width; ++x) {
            Pixel p = file.at(x, y);
            picture.at(x, y) = (uint32_t)(p.r << 16 | p.g << 8 | p.b);
        }
    return picture;
}

void paste(Picture& into, const Rect& at, const Picture& from, int sourceTop) {
    for (int y = 0; y < at.height(); ++y)
        for (int x = 0; x < at.width(); ++x) into.at(at.left + x, at.top + y) = from.at(x, sourceTop + y);
}

// The knob frame a value shows: 64 frames, the last one only at 1.
int knobFrame(float value) {
    if (!(value >= 0.f)) return 0;
    if (value >= 1.f) return 63;
    return (int)(value * 63.f);
}

const char kHostClass[] = "QeltEditorTestHost";

LRESULT CALLBACK hostProc(HWND window, UINT message, WPARAM w, LPARAM l) {
    if (message == WM_CLOSE) return 0;
    return DefWindowProcA(window, message, w, l);
}

}  // namespace

const EditorPictures& EditorPictures::get() {
    static EditorPictures pictures = [] {
        EditorPictures p;
        p.background = readPicture("background.bmp");
        p.smallKnob = readPicture("knob-small.bmp");
        p.largeKnob = readPicture("knob-large.bmp");
        p.whiteKeys = readPicture("keys-white.bmp");
        p.blackKeys = readPicture("keys-black.bmp");
        return p;
    }();
    return pictures;
}

Rect knobRect(int tag) {
    static const int lefts[5] = {355, 412, 490, 547, 624};
    if (tag == 4) return Rect{624, 72, 688, 136};
    return Rect{lefts[tag], 76, lefts[tag] + 40, 116};
}

bool isBlackKey(int note) {
    const int pitch = note % 12;
    return pitch == 1 || pitch == 3 || pitch == 6 || pitch == 8 || pitch == 10;
}

Rect keyRect(int note) {
    int whitesBelow = 0;
    for (int n = 21; n < note; ++n) whitesBelow += !isBlackKey(n);
    if (!isBlackKey(note)) {
        const int left = 27 + 13 * whitesBelow;
        return Rect{left, 215, left + 13, 236};
    }
    // Distance from the white key just below, by pitch class (C#, D#, F#, G#, A#).
    int offset = 0;
    switch (note % 12) {
        case 1: offset = 8; break;
        case 3: offset = 10; break;
        case 6: offset = 7; break;
        case 8: offset = 9; break;
        case 10: offset = 11; break;
    }
    const int left = 27 + 13 * (whitesBelow - 1) + offset;
    return Rect{left, 187, left + 8, 212};
}

Picture expectedEditor(const float knobValues[5], const std::set<int>& pressedKeys) {
    const EditorPictures& p = EditorPictures::get();
    Picture picture = p.background;
    for (int tag = 0; tag < 5; ++tag) {
        const Rect r = knobRect(tag);
        paste(picture, r, tag == 4 ? p.largeKnob : p.smallKnob, knobFrame(knobValues[tag]) * r.height());
    }
    for (int note = 21; note <= 108; ++note) {
        const Rect r = keyRect(note);
        const bool pressed = pressedKeys.count(note) != 0;
        paste(picture, r, isBlackKey(note) ? p.blackKeys : p.whiteKeys, pressed ? r.height() : 0);
    }
    return picture;
}

std::string differences(const Picture& actual, const Picture& expected, const Rect* area) {
    if (actual.width != expected.width || actual.height != expected.height) {
        std::ostringstream text;
        text << "size " << actual.width << "x" << actual.height << ", expected " << expected.width << "x"
             << expected.height;
        return text.str();
    }
    const Rect all{0, 0, actual.width, actual.height};
    const Rect& r = area ? *area : all;
    int count = 0, firstX = -1, firstY = -1;
    for (int y = r.top; y < r.bottom; ++y)
        for (int x = r.left; x < r.right; ++x)
            if (actual.at(x, y) != expected.at(x, y)) {
                if (count++ == 0) {
                    firstX = x;
                    firstY = y;
                }
            }
    if (count == 0) return std::string();
    std::ostringstream text;
    text << count << " pixels differ, first at (" << firstX << ", " << firstY << "): " << std::hex
         << actual.at(firstX, firstY) << " instead of " << expected.at(firstX, firstY);
    return text.str();
}

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

bool EditorRig::open() {
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

Picture EditorRig::expected(const std::set<int>& pressedKeys) {
    float values[5];
    for (int i = 0; i < 5; ++i) values[i] = plugin().getParameter(i);
    return expectedEditor(values, pressedKeys);
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

float rms(const std::vector<float>& samples, size_t from) {
    double sum = 0;
    size_t n = 0;
    for (size_t i = from; i < samples.size(); ++i, ++n) sum += (double)samples[i] * samples[i];
    return n ? (float)std::sqrt(sum / (double)n) : 0.f;
}

float periodicity(const std::vector<float>& samples, int lag) {
    double product = 0, first = 0, second = 0;
    for (size_t i = 0; i + lag < samples.size(); ++i) {
        product += (double)samples[i] * samples[i + lag];
        first += (double)samples[i] * samples[i];
        second += (double)samples[i + lag] * samples[i + lag];
    }
    return first > 0 && second > 0 ? (float)(product / std::sqrt(first * second)) : 0.f;
}

}  // namespace editortest
