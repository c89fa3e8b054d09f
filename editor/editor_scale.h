// The scales the editor is drawn at, how a factor from anywhere becomes one
// of them, and the player's own choice, kept per user in a small settings
// file (%APPDATA%\Qelt-epiano\settings.txt on Windows,
// $XDG_CONFIG_HOME/Qelt-epiano/settings or ~/.config/Qelt-epiano/settings
// elsewhere) that holds a line "scale=100", "scale=150", "scale=200" or
// "scale=automatic".
#pragma once

#include <string>

#include "tools/make-bitmaps/layout.h"

namespace editorscale {

constexpr int kAutomatic = 0;  // no choice of the player's: the host or the system decides
constexpr int kPercents[3] = {100, 150, 200};

// The nearest of 100, 150 and 200 to a factor, halves rounded up (a 125 %
// screen gets the sharper 150); 0 for a factor that says nothing: NaN,
// infinite, zero or negative.
int nearestPercent(double factor);

// A 1x edge of the editor at `percent`, by the pictures' own rounding rule.
inline int toDevice(int edge, int percent) { return layout::toDevice(edge, percent / 100.0); }

// Where the choice is kept; empty where no place is known.
std::string settingsPath();
// The kept choice: 100, 150, 200, or kAutomatic when the file is missing,
// unreadable or says anything else.
int readChoice();
// Keeps `percent` (kAutomatic, 100, 150 or 200; anything else is refused),
// replacing the file whole so that a reader never sees half of it. False
// when it could not be written.
bool writeChoice(int percent);

}  // namespace editorscale
