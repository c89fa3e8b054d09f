// One plug-in instance driven as a careful offline host does: start-up, a
// song rendered block by block with every event at its exact frame, a tail
// until the output falls silent (bounded), and shut-down.
#pragma once

#include <cmath>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "tools/plugin_call_watch.h"
#include "tools/render-midi/midi_file.h"
#include "tools/vsthost/vst_host.h"

// A parameter setting as given on the command line: an index or a name, and a value.
struct ParamSetting {
    std::string key;  // digits: an index; anything else: a name as the plug-in reports it
    float value = 0.f;
};

struct RenderSettings {
    uint32_t sampleRate = 44100;
    VstInt32 blockSize = 512;
    double maxTailSeconds = 10;      // after the last event, at most this long
    double silenceSeconds = 0.25;    // the tail ends after this much silence
    float silenceLevel = 1.f / 65536;  // below half a 16-bit step
};

struct RenderStats {
    uint64_t frames = 0;
    uint64_t songFrames = 0;  // up to the end of the song, without the tail
    uint64_t eventsSent = 0;
    uint64_t eventsBeyondBlockEnd = 0;  // handed over with deltaFrames at or past the block's length
    size_t mostEventsInBlock = 0;
    uint64_t nonFiniteSamples = 0;      // left out of peak and RMS
    double peak = 0;
    double sumOfSquares = 0;
    bool tailCut = false;  // the output had not fallen silent when the tail limit was reached
    double rms() const { return frames ? std::sqrt(sumOfSquares / (2.0 * (double)frames)) : 0.0; }
};

// The frame nearest to `seconds` at `rate`.
int64_t frameAt(double seconds, double rate);

// Receives each rendered block (left, right, frames); false stops the render.
using BlockSink = std::function<bool(const float*, const float*, VstInt32)>;
// Told after each block: frames done, frames of the song without its tail.
using RenderProgress = std::function<void(uint64_t, uint64_t)>;

// A MIDI message of a block, at its frame from the block's start.
struct BlockMessage {
    int32_t frame;
    uint8_t bytes[3];
    uint8_t size;
};

// An instrument as the render loop plays it, whatever its format.
class BlockPlayer {
public:
    // Hands the block's messages (with none, nothing is handed) and renders
    // `frames` frames; left and right stay valid until the next call.
    virtual void playBlock(const std::vector<BlockMessage>& messages, int32_t frames, const float** left,
                           const float** right) = 0;

protected:
    ~BlockPlayer() = default;
};

// The song played block by block, every message at its exact frame, then a
// tail until the output falls silent (bounded).
bool renderSong(const MidiSong& song, const RenderSettings& settings, BlockPlayer& player, const BlockSink& sink,
                RenderStats* stats, const RenderProgress& progress = nullptr);

// The settings as (index, value) pairs against the plug-in's parameter names;
// false with a reason when one of them names no parameter.
bool resolveParameters(const std::vector<std::string>& names, const std::vector<ParamSetting>& settings,
                       std::vector<std::pair<int32_t, float>>* resolved, std::string* error);

class RenderHost {
public:
    RenderHost();
    ~RenderHost();
    RenderHost(const RenderHost&) = delete;
    RenderHost& operator=(const RenderHost&) = delete;

    // Calls the entry and starts the instance: open, sample rate, block size, switch on.
    bool start(VstEntryProc entry, uint32_t sampleRate, VstInt32 blockSize, std::string* error);
    std::vector<std::string> parameterNames();
    // Resolves every setting first, so nothing is set if one of them is wrong.
    bool applyParameters(const std::vector<ParamSetting>& settings, std::string* error);
    bool render(const MidiSong& song, const RenderSettings& settings, const BlockSink& sink, RenderStats* stats,
                const RenderProgress& progress = nullptr);
    // Switches off and closes the instance.
    void stop();

    PluginInstance* instance() { return plugin.get(); }
    void watchCalls(PluginCallWatch* watch) { callWatch = watch; }
    RecordingHost host;
    // Set while an editor window is open: resizes its client area to (width, height).
    std::function<bool(int, int)> resizeEditorWindow;

private:
    VstIntPtr answer(const HostCall& call);
    std::unique_ptr<PluginInstance> plugin;
    PluginCallWatch* callWatch = nullptr;
    uint32_t rate = 44100;
    VstInt32 block = 512;
};
