// The session through the VST 3 bundle: the host's MIDI becomes note events
// and points of the controllers' mapped parameters, its parameter changes
// points at the next block's start. Where a change comes between two
// blocks, the two are sent as one block with the change at the frame where
// the second began, so parameter points inside blocks are played too: the
// output must still equal the VST 2 plug-in's, block for block.
#include <cstdio>

#include "tests/same_sound/session_instrument.h"
#include "tools/vst3host/vst3_host.h"

using namespace v3host;

namespace {

int changesInsideBlocks = 0;

struct Block {
    std::vector<std::pair<int32_t, float>> changes;  // set before the block
    std::vector<SessionMidi> midi;
    int32_t frames = 0;
};

class Vst3SessionInstrument final : public SessionInstrument {
public:
    ~Vst3SessionInstrument() override { finish(); }
    bool create(Vst3Module& module, float rate, std::string* error) {
        Vst3Setup setup;
        setup.sampleRate = rate;
        setup.maxBlock = 2 * kAnnouncedBlockSize;  // two blocks may go as one
        return plugin.start(module, setup, error);
    }
    void setParameter(int32_t index, float value) override { changes.push_back({index, value}); }
    void render(const std::vector<SessionMidi>& midi, int32_t frames, std::vector<float>& l,
                std::vector<float>& r) override {
        left = &l;
        right = &r;
        Block next;
        next.changes.swap(changes);
        next.midi = midi;
        next.frames = frames > 0 ? frames : 0;
        if (pending && !next.changes.empty() && pending->frames > 0 && next.frames > 0) {
            send({pending.get(), &next});
            changesInsideBlocks++;
            pending.reset();
            return;
        }
        if (pending) send({pending.get()});
        pending.reset(new Block(next));
    }
    void finish() override {
        if (pending) send({pending.get()});
        pending.reset();
    }
    void switchRate(float, bool) override {}  // a fresh instance per rate, as for LV2
    float getParameter(int32_t index) override { return (float)plugin.controller()->getParamNormalized((ParamID)index); }
    std::string displayText(int32_t) override { return std::string(); }
    std::string labelText(int32_t) override { return std::string(); }

    int unsent = 0;  // MIDI messages VST 3 could not carry

private:
    // One process call for the blocks, each one's changes at its first frame.
    void send(std::vector<Block*> blocks) {
        BlockInput input(plugin.midiMapping());
        int32_t at = 0;
        for (Block* b : blocks) {
            for (const auto& c : b->changes) input.changes->add((ParamID)c.first, at, c.second);
            for (const SessionMidi& m : b->midi) input.midi({at + m.frame, m.status, m.data1, m.data2});
            at += b->frames;
        }
        unsent += input.uncarried;
        if (plugin.process(at, input) != kResultOk) {
            std::fprintf(stderr, "process failed\n");
            unsent++;
        }
        left->insert(left->end(), plugin.left.begin(), plugin.left.end());
        right->insert(right->end(), plugin.right.begin(), plugin.right.end());
    }

    Vst3Instance plugin;
    std::vector<std::pair<int32_t, float>> changes;
    std::unique_ptr<Block> pending;
    std::vector<float>* left = nullptr;
    std::vector<float>* right = nullptr;
};

}  // namespace

std::unique_ptr<SessionInstrument> makeVst3SessionInstrument(const std::string& bundle, float rate,
                                                             std::string* error) {
    // The module stays loaded for the program's life, as in a host.
    static Vst3Module module;
    if (!module.factory() && !module.load(bundle, error)) return nullptr;
    std::unique_ptr<Vst3SessionInstrument> made(new Vst3SessionInstrument());
    if (!made->create(module, rate, error)) return nullptr;
    return made;
}

int vst3ChangesInsideBlocks() { return changesInsideBlocks; }
