// The read-only colour and font tables.
#include "gui/ccolor.h"
#include "gui/cfont.h"

namespace VSTGUI {

const CColor kColorTransparent = {255, 255, 255, 0};
const CColor kColorBlack = {0, 0, 0, 255};
const CColor kColorWhite = {255, 255, 255, 255};
const CColor kColorGrey = {127, 127, 127, 255};
const CColor kColorRed = {255, 0, 0, 255};
const CColor kColorGreen = {0, 255, 0, 255};
const CColor kColorBlue = {0, 0, 255, 255};
const CColor kColorYellow = {255, 255, 0, 255};
const CColor kColorMagenta = {255, 0, 255, 255};
const CColor kColorCyan = {0, 255, 255, 255};

const CFontDesc kStandardFonts[kNumStandardFonts] = {
    {"Arial", 12}, {"Arial", 18}, {"Arial", 14}, {"Arial", 12},
    {"Arial", 11}, {"Arial", 10}, {"Arial", 9},  {"Symbol", 13},
};

}  // namespace VSTGUI
