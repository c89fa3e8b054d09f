// The render call: segments between the queued offsets, the voice mix
// (voice_mix.cpp) and the output stage.
#include "engine/epiano_engine.h"
#include "engine/voice_mix.h"

namespace {
constexpr int32_t kMixFrames = 256;
}  // namespace

void EpianoEngine::renderFrames(float* left, float* right, int32_t frames) {
    float mixLeft[kMixFrames], mixRight[kMixFrames];
    while (frames > 0) {
        int32_t n = frames < kMixFrames ? frames : kMixFrames;
        mixVoices(voices, samples, activeVoices, n, mixLeft, mixRight);
        output.processBlock(mixLeft, mixRight, n, outputVolume, left, right);
        if (left) left += n;
        if (right) right += n;
        frames -= n;
    }
}

void EpianoEngine::render(float* left, float* right, int32_t sampleFrames) {
    applyPendingChanges();
    if (sampleFrames <= 0) {
        // Hosts may send MIDI with a block of no frames (LV2 allows run(0)).
        // Nothing plays and nothing else changes: the events wait, in order,
        // for the first frame of the next block that has frames.
        for (int32_t e = 0; e < queuedEvents; e++) events[e].deltaFrames = 0;
        return;
    }
    int32_t done = 0;
    for (int32_t e = 0;; e++) {
        // Past the last triple (or at a terminator) the block runs to its end.
        bool isEvent = e < queuedEvents && events[e].deltaFrames != kEventQueueEnd;
        int32_t end = isEvent && events[e].deltaFrames < sampleFrames ? events[e].deltaFrames : sampleFrames;
        if (end > done) {
            renderFrames(left ? left + done : nullptr, right ? right + done : nullptr, end - done);
            done = end;
        }
        if (done >= sampleFrames) break;
        if (activeVoices == 0 && currentProgram.param[kLfoDepth] > 0.5f) output.resetPhase();
        playingFrame = done;
        playNote(events[e].note, events[e].velocity, true);
    }
    output.flush();
    removeDeadVoices();
    emptyQueue();
}
