// Helpers for the toolkit tests: reading back pixels, views that paint a
// colour and record what reaches them.
#pragma once

#include <windows.h>

#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

#include "gui/vstgui.h"
#include "tools/vsthost/device_pixels_win32.h"

namespace guitest {

using namespace VSTGUI;

struct Rgb {
    int r, g, b;
    bool operator==(const Rgb& o) const { return r == o.r && g == o.g && b == o.b; }
    bool operator!=(const Rgb& o) const { return !(*this == o); }
};
inline std::ostream& operator<<(std::ostream& os, const Rgb& c) {
    return os << "rgb(" << c.r << "," << c.g << "," << c.b << ")";
}
template <class Proc>
Proc procAddress(HMODULE module, const char* name) {
    return reinterpret_cast<Proc>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

inline Rgb rgb(const CColor& c) { return {c.red, c.green, c.blue}; }

// A copy of a device's pixels, taken with a blit so that the device's clip
// region does not hide any of them.
class Pixels {
public:
    Pixels(HDC source, int width, int height) : width(width), height(height), data(size_t(width) * height) {
        readDevicePixels(source, width, height, &data);  // black where it cannot
    }
    explicit Pixels(COffscreenContext* c)
        : Pixels(static_cast<HDC>(c->getSystemContext()), c->getWidth(), c->getHeight()) {}

    Rgb at(int x, int y) const {
        uint32_t v = data[size_t(y) * width + x];
        return {int((v >> 16) & 255), int((v >> 8) & 255), int(v & 255)};
    }
    // Number of pixels inside r (exclusive right and bottom) that differ from c.
    int mismatches(const CRect& r, const Rgb& c) const {
        int n = 0;
        for (int y = r.top; y < r.bottom; ++y)
            for (int x = r.left; x < r.right; ++x) n += at(x, y) != c;
        return n;
    }
    int count(const Rgb& c) const {
        int n = 0;
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) n += at(x, y) == c;
        return n;
    }

    const int width, height;

private:
    std::vector<uint32_t> data;
};

const Rgb kBlack = {0, 0, 0}, kWhite = {255, 255, 255}, kRed = {255, 0, 0}, kGreen = {0, 255, 0},
          kBlue = {0, 0, 255};

// A view that fills its whole rectangle with one colour and writes every event
// it receives into a shared log as "<name>:<event>".
class LoggingView : public CView {
public:
    LoggingView(const std::string& name, const CRect& r, std::vector<std::string>* log, CColor color = kColorRed)
        : CView(r), name(name), log(log), color(color) {}
    ~LoggingView() override {
        if (destroyed) *destroyed = true;
    }

    void draw(CDrawContext* ctx) override {
        ++draws;
        ctx->setFillColor(color);
        CRect r(size);
        r.left -= 5;  // paint beyond the own rectangle: the container must clip
        r.right += 5;
        ctx->drawRect(r, kFilled);
        setDirty(false);
    }
    void mouse(CDrawContext*, const CPoint& where, int32_t buttons) override {
        add("mouse(" + point(where) + "," + std::to_string(buttons) + ")");
    }
    int32_t onKeyDown(VSTGUI::CKeyCode&) override {
        add("keyDown");
        return keyAnswer;
    }
    int32_t onKeyUp(VSTGUI::CKeyCode&) override {
        add("keyUp");
        return keyAnswer;
    }
    using CView::onWheel;  // only the axis-less form is overridden
    bool onWheel(CDrawContext* ctx, const CPoint& where, float distance) override {
        add("wheel(" + point(where) + "," + std::to_string(int(distance * 10)) + ",offset " +
            point(ctx ? ctx->offset : CPoint(-99, -99)) + ")");
        return true;
    }
    bool onDrop(CDrawContext*, CDragContainer*, const CPoint& where) override {
        add("drop(" + point(where) + ")");
        return true;
    }
    void onDragEnter(CDrawContext*, CDragContainer*, const CPoint& where) override { add("enter(" + point(where) + ")"); }
    void onDragLeave(CDrawContext*, CDragContainer*, const CPoint& where) override { add("leave(" + point(where) + ")"); }
    void onDragMove(CDrawContext*, CDragContainer*, const CPoint& where) override { add("move(" + point(where) + ")"); }
    void loseFocus(CDrawContext*) override { add("loseFocus"); }

    static std::string point(const CPoint& p) { return std::to_string(p.h) + "," + std::to_string(p.v); }

    std::string name;
    std::vector<std::string>* log;
    CColor color;
    int draws = 0;
    int32_t keyAnswer = -1;
    bool* destroyed = nullptr;

private:
    void add(const std::string& event) {
        if (log) log->push_back(name + ":" + event);
    }
};

}  // namespace guitest
