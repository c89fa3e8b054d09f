// Drawing contexts: the one path by which views reach the platform's 2-D
// drawing layer. Platform handles are kept as opaque pointers so that this
// header stays free of the platform's headers.
#pragma once

#include <cstdint>

#include "gui/ccolor.h"
#include "gui/cfont.h"
#include "gui/cgeometry.h"
#include "gui/creferencecounter.h"

namespace VSTGUI {

class CFrame;

// Mouse-button and modifier bits; -1 asks for the live state.
enum CButton : int32_t {
    kButtonLeft = 1,
    kButtonMiddle = 2,
    kButtonRight = 4,
    kModShift = 8,
    kModControl = 16,
    kModAlt = 32
};

enum CDrawStyle : int32_t { kStroked = 0, kFilled = 1, kFilledAndStroked = 2 };
enum CLineStyle : int32_t { kSolidLine = 0, kDashedLine = 1 };
enum CDrawMode : int32_t { kModeCopy = 0, kModeOr = 1, kModeXor = 2 };

class CDrawContext : public CReferenceCounter {
public:
    // Any of the three may be empty. With a window but no device context the
    // context fetches the window's device context and gives it back itself.
    CDrawContext(CFrame* frame, void* deviceContext, void* window);
    ~CDrawContext() override;

    void moveTo(const CPoint& p);
    void lineTo(const CPoint& p);
    void drawRect(const CRect& r, int32_t style = kStroked);
    void fillRect(const CRect& r);

    void setLineStyle(int32_t style);
    int32_t getLineStyle() const { return lineStyle; }
    void setLineWidth(int32_t width);
    int32_t getLineWidth() const { return lineWidth; }
    void setDrawMode(int32_t mode);
    int32_t getDrawMode() const { return drawMode; }

    void setClipRect(const CRect& r);  // local coordinates
    CRect getClipRect() const {
        CRect r(clipRect);
        return r.offset(-offset.h, -offset.v);
    }

    void setFrameColor(const CColor& color);
    CColor getFrameColor() const { return frameColor; }
    void setFillColor(const CColor& color);
    CColor getFillColor() const { return fillColor; }
    void setFontColor(const CColor& color);
    CColor getFontColor() const { return fontColor; }
    void setFont(int32_t fontId, int32_t size = 0, int32_t style = 0);
    int32_t getFont() const { return fontId; }
    int32_t getFontSize() const { return fontSize; }
    int32_t getFontStyle() const { return fontStyle; }

    int32_t getMouseButtons();
    void getMouseLocation(CPoint& point);

    CFrame* getFrame() const { return frame; }
    void* getSystemContext() const { return deviceContext; }
    void* getWindow() const { return window; }

    // The platform objects the context owns now (empty while none); for tests
    // and for code that draws with the platform directly.
    void* getOwnedPen() const { return pen; }
    void* getOwnedBrush() const { return brush; }
    void* getOwnedFont() const { return font; }

    // The screen position of the local origin, and the shift from local to
    // device coordinates. Containers move both while routing into children.
    CPoint screenOffset;
    CPoint offset;

protected:
    // Starts drawing into dc: remembers what was selected there, selects the
    // context's own pen, brush and font and applies its colours and mode.
    void adoptDeviceContext(void* dc);
    // Puts the remembered objects back into the device context.
    void restoreDeviceContext();

    void* deviceContext;
    void* window;  // an offscreen context keeps its pixel buffer here
    CFrame* frame;

    int32_t fontSize = -1;
    int32_t fontStyle = 0;
    int32_t fontId = kNumStandardFonts;  // none chosen yet
    CColor fontColor = {0, 0, 0, 0};
    int32_t lineWidth = 0;
    CColor frameColor = {0, 0, 0, 0};
    CColor fillColor = {0, 0, 0, 0};
    int32_t lineStyle = kDashedLine;
    int32_t drawMode = 3;  // no mode yet, so the first setDrawMode takes effect
    CRect clipRect;  // device coordinates

private:
    void recreatePen();

    void* brush = nullptr;
    void* pen = nullptr;
    void* font = nullptr;
    void* oldBrush = nullptr;
    void* oldPen = nullptr;
    void* oldFont = nullptr;
    int32_t penStyle = 0;  // the platform's style of the current pen
    void* obtainedDeviceContext = nullptr;  // from the window; given back at destruction
};

// A pixel buffer of its own, compatible with the frame's window, used by
// containers for double buffering.
class COffscreenContext : public CDrawContext {
public:
    COffscreenContext(CFrame* frame, int32_t width, int32_t height,
                      const CColor& backgroundColor = kColorBlack);
    ~COffscreenContext() override;

    // Copies a destRect-sized block from srcOffset in this buffer onto target
    // at destRect (target's local coordinates), opaque.
    void copyFrom(CDrawContext* target, const CRect& destRect, const CPoint& srcOffset = CPoint());

    int32_t getWidth() const { return width; }
    int32_t getHeight() const { return height; }
    CColor getBackgroundColor() const { return backgroundColor; }

protected:
    int32_t width;
    int32_t height;
    CColor backgroundColor;
    void* oldBitmap;
};

}  // namespace VSTGUI
