// Small helpers for driving an engine instance in the tests.
#pragma once

#include <cstring>
#include <vector>

#include "engine/qelt_epiano.h"
#include "tools/vsthost/vst_host.h"

struct Stereo {
    std::vector<float> left, right;
    size_t size() const { return left.size(); }
};

// Hands `events` (if any) to the instance, then renders `frames` frames.
inline Stereo renderBlock(QeltEpiano& engine, int frames, MidiEventBlock* events = nullptr) {
    if (events) engine.processEvents(events->get());
    Stereo out;
    out.left.assign(frames > 0 ? frames : 0, 0.f);
    out.right.assign(frames > 0 ? frames : 0, 0.f);
    float* outputs[2] = {out.left.data(), out.right.data()};
    engine.processReplacing(nullptr, outputs, frames);
    return out;
}

inline void append(Stereo& to, const Stereo& from) {
    to.left.insert(to.left.end(), from.left.begin(), from.left.end());
    to.right.insert(to.right.end(), from.right.begin(), from.right.end());
}

inline bool sameBits(const std::vector<float>& a, const std::vector<float>& b) {
    return a.size() == b.size() && std::memcmp(a.data(), b.data(), a.size() * sizeof(float)) == 0;
}

inline MidiEventBlock noteOn(int delta, int key, int velocity) {
    MidiEventBlock b;
    b.add(delta, 0x90, (unsigned char)key, (unsigned char)velocity);
    return b;
}
