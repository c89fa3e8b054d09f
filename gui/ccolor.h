// Colours and the standard colour table.
#pragma once

#include <cstdint>

namespace VSTGUI {

struct CColor {
    uint8_t red;
    uint8_t green;
    uint8_t blue;
    uint8_t alpha;

    // All four bytes count: opaque and transparent black are different colours.
    bool operator==(const CColor& o) const {
        return red == o.red && green == o.green && blue == o.blue && alpha == o.alpha;
    }
    bool operator!=(const CColor& o) const { return !(*this == o); }

    // The platform sees only red, green and blue (a COLORREF).
    uint32_t toPlatform() const {
        return uint32_t(red) | (uint32_t(green) << 8) | (uint32_t(blue) << 16);
    }
};

extern const CColor kColorTransparent;
extern const CColor kColorBlack;
extern const CColor kColorWhite;
extern const CColor kColorGrey;
extern const CColor kColorRed;
extern const CColor kColorGreen;
extern const CColor kColorBlue;
extern const CColor kColorYellow;
extern const CColor kColorMagenta;
extern const CColor kColorCyan;

}  // namespace VSTGUI
