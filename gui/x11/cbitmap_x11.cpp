// Bitmaps from the pictures embedded in the library, as cairo images: opaque
// for plain blits, and a copy with the colour key turned into alpha, made
// once per key, for colour-keyed blits.
#include <cairo.h>

#include "gui/cbitmap.h"
#include "gui/cdrawcontext.h"
#include "gui/x11/bmp_image.h"
#include "resources/bitmaps/embedded_bitmaps.h"
#include "resources/bitmaps/packed_picture.h"

namespace VSTGUI {

namespace {

// What the bitmap's handle points to here.
struct Pictures {
    cairo_surface_t* opaque = nullptr;
    cairo_surface_t* keyed = nullptr;
    uint32_t keyedFor = 0;  // 0xRRGGBB the keyed copy was made for
};

Pictures* picturesOf(void* handle) { return static_cast<Pictures*>(handle); }

// Paints source over the context's device inside rect, the source's point
// offset landing on rect's top-left corner.
void blit(CDrawContext* context, cairo_surface_t* source, const CRect& rect, const CPoint& offset) {
    cairo_t* c = static_cast<cairo_t*>(context->getSystemContext());
    const int32_t x = rect.left + context->offset.h;
    const int32_t y = rect.top + context->offset.v;
    cairo_save(c);
    cairo_rectangle(c, x, y, rect.getWidth(), rect.getHeight());
    cairo_clip(c);
    cairo_set_source_surface(c, source, x - offset.h, y - offset.v);
    cairo_pattern_set_filter(cairo_get_source(c), CAIRO_FILTER_NEAREST);
    cairo_paint(c);
    cairo_restore(c);
}

// An opaque image of a packed picture; null if the bytes are not one.
cairo_surface_t* unpackedImage(const EmbeddedBitmap& packed) {
    UnpackedPicture picture;
    if (!unpackPicture(packed.bytes, packed.size, &picture)) return nullptr;
    cairo_surface_t* image = cairo_image_surface_create(CAIRO_FORMAT_RGB24, picture.width, picture.height);
    if (cairo_surface_status(image) != CAIRO_STATUS_SUCCESS) {
        cairo_surface_destroy(image);
        return nullptr;
    }
    cairo_surface_flush(image);
    unsigned char* data = cairo_image_surface_get_data(image);
    const int stride = cairo_image_surface_get_stride(image);
    const uint8_t* p = picture.rgb.data();
    for (int y = 0; y < picture.height; ++y) {
        uint32_t* row = reinterpret_cast<uint32_t*>(data + size_t(y) * stride);
        for (int x = 0; x < picture.width; ++x, p += 3) row[x] = 0xff000000u | uint32_t(p[0]) << 16 | p[1] << 8 | p[2];
    }
    cairo_surface_mark_dirty(image);
    return image;
}

// A decoded picture becomes a bitmap's handle and size; false for none.
bool adoptImage(cairo_surface_t* image, void** handle, int32_t* width, int32_t* height) {
    if (!image) return false;
    Pictures* pictures = new Pictures;
    pictures->opaque = image;
    *handle = pictures;
    *width = cairo_image_surface_get_width(image);
    *height = cairo_image_surface_get_height(image);
    return true;
}

bool canDraw(void* handle, CDrawContext* context, const CRect& rect) {
    return handle && context && context->getSystemContext() && rect.getWidth() > 0 && rect.getHeight() > 0;
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
    if (Pictures* pictures = picturesOf(handle)) {
        if (pictures->opaque) cairo_surface_destroy(pictures->opaque);
        if (pictures->keyed) cairo_surface_destroy(pictures->keyed);
        delete pictures;
    }
    handle = nullptr;
    width = 0;
    height = 0;
}

bool CBitmap::loadFromResource(int32_t id) {
    dispose();
    resourceID = id;
    const EmbeddedBitmap file = embeddedBitmap(id);
    return adoptImage(decodeBmp(file.bytes, file.size), &handle, &width, &height);
}

bool CBitmap::loadFromResource(int32_t id, int scalePercent) {
    if (scalePercent == 100) return loadFromResource(id);
    dispose();
    resourceID = id;
    if (scalePercent != 150 && scalePercent != 200) return false;
    return adoptImage(unpackedImage(embeddedBitmap(scaledResourceId(id, scalePercent))), &handle, &width, &height);
}

bool CBitmap::loadFromPath(const void*) {
    dispose();
    return false;
}

void CBitmap::draw(CDrawContext* context, const CRect& rect, const CPoint& offset) {
    if (!canDraw(handle, context, rect)) return;
    blit(context, picturesOf(handle)->opaque, rect, offset);
}

void CBitmap::drawTransparent(CDrawContext* context, const CRect& rect, const CPoint& offset) {
    if (!canDraw(handle, context, rect)) return;
    Pictures* pictures = picturesOf(handle);
    const uint32_t key = transparentColor.red << 16 | transparentColor.green << 8 | transparentColor.blue;
    if (!pictures->keyed || pictures->keyedFor != key) {
        if (pictures->keyed) cairo_surface_destroy(pictures->keyed);
        pictures->keyed = keyedCopy(pictures->opaque, key);
        pictures->keyedFor = key;
        if (!pictures->keyed) return;
    }
    blit(context, pictures->keyed, rect, offset);
}

void CBitmap::drawAlphaBlend(CDrawContext* context, const CRect& rect, const CPoint& offset, uint8_t alpha) {
    if (!canDraw(handle, context, rect) || alpha == 0) return;
    // The faded block is painted as it is: cairo 1.16 loses memory for every
    // display connection that saw a paint with constant alpha.
    cairo_surface_t* faded =
        fadedBlock(picturesOf(handle)->opaque, offset.h, offset.v, rect.getWidth(), rect.getHeight(), alpha);
    if (!faded) return;
    blit(context, faded, rect, CPoint(0, 0));
    cairo_surface_destroy(faded);
}

}  // namespace VSTGUI
