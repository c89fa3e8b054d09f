// The instrument as the scripted session plays it, in one format or another.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// The largest block the session plays, announced to the instrument.
constexpr int32_t kAnnouncedBlockSize = 512;

struct SessionMidi {
    int32_t frame;
    unsigned char status, data1, data2;
};

class SessionInstrument {
public:
    virtual ~SessionInstrument() = default;
    // Between blocks: a parameter (or, through the VST entry, a key).
    virtual void setParameter(int32_t index, float value) = 0;
    // The block's MIDI at its frames, then `frames` frames appended to left and right.
    virtual void render(const std::vector<SessionMidi>& midi, int32_t frames, std::vector<float>& left,
                        std::vector<float>& right) = 0;
    // A new rate for the same instance, with the switch-off around it or not.
    virtual void switchRate(float rate, bool aroundSwitchOff) = 0;
    virtual float getParameter(int32_t index) = 0;
    virtual std::string displayText(int32_t index) = 0;
    virtual std::string labelText(int32_t index) = 0;
    // Sends what the instrument still holds back, before the output is written.
    virtual void finish() {}
};

// The LV2 bundle's plug-in at `rate`, found through lilv, its control ports
// as the parameters; null with a reason when it cannot be made.
std::unique_ptr<SessionInstrument> makeLv2SessionInstrument(const std::string& bundle, float rate, std::string* error);
// The VST 3 bundle's instrument at `rate`, loaded through the project's
// VST 3 host; null with a reason when it cannot be made.
std::unique_ptr<SessionInstrument> makeVst3SessionInstrument(const std::string& bundle, float rate, std::string* error);
// How many blocks the VST 3 session sent with parameter points inside them.
int vst3ChangesInsideBlocks();
