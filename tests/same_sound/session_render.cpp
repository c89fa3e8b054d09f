// Plays one scripted session through the instrument as a host drives it and
// writes what came out, so that two builds can be compared byte for byte:
// every parameter set to several values while notes sound, the sustain pedal,
// the modulation wheel, channel volume, all-notes-off, keys through the
// parameter entry, sample-rate changes (one while notes sound) and uneven
// block sizes, 0 and 1 among them.
//
//   qelt-session-render OUT.raw OUT.txt
//
// OUT.raw: the output, interleaved left/right 32-bit floats. OUT.txt: the
// parameter display texts over a sweep of values. Prints frames, peak and the
// count of non-finite samples; exit status 1 when the instrument cannot be
// created or a file cannot be written.
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "tests/support/plugin_under_test.h"

namespace {

constexpr VstInt32 kAnnouncedBlockSize = 512;
// Block sizes a host may use, in turn: never above the announced size.
constexpr VstInt32 kBlockSizes[] = {512, 1, 37, 300, 0, 511, 64, 128, 2};
constexpr float kRates[] = {44100.f, 48000.f, 22050.f, 96000.f};
constexpr float kParameterValues[] = {0.f, 0.37f, 0.81f, 1.f};
constexpr int kParameterCount = 5;
constexpr double kSegmentSeconds = 0.4;
constexpr int kFirstKey = 21, kKeyCount = 88;

// One host action at an absolute frame of the session.
struct Action {
    long long frame;
    enum Kind { kMidi, kKeyParameter } kind;
    unsigned char status, data1, data2;  // kMidi
    VstInt32 index;                      // kKeyParameter: the key's parameter
    float value;
};

class Session {
public:
    explicit Session(PluginInstance& plugin) : plugin(plugin) {}

    // Renders `frames` frames with the actions due in them, in uneven blocks.
    void play(long long frames, const std::vector<Action>& actions) {
        size_t next = 0;
        long long end = position + frames;
        while (position < end) {
            VstInt32 block = kBlockSizes[blockTurn++ % (sizeof kBlockSizes / sizeof kBlockSizes[0])];
            if (block > end - position) block = (VstInt32)(end - position);
            MidiEventBlock events;
            // Parameter-entry actions come from the host between blocks.
            for (; block > 0 && next < actions.size() && actions[next].frame < position + block; next++) {
                const Action& a = actions[next];
                if (a.kind == Action::kKeyParameter)
                    plugin.setParameter(a.index, a.value);
                else
                    events.add((VstInt32)(a.frame > position ? a.frame - position : 0), a.status, a.data1, a.data2);
            }
            plugin.render(&events, block, left, right);
            position += block;
        }
    }

