// The validator's LV2 side (Linux): the bundle's plug-in found through lilv
// and driven as the render matrix's player, each run watched as an audio
// call; and what LV2 does its own way: many instances made and destroyed,
// and the control values a host saves restored into a new instance.
#include <lv2/presets/presets.h>

#include <algorithm>
#include <optional>

#include "tools/lv2host/lv2_host.h"
#include "tools/validate/audio_guard.h"
#include "tools/validate/validation.h"

namespace validate {
namespace {

constexpr float kRate = 44100.f;
constexpr VstInt32 kBlock = 512;
constexpr int kWarmUpCycles = 10;
constexpr VstInt32 kFirstKey = 21, kKeyLimit = 128;
constexpr unsigned char kKeyVelocity = 100;

// One lilv world for the whole run, as a host loads a bundle once.
Lv2World* world(const std::string& bundle, std::string* error) {
    static std::unique_ptr<Lv2World> loaded;
    static std::string loadError;
    if (!loaded && loadError.empty()) {
        loaded.reset(new Lv2World());
        if (!loaded->loadBundle(bundle, &loadError)) loaded.reset();
    }
    if (!loaded && error) *error = loadError;
    return loaded.get();
}

// The bundle's plug-in, instantiated at start. Events and key presses wait
// for the next run; control values are seen by it, as LV2 has them.
class Lv2Player final : public AudioPlayer, private PluginCallWatch {
public:
    explicit Lv2Player(const Settings& s) : lilv(world(s.lv2Bundle, nullptr)) {}
    ~Lv2Player() override = default;

    bool ok() const override { return lilv != nullptr; }
    void start(float rate, VstInt32 maxBlock) override {
        if (!lilv) return;
        Lv2Instance::Setup setup;
        setup.sampleRate = rate;
        setup.maxBlock = (uint32_t)std::max<VstInt32>(maxBlock, 1);
        std::string ignored;
        plugin = Lv2Instance::create(*lilv, setup, &ignored);
        if (plugin) plugin->watchRuns(this);
        pending.reserve(256);
    }
    void events(VstEvents* block) override {
        for (VstInt32 i = 0; block && i < block->numEvents; i++) {
            const VstEvent* e = block->events[i];
            if (!e || e->type != kVstMidiType) continue;
            const VstMidiEvent* m = reinterpret_cast<const VstMidiEvent*>(e);
            add(m->deltaFrames > 0 ? (uint32_t)m->deltaFrames : 0, (unsigned char)m->midiData[0],
                (unsigned char)m->midiData[1], (unsigned char)m->midiData[2]);
        }
    }
    void render(float* left, float* right, VstInt32 frames) override {
        if (!plugin) return;  // unwritten output shows as the scan's fault
        std::stable_sort(pending.begin(), pending.end(),
                         [](const Lv2Midi& a, const Lv2Midi& b) { return a.frame < b.frame; });
        const uint32_t n = frames > 0 ? (uint32_t)frames : 0;
        plugin->run(pending, n);
        pending.clear();
        std::copy(plugin->output(0), plugin->output(0) + n, left);
        std::copy(plugin->output(1), plugin->output(1) + n, right);
    }
    // Keys have no parameters in LV2: a key comes as MIDI, as from an on-screen keyboard.
    void setParameterOnAudioThread(VstInt32 index, float value) override {
        if (!plugin || index < 0) return;
        if ((size_t)index < plugin->controlCount())
            plugin->setControl((size_t)index, value);
        else if (index >= kFirstKey && index < kKeyLimit)
            add(0, value != 0.f ? 0x90 : 0x80, (unsigned char)index, value != 0.f ? kKeyVelocity : 0);
    }

    Lv2Instance* instance() { return plugin.get(); }

private:
    void add(uint32_t frame, unsigned char status, unsigned char data1, unsigned char data2) {
        pending.push_back(lv2Midi(frame, status, data1, data2));
    }
    void entering() override { watched.emplace(); }
    void left() override { watched.reset(); }

