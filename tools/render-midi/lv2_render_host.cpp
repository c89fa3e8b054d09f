#include "tools/render-midi/lv2_render_host.h"

#include <dirent.h>

namespace {

// Blocks of an LV2 instance: the messages into its MIDI input, then run.
// A plug-in without two audio outputs plays its first on both sides.
class Lv2BlockPlayer final : public BlockPlayer {
public:
    explicit Lv2BlockPlayer(Lv2Instance& plugin) : plugin(plugin) {}

    void playBlock(const std::vector<BlockMessage>& messages, int32_t frames, const float** left,
                   const float** right) override {
        events.clear();
        for (const BlockMessage& m : messages) {
            Lv2Midi e;
            e.frame = (uint32_t)m.frame;
            e.size = m.size;
            for (int i = 0; i < 3; i++) e.bytes[i] = m.bytes[i];
            events.push_back(e);
        }
        plugin.run(events, (uint32_t)frames);
        *left = plugin.output(0);
        *right = plugin.output(plugin.audioOutputCount() > 1 ? 1 : 0);
    }

private:
    Lv2Instance& plugin;
    std::vector<Lv2Midi> events;
};

}  // namespace

bool isLv2BundlePath(const std::string& path) {
    if (DIR* folder = opendir(path.c_str())) {  // (not stat: its symbol needs glibc 2.33)
        closedir(folder);
        return true;
    }
    std::string name = path;
    while (name.size() > 1 && name.back() == '/') name.pop_back();
    return name.size() > 4 && name.compare(name.size() - 4, 4, ".lv2") == 0;
}

bool Lv2RenderHost::start(const std::string& bundle, uint32_t sampleRate, int32_t blockSize, std::string* error) {
    plugin.reset();
    if (!world || bundle != loadedBundle) {  // (a new instance of the same bundle keeps the world)
        stop();
        world.reset(new Lv2World());
        if (!world->loadBundle(bundle, error)) {
            world.reset();
            return false;
        }
        loadedBundle = bundle;
    }
    Lv2Instance::Setup setup;
    setup.sampleRate = sampleRate;
    setup.maxBlock = (uint32_t)blockSize;
    plugin = Lv2Instance::create(*world, setup, error);
    if (!plugin) return false;
    if (plugin->audioOutputCount() < 1) {
        *error = "the plug-in has no audio output";
        plugin.reset();
        return false;
    }
    return true;
}

std::vector<std::string> Lv2RenderHost::parameterNames() const {
    std::vector<std::string> names;
    for (size_t i = 0; plugin && i < plugin->controlCount(); i++) names.push_back(plugin->controlName(i));
    return names;
}

bool Lv2RenderHost::applyParameters(const std::vector<ParamSetting>& settings, std::string* error) {
    if (!plugin) return false;
    std::vector<std::pair<int32_t, float>> resolved;
    if (!resolveParameters(parameterNames(), settings, &resolved, error)) return false;
    for (const auto& r : resolved) plugin->setControl((size_t)r.first, r.second);
    return true;
}

bool Lv2RenderHost::render(const MidiSong& song, const RenderSettings& settings, const BlockSink& sink,
                           RenderStats* stats, const RenderProgress& progress) {
    *stats = RenderStats();
    if (!plugin) return false;
    Lv2BlockPlayer player(*plugin);
    return renderSong(song, settings, player, sink, stats, progress);
}

void Lv2RenderHost::stop() {
    plugin.reset();
    world.reset();
    loadedBundle.clear();
}