    std::vector<float> left, right;

private:
    PluginInstance& plugin;
    long long position = 0;
    size_t blockTurn = 0;
};

// A short phrase: a chord held by the pedal, a wheel and volume move, a high
// note over it, a key played through the parameter entry. `turn` spreads the
// keys over the keyboard and the velocities over both layers.
std::vector<Action> phrase(long long start, long long length, int turn) {
    auto key = [&](int offset) { return (unsigned char)(kFirstKey + (turn * 29 + offset) % kKeyCount); };
    unsigned char velocity = (unsigned char)(20 + (turn * 37) % 108);
    unsigned char low = key(0), middle = key(4), top = key(7), high = key(40);
    VstInt32 keyParameter = key(19);
    auto at = [&](int eighths) { return start + length * eighths / 8; };
    std::vector<Action> a = {
        {at(0), Action::kMidi, 0x90, low, velocity, 0, 0.f},
        {at(0), Action::kMidi, 0x90, middle, (unsigned char)(127 - velocity / 2), 0, 0.f},
        {at(0) + 3, Action::kMidi, 0x90, top, velocity, 0, 0.f},
        {at(1), Action::kMidi, 0xB0, 1, (unsigned char)((turn * 41) % 128), 0, 0.f},
        {at(1), Action::kMidi, 0xB0, 7, (unsigned char)(60 + (turn * 13) % 68), 0, 0.f},
        {at(2), Action::kMidi, 0xB0, 64, 127, 0, 0.f},
        {at(3), Action::kMidi, 0x80, low, 0, 0, 0.f},
        {at(3), Action::kMidi, 0x80, middle, 64, 0, 0.f},
        {at(3), Action::kMidi, 0x90, top, 0, 0, 0.f},
        {at(4), Action::kMidi, 0x90, high, 100, 0, 0.f},
        {at(5), Action::kMidi, 0xB0, 64, 0, 0, 0.f},
        {at(6), Action::kKeyParameter, 0, 0, 0, keyParameter, 1.f},
        {at(7), Action::kKeyParameter, 0, 0, 0, keyParameter, 0.f},
        {at(7) + 1, Action::kMidi, 0x80, high, 0, 0, 0.f},
    };
    if (turn % 7 == 3) a.push_back({at(7) + 2, Action::kMidi, 0xB0, 123, 0, 0, 0.f});  // all notes off
    if (turn % 11 == 5) a.push_back({at(7) + 2, Action::kMidi, 0xC0, 0, 0, 0, 0.f});   // program change
    return a;
}

void switchRate(PluginInstance& plugin, float rate, bool aroundSwitchOff) {
    if (aroundSwitchOff) plugin.dispatch(effMainsChanged, 0, 0);
    plugin.dispatch(effSetSampleRate, 0, 0, nullptr, rate);
    if (aroundSwitchOff) plugin.dispatch(effMainsChanged, 0, 1);
}

bool writeDisplayTexts(PluginInstance& plugin, const char* path) {
    FILE* f = std::fopen(path, "wb");  // the same line ends from every build
    if (!f) return false;
    for (VstInt32 index = 0; index < kParameterCount; index++) {
        for (int step = 0; step <= 64; step++) {
            float value = (float)step / 64.f;
            plugin.setParameter(index, value);
            std::fprintf(f, "%d %a %s %s\n", (int)index, (double)plugin.getParameter(index),
                         plugin.text(effGetParamDisplay, index).c_str(), plugin.text(effGetParamLabel, index).c_str());
        }
    }
    return std::fclose(f) == 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s OUT.raw OUT.txt\n", argv[0]);
        return 1;
    }
    HostedPlugin hosted;
    if (!hosted.create()) {
        std::fprintf(stderr, "the instrument could not be created\n");
        return 1;
    }
    PluginInstance& plugin = *hosted.plugin;
    plugin.start(kRates[0], kAnnouncedBlockSize);
    Session session(plugin);

    int turn = 0;
    for (size_t r = 0; r < sizeof kRates / sizeof kRates[0]; r++) {
        float rate = kRates[r];
        // The third change comes while notes still sound, without a switch-off.
        if (r > 0) switchRate(plugin, rate, r != 2);
        long long length = (long long)(kSegmentSeconds * rate);
        for (VstInt32 index = 0; index < kParameterCount; index++) {
            for (float value : kParameterValues) {
                plugin.setParameter(index, value);
                session.play(length, phrase(0, length, turn++));
            }
        }
    }

    size_t frames = session.left.size();
    std::vector<float> interleaved(2 * frames);
    double peak = 0;
    size_t nonFinite = 0;
    for (size_t i = 0; i < frames; i++) {
        interleaved[2 * i] = session.left[i];
        interleaved[2 * i + 1] = session.right[i];
        for (float x : {session.left[i], session.right[i]}) {
            if (!std::isfinite(x))
                nonFinite++;
            else
                peak = std::fmax(peak, std::fabs(x));
        }
    }
    FILE* out = std::fopen(argv[1], "wb");
    bool written = out && std::fwrite(interleaved.data(), sizeof(float), interleaved.size(), out) == interleaved.size();
    if (out && std::fclose(out) != 0) written = false;
    if (!written || !writeDisplayTexts(plugin, argv[2])) {
        std::fprintf(stderr, "cannot write %s or %s\n", argv[1], argv[2]);
        return 1;
    }
    std::printf("frames %llu peak %.6f non-finite %llu\n", (unsigned long long)frames, peak,
                (unsigned long long)nonFinite);
    return 0;
}
