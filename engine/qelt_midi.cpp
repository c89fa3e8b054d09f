// MIDI intake: note events are queued for the render call at their offsets,
// controllers and program change act at once.
#include "engine/qelt_epiano.h"

namespace {
constexpr int32_t kNoteOff = 0x80, kNoteOn = 0x90, kControlChange = 0xB0, kProgramChange = 0xC0;
}

VstInt32 QeltEpiano::processEvents(VstEvents* block) {
    applyPendingChanges();
    // The write position outlives a program change's emptying of the queue:
    // triples queued before it then sit behind the terminator and are not played.
    int32_t queued = 0;
    auto queue = [&](int32_t deltaFrames, int32_t note, int32_t velocity) {
        if (queued >= kMaxQueuedEvents) return;  // the first 40 of a block are kept
        events[queued++] = NoteEvent{deltaFrames, note, velocity};
    };
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
                queue(midi->deltaFrames, data1 & 0x7F, 0);
                break;
            case kNoteOn:
                queue(midi->deltaFrames, data1 & 0x7F, data2 & 0x7F);
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
                        if (!sustainPedal) queue(midi->deltaFrames, kHeldNote, 0);
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
    events[queued].deltaFrames = kEventQueueEnd;
    queuedEvents = queued;
    return 1;
}
