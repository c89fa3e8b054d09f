// Drawing contexts over cairo: on the frame's X11 window, on an offscreen
// surface like it, or (a frame without a window) on an image in memory.
// The context's device is a cairo_t; pens, brushes and fonts are the colours
// and styles applied at each call.
#include <X11/Xlib.h>
#include <cairo-xlib.h>
#include <cairo.h>

#include <cstdint>

#include "gui/cdrawcontext.h"
#include "gui/cframe.h"
#include "gui/x11/frame_window_state.h"

namespace VSTGUI {

namespace {

inline cairo_t* asCairo(void* p) { return static_cast<cairo_t*>(p); }

CFrameWindowState* windowStateOf(CFrame* frame) {
    CFrameWindowState* state = frame ? frame->getWindowState() : nullptr;
    return state && state->window ? state : nullptr;
}

void setSource(cairo_t* c, const CColor& color) {
    cairo_set_source_rgb(c, color.red / 255.0, color.green / 255.0, color.blue / 255.0);
}

// Whole pixels only: lines and fills land on the same pixels as on Windows.
void prepareForLines(cairo_t* c, const CColor& color, int32_t width, int32_t style) {
    setSource(c, color);
    cairo_set_antialias(c, CAIRO_ANTIALIAS_NONE);
    cairo_set_line_width(c, width < 1 ? 1.0 : (double)width);
    cairo_set_line_cap(c, CAIRO_LINE_CAP_BUTT);
    const double dot = 1.0;
    cairo_set_dash(c, style == kDashedLine ? &dot : nullptr, style == kDashedLine ? 1 : 0, 0.0);
}

cairo_operator_t operatorFor(int32_t mode) {
    // Cairo has no raster operations; these come closest to merging and
    // inverting with the pen.
    if (mode == kModeOr) return CAIRO_OPERATOR_LIGHTEN;
    if (mode == kModeXor) return CAIRO_OPERATOR_DIFFERENCE;
    return CAIRO_OPERATOR_OVER;
}

void fillBlock(cairo_t* c, const CColor& color, int32_t mode, int32_t left, int32_t top, int32_t right,
               int32_t bottom) {
    if (right <= left || bottom <= top) return;
    cairo_save(c);
    setSource(c, color);
    cairo_set_operator(c, operatorFor(mode));
    cairo_rectangle(c, left, top, right - left, bottom - top);
    cairo_fill(c);
    cairo_restore(c);
}

// A surface for the frame's window, or null without one.
cairo_surface_t* windowSurface(CFrameWindowState* state, const CRect& frameSize) {
    if (!state) return nullptr;
    const int width = frameSize.getWidth() > 0 ? frameSize.getWidth() : 1;
    const int height = frameSize.getHeight() > 0 ? frameSize.getHeight() : 1;
    return cairo_xlib_surface_create(state->display, state->window, state->visual, width, height);
}

}  // namespace

CDrawContext::CDrawContext(CFrame* frame, void* deviceContext, void* window)
    : deviceContext(deviceContext), window(window), frame(frame) {
    if (frame)
        frame->getViewSize(clipRect);
    else
        clipRect = CRect(0, 0, 1000, 1000);

    CFrameWindowState* state = windowStateOf(frame);
    if (!this->deviceContext && window && state) {
        cairo_surface_t* surface = windowSurface(state, clipRect);
        cairo_t* created = cairo_create(surface);
        cairo_surface_destroy(surface);  // the context holds it now
        obtainedDeviceContext = created;
        this->deviceContext = created;
    }
    if (window && state) {
        int x = 0, y = 0;
        ::Window child;
        if (XTranslateCoordinates(state->display, state->window, DefaultRootWindow(state->display), 0, 0, &x, &y,
                                  &child))
            screenOffset = CPoint(x, y);
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
    if (obtainedDeviceContext) {
        cairo_t* c = asCairo(obtainedDeviceContext);
        cairo_surface_flush(cairo_get_target(c));
        cairo_destroy(c);
        if (CFrameWindowState* state = windowStateOf(frame)) XFlush(state->display);
    }
}

void CDrawContext::adoptDeviceContext(void* dc) { deviceContext = dc; }
void CDrawContext::restoreDeviceContext() {}
void CDrawContext::recreatePen() {}

void CDrawContext::moveTo(const CPoint& p) {
    if (deviceContext) cairo_move_to(asCairo(deviceContext), p.h + offset.h + 0.5, p.v + offset.v + 0.5);
}

void CDrawContext::lineTo(const CPoint& p) {
    if (!deviceContext) return;
    cairo_t* c = asCairo(deviceContext);
    if (!cairo_has_current_point(c)) cairo_move_to(c, 0.5, 0.5);
    double fromX = 0, fromY = 0;
    cairo_get_current_point(c, &fromX, &fromY);
    const int32_t x0 = (int32_t)(fromX - 0.5), y0 = (int32_t)(fromY - 0.5);
    const int32_t x1 = p.h + offset.h, y1 = p.v + offset.v;
    const int32_t width = lineWidth < 1 ? 1 : lineWidth;
    if (lineStyle == kSolidLine && (x0 == x1 || y0 == y1)) {
        // Straight lines as blocks of whole pixels, the last point left out
        // as the line's end always is.
        const int32_t left = x0 <= x1 ? x0 : x1 + 1, right = x0 <= x1 ? x1 : x0 + 1;
        const int32_t top = y0 <= y1 ? y0 : y1 + 1, bottom = y0 <= y1 ? y1 : y0 + 1;
        const int32_t before = (width - 1) / 2;
        if (y0 == y1)
            fillBlock(c, frameColor, drawMode, left, y0 - before, right, y0 - before + width);
        else
            fillBlock(c, frameColor, drawMode, x0 - before, top, x0 - before + width, bottom);
    } else {
        cairo_save(c);
        prepareForLines(c, frameColor, lineWidth, lineStyle);
        cairo_set_operator(c, operatorFor(drawMode));
        cairo_line_to(c, x1 + 0.5, y1 + 0.5);
        cairo_stroke(c);
        cairo_restore(c);
    }
    // The pen stays at the end, as the next line expects.
    cairo_move_to(c, x1 + 0.5, y1 + 0.5);
}

void CDrawContext::drawRect(const CRect& r, int32_t style) {
    if (!deviceContext) return;
    CRect d(r);
    d.offset(offset.h, offset.v);
    if (style == kFilled || style == kFilledAndStroked)
        fillBlock(asCairo(deviceContext), fillColor, drawMode, d.left, d.top, d.right, d.bottom);
    if (style == kStroked || style == kFilledAndStroked) {
        CPoint corner(r.left, r.top);
        moveTo(corner);
        lineTo(CPoint(r.right - 1, r.top));
        lineTo(CPoint(r.right - 1, r.bottom - 1));
        lineTo(CPoint(r.left, r.bottom - 1));
        lineTo(corner);
    }
}

void CDrawContext::fillRect(const CRect& r) {
    if (!deviceContext) return;
    fillBlock(asCairo(deviceContext), fillColor, drawMode, r.left + 1 + offset.h, r.top + 1 + offset.v,
              r.right + offset.h, r.bottom + offset.v);
}

void CDrawContext::setLineStyle(int32_t style) { lineStyle = style; }
void CDrawContext::setLineWidth(int32_t width) { lineWidth = width; }
void CDrawContext::setFrameColor(const CColor& color) { frameColor = color; }
void CDrawContext::setFillColor(const CColor& color) { fillColor = color; }
void CDrawContext::setFontColor(const CColor& color) { fontColor = color; }
void CDrawContext::setDrawMode(int32_t mode) { drawMode = mode; }

void CDrawContext::setFont(int32_t id, int32_t size, int32_t style) {
    if (id < 0 || id >= kNumStandardFonts) id = 0;
    fontId = id;
    fontSize = size == 0 ? kStandardFonts[id].size : size;
    fontStyle = style;
}

void CDrawContext::setClipRect(const CRect& r) {
    CRect d(r);
    d.offset(offset.h, offset.v);
    if (d == clipRect) return;
    clipRect = d;
    if (!deviceContext) return;
    cairo_t* c = asCairo(deviceContext);
    cairo_reset_clip(c);
    const int32_t width = d.right > d.left ? d.right - d.left : 0;
    const int32_t height = d.bottom > d.top ? d.bottom - d.top : 0;
    cairo_rectangle(c, d.left, d.top, width, height);
    cairo_clip(c);
}

int32_t CDrawContext::getMouseButtons() {
    CFrameWindowState* state = windowStateOf(frame);
    if (!state) return 0;
    // Inside an event the event's state is the one that counts: the
    // pointer may have moved on since.
    if (state->eventButtons != -1) return state->eventButtons;
    ::Window root, child;
    int rootX, rootY, x, y;
    unsigned int mask = 0;
    if (!XQueryPointer(state->display, state->window, &root, &child, &rootX, &rootY, &x, &y, &mask)) return 0;
    return buttonsFromState(mask);
}

void CDrawContext::getMouseLocation(CPoint& point) {
    CFrameWindowState* state = windowStateOf(frame);
    if (!state) return;
    ::Window root, child;
    int rootX = 0, rootY = 0, x, y;
    unsigned int mask;
    XQueryPointer(state->display, state->window, &root, &child, &rootX, &rootY, &x, &y, &mask);
    point = CPoint(rootX - screenOffset.h, rootY - screenOffset.v);
}

// ---------------------------------------------------------------------------

COffscreenContext::COffscreenContext(CFrame* frame, int32_t width, int32_t height, const CColor& backgroundColor)
    : CDrawContext(frame, nullptr, nullptr),
      width(width),
      height(height),
      backgroundColor(backgroundColor),
      oldBitmap(nullptr) {
    clipRect = CRect(width < 0 ? width : 0, height < 0 ? height : 0, width > 0 ? width : 0, height > 0 ? height : 0);

    const int w = width > 0 ? width : 0;
    const int h = height > 0 ? height : 0;
    cairo_surface_t* buffer = nullptr;
    CFrameWindowState* state = windowStateOf(frame);
    if (state && w > 0 && h > 0) {
        // A pixmap like the window, so that copies to it stay on the server.
        CRect frameSize;
        frame->getViewSize(frameSize);
        cairo_surface_t* target = windowSurface(state, frameSize);
        buffer = cairo_surface_create_similar(target, CAIRO_CONTENT_COLOR, w, h);
        cairo_surface_destroy(target);
    } else {
        buffer = cairo_image_surface_create(CAIRO_FORMAT_RGB24, w, h);
    }
    window = buffer;
    deviceContext = cairo_create(buffer);

    // The whole buffer starts in the background colour.
    setFillColor(backgroundColor);
    setFrameColor(backgroundColor);
    cairo_t* c = asCairo(deviceContext);
    cairo_save(c);
    setSource(c, backgroundColor);
    cairo_set_operator(c, CAIRO_OPERATOR_SOURCE);
    cairo_paint(c);
    cairo_restore(c);
}

COffscreenContext::~COffscreenContext() {
    if (deviceContext) cairo_destroy(asCairo(deviceContext));
    deviceContext = nullptr;
    if (window) cairo_surface_destroy(static_cast<cairo_surface_t*>(window));
    window = nullptr;
}

void COffscreenContext::copyFrom(CDrawContext* target, const CRect& destRect, const CPoint& srcOffset) {
    if (!target || !deviceContext || !target->getSystemContext()) return;
    cairo_t* c = asCairo(target->getSystemContext());
    const int32_t x = destRect.left + target->offset.h;
    const int32_t y = destRect.top + target->offset.v;
    if (destRect.getWidth() <= 0 || destRect.getHeight() <= 0) return;
    cairo_surface_t* buffer = static_cast<cairo_surface_t*>(window);
    cairo_surface_flush(buffer);
    cairo_save(c);
    cairo_set_operator(c, CAIRO_OPERATOR_SOURCE);
    cairo_set_source_surface(c, buffer, x - srcOffset.h, y - srcOffset.v);
    cairo_rectangle(c, x, y, destRect.getWidth(), destRect.getHeight());
    cairo_fill(c);
    cairo_restore(c);
}

}  // namespace VSTGUI
