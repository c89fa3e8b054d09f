// The session through the LV2 bundle: the host's parameter changes become
// control values seen by the next run, its MIDI the run's events.
#include "tests/same_sound/session_instrument.h"
#include "tools/lv2host/lv2_host.h"

namespace {

class Lv2SessionInstrument final : public SessionInstrument {
public:
    bool create(const std::string& bundle, float rate, std::string* error) {
        if (!world.loadBundle(bundle, error)) return false;
        Lv2Instance::Setup setup;
        setup.sampleRate = rate;
        setup.maxBlock = kAnnouncedBlockSize;
        plugin = Lv2Instance::create(world, setup, error);
        return plugin != nullptr;
    }
    void setParameter(int32_t index, float value) override {
        if (index >= 0 && (size_t)index < plugin->controlCount()) plugin->setControl((size_t)index, value);
    }
    void render(const std::vector<SessionMidi>& midi, int32_t frames, std::vector<float>& left,
                std::vector<float>& right) override {
        std::vector<Lv2Midi> events;
        for (const SessionMidi& m : midi) {
            Lv2Midi e;
            e.frame = (uint32_t)m.frame;
            e.size = (m.status & 0xF0) == 0xC0 || (m.status & 0xF0) == 0xD0 ? 2 : 3;
            e.bytes[0] = m.status;
            e.bytes[1] = m.data1;
            e.bytes[2] = m.data2;
            events.push_back(e);
        }
        uint32_t n = frames > 0 ? (uint32_t)frames : 0;
        plugin->run(events, n);
        left.insert(left.end(), plugin->output(0), plugin->output(0) + n);
        right.insert(right.end(), plugin->output(1), plugin->output(1) + n);
    }
    void switchRate(float, bool) override {}  // a rate is an instance's for life
    float getParameter(int32_t index) override {
        return index >= 0 && (size_t)index < plugin->controlCount() ? plugin->control((size_t)index) : 0.f;
    }
    std::string displayText(int32_t) override { return std::string(); }
    std::string labelText(int32_t) override { return std::string(); }

private:
    Lv2World world;
    std::unique_ptr<Lv2Instance> plugin;
};

}  // namespace

std::unique_ptr<SessionInstrument> makeLv2SessionInstrument(const std::string& bundle, float rate, std::string* error) {
    std::unique_ptr<Lv2SessionInstrument> made(new Lv2SessionInstrument());
    if (!made->create(bundle, rate, error)) return nullptr;
    return made;
}
