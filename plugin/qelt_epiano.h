// The instrument as a VST 2.4 plug-in: identity, capabilities, pins, the
// record's flags, the host's events turned into MIDI messages for the engine,
// and the editor. The sound is all the engine's.
#pragma once

#include <memory>

#include "engine/audio_thread.h"
#include "engine/epiano_engine.h"
#include "plugin/audioeffectx.h"
#include "plugin/vst_editor_host.h"
#include "release_version.h"

class QeltEpiano : public AudioEffectX, private EngineObserver {
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
    // The release's major number: 1 since the first release, as hosts know it.
    VstInt32 getVendorVersion() override { return kReleaseMajor; }
    VstInt32 canDo(char* text) override;

    EpianoEngine& engine() { return *core; }

private:
    void construct();
    QELT_AUDIO_THREAD void engineValueChanged(int32_t index, float value) override;

    std::unique_ptr<EpianoEngine> core;
    VstEditorHost editorHost{*this};
};
