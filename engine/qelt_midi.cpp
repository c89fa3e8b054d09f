// MIDI intake: note events are queued for the render call at their offsets,
// controllers and program change act at once.
#include <cstring>

#include "engine/qelt_epiano.h"

namespace {
constexpr int32_t kNoteOff = 0x80, kNoteOn = 0x90, kControlChange = 0xB0, kProgramChange = 0xC0;
}

// Events of every intake since the last render are merged in frame order;
// one at the same frame as queued ones goes behind them, so a host's order
// within a frame is kept.
void QeltEpiano::queueNoteEvent(int32_t deltaFrames, int32_t note, int32_t velocity) {
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

void QeltEpiano::removeQueuedEvent(int32_t at) {
    std::memmove(&events[at], &events[at + 1], sizeof(NoteEvent) * (size_t)(queuedEvents - at - 1));
    queuedEvents--;
    events[queuedEvents].deltaFrames = kEventQueueEnd;
}

VstInt32 QeltEpiano::processEvents(VstEvents* block) {
    applyPendingChanges();
    int32_t count = block ? block->numEvents : 0;
    // The record declares two entries and hosts allocate numEvents: the list
    // is read through a pointer, not as the two-entry array.
    VstEvent* const* list = block ? block->events : nullptr;
    for (int32_t i = 0; i < count; i++) {
        const VstEvent* event = list[i];
        if (!event || event->type != kVstMidiType) continue;
        const VstMidiEvent* midi = (const VstMidiEvent*)event;
        int32_t status = (unsigned char)midi->midiData[0] & 0xF0;
        int32_t data1 = (unsigned char)midi->midiData[1];
        int32_t data2 = (unsigned char)midi->midiData[2];
        switch (status) {
            case kNoteOff:
                queueNoteEvent(midi->deltaFrames, data1 & 0x7F, 0);
                break;
            case kNoteOn:
                queueNoteEvent(midi->deltaFrames, data1 & 0x7F, data2 & 0x7F);
                break;
            case kControlChange:
                switch (data1) {
                    case 1: {  // modulation wheel
                        float wheel = (float)data2 * 0.0078f;
                        if (wheel > 0.05f) output.setWheelDepth(wheel, programs[0].param[kLfoDepth]);
                        break;
                    }
                    case 7:  // channel volume, for notes started afterwards
                        channelVolume = (float)(data2 * data2) * 0.00002f;
                        break;
                    case 64:  // sustain
                    case 66:  // sostenuto, taken as sustain
                        sustainPedal = data2 & 0x40;
                        if (!sustainPedal) queueNoteEvent(midi->deltaFrames, kHeldNote, 0);
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
                break;
            case kProgramChange:
                if (data1 == 0) selectProgram();
                break;
            default:
                break;
        }
    }
    return 1;
}
