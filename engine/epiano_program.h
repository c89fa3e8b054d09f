// The one program: five parameter values and a name, and what every format
// shows of the parameters.
#pragma once

enum EpianoParameter { kSustain = 0, kTreble, kLfoDepth, kLfoRate, kVolume, kNumParams };

constexpr int kNumPrograms = 1;
constexpr int kProgramNameSize = 24;  // 23 characters and the terminating zero
constexpr const char* kDefaultProgramName = "Default";

struct EpianoProgram {
    float param[kNumParams];
    char name[kProgramNameSize];
};
static_assert(sizeof(EpianoProgram) == 44, "five floats and a 24-byte name");

// Values run from 0 to 1; the display rule of each is the engine's
// parameterDisplay. Symbols name the parameters where a format wants an
// identifier (lower case, no spaces).
struct ParameterInfo {
    const char* name;
    const char* symbol;
    const char* label;
    float defaultValue;
};

inline constexpr ParameterInfo kParameters[kNumParams] = {
    {"Sustain", "sustain", "%", 0.5f},    {"Treble", "treble", "%", 0.5f},   {"LFO depth", "lfo_depth", "%", 0.5f},
    {"LFO Rate", "lfo_rate", "Hz", 0.65f}, {"Volume", "volume", "dB", 1.0f},
};

// Indices 21 and up on the parameter entry are keys (128 is the pedal's).
constexpr int kFirstKeyIndex = 21;
constexpr int kKeyIndexLimit = 128;
constexpr int kLowestKey = 21;   // the keyboard's 88 keys
constexpr int kHighestKey = 108;
