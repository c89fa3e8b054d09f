// The renderer's VST 3 side: a bundle loaded through the project's VST 3
// host, its automatable parameters as the parameters, the song's notes as
// events and its controllers through the bundle's MIDI mapping, at their
// exact frames, in the same blocks as a VST 2 render.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "tools/render-midi/render_host.h"
#include "tools/vst3host/vst3_host.h"

// A path names a VST 3 bundle when it ends in ".vst3".
bool isVst3BundlePath(const std::string& path);

class Vst3RenderHost {
public:
    bool start(const std::string& bundle, uint32_t sampleRate, int32_t blockSize, std::string* error);
    // The automatable parameters' titles, in the controller's order: what --param's indices count.
    std::vector<std::string> parameterNames();
    bool applyParameters(const std::vector<ParamSetting>& settings, std::string* error);
    // Index, title, value and display text of each, for --list-params.
    void listParameters();
    bool render(const MidiSong& song, const RenderSettings& settings, const BlockSink& sink, RenderStats* stats,
                const RenderProgress& progress = nullptr);
    void stop();

    // Messages VST 3 had no way to carry (program changes, unmapped controllers).
    uint64_t uncarried = 0;

private:
    v3host::Vst3Module module;
    std::unique_ptr<v3host::Vst3Instance> plugin;
};
