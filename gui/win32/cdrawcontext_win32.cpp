// Drawing contexts over GDI.
#include "gui/cdrawcontext.h"

#include <windows.h>

#include <cstring>

#include "gui/cframe.h"
#include "gui/win32/platform_input.h"
#include "gui/win32/platform_state.h"

namespace VSTGUI {

namespace {
inline HDC asDC(void* p) { return static_cast<HDC>(p); }
inline HGDIOBJ asObject(void* p) { return static_cast<HGDIOBJ>(p); }
}  // namespace

CDrawContext::CDrawContext(CFrame* frame, void* deviceContext, void* window)
    : deviceContext(deviceContext), window(window), frame(frame), penStyle(PS_DOT) {
    if (frame)
        frame->getViewSize(clipRect);
    else
        clipRect = CRect(0, 0, 1000, 1000);

    if (!this->deviceContext && window) {
        obtainedDeviceContext = GetDC(static_cast<HWND>(window));
        this->deviceContext = obtainedDeviceContext;
    }
    if (this->deviceContext) {
        HDC dc = asDC(this->deviceContext);
        oldBrush = GetCurrentObject(dc, OBJ_BRUSH);
        oldPen = GetCurrentObject(dc, OBJ_PEN);
        oldFont = GetCurrentObject(dc, OBJ_FONT);
        SetBkMode(dc, TRANSPARENT);
    }
    if (window) {
        RECT r;
        if (GetWindowRect(static_cast<HWND>(window), &r)) screenOffset = CPoint(r.left, r.top);
    }

    setFrameColor(kColorWhite);
    setLineStyle(kSolidLine);
    setLineWidth(1);
    setFillColor(kColorBlack);
    setFontColor(kColorWhite);
    setFont(0, 0, 0);
    setDrawMode(kModeCopy);
}

CDrawContext::~CDrawContext() {
    restoreDeviceContext();
    if (brush) DeleteObject(asObject(brush));
    if (pen) DeleteObject(asObject(pen));
    if (font) DeleteObject(asObject(font));
    if (obtainedDeviceContext) ReleaseDC(static_cast<HWND>(window), asDC(obtainedDeviceContext));
}

void CDrawContext::adoptDeviceContext(void* dc) {
    deviceContext = dc;
    if (!dc) return;
    HDC hdc = asDC(dc);
    oldBrush = brush ? SelectObject(hdc, asObject(brush)) : GetCurrentObject(hdc, OBJ_BRUSH);
    oldPen = pen ? SelectObject(hdc, asObject(pen)) : GetCurrentObject(hdc, OBJ_PEN);
    oldFont = font ? SelectObject(hdc, asObject(font)) : GetCurrentObject(hdc, OBJ_FONT);
    SetBkMode(hdc, TRANSPARENT);
    SetBkColor(hdc, fillColor.toPlatform());
    SetTextColor(hdc, fontColor.toPlatform());
    SetROP2(hdc, drawMode == kModeOr ? R2_MERGEPEN : drawMode == kModeXor ? R2_NOTXORPEN : R2_COPYPEN);
}

void CDrawContext::restoreDeviceContext() {
    if (!deviceContext) return;
    HDC dc = asDC(deviceContext);
    if (oldBrush) SelectObject(dc, asObject(oldBrush));
    if (oldPen) SelectObject(dc, asObject(oldPen));
    if (oldFont) SelectObject(dc, asObject(oldFont));
    oldBrush = oldPen = oldFont = nullptr;
}

void CDrawContext::moveTo(const CPoint& p) {
    if (deviceContext) MoveToEx(asDC(deviceContext), p.h + offset.h, p.v + offset.v, nullptr);
}

void CDrawContext::lineTo(const CPoint& p) {
    if (deviceContext) LineTo(asDC(deviceContext), p.h + offset.h, p.v + offset.v);
}

void CDrawContext::drawRect(const CRect& r, int32_t style) {
    if (!deviceContext) return;
    HDC dc = asDC(deviceContext);
    CRect d(r);
    d.offset(offset.h, offset.v);
    if (style == kFilled || style == kFilledAndStroked) {
        HGDIOBJ previous = SelectObject(dc, GetStockObject(NULL_PEN));
        RECT wr = {d.left, d.top, d.right, d.bottom};
        if (brush) FillRect(dc, &wr, static_cast<HBRUSH>(brush));
        SelectObject(dc, previous);
    }
    if (style == kStroked || style == kFilledAndStroked) {
        MoveToEx(dc, d.left, d.top, nullptr);
        LineTo(dc, d.right - 1, d.top);
        LineTo(dc, d.right - 1, d.bottom - 1);
        LineTo(dc, d.left, d.bottom - 1);
        LineTo(dc, d.left, d.top);
    }
}

void CDrawContext::fillRect(const CRect& r) {
    if (!deviceContext || !brush) return;
    HDC dc = asDC(deviceContext);
    RECT wr = {r.left + 1 + offset.h, r.top + 1 + offset.v, r.right + offset.h, r.bottom + offset.v};
    HGDIOBJ previous = SelectObject(dc, GetStockObject(NULL_PEN));
    FillRect(dc, &wr, static_cast<HBRUSH>(brush));
    SelectObject(dc, previous);
}

void CDrawContext::recreatePen() {
    LOGPEN desc;
    desc.lopnStyle = static_cast<UINT>(penStyle);
    desc.lopnWidth.x = lineWidth;
    desc.lopnWidth.y = 0;
    desc.lopnColor = frameColor.toPlatform();
    HPEN created = CreatePenIndirect(&desc);
    if (!created) return;  // keep drawing with the pen we have
    if (deviceContext) SelectObject(asDC(deviceContext), created);
    if (pen) DeleteObject(asObject(pen));
    pen = created;
}

void CDrawContext::setLineStyle(int32_t style) {
    if (style == lineStyle) return;
    lineStyle = style;
    penStyle = style == kDashedLine ? PS_DOT : PS_SOLID;
    recreatePen();
}

void CDrawContext::setLineWidth(int32_t width) {
    if (width == lineWidth) return;
    lineWidth = width;
    recreatePen();
}

void CDrawContext::setFrameColor(const CColor& color) {
    if (color == frameColor) return;
    frameColor = color;
    recreatePen();
}

void CDrawContext::setFillColor(const CColor& color) {
    if (color == fillColor) return;
    fillColor = color;
    if (deviceContext) SetBkColor(asDC(deviceContext), color.toPlatform());
    LOGBRUSH desc;
    desc.lbStyle = BS_SOLID;
    desc.lbColor = color.toPlatform();
    desc.lbHatch = 0;
    HBRUSH created = CreateBrushIndirect(&desc);
    if (!created) return;  // the previous brush stays in use
    if (deviceContext) SelectObject(asDC(deviceContext), created);
    if (brush) DeleteObject(asObject(brush));
    brush = created;
}

void CDrawContext::setFontColor(const CColor& color) {
    fontColor = color;
    if (deviceContext) SetTextColor(asDC(deviceContext), color.toPlatform());
}

void CDrawContext::setDrawMode(int32_t mode) {
    if (mode == drawMode) return;
    drawMode = mode;
    if (!deviceContext) return;
    int rop = mode == kModeOr ? R2_MERGEPEN : mode == kModeXor ? R2_NOTXORPEN : R2_COPYPEN;
    SetROP2(asDC(deviceContext), rop);
}

void CDrawContext::setFont(int32_t id, int32_t size, int32_t style) {
    if (id < 0 || id >= kNumStandardFonts) id = 0;
    int32_t wantedSize = size == 0 ? kStandardFonts[id].size : size;
    if (id == fontId && wantedSize == fontSize && style == fontStyle) return;
    fontStyle = style;
    fontId = id;
    fontSize = wantedSize;

    LOGFONTA desc;
    std::memset(&desc, 0, sizeof(desc));
    desc.lfHeight = -fontSize;  // character height, not cell height
    desc.lfWeight = (style & kStyleBold) ? FW_BOLD : FW_NORMAL;
    desc.lfItalic = (style & kStyleItalic) ? 1 : 0;
    desc.lfUnderline = (style & kStyleUnderline) ? 1 : 0;
    std::strncpy(desc.lfFaceName, kStandardFonts[id].face, LF_FACESIZE - 1);
    desc.lfPitchAndFamily = VARIABLE_PITCH | FF_SWISS;
    if (id == kFontSymbol) desc.lfPitchAndFamily = DEFAULT_PITCH | FF_DECORATIVE;
    if (id == kFontSystem) desc.lfWeight = FW_BOLD;
    desc.lfClipPrecision = CLIP_STROKE_PRECIS;
    desc.lfOutPrecision = OUT_STRING_PRECIS;
    desc.lfQuality = DEFAULT_QUALITY;
    desc.lfCharSet = ANSI_CHARSET;

    HFONT created = CreateFontIndirectA(&desc);
    if (!created) return;
    if (deviceContext) SelectObject(asDC(deviceContext), created);
    if (font) DeleteObject(asObject(font));
    font = created;
}

void CDrawContext::setClipRect(const CRect& r) {
    CRect d(r);
    d.offset(offset.h, offset.v);
    if (d == clipRect) return;
    clipRect = d;
    if (!deviceContext) return;
    HRGN region = CreateRectRgn(d.left, d.top, d.right, d.bottom);
    SelectClipRgn(asDC(deviceContext), region);
    DeleteObject(region);
}

int32_t CDrawContext::getMouseButtons() {
    PlatformInput& input = platformInput();
    const bool swapped = swapMouseButtons();
    int32_t buttons = 0;
    if (input.isKeyDown(VK_LBUTTON)) buttons |= swapped ? kButtonRight : kButtonLeft;
    if (input.isKeyDown(VK_MBUTTON)) buttons |= kButtonMiddle;
    if (input.isKeyDown(VK_RBUTTON)) buttons |= swapped ? kButtonLeft : kButtonRight;
    if (input.isKeyDown(VK_SHIFT)) buttons |= kModShift;
    if (input.isKeyDown(VK_CONTROL)) buttons |= kModControl;
    if (input.isKeyDown(VK_MENU)) buttons |= kModAlt;
    return buttons;
}

void CDrawContext::getMouseLocation(CPoint& point) {
    CPoint screen = platformInput().cursorPosition();
    point = CPoint(screen.h - screenOffset.h, screen.v - screenOffset.v);
}

// ---------------------------------------------------------------------------

COffscreenContext::COffscreenContext(CFrame* frame, int32_t width, int32_t height, const CColor& backgroundColor)
    : CDrawContext(frame, nullptr, nullptr),
      width(width),
      height(height),
      backgroundColor(backgroundColor),
      oldBitmap(nullptr) {
    clipRect = CRect(width < 0 ? width : 0, height < 0 ? height : 0, width > 0 ? width : 0, height > 0 ? height : 0);

    HWND frameWindow = frame ? static_cast<HWND>(frame->getSystemWindow()) : nullptr;
    HDC windowDC = GetDC(frameWindow);
    HDC memoryDC = CreateCompatibleDC(windowDC);
    HBITMAP buffer = memoryDC ? CreateCompatibleBitmap(windowDC, width > 0 ? width : 0, height > 0 ? height : 0) : nullptr;
    if (memoryDC && buffer) oldBitmap = SelectObject(memoryDC, buffer);
    if (windowDC) ReleaseDC(frameWindow, windowDC);
    window = buffer;

    // The base part had no device to draw into; its pen, brush and font go
    // into the memory device context now, so that the clear below draws with
    // the background colour even when a setter finds nothing to change.
    adoptDeviceContext(memoryDC);

    setFillColor(backgroundColor);
    setFrameColor(backgroundColor);
    CRect all(0, 0, width, height);
    fillRect(all);
    drawRect(all, kStroked);
}

COffscreenContext::~COffscreenContext() {
    HDC memoryDC = static_cast<HDC>(deviceContext);
    if (memoryDC) {
        restoreDeviceContext();
        if (oldBitmap) SelectObject(memoryDC, static_cast<HGDIOBJ>(oldBitmap));
        DeleteDC(memoryDC);
        deviceContext = nullptr;
    }
    if (window) DeleteObject(static_cast<HGDIOBJ>(window));
    window = nullptr;
}

void COffscreenContext::copyFrom(CDrawContext* target, const CRect& destRect, const CPoint& srcOffset) {
    if (!target || !deviceContext || !target->getSystemContext()) return;
    BitBlt(static_cast<HDC>(target->getSystemContext()), destRect.left + target->offset.h,
           destRect.top + target->offset.v, destRect.getWidth(), destRect.getHeight(), static_cast<HDC>(deviceContext),
           srcOffset.h, srcOffset.v, SRCCOPY);
}

}  // namespace VSTGUI