    Lv2World* lilv;
    std::unique_ptr<Lv2Instance> plugin;
    std::vector<Lv2Midi> pending;
    std::optional<audioguard::AudioCall> watched;
};

void noteOn(AudioPlayer& p, VstInt32 frame, unsigned char key, unsigned char velocity) {
    MidiEventBlock block;
    block.add(frame, 0x90, key, velocity);
    p.events(block.get());
}

}  // namespace

std::unique_ptr<AudioPlayer> makeLv2Player(const Settings& s) { return std::unique_ptr<AudioPlayer>(new Lv2Player(s)); }

std::string describeLv2Plugin(const Settings& s, std::string* error) {
    Lv2World* w = world(s.lv2Bundle, error);
    if (!w) return std::string();
    const LilvPlugin* p = w->plugin();
    LilvNode* name = lilv_plugin_get_name(p);
    Lv2Player probe(s);
    probe.start(kRate, kBlock);
    size_t controls = probe.instance() ? probe.instance()->controlCount() : 0;
    std::string text = format("\"%s\" (%s), LV2, %d control inputs", name ? lilv_node_as_string(name) : "?",
                              lilv_node_as_uri(lilv_plugin_get_uri(p)), (int)controls);
    lilv_node_free(name);
    if (!probe.instance()) *error = "the plug-in refused to be instantiated";
    return text;
}

// What a scanning host does: instances made, played a block and destroyed;
// the allocations alive after them are the same as before.
CheckResult checkLv2CreateDestroyCycles(const Settings& s) {
    CheckResult r{"create/destroy", Outcome::kPassed, ""};
    std::vector<float> left(kBlock), right(kBlock);
    int refused = 0;
    auto cycle = [&] {
        Lv2Player p(s);
        p.start(kRate, kBlock);
        if (!p.instance()) {
            refused++;
            return;
        }
        noteOn(p, 0, 60, 100);
        p.render(left.data(), right.data(), kBlock);
    };
    for (int i = 0; i < kWarmUpCycles; i++) cycle();
    const int64_t before = audioguard::liveAllocations();
    for (int i = 0; i < s.lifecycleCycles; i++) cycle();
    const int64_t after = audioguard::liveAllocations();
    r.detail = format("%d instances made, played and freed; allocations alive before and after: %lld, %lld",
                      s.lifecycleCycles, (long long)before, (long long)after);
    if (after != before || refused) {
        r.outcome = Outcome::kFailed;
        if (refused) r.detail += format("; %d instances refused", refused);
    }
    return r;
}

// What a saving host does: the control values saved through lilv as Turtle
// text and restored into a new instance, which then plays the same notes
// the same; and every preset of the bundle applied.
CheckResult checkLv2StateRoundTrip(const Settings& s) {
    CheckResult r{"saved state", Outcome::kPassed, ""};
    Lv2Player first(s), second(s);
    first.start(kRate, kBlock);
    second.start(kRate, kBlock);
    Lv2Instance *a = first.instance(), *b = second.instance();
    if (!a || !b) return {r.name, Outcome::kFailed, "the plug-in gave no instance"};
    std::vector<float> values;
    for (size_t i = 0; i < a->controlCount(); i++) {
        values.push_back(0.13f + 0.71f * (float)i / (float)(a->controlCount() + 1));
        a->setControl(i, values.back());
    }
    const std::string saved = a->saveState();
    std::string why;
    if (saved.empty() || !b->restoreState(saved, &why))
        return {r.name, Outcome::kFailed, saved.empty() ? "lilv saved no state" : why};
    int wrong = 0;
    for (size_t i = 0; i < values.size(); i++) wrong += b->control(i) != values[i];

    std::vector<float> la(kBlock), ra(kBlock), lb(kBlock), rb(kBlock);
    noteOn(first, 0, 48, 90);
    noteOn(first, 100, 67, 110);
    noteOn(second, 0, 48, 90);
    noteOn(second, 100, 67, 110);
    first.render(la.data(), ra.data(), kBlock);
    second.render(lb.data(), rb.data(), kBlock);
    const bool sameSound = la == lb && ra == rb;

    int presets = 0, presetsRefused = 0;
    LilvNode* presetClass = lilv_new_uri(world(s.lv2Bundle, nullptr)->world(), LV2_PRESETS__Preset);
    LilvNodes* related = lilv_plugin_get_related(world(s.lv2Bundle, nullptr)->plugin(), presetClass);
    LILV_FOREACH(nodes, i, related) {
        presets++;
        presetsRefused += !b->applyPreset(lilv_node_as_uri(lilv_nodes_get(related, i)), &why);
    }
    lilv_nodes_free(related);
    lilv_node_free(presetClass);

    r.detail = format("%d control values saved as Turtle and restored into a new instance; %d presets applied",
                      (int)values.size(), presets - presetsRefused);
    if (wrong || !sameSound || presetsRefused) {
        r.outcome = Outcome::kFailed;
        r.detail += format("\n                          %d values differ, the sound %s, %d presets refused%s%s", wrong,
                           sameSound ? "matches" : "differs", presetsRefused, presetsRefused ? ": " : "",
                           presetsRefused ? why.c_str() : "");
    }
    return r;
}

}  // namespace validate
