// The electric piano itself, free of any plug-in format: the recordings and
// their zones, the program and its parameters, the voices, the event queue,
// the output stage and the hand-over of changes from other threads. A format's
// glue drives the two sides below.
#pragma once

#include <atomic>
#include <cstdint>

#include "engine/audio_thread.h"
#include "engine/change_queue.h"
#include "engine/epiano_program.h"
#include "engine/output_stage.h"
#include "engine/sample_set.h"
#include "engine/voice.h"

// The recordings an instance plays: 22 arrays laid out as the info records say.
struct EngineSamples {
    const int16_t* const* data;
    const SampleInfo* info;
};

// The library's own recordings, loops prepared.
EngineSamples librarySamples();

// Rates below this are refused: with it the largest step (key 127, 31
// semitones above its root) advances at most 530 values per frame, far less
// than the shortest loop, so one loop wrap always brings a voice back.
constexpr float kMinSampleRate = 1000.f;

// Hears of parameter values and keys, so that an editor can follow the host
// and the MIDI input. Called on whichever thread made the change, the audio
// thread included: an observer only records what it hears.
class EngineObserver {
public:
    // index 0..4: the parameter's new value; 21..127: a key, pressed with
    // velocity `value` or released at 0.
    QELT_AUDIO_THREAD virtual void engineValueChanged(int32_t index, float value) = 0;

protected:
    ~EngineObserver() = default;
};

class EpianoEngine {
public:
    // Playing the library's recordings, or other ones (tests, benchmarks).
    EpianoEngine();
    explicit EpianoEngine(const EngineSamples& samples);

    // Control side, any thread. Values are visible to getParameter at once
    // and reach the audio thread, in the order they were made, at its next
    // block.
    void setSampleRate(float rate);  // refused when not finite or below kMinSampleRate
    // 0..4: a parameter (non-finite values are refused); 21..127: a key,
    // pressed at velocity 100 by any non-zero value, released by 0.
    QELT_AUDIO_THREAD void setParameter(int32_t index, float value);
    QELT_AUDIO_THREAD float getParameter(int32_t index) const;
    // There is one program: selecting it stops what sounds and applies its values.
    void selectProgram();
    void setProgramName(const char* name);
    void getProgramName(char* name) const;  // at least kProgramNameSize bytes
    // Texts of at most 8 characters plus the zero; unknown indices give ""
    // (a name) or "%" (a label).
    static void parameterName(int32_t index, char* text);
    static void parameterLabel(int32_t index, char* text);
    void parameterDisplay(int32_t index, char* text) const;
    // What parameterDisplay shows for `value` (formats whose controller has no engine).
    static void displayText(int32_t index, float value, char* text);
    // Set once, before the instance plays; null for none.
    void setObserver(EngineObserver* observer) { this->observer = observer; }
    // Back to a new engine's state, in place (a host's re-activation); not
    // while a block renders.
    void reset();

    // Audio side, one block after the other: the changes of other threads,
    // then the block's MIDI messages at their frames, then the render. A
    // message's controllers and program change act at once, its notes at
    // their frame.
    QELT_AUDIO_THREAD void applyPendingChanges();
    QELT_AUDIO_THREAD void midiMessage(int32_t frame, uint8_t status, uint8_t data1, uint8_t data2);
    // Either buffer may be null. With frames <= 0 only the other threads'
    // changes are applied: the queued notes wait for the next block's first
    // frame.
    QELT_AUDIO_THREAD void render(float* left, float* right, int32_t frames);

    // The engine's own operations; audio thread only once the host runs it.
    QELT_AUDIO_THREAD void recalculate();
    QELT_AUDIO_THREAD void playNote(int32_t note, int32_t velocity, bool notifyObserver);

    // Read-only views of the engine state (audio thread, or a quiet instance).
    const Voice& voice(int i) const { return voices[i]; }
    int32_t voiceCount() const { return activeVoices; }
    const OutputStage& outputStage() const { return output; }
    const SampleZone& zone(int i) const { return zones[i]; }
    const EpianoProgram& program() const { return currentProgram; }
    const NoteEvent* eventQueue() const { return events; }
    float engineSampleRate() const { return engineRate; }
    float reciprocalSampleRate() const { return reciprocalRate; }
    float channelVolumeValue() const { return channelVolume; }
    int32_t sustainPedalValue() const { return sustainPedal; }
    float outputVolumeValue() const { return outputVolume; }

private:
    void construct(const EngineSamples& samples);
    QELT_AUDIO_THREAD void applyChange(const EngineChange& change);
    QELT_AUDIO_THREAD void applySampleRate(float rate);
    QELT_AUDIO_THREAD void applyProgram();
    QELT_AUDIO_THREAD void silenceVoices();
    QELT_AUDIO_THREAD void queueChange(EngineChange::Kind kind, int32_t index, float value);
    QELT_AUDIO_THREAD void queueNoteEvent(int32_t deltaFrames, int32_t note, int32_t velocity);
    QELT_AUDIO_THREAD void removeQueuedEvent(int32_t at);
    QELT_AUDIO_THREAD int32_t redundantRelease(int32_t deltaFrames, int32_t note) const;
    QELT_AUDIO_THREAD void controlChange(int32_t frame, int32_t controller, int32_t value);
    QELT_AUDIO_THREAD void startNote(int32_t note, int32_t velocity);
    QELT_AUDIO_THREAD void releaseNote(int32_t note);
    QELT_AUDIO_THREAD void removeDeadVoices();
    QELT_AUDIO_THREAD void renderFrames(float* left, float* right, int32_t frames);
    QELT_AUDIO_THREAD void emptyQueue();

    // The engine's fields, in the instrument's order.
    EpianoProgram currentProgram;
    float engineRate;
    float reciprocalRate;
    NoteEvent events[kMaxQueuedEvents + 1];  // in frame order, then the terminator
    int32_t queuedEvents;
    SampleZone zones[kNumSamples];
    Voice voices[kMaxVoices];
    int32_t activeVoices;
    int32_t maxVoices;
    const int16_t* samples[kNumSamples];
    const SampleInfo* sampleInfo;
    float panSpread;
    int32_t sustainPedal;
    float outputVolume;
    OutputStage output;
    float velocityExponent;
    float channelVolume;
    EngineObserver* observer = nullptr;

    // What other threads see at once, and what they hand to the audio thread.
    std::atomic<float> shownValues[kNumParams];
    std::atomic<float> requestedRate;
    std::atomic<bool> resyncNeeded;
    ChangeQueue changes;
};
