// MIDI intake: note events are queued for the render call at their offsets,
// controllers and program change act at once.
#include <cstring>

#include "engine/epiano_engine.h"

namespace {
constexpr int32_t kNoteOff = 0x80, kNoteOn = 0x90, kControlChange = 0xB0, kProgramChange = 0xC0;
}

// Events of every intake since the last render are merged in frame order;
// one at the same frame as queued ones goes behind them, so a host's order
// within a frame is kept.
void EpianoEngine::queueNoteEvent(int32_t deltaFrames, int32_t note, int32_t velocity) {
    if (queuedEvents >= kMaxQueuedEvents) {
        // Full: a note-on gives way, and a release takes the place of the last
        // queued note-on, or else of a release that changes nothing.
        if (velocity > 0) return;
        int32_t victim = queuedEvents - 1;
        while (victim >= 0 && events[victim].velocity <= 0) victim--;
        if (victim < 0) victim = redundantRelease(deltaFrames, note);
        if (victim < 0) return;  // this release is the one that changes nothing
        removeQueuedEvent(victim);
    }
    int32_t at = queuedEvents;
    while (at > 0 && events[at - 1].deltaFrames > deltaFrames) at--;
    std::memmove(&events[at + 1], &events[at], sizeof(NoteEvent) * (size_t)(queuedEvents - at));
    events[at] = NoteEvent{deltaFrames, note, velocity};
    queuedEvents++;
    events[queuedEvents].deltaFrames = kEventQueueEnd;
}

// With only releases queued, a second release of a key (or a second pedal-up)
// behind the first changes nothing: the first has released the key's voices
// or handed them to the pedal, which keeps its state for the whole render,
// and a pedal-up with the pedal up leaves nothing held for a later one. The
// queue holds more entries than there are keys and the pedal, so a full one
// always has such a release. Returns its index, or -1 when the release of
// `note` at `deltaFrames` is itself the redundant one.
int32_t EpianoEngine::redundantRelease(int32_t deltaFrames, int32_t note) const {
    for (int32_t i = 0; i < queuedEvents && events[i].deltaFrames <= deltaFrames; i++)
        if (events[i].note == note) return -1;
    for (int32_t i = 0; i < queuedEvents; i++)
        if (events[i].note == note) return i;  // behind the new one, which takes its place
    bool released[kHeldNote + 1] = {};
    for (int32_t i = 0; i < queuedEvents; i++) {
        int32_t key = events[i].note;
        if (key < 0 || key > kHeldNote) continue;
        if (released[key]) return i;
        released[key] = true;
    }
    return -1;
}

void EpianoEngine::removeQueuedEvent(int32_t at) {
    std::memmove(&events[at], &events[at + 1], sizeof(NoteEvent) * (size_t)(queuedEvents - at - 1));
    queuedEvents--;
    events[queuedEvents].deltaFrames = kEventQueueEnd;
}

void EpianoEngine::midiMessage(int32_t frame, uint8_t statusByte, uint8_t data1, uint8_t data2) {
    switch (statusByte & 0xF0) {
        case kNoteOff:
            queueNoteEvent(frame, data1 & 0x7F, 0);
            break;
        case kNoteOn:
            queueNoteEvent(frame, data1 & 0x7F, data2 & 0x7F);
            break;
        case kControlChange:
            controlChange(frame, data1, data2);
            break;
        case kProgramChange:
            if (data1 == 0) applyProgram();
            break;
        default:
            break;
    }
}

void EpianoEngine::controlChange(int32_t frame, int32_t controller, int32_t value) {
    switch (controller) {
        case 1: {  // modulation wheel
            float wheel = (float)value * 0.0078f;
            if (wheel > 0.05f) output.setWheelDepth(wheel, currentProgram.param[kLfoDepth]);
            break;
        }
        case 7:  // channel volume, for notes started afterwards
            channelVolume = (float)(value * value) * 0.00002f;
            break;
        case 64:  // sustain
        case 66:  // sostenuto, taken as sustain
            sustainPedal = value & 0x40;
            if (!sustainPedal) queueNoteEvent(frame, kHeldNote, 0);
            break;
        case 123:
        case 124:
        case 125:
        case 126:
        case 127:  // all notes off and the mode messages
            for (Voice& v : voices) v.decay = 0.99f;
            sustainPedal = 0;
            if (observer) observer->engineNotesStopped();
            break;
        default:
            break;
    }
}
