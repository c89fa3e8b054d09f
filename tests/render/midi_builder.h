// Builds Standard MIDI Files byte by byte for the tests.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

using Bytes = std::vector<uint8_t>;

inline Bytes operator+(Bytes a, const Bytes& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

inline Bytes vlq(uint32_t v) {
    Bytes out{(uint8_t)(v & 0x7F)};
    while (v >>= 7) out.insert(out.begin(), (uint8_t)(0x80 | (v & 0x7F)));
    return out;
}

inline Bytes be(uint32_t v, int n) {
    Bytes out;
    for (int i = n - 1; i >= 0; i--) out.push_back((uint8_t)(v >> (8 * i)));
    return out;
}

inline Bytes header(int format, int tracks, int division, uint32_t length = 6) {
    return Bytes{'M', 'T', 'h', 'd'} + be(length, 4) + be(format, 2) + be(tracks, 2) + be(division, 2);
}

inline Bytes chunk(const char* id, const Bytes& body) {
    return Bytes(id, id + 4) + be((uint32_t)body.size(), 4) + body;
}

inline Bytes track(const Bytes& events) { return chunk("MTrk", events); }

inline Bytes endOfTrack(uint32_t delta = 0) { return vlq(delta) + Bytes{0xFF, 0x2F, 0x00}; }

inline Bytes tempoEvent(uint32_t delta, uint32_t microsPerQuarter) {
    return vlq(delta) + Bytes{0xFF, 0x51, 0x03} + be(microsPerQuarter, 3);
}

// A delta time followed by raw event bytes.
inline Bytes ev(uint32_t delta, std::initializer_list<uint8_t> bytes) { return vlq(delta) + Bytes(bytes); }
