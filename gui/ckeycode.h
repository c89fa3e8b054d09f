// A key press as the toolkit sees it. The fields and codes are those of the
// hosts' own key records, so a format's glue copies them across unchanged.
#pragma once

#include <cstdint>

namespace VSTGUI {

struct CKeyCode {
    int32_t character;       // the character, where the key has one
    unsigned char virt;      // a CVirtualKey, or 0
    unsigned char modifier;  // CModifierKey bits
};

enum CVirtualKey : unsigned char {
    kVirtualKeyTab = 2,
    kVirtualKeyLeft = 11,
    kVirtualKeyUp = 12,
    kVirtualKeyRight = 13,
    kVirtualKeyDown = 14
};

enum CModifierKey : unsigned char { kModifierShift = 1, kModifierAlternate = 2, kModifierCommand = 4, kModifierControl = 8 };

}  // namespace VSTGUI
