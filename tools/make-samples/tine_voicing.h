// The voicing of the eleven zones: one row per zone, in the physical terms of
// a struck tine swinging past a magnetic pickup. Lengths are in pickup widths
// (the distance over which the pickup's flux falls to half), times in seconds.
#pragma once

struct TineVoicing {
    double swing;         // the fundamental's swing at a hard (loud layer) strike
    double settledSwing;  // its swing once the tone bar has taken the first burst of energy
    double settleTime;    // time constant of that first, fast decay
    double offset;        // the tine's rest position off the pickup's axis, on the flux's flank
                          // (centred, the tine would sound the octave)
    double modeRatio;     // the first bending mode's frequency re the fundamental (inharmonic)
    double modeSwing;     // its swing re the fundamental's at a hard strike
    double modeDecay;     // its time constant
};

// Zone z (0..10, roots 36 to 96 in steps of 6). Long bass tines swing wide,
// close to the pickup, and growl; short treble tines barely move it.
extern const TineVoicing kTineVoicing[11];

// A soft strike (the soft layer) swings the tine this much less. The felt
// gives in more and stays on the tine longer, so the bending modes get the
// cube of it: a softer strike is purer.
constexpr double kSoftStrike = 0.42;
constexpr double kModeStrikePower = 3.0;
// The second bending mode of a clamped bar sits 2.8 times above the first;
// it gets this share of the first mode's swing and dies twice as fast.
constexpr double kSecondModeRatio = 2.8, kSecondModeShare = 0.3;
