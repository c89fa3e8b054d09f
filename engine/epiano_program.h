// The one program: five parameter values and a name.
#pragma once

enum EpianoParameter { kSustain = 0, kTreble, kLfoDepth, kLfoRate, kVolume, kNumParams };

constexpr int kNumPrograms = 1;
constexpr int kProgramNameSize = 24;  // 23 characters and the terminating zero

struct EpianoProgram {
    float param[kNumParams];
    char name[kProgramNameSize];
};
static_assert(sizeof(EpianoProgram) == 44, "five floats and a 24-byte name");
