#include "tools/render-midi/vst3_render_host.h"

#include <cstdio>

using namespace v3host;

namespace {

class Vst3BlockPlayer final : public BlockPlayer {
public:
    Vst3BlockPlayer(Vst3Instance& plugin, uint64_t& uncarried) : plugin(plugin), uncarried(uncarried) {}

    void playBlock(const std::vector<BlockMessage>& messages, int32_t frames, const float** left,
                   const float** right) override {
        BlockInput input(plugin.midiMapping());
        for (const BlockMessage& m : messages)
            input.midi({m.frame, m.bytes[0], m.size > 1 ? m.bytes[1] : (uint8_t)0, m.size > 2 ? m.bytes[2] : (uint8_t)0});
        uncarried += (uint64_t)input.uncarried;
        plugin.process(frames, input);
        *left = plugin.left.data();
        *right = plugin.right.data();
    }

private:
    Vst3Instance& plugin;
    uint64_t& uncarried;
};

}  // namespace

bool isVst3BundlePath(const std::string& path) {
    std::string name = path;
    while (name.size() > 1 && name.back() == '/') name.pop_back();
    return name.size() > 5 && name.compare(name.size() - 5, 5, ".vst3") == 0;
}

bool Vst3RenderHost::start(const std::string& bundle, uint32_t sampleRate, int32_t blockSize, std::string* error) {
    plugin.reset();
    if (!module.factory() && !module.load(bundle, error)) return false;
    plugin.reset(new Vst3Instance());
    Vst3Setup setup;
    setup.sampleRate = sampleRate;
    setup.maxBlock = blockSize;
    if (!plugin->start(module, setup, error)) {
        plugin.reset();
        return false;
    }
    return true;
}

std::vector<std::string> Vst3RenderHost::parameterNames() {
    std::vector<std::string> names;
    if (plugin)
        for (const v3::ParameterInfo& info : plugin->automatableParameters()) names.push_back(narrow(info.title));
    return names;
}

// As a host sets values while stopped: the controller, and a flush to the processor.
bool Vst3RenderHost::applyParameters(const std::vector<ParamSetting>& settings, std::string* error) {
    if (!plugin) return false;
    std::vector<std::pair<int32_t, float>> resolved;
    if (!resolveParameters(parameterNames(), settings, &resolved, error)) return false;
    if (resolved.empty()) return true;
    std::vector<v3::ParameterInfo> parameters = plugin->automatableParameters();
    Ref<ParameterChanges> changes(new ParameterChanges());
    for (const auto& r : resolved) {
        v3::ParamID id = parameters[(size_t)r.first].id;
        plugin->controller()->setParamNormalized(id, r.second);
        changes->add(id, 0, r.second);
    }
    if (plugin->flush(changes.get()) != kResultOk) {
        *error = "the processor refused the parameter values";
        return false;
    }
    return true;
}

void Vst3RenderHost::listParameters() {
    std::vector<v3::ParameterInfo> parameters = plugin->automatableParameters();
    for (size_t i = 0; i < parameters.size(); i++) {
        v3::ParamID id = parameters[i].id;
        double value = plugin->controller()->getParamNormalized(id);
        String128 text = {};
        plugin->controller()->getParamStringByValue(id, value, text);
        std::printf("%3u  %-12s %.4f  (%s)\n", (unsigned)i, narrow(parameters[i].title).c_str(), value,
                    narrow(text).c_str());
    }
    std::fflush(stdout);
}

bool Vst3RenderHost::render(const MidiSong& song, const RenderSettings& settings, const BlockSink& sink,
                            RenderStats* stats, const RenderProgress& progress) {
    *stats = RenderStats();
    if (!plugin) return false;
    Vst3BlockPlayer player(*plugin, uncarried);
    return renderSong(song, settings, player, sink, stats, progress);
}

void Vst3RenderHost::stop() {
    plugin.reset();
    module.unload();
}
