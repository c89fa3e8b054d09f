// The electric piano instrument.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>

#include "engine/change_queue.h"
#include "engine/epiano_program.h"
#include "engine/output_stage.h"
#include "engine/sample_set.h"
#include "engine/voice.h"
#include "plugin/audio_thread.h"
#include "plugin/audioeffectx.h"

// The recordings an instance plays: 22 arrays laid out as the info records say.
struct EngineSamples {
    const int16_t* const* data;
    const SampleInfo* info;
};

// The library's own recordings, loops prepared.
EngineSamples librarySamples();

// Rates below this are refused by resume: with it the largest step (key 127,
// 31 semitones above its root) advances at most 530 values per frame, far less
// than the shortest loop, so one loop wrap always brings a voice back.
constexpr float kMinSampleRate = 1000.f;

class QeltEpiano : public AudioEffectX {
public:
    explicit QeltEpiano(audioMasterCallback audioMaster);
    // The same instrument playing other recordings (tests, benchmarks).
    QeltEpiano(audioMasterCallback audioMaster, const EngineSamples& samples);
    ~QeltEpiano() override;

    void resume() override;
    QELT_AUDIO_THREAD void processReplacing(float** inputs, float** outputs, VstInt32 sampleFrames) override;
    QELT_AUDIO_THREAD VstInt32 processEvents(VstEvents* events) override;

    // Programs and parameters.
    QELT_AUDIO_THREAD void setParameter(VstInt32 index, float value) override;
    QELT_AUDIO_THREAD float getParameter(VstInt32 index) override;
    void setProgram(VstInt32 program) override;
    void setProgramName(char* name) override;
    void getProgramName(char* name) override;
    bool getProgramNameIndexed(VstInt32 category, VstInt32 index, char* text) override;
    void getParameterLabel(VstInt32 index, char* label) override;
    void getParameterDisplay(VstInt32 index, char* text) override;
    void getParameterName(VstInt32 index, char* text) override;

    // Identity and capabilities.
    bool getOutputProperties(VstInt32 index, VstPinProperties* properties) override;
    VstInt32 getNumMidiInputChannels() override { return 1; }
    bool getEffectName(char* name) override;
    bool getVendorString(char* text) override;
    bool getProductString(char* text) override;
    VstInt32 getVendorVersion() override { return 1; }
    VstInt32 canDo(char* text) override;

    // The engine's own operations; audio thread only once the host runs it.
    QELT_AUDIO_THREAD void recalculate();
    QELT_AUDIO_THREAD void playNote(VstInt32 note, VstInt32 velocity, bool notifyEditor);
    // Applies the changes other threads handed over (done at every block start).
    QELT_AUDIO_THREAD void applyPendingChanges();

    // Read-only views of the engine state (audio thread, or a quiet instance).
    const Voice& voice(int i) const { return voices[i]; }
    int32_t voiceCount() const { return activeVoices; }
    const OutputStage& outputStage() const { return output; }
    const SampleZone& zone(int i) const { return zones[i]; }
    const EpianoProgram& program() const { return programs[0]; }
    const NoteEvent* eventQueue() const { return events; }
    float engineSampleRate() const { return engineRate; }
    float reciprocalSampleRate() const { return reciprocalRate; }
    float channelVolumeValue() const { return channelVolume; }
    int32_t sustainPedalValue() const { return sustainPedal; }
    float outputVolumeValue() const { return outputVolume; }

private:
    // `samples`, or when null what `source` gives, is looked up at its step.
    void construct(const EngineSamples* samples, EngineSamples (*source)());
    QELT_AUDIO_THREAD void applyChange(const EngineChange& change);
    QELT_AUDIO_THREAD void applySampleRate(float rate);
    QELT_AUDIO_THREAD void selectProgram();
    QELT_AUDIO_THREAD void silenceVoices();
    QELT_AUDIO_THREAD void queueChange(EngineChange::Kind kind, int32_t index, float value);
    QELT_AUDIO_THREAD void queueNoteEvent(int32_t deltaFrames, int32_t note, int32_t velocity);
    QELT_AUDIO_THREAD void removeQueuedEvent(int32_t at);
    QELT_AUDIO_THREAD void startNote(int32_t note, int32_t velocity);
    QELT_AUDIO_THREAD void releaseNote(int32_t note);
    QELT_AUDIO_THREAD void removeDeadVoices();
    QELT_AUDIO_THREAD void renderFrames(float* left, float* right, int32_t frames);
    QELT_AUDIO_THREAD void emptyQueue();

    // The engine's fields, in the instrument's order.
    std::unique_ptr<EpianoProgram[]> programs;
    float engineRate;
    float reciprocalRate;
    NoteEvent events[kMaxQueuedEvents + 1];  // in frame order, then the terminator
    int32_t queuedEvents;
    SampleZone zones[kNumSamples];
    Voice voices[kMaxVoices];
    int32_t activeVoices;
    int32_t maxVoices;
    const int16_t* samples[kNumSamples];
    float panSpread;
    int32_t sustainPedal;
    float outputVolume;
    OutputStage output;
    float velocityExponent;
    float channelVolume;

    // What other threads see at once, and what they hand to the audio thread.
    std::atomic<float> shownValues[kNumParams];
    std::atomic<float> requestedRate;
    std::atomic<bool> resyncNeeded;
    ChangeQueue changes;
};
