// Small helpers for driving an engine instance in the tests.
#pragma once

#include <cstring>
#include <vector>

#include "engine/epiano_engine.h"

struct Stereo {
    std::vector<float> left, right;
    size_t size() const { return left.size(); }
};

// A block's MIDI messages at their frames, as a format's glue hands them over.
struct MidiList {
    struct Message {
        int32_t frame;
        uint8_t status, data1, data2;
    };
    std::vector<Message> messages;
    void add(int32_t frame, uint8_t status, uint8_t data1, uint8_t data2) {
        messages.push_back({frame, status, data1, data2});
    }
    size_t size() const { return messages.size(); }
};

// One intake: the other threads' changes first, then the messages in order.
inline void sendMidi(EpianoEngine& engine, const MidiList& list) {
    engine.applyPendingChanges();
    for (const MidiList::Message& m : list.messages) engine.midiMessage(m.frame, m.status, m.data1, m.data2);
}

// Hands `events` (if any) to the instance, then renders `frames` frames.
inline Stereo renderBlock(EpianoEngine& engine, int frames, const MidiList* events = nullptr) {
    if (events) sendMidi(engine, *events);
    Stereo out;
    out.left.assign(frames > 0 ? frames : 0, 0.f);
    out.right.assign(frames > 0 ? frames : 0, 0.f);
    engine.render(out.left.data(), out.right.data(), frames);
    return out;
}

inline void append(Stereo& to, const Stereo& from) {
    to.left.insert(to.left.end(), from.left.begin(), from.left.end());
    to.right.insert(to.right.end(), from.right.begin(), from.right.end());
}

inline bool sameBits(const std::vector<float>& a, const std::vector<float>& b) {
    return a.size() == b.size() && std::memcmp(a.data(), b.data(), a.size() * sizeof(float)) == 0;
}

inline MidiList noteOn(int delta, int key, int velocity) {
    MidiList b;
    b.add(delta, 0x90, (unsigned char)key, (unsigned char)velocity);
    return b;
}
