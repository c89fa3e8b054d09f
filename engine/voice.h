// One playing note, and the note events the render call applies at their
// frame offsets.
#pragma once

#include <cstdint>

constexpr int kMaxVoices = 32;
// An 8192-frame block with a note event every four frames still fits; a
// fuller queue gives way to note-offs (see the intake), 24 KB an instance.
constexpr int kMaxQueuedEvents = 2048;
constexpr int32_t kEventQueueEnd = 99999999;
constexpr int32_t kHeldNote = 128;  // a key released while the pedal was down

struct Voice {
    int32_t sampleIndex;
    int32_t step;      // 16.16 frames per output sample
    int32_t fraction;  // low 16 bits kept between samples
    int32_t position;  // left value of the current frame, in 16-bit values
    int32_t endPosition;
    int32_t loopLength;
    float level;
    float decay;
    float gainLeft;
    float gainRight;
    int32_t note;
    int32_t key;  // the key it was started with, also once `note` is kHeldNote
};

struct NoteEvent {
    int32_t deltaFrames;
    int32_t note;
    int32_t velocity;  // 0 releases
};
