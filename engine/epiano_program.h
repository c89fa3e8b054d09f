// The one program: five parameter values and a name, and what every format
// shows of the parameters.
#pragma once

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>

enum EpianoParameter { kSustain = 0, kTreble, kLfoDepth, kLfoRate, kVolume, kNumParams };

constexpr int kNumPrograms = 1;
constexpr int kProgramNameSize = 24;  // 23 characters and the terminating zero
constexpr const char* kDefaultProgramName = "Default";

struct EpianoProgram {
    float param[kNumParams];
    char name[kProgramNameSize];
};
static_assert(sizeof(EpianoProgram) == 44, "five floats and a 24-byte name");

// How a value reads as text (parameterText below).
enum class ParameterReading {
    kPercent,         // 0 to 100
    kCentredPercent,  // -50 to 50, 0 in the middle
    kPanOrTremolo,    // "Pan 100" at 0, "Pan 0" in the middle, "Trem 100" at 1
    kLfoHertz,        // the LFO's rate, exponential in the value
    kDecibels,        // the value as a gain; "-inf" at 0
};

// What the value itself measures. Most values are places on their knob's
// travel with no unit of their own (the label is the unit of their text); the
// volume is the gain the output is multiplied by, 1 for unity.
enum class ParameterUnit { kNone, kGainFactor };

constexpr int kMaxNamedPositions = 3;

// Values run from 0 to 1. Symbols name the parameters where a format wants an
// identifier (lower case, no spaces). Named positions are the values where a
// host's control may show the parameter's text (the ends, a middle where the
// sound changes kind).
struct ParameterInfo {
    const char* name;
    const char* symbol;
    const char* label;
    float defaultValue;
    ParameterReading reading;
    ParameterUnit unit;
    int namedPositionCount;
    float namedPositions[kMaxNamedPositions];
};

inline constexpr ParameterInfo kParameters[kNumParams] = {
    {"Sustain", "sustain", "%", 0.5f, ParameterReading::kPercent, ParameterUnit::kNone, 0, {}},
    {"Treble", "treble", "%", 0.5f, ParameterReading::kCentredPercent, ParameterUnit::kNone, 3, {0.f, 0.5f, 1.f}},
    {"LFO depth", "lfo_depth", "%", 0.5f, ParameterReading::kPanOrTremolo, ParameterUnit::kNone, 3, {0.f, 0.5f, 1.f}},
    {"LFO Rate", "lfo_rate", "Hz", 0.65f, ParameterReading::kLfoHertz, ParameterUnit::kNone, 2, {0.f, 1.f}},
    {"Volume", "volume", "dB", 1.0f, ParameterReading::kDecibels, ParameterUnit::kGainFactor, 3, {0.f, 0.5f, 1.f}},
};

constexpr int kParameterTextSize = 9;  // 8 characters and the zero

// The text of `value` for parameter `index` (the VST display, and the LV2
// scale points' names), cut to 8 characters; "" for an index that is none.
inline void parameterText(int32_t index, float v, char* text) {
    char buffer[64];
    buffer[0] = 0;
    if (index >= 0 && index < kNumParams) {
        switch (kParameters[index].reading) {
            case ParameterReading::kPercent:
                std::snprintf(buffer, sizeof(buffer), "%.0f", v * 100.f);
                break;
            case ParameterReading::kCentredPercent:
                std::snprintf(buffer, sizeof(buffer), "%.0f", v * 100.f - 50.f);
                break;
            case ParameterReading::kPanOrTremolo:
                if (v > 0.5f)
                    std::snprintf(buffer, sizeof(buffer), "Trem %.0f", 200.f * v - 100.f);
                else
                    std::snprintf(buffer, sizeof(buffer), "Pan %.0f", 100.f - 200.f * v);
                break;
            case ParameterReading::kLfoHertz:
                std::snprintf(buffer, sizeof(buffer), "%.2f", (float)std::exp((double)(6.22f * v - 2.61f)));
                break;
            case ParameterReading::kDecibels:
                // A negative gain sounds at its magnitude (inverted); 0 is silence.
                // A value that is no gain (NaN, infinite: VST 3 hosts pass any
                // double for a text) reads as such, never through an int.
                if (v == 0.f) {
                    std::strcpy(buffer, "-inf");
                } else {
                    const float db = 20.f * (float)std::log10((double)std::fabs(v));
                    if (std::isfinite(db))
                        std::snprintf(buffer, sizeof(buffer), "%d", (int)db);
                    else
                        std::snprintf(buffer, sizeof(buffer), "%.0f", db);
                }
                break;
        }
    }
    buffer[kParameterTextSize - 1] = 0;
    std::strcpy(text, buffer);
}

// Indices 21 and up on the parameter entry are keys (128 is the pedal's).
constexpr int kFirstKeyIndex = 21;
constexpr int kKeyIndexLimit = 128;
constexpr int kLowestKey = 21;   // the keyboard's 88 keys
constexpr int kHighestKey = 108;
