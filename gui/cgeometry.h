// Integer points and rectangles of the toolkit.
#pragma once

#include <cstdint>

namespace VSTGUI {

struct CPoint {
    CPoint() : h(0), v(0) {}
    CPoint(int32_t h, int32_t v) : h(h), v(v) {}

    CPoint& offset(int32_t dh, int32_t dv) {
        h += dh;
        v += dv;
        return *this;
    }
    bool operator==(const CPoint& o) const { return h == o.h && v == o.v; }
    bool operator!=(const CPoint& o) const { return !(*this == o); }

    int32_t h;
    int32_t v;
};

struct CRect {
    CRect() : left(0), top(0), right(0), bottom(0) {}
    CRect(int32_t left, int32_t top, int32_t right, int32_t bottom)
        : left(left), top(top), right(right), bottom(bottom) {}

    int32_t getWidth() const { return right - left; }
    int32_t getHeight() const { return bottom - top; }

    CRect& offset(int32_t dx, int32_t dy) {
        left += dx;
        right += dx;
        top += dy;
        bottom += dy;
        return *this;
    }

    // The clamping order matters to callers: disjoint rectangles collapse onto
    // an edge of the second one rather than to a fixed point.
    CRect& intersect(const CRect& r) {
        if (r.left > left) left = r.left;
        if (r.top > top) top = r.top;
        if (r.right < right) right = r.right;
        if (r.bottom < bottom) bottom = r.bottom;
        if (bottom < top) bottom = top;
        if (right < left) right = left;
        return *this;
    }

    bool operator==(const CRect& o) const {
        return left == o.left && top == o.top && right == o.right && bottom == o.bottom;
    }
    bool operator!=(const CRect& o) const { return !(*this == o); }

    int32_t left;
    int32_t top;
    int32_t right;
    int32_t bottom;
};

}  // namespace VSTGUI
