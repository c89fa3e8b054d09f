// What the LV2 plug-in is to a host: its URI, its ports in index order, its
// preset and its UI. The DSP glue and the generator of the bundle's descriptions
// both read this header, and the control ports come from kParameters, so a
// port's index, symbol, name and default are stated once.
#pragma once

#include <cstdint>

#include "engine/epiano_program.h"

// Ours for good: hosts keep it in their sessions.
constexpr const char* kLv2PluginUri = "urn:qelt:epiano";
constexpr const char* kLv2DefaultPresetUri = "urn:qelt:epiano:preset:default";
constexpr const char* kLv2UiUri = "urn:qelt:epiano:ui";

// The events of the notes output, ours alone, so that no host takes the port
// for a MIDI output: a key of the 88 played or released (the body: the note
// number, then the velocity, 0 for a release), and every key released at
// once. Only the UI reads them.
constexpr const char* kLv2KeyStateUri = "urn:qelt:epiano#KeyState";
constexpr const char* kLv2AllKeysUpUri = "urn:qelt:epiano#AllKeysUp";
struct Lv2KeyState {
    uint8_t key;
    uint8_t velocity;
};
static_assert(sizeof(Lv2KeyState) == 2, "two bytes, no padding");

enum class Lv2PortKind { kMidiInput, kAudioOutput, kControlInput, kNotifyOutput };

// The ports: the host's MIDI, the stereo output, a control per parameter in
// the table's order, and the notes played, for the UI.
constexpr uint32_t kLv2MidiInPort = 0;
constexpr uint32_t kLv2LeftOutPort = 1;
constexpr uint32_t kLv2RightOutPort = 2;
constexpr uint32_t kLv2FirstControlPort = 3;
constexpr uint32_t kLv2NotifyPort = kLv2FirstControlPort + kNumParams;
constexpr uint32_t kLv2PortCount = kLv2NotifyPort + 1;

struct Lv2PortInfo {
    Lv2PortKind kind;
    const char* symbol;
    const char* name;
    float defaultValue;  // control ports
};

// The unit of a control port's value; null for none.
constexpr const char* lv2UnitUri(ParameterUnit unit) {
    return unit == ParameterUnit::kGainFactor ? "http://lv2plug.in/ns/extensions/units#coef" : nullptr;
}

constexpr Lv2PortInfo lv2Port(uint32_t index) {
    if (index == kLv2MidiInPort) return {Lv2PortKind::kMidiInput, "midi_in", "MIDI in", 0.f};
    if (index == kLv2LeftOutPort) return {Lv2PortKind::kAudioOutput, "out_left", "Left", 0.f};
    if (index == kLv2RightOutPort) return {Lv2PortKind::kAudioOutput, "out_right", "Right", 0.f};
    if (index == kLv2NotifyPort) return {Lv2PortKind::kNotifyOutput, "notes_out", "Notes played", 0.f};
    const ParameterInfo& p = kParameters[index - kLv2FirstControlPort];
    return {Lv2PortKind::kControlInput, p.symbol, p.name, p.defaultValue};
}
