// What the VST 3 module says of itself: its classes, their IDs and texts,
// and the state record. Shared by the module, the generator of
// moduleinfo.json and the tests, so the three cannot disagree.
#pragma once

#include <cstdint>
#include <cstring>

#include "engine/epiano_program.h"
#include "plugin/qelt_identity.h"
#include "plugin/vst3/vst3_abi.h"

constexpr const char* kVst3ModuleName = "Qelt-epiano";  // the bundle's and the binary's name
constexpr const char* kVst3SdkVersion = "VST 3.7.14";
constexpr const char* kVst3ProcessorCategory = "Audio Module Class";
constexpr const char* kVst3ControllerCategory = "Component Controller Class";
constexpr const char* kVst3SubCategories = "Instrument|Piano";

// Hosts take a class whose ID is derived from the VST 2 unique ID and name
// as the successor of the VST 2 plug-in: "VST" (the processor) or "VSE"
// (the controller), the unique ID, then the first 9 bytes of the lower-case
// name, zero-filled.
constexpr v3::Uid vst2SuccessorUid(bool controller) {
    uint8_t b[16] = {'V', 'S', (uint8_t)(controller ? 'E' : 'T')};
    for (int i = 0; i < 4; i++) b[3 + i] = (uint8_t)kQeltUniqueId[i];
    bool ended = false;
    for (int i = 0; i < 9; i++) {
        char c = ended ? 0 : kQeltEffectName[i];
        if (c == 0) ended = true;
        b[7 + i] = (uint8_t)(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    }
    auto word = [&b](int at) {
        return (uint32_t)b[at] << 24 | (uint32_t)b[at + 1] << 16 | (uint32_t)b[at + 2] << 8 | (uint32_t)b[at + 3];
    };
    return v3::Uid{word(0), word(4), word(8), word(12)};
}

constexpr v3::Uid kProcessorUid = vst2SuccessorUid(false);
constexpr v3::Uid kControllerUid = vst2SuccessorUid(true);

// The text form of an ID: 32 upper-case hex digits, the same on every platform.
inline void uidText(const v3::Uid& u, char text[33]) {
    const uint32_t words[4] = {u.l1, u.l2, u.l3, u.l4};
    const char* hex = "0123456789ABCDEF";
    for (int w = 0; w < 4; w++)
        for (int i = 0; i < 8; i++) text[8 * w + i] = hex[(words[w] >> (28 - 4 * i)) & 15];
    text[32] = 0;
}

// MIDI controllers never come as events in VST 3: the controller maps each
// one the engine answers to a parameter of its own, and the processor hands
// that parameter's points to the engine as controller messages of value
// round(v × 127), at their frames. Not automatable, not in the state: they
// are playing, not settings.
constexpr v3::ParamID kControllerParamBase = 1000;  // + the controller number
constexpr int kMappedControllers[] = {1, 7, 64, 66, 123, 124, 125, 126, 127};
constexpr int kMappedControllerCount = (int)(sizeof kMappedControllers / sizeof kMappedControllers[0]);
constexpr const char* kMappedControllerNames[kMappedControllerCount] = {
    "Modulation wheel", "Channel volume", "Sustain pedal", "Sostenuto pedal", "All notes off",
    "Omni off",         "Omni on",        "Mono on",       "Poly on"};

// The controller number a parameter ID carries, or -1.
constexpr int mappedController(v3::ParamID id) {
    for (int i = 0; i < kMappedControllerCount; i++)
        if (id == kControllerParamBase + (v3::ParamID)kMappedControllers[i]) return kMappedControllers[i];
    return -1;
}

// The state both halves read: "QEV3", then little-endian uint32 version and
// parameter count, then each parameter's value as a little-endian float, in
// parameter-ID order. A later version may append parameters; a reader takes
// those it knows.
constexpr char kStateMagic[4] = {'Q', 'E', 'V', '3'};
constexpr uint32_t kStateVersion = 1;
constexpr uint32_t kStateHeaderBytes = 12;
constexpr uint32_t kStateMostParameters = 1024;  // more is not a state of ours
constexpr uint32_t kStateBytes = kStateHeaderBytes + 4 * kNumParams;

inline void putLittle32(uint8_t* at, uint32_t v) {
    for (int i = 0; i < 4; i++) at[i] = (uint8_t)(v >> (8 * i));
}

inline uint32_t getLittle32(const uint8_t* at) {
    return (uint32_t)at[0] | (uint32_t)at[1] << 8 | (uint32_t)at[2] << 16 | (uint32_t)at[3] << 24;
}

inline void encodeState(const float values[kNumParams], uint8_t out[kStateBytes]) {
    std::memcpy(out, kStateMagic, 4);
    putLittle32(out + 4, kStateVersion);
    putLittle32(out + 8, kNumParams);
    for (int i = 0; i < kNumParams; i++) {
        uint32_t bits;
        std::memcpy(&bits, &values[i], 4);
        putLittle32(out + kStateHeaderBytes + 4 * i, bits);
    }
}

// Reads a state from the stream's position into `values` only when all of it
// is there and sound; otherwise `values` is left as it was. Never reads past
// the record's end.
bool readState(v3::IBStream* stream, float values[kNumParams]);
// Writes the record; false when the stream takes less.
bool writeState(v3::IBStream* stream, const float values[kNumParams]);
