// The renderer's LV2 side: a bundle's plug-in found and driven through lilv
// as hosts do, its control inputs as the parameters, the song's MIDI into
// its MIDI input at the exact frames, with the same blocks as a VST render.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "tools/lv2host/lv2_host.h"
#include "tools/render-midi/render_host.h"

// A path names an LV2 bundle when it is a folder or ends in ".lv2".
bool isLv2BundlePath(const std::string& path);

class Lv2RenderHost {
public:
    // Loads the bundle and instantiates its plug-in at the rate, for blocks of
    // `blockSize`; started again on the same bundle, a fresh instance.
    bool start(const std::string& bundle, uint32_t sampleRate, int32_t blockSize, std::string* error);
    // The control inputs' names, in port order: what --param's indices count.
    std::vector<std::string> parameterNames() const;
    bool applyParameters(const std::vector<ParamSetting>& settings, std::string* error);
    bool render(const MidiSong& song, const RenderSettings& settings, const BlockSink& sink, RenderStats* stats,
                const RenderProgress& progress = nullptr);
    void stop();

    Lv2Instance* instance() { return plugin.get(); }

private:
    std::unique_ptr<Lv2World> world;
    std::string loadedBundle;
    std::unique_ptr<Lv2Instance> plugin;
};
