// Bitmap resources of the toolkit's own module, blitted opaque, colour-keyed
// or with constant alpha.
#include "gui/cbitmap.h"

#include <windows.h>

#include "gui/cdrawcontext.h"
#include "gui/win32/platform_state.h"
#include "resources/bitmaps/packed_picture.h"

namespace VSTGUI {

namespace {

// A memory device context with the bitmap selected, for the length of a blit.
class SourceDC {
public:
    SourceDC(HDC compatibleWith, HBITMAP bitmap) : dc(CreateCompatibleDC(compatibleWith)), old(nullptr) {
        if (dc) old = SelectObject(dc, bitmap);
    }
    ~SourceDC() {
        if (!dc) return;
        SelectObject(dc, old);
        DeleteDC(dc);
    }
    SourceDC(const SourceDC&) = delete;
    SourceDC& operator=(const SourceDC&) = delete;
    HDC get() const { return dc; }

private:
    HDC dc;
    HGDIOBJ old;
};

// One blit of a bitmap onto a context: the context's device, the bitmap
// selected into a memory device compatible with it, and the destination block
// (the rectangle moved by the context's offset).
struct BitmapBlit {
    BitmapBlit(HBITMAP bitmap, CDrawContext* context, const CRect& rect)
        : dest(static_cast<HDC>(context->getSystemContext())),
          source(dest, bitmap),
          x(rect.left + context->offset.h),
          y(rect.top + context->offset.v),
          w(rect.getWidth()),
          h(rect.getHeight()) {}
    HDC dest;
    SourceDC source;
    const int x, y, w, h;
};

// Colour-keyed copy without TransparentBlt: XOR the source in, cut the opaque
// pixels out with a 1-bit mask, XOR the source in again.
void maskedBlit(HDC dest, int x, int y, int w, int h, HDC source, int sx, int sy, COLORREF key) {
    HDC maskDC = CreateCompatibleDC(dest);
    HBITMAP mask = CreateBitmap(w, h, 1, 1, nullptr);
    if (!maskDC || !mask) {
        if (mask) DeleteObject(mask);
        if (maskDC) DeleteDC(maskDC);
        return;
    }
    HGDIOBJ oldMask = SelectObject(maskDC, mask);

    // Colour to 1-bit: pixels of the background colour become 1.
    COLORREF oldSourceBk = SetBkColor(source, key);
    BitBlt(maskDC, 0, 0, w, h, source, sx, sy, SRCCOPY);
    SetBkColor(source, oldSourceBk);

    // 1-bit to colour: 1 becomes the background (white), 0 the text colour (black).
    COLORREF oldBk = SetBkColor(dest, RGB(255, 255, 255));
    COLORREF oldText = SetTextColor(dest, RGB(0, 0, 0));
    BitBlt(dest, x, y, w, h, source, sx, sy, SRCINVERT);
    BitBlt(dest, x, y, w, h, maskDC, 0, 0, SRCAND);
    BitBlt(dest, x, y, w, h, source, sx, sy, SRCINVERT);
    SetBkColor(dest, oldBk);
    SetTextColor(dest, oldText);

    SelectObject(maskDC, oldMask);
    DeleteObject(mask);
    DeleteDC(maskDC);
}

// A 24-bit DIB section of a packed picture kept as data in our module;
// null if there is none or it does not unpack.
HBITMAP unpackedBitmap(int32_t id) {
    HMODULE module = toolkitModule();
    HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(id), MAKEINTRESOURCEA(10) /* RT_RCDATA */);
    HGLOBAL loaded = found ? LoadResource(module, found) : nullptr;
    const void* bytes = loaded ? LockResource(loaded) : nullptr;
    UnpackedPicture picture;
    if (!bytes || !unpackPicture(static_cast<const uint8_t*>(bytes), SizeofResource(module, found), &picture))
        return nullptr;
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = picture.width;
    info.bmiHeader.biHeight = -picture.height;  // top row first
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!bitmap || !bits) {
        if (bitmap) DeleteObject(bitmap);
        return nullptr;
    }
    const size_t stride = (size_t(picture.width) * 3 + 3) & ~size_t(3);
    const uint8_t* p = picture.rgb.data();
    for (int y = 0; y < picture.height; ++y) {
        uint8_t* row = static_cast<uint8_t*>(bits) + y * stride;
        for (int x = 0; x < picture.width; ++x, p += 3) {
            row[x * 3] = p[2];
            row[x * 3 + 1] = p[1];
            row[x * 3 + 2] = p[0];
        }
    }
    GdiFlush();
    return bitmap;
}

}  // namespace

