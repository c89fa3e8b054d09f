#include "tools/make-samples/tine_voicing.h"

// Voiced so that the loud layer's brightness runs from a growl at root 36 to a
// near sine at root 96 (attack +14 to -37 dB, body at 1 s +9 to -58 dB), in
// steps of at most 5.5 dB from zone to zone so that neighbouring zones join.
// The swings were fitted to those figures with `qelt-make-samples --voicing`
// as the check; the bending modes sit half-way between harmonics (inharmonic)
// and ring longer, relative to the period, in the treble (the bell).
// clang-format off
const TineVoicing kTineVoicing[11] = {
    // swing  settled  settle(s)  offset  mode ratio  mode swing  mode decay(s)
    {2.107,   1.516,   0.300,     0.50,   6.5,        0.05,       0.035},  // root 36
    {1.775,   1.167,   0.264,     0.50,   6.5,        0.08,       0.033},  // 42
    {1.446,   0.907,   0.232,     0.50,   6.5,        0.11,       0.031},  // 48
    {1.085,   0.657,   0.204,     0.50,   6.5,        0.14,       0.030},  // 54
    {0.816,   0.481,   0.180,     0.50,   5.5,        0.17,       0.029},  // 60
    {0.620,   0.3232,  0.158,     0.50,   5.5,        0.20,       0.028},  // 66
    {0.470,   0.1965,  0.139,     0.50,   5.5,        0.23,       0.027},  // 72
    {0.3543,  0.0967,  0.122,     0.50,   5.5,        0.25,       0.026},  // 78
    {0.2552,  0.0391,  0.108,     0.50,   4.5,        0.25,       0.024},  // 84
    {0.1694,  0.0158,  0.095,     0.50,   4.5,        0.25,       0.022},  // 90
    {0.1122,  0.0063,  0.080,     0.50,   4.5,        0.25,       0.020},  // 96
};
// clang-format on
