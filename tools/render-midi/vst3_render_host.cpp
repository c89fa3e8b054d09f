#include "tools/render-midi/vst3_render_host.h"

#include <cstdio>

using namespace v3host;

namespace {

class Vst3BlockPlayer final : public BlockPlayer {
public:
    Vst3BlockPlayer(Vst3Instance& plugin, uint64_t& uncarried)
        : plugin(plugin), mapping(query<IMidiMapping>(plugin.controller())), uncarried(uncarried) {}

    void playBlock(const std::vector<BlockMessage>& messages, int32_t frames, const float** left,
                   const float** right) override {
        Ref<EventList> events(new EventList());
        Ref<ParameterChanges> changes(new ParameterChanges());
        for (const BlockMessage& m : messages) {
            MidiAt at{m.frame, m.bytes[0], m.size > 1 ? m.bytes[1] : (uint8_t)0, m.size > 2 ? m.bytes[2] : (uint8_t)0};
            if (!addMidi(mapping.get(), at, *events.get(), *changes.get())) uncarried++;
        }
        plugin.process(frames, events.get(), changes.get());
        *left = plugin.left.data();
        *right = plugin.right.data();
    }

private:
    Vst3Instance& plugin;
    Ref<IMidiMapping> mapping;
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

std::vector<v3::ParamID> Vst3RenderHost::automatable() {
    std::vector<v3::ParamID> ids;
    IEditController* c = plugin ? plugin->controller() : nullptr;
    for (int32 i = 0; c && i < c->getParameterCount(); i++) {
        v3::ParameterInfo info;
        if (c->getParameterInfo(i, info) == kResultOk && (info.flags & kCanAutomate)) ids.push_back(info.id);
    }
    return ids;
}

std::vector<std::string> Vst3RenderHost::parameterNames() {
    std::vector<std::string> names;
    IEditController* c = plugin ? plugin->controller() : nullptr;
    for (int32 i = 0; c && i < c->getParameterCount(); i++) {
        v3::ParameterInfo info;
        if (c->getParameterInfo(i, info) == kResultOk && (info.flags & kCanAutomate)) names.push_back(narrow(info.title));
    }
    return names;
}

// As a host sets values while stopped: the controller, and a flush to the processor.
bool Vst3RenderHost::applyParameters(const std::vector<ParamSetting>& settings, std::string* error) {
    if (!plugin) return false;
    std::vector<std::pair<int32_t, float>> resolved;
    if (!resolveParameters(parameterNames(), settings, &resolved, error)) return false;
    if (resolved.empty()) return true;
    std::vector<v3::ParamID> ids = automatable();
    Ref<ParameterChanges> changes(new ParameterChanges());
    for (const auto& r : resolved) {
        v3::ParamID id = ids[(size_t)r.first];
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
    std::vector<v3::ParamID> ids = automatable();
    std::vector<std::string> names = parameterNames();
    for (size_t i = 0; i < ids.size(); i++) {
        double value = plugin->controller()->getParamNormalized(ids[i]);
        String128 text = {};
        plugin->controller()->getParamStringByValue(ids[i], value, text);
        std::printf("%3u  %-12s %.4f  (%s)\n", (unsigned)i, names[i].c_str(), value, narrow(text).c_str());
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