CBitmap::CBitmap(int32_t resourceID)
    : resourceID(resourceID), width(0), height(0), transparentColor(kColorTransparent), handle(nullptr) {
    loadFromResource(resourceID);
    setTransparentColor(kColorTransparent);
}

CBitmap::CBitmap(int32_t resourceID, int scalePercent)
    : resourceID(resourceID), width(0), height(0), transparentColor(kColorTransparent), handle(nullptr) {
    loadFromResource(resourceID, scalePercent);
}

CBitmap::~CBitmap() { dispose(); }

void CBitmap::dispose() {
    if (handle) DeleteObject(static_cast<HGDIOBJ>(handle));
    handle = nullptr;
    width = 0;
    height = 0;
}

bool CBitmap::loadFromResource(int32_t id) {
    dispose();
    resourceID = id;
    HBITMAP loaded = LoadBitmapA(toolkitModule(), MAKEINTRESOURCEA(id));
    if (!loaded) return false;
    BITMAP desc;
    if (!GetObjectA(loaded, sizeof(desc), &desc)) {
        DeleteObject(loaded);
        return false;
    }
    handle = loaded;
    width = desc.bmWidth;
    height = desc.bmHeight;
    return true;
}

bool CBitmap::loadFromResource(int32_t id, int scalePercent) {
    if (scalePercent == 100) return loadFromResource(id);
    dispose();
    resourceID = id;
    if (scalePercent != 150 && scalePercent != 200) return false;
    HBITMAP bitmap = unpackedBitmap(scaledResourceId(id, scalePercent));
    if (!bitmap) return false;
    BITMAP desc;
    if (!GetObjectA(bitmap, sizeof(desc), &desc)) {
        DeleteObject(bitmap);
        return false;
    }
    handle = bitmap;
    width = desc.bmWidth;
    height = desc.bmHeight;
    return true;
}

bool CBitmap::loadFromPath(const void*) {
    dispose();
    return false;
}

void CBitmap::draw(CDrawContext* context, const CRect& rect, const CPoint& offset) {
    if (!handle || !context || !context->getSystemContext()) return;
    BitmapBlit b(static_cast<HBITMAP>(handle), context, rect);
    if (!b.source.get()) return;
    BitBlt(b.dest, b.x, b.y, b.w, b.h, b.source.get(), offset.h, offset.v, SRCCOPY);
}

void CBitmap::drawTransparent(CDrawContext* context, const CRect& rect, const CPoint& offset) {
    if (!handle || !context || !context->getSystemContext() || rect.getWidth() <= 0 || rect.getHeight() <= 0) return;
    BitmapBlit b(static_cast<HBITMAP>(handle), context, rect);
    if (!b.source.get()) return;
    const COLORREF key = transparentColor.toPlatform();
    if (TransparentBltProc transparentBlt = transparentBltEntry())
        transparentBlt(b.dest, b.x, b.y, b.w, b.h, b.source.get(), offset.h, offset.v, b.w, b.h, key);
    else
        maskedBlit(b.dest, b.x, b.y, b.w, b.h, b.source.get(), offset.h, offset.v, key);
}

void CBitmap::drawAlphaBlend(CDrawContext* context, const CRect& rect, const CPoint& offset, uint8_t alpha) {
    if (!handle || !context || !context->getSystemContext() || rect.getWidth() <= 0 || rect.getHeight() <= 0) return;
    BitmapBlit b(static_cast<HBITMAP>(handle), context, rect);
    if (!b.source.get()) return;
    HDC dest = b.dest;
    HDC source = b.source.get();
    const int x = b.x, y = b.y, w = b.w, h = b.h;

    AlphaBlendProc alphaBlend = alphaBlendEntry();
    if (!alphaBlend) {
        // No blending available: an invisible blit draws nothing, any other
        // opacity shows the picture opaque rather than not at all.
        if (alpha != 0) BitBlt(dest, x, y, w, h, source, offset.h, offset.v, SRCCOPY);
        return;
    }
    BLENDFUNCTION blend = {AC_SRC_OVER, 0, alpha, 0};
    if (!isWindows98()) {
        alphaBlend(dest, x, y, w, h, source, offset.h, offset.v, w, h, blend);
        return;
    }
    // Windows 98 blends only from a block that starts at the source's origin.
    HBITMAP copy = CreateCompatibleBitmap(dest, w, h);
    if (!copy) return;
    {
        SourceDC block(dest, copy);
        if (block.get()) {
            BitBlt(block.get(), 0, 0, w, h, source, offset.h, offset.v, SRCCOPY);
            alphaBlend(dest, x, y, w, h, block.get(), 0, 0, w, h, blend);
        }
    }
    DeleteObject(copy);
}

}  // namespace VSTGUI
