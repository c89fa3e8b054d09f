// A small LV2 instrument with one fault of a kind the validator must catch in
// an LV2 bundle, chosen when it is built (QELT_FAULT); built without one it
// plays a decaying tone per note and must pass.
#include <lv2/atom/atom.h>
#include <lv2/atom/util.h>
#include <lv2/core/lv2.h>
#include <lv2/midi/midi.h>
#include <lv2/urid/urid.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <mutex>

namespace {

enum Fault { kNone, kAllocates, kLocks, kNotANumber };
constexpr Fault kFault = (Fault)QELT_FAULT;
constexpr float kDecayPerFrame = 0.999f;
constexpr float kSilent = 1e-6f;
constexpr float kTwoPi = 6.2831853f;

struct Tone {
    const LV2_Atom_Sequence* midi = nullptr;
    float* out[2] = {};
    LV2_URID midiEvent = 0;
    float rate = 44100.f, phase = 0.f, step = 0.f, level = 0.f;
    std::mutex lock;
};

LV2_Handle instantiate(const LV2_Descriptor*, double rate, const char*, const LV2_Feature* const* features) {
    LV2_URID_Map* map = nullptr;
    for (; features && *features; features++)
        if (std::strcmp((*features)->URI, LV2_URID__map) == 0) map = static_cast<LV2_URID_Map*>((*features)->data);
    if (!map) return nullptr;
    Tone* t = new Tone();
    t->rate = (float)rate;
    t->midiEvent = map->map(map->handle, LV2_MIDI__MidiEvent);
    return t;
}

void connect(LV2_Handle h, uint32_t port, void* data) {
    Tone* t = static_cast<Tone*>(h);
    if (port == 0) t->midi = static_cast<const LV2_Atom_Sequence*>(data);
    if (port == 1 || port == 2) t->out[port - 1] = static_cast<float*>(data);
}

void run(LV2_Handle h, uint32_t frames) {
    Tone* t = static_cast<Tone*>(h);
    if (kFault == kAllocates) {
        static void* volatile scratch;  // kept through the optimiser, which drops a malloc freed unused
        scratch = std::malloc(64);
        std::free(scratch);
    }
    if (kFault == kLocks) std::lock_guard<std::mutex> hold(t->lock);
    if (t->midi) {
        LV2_ATOM_SEQUENCE_FOREACH(t->midi, e) {
            const uint8_t* m = reinterpret_cast<const uint8_t*>(e + 1);
            if (e->body.type != t->midiEvent || e->body.size < 3 || (m[0] & 0xF0) != 0x90 || m[2] == 0) continue;
            t->step = kTwoPi * 440.f * std::exp2((m[1] - 69) / 12.f) / t->rate;
            t->level = 0.2f;
        }
    }
    for (uint32_t f = 0; f < frames; f++) {
        float v = kFault == kNotANumber ? NAN : t->level * std::sin(t->phase);
        t->phase = std::fmod(t->phase + t->step, kTwoPi);
        t->level = t->level * kDecayPerFrame < kSilent ? 0.f : t->level * kDecayPerFrame;
        for (float* out : t->out)
            if (out) out[f] = v;
    }
}

void cleanup(LV2_Handle h) { delete static_cast<Tone*>(h); }

const LV2_Descriptor kDescriptor = {QELT_URI, instantiate, connect, nullptr, run, nullptr, cleanup, nullptr};

}  // namespace

LV2_SYMBOL_EXPORT const LV2_Descriptor* lv2_descriptor(uint32_t index) { return index == 0 ? &kDescriptor : nullptr; }
