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
        // queued note-on. With no note-on queued, a release of every key is
        // already there and this one would change nothing.
        if (velocity > 0) return;
        int32_t lastNoteOn = queuedEvents - 1;
        while (lastNoteOn >= 0 && events[lastNoteOn].velocity <= 0) lastNoteOn--;
        if (lastNoteOn < 0) return;
        removeQueuedEvent(lastNoteOn);
    }
    int32_t at = queuedEvents;
    while (at > 0 && events[at - 1].deltaFrames > deltaFrames) at--;
    std::memmove(&events[at + 1], &events[at], sizeof(NoteEvent) * (size_t)(queuedEvents - at));
    events[at] = NoteEvent{deltaFrames, note, velocity};
    queuedEvents++;
    events[queuedEvents].deltaFrames = kEventQueueEnd;
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
            break;
        default:
            break;
    }
}
