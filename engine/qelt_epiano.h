// The electric piano instrument.
#pragma once

#include "plugin/audioeffectx.h"

class QeltEpiano : public AudioEffectX {
public:
    explicit QeltEpiano(audioMasterCallback audioMaster);
    ~QeltEpiano() override;

    void resume() override;
    void processReplacing(float** inputs, float** outputs, VstInt32 sampleFrames) override;

    // Identity and capabilities.
    bool getOutputProperties(VstInt32 index, VstPinProperties* properties) override;
    VstInt32 getNumMidiInputChannels() override { return 1; }
    bool getEffectName(char* name) override;
    bool getVendorString(char* text) override;
    bool getProductString(char* text) override;
    VstInt32 getVendorVersion() override { return 1; }
    VstInt32 canDo(char* text) override;
};
