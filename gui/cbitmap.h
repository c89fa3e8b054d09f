// Bitmaps loaded from the library's own resources.
#pragma once

#include <cstdint>

#include "gui/ccolor.h"
#include "gui/cgeometry.h"
#include "gui/creferencecounter.h"

namespace VSTGUI {

class CDrawContext;

class CBitmap : public CReferenceCounter {
public:
    // A missing resource leaves an empty bitmap (0 x 0) that draws nothing.
    explicit CBitmap(int32_t resourceID);
    // The picture drawn for a scale in percent (100, 150 or 200); width and
    // height are then device pixels. Other scales load nothing.
    CBitmap(int32_t resourceID, int scalePercent);
    ~CBitmap() override;

    virtual void draw(CDrawContext* context, const CRect& rect, const CPoint& offset = CPoint());
    virtual void drawTransparent(CDrawContext* context, const CRect& rect, const CPoint& offset = CPoint());
    virtual void drawAlphaBlend(CDrawContext* context, const CRect& rect, const CPoint& offset = CPoint(),
                                uint8_t alpha = 128);
    virtual void dispose();
    virtual bool loadFromResource(int32_t resourceID);
    bool loadFromResource(int32_t resourceID, int scalePercent);
    virtual bool loadFromPath(const void* platformPath);  // not supported: always false

    int32_t getWidth() const { return width; }
    int32_t getHeight() const { return height; }
    int32_t getResourceID() const { return resourceID; }
    void setTransparentColor(const CColor& color) { transparentColor = color; }
    CColor getTransparentColor() const { return transparentColor; }
    void* getHandle() const { return handle; }

protected:
    int32_t resourceID;
    int32_t width;
    int32_t height;
    CColor transparentColor;
    void* handle;  // the platform's picture: an HBITMAP, or the X11 layer's cairo images
};

}  // namespace VSTGUI
