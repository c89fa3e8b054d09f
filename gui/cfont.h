// The standard fonts, indexed by font id.
#pragma once

#include <cstdint>

namespace VSTGUI {

enum CFontId : int32_t {
    kFontSystem = 0,
    kFontHuge,
    kFontLarge,
    kFontNormal,
    kFontSmall,
    kFontSmaller,
    kFontTiny,
    kFontSymbol,
    kNumStandardFonts  // also the "no font selected yet" id of a fresh context
};

enum CFontStyle : int32_t { kStyleBold = 1, kStyleItalic = 2, kStyleUnderline = 4 };

struct CFontDesc {
    const char* face;
    int32_t size;  // character height in pixels
};

extern const CFontDesc kStandardFonts[kNumStandardFonts];

}  // namespace VSTGUI
