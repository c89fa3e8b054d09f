// Plays one scripted session through the instrument as a host drives it and
// writes what came out, so that two builds can be compared byte for byte:
// every parameter set to several values while notes sound, the sustain pedal,
// the modulation wheel, channel volume, all-notes-off, keys through the
// parameter entry, sample-rate changes (one while notes sound) and uneven
// block sizes, 0 and 1 among them.
//
//   qelt-session-render OUT.raw OUT.txt
//   qelt-session-render --portable OUT.raw        (Linux plug-in tree)
//   qelt-session-render --lv2 BUNDLE OUT.raw      (Linux plug-in tree)
//   qelt-session-render --song SONG.mid OUT.raw
//   qelt-session-render --portable-vst3 OUT.raw   (Linux plug-in and Windows trees)
//   qelt-session-render --vst3 BUNDLE OUT.raw     (Linux plug-in and Windows trees)
//   qelt-session-render --vst3 BUNDLE --song SONG.mid OUT.raw
//
// OUT.raw: the output, interleaved left/right 32-bit floats. OUT.txt: the
// parameter display texts over a sweep of values. Prints frames, peak and the
// count of non-finite samples; exit status 1 when the instrument cannot be
// created or a file cannot be written.
//
// --portable plays what every format can: a fresh instance for each rate
// (LV2 takes the rate at instantiation) and no keys through the parameter
// entry (a VST 2 thing); --lv2 plays that through the bundle's plug-in, with
// the parameters as its control ports, so the two outputs must be the same.
// --song plays a MIDI file as the renderer does (44.1 kHz, 512-frame blocks,
// the tail until silence): the demo, for builds that have no renderer.
// --portable-vst3 is --portable without program changes, which VST 3 does
// not carry; --vst3 plays that through the bundle (controllers through its
// MIDI mapping), or with --song the MIDI file.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "tests/same_sound/session_instrument.h"
#include "tests/support/plugin_under_test.h"
#include "tools/render-midi/render_host.h"

namespace {

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

class VstSessionInstrument final : public SessionInstrument {
public:
    bool create(float rate) {
        if (!hosted.create()) return false;
        hosted.plugin->start(rate, kAnnouncedBlockSize);
        return true;
    }
    void setParameter(int32_t index, float value) override { hosted.plugin->setParameter(index, value); }
    void render(const std::vector<SessionMidi>& midi, int32_t frames, std::vector<float>& left,
                std::vector<float>& right) override {
        MidiEventBlock events;
        for (const SessionMidi& m : midi) events.add(m.frame, m.status, m.data1, m.data2);
        hosted.plugin->render(&events, frames, left, right);
    }
    void switchRate(float rate, bool aroundSwitchOff) override {
        PluginInstance& plugin = *hosted.plugin;
        if (aroundSwitchOff) plugin.dispatch(effMainsChanged, 0, 0);
        plugin.dispatch(effSetSampleRate, 0, 0, nullptr, rate);
        if (aroundSwitchOff) plugin.dispatch(effMainsChanged, 0, 1);
    }
    std::string displayText(int32_t index) override { return hosted.plugin->text(effGetParamDisplay, index); }
    std::string labelText(int32_t index) override { return hosted.plugin->text(effGetParamLabel, index); }
    float getParameter(int32_t index) override { return hosted.plugin->getParameter(index); }

private:
    HostedPlugin hosted;
};

class Session {
public:
    explicit Session(SessionInstrument* plugin) : plugin(plugin) {}
    void use(SessionInstrument* instrument) { plugin = instrument; }

    // Renders `frames` frames with the actions due in them, in uneven blocks.
    void play(long long frames, const std::vector<Action>& actions) {
        size_t next = 0;
        long long end = position + frames;
        while (position < end) {
            VstInt32 block = kBlockSizes[blockTurn++ % (sizeof kBlockSizes / sizeof kBlockSizes[0])];
            if (block > end - position) block = (VstInt32)(end - position);
            std::vector<SessionMidi> midi;
            // Parameter-entry actions come from the host between blocks.
            for (; block > 0 && next < actions.size() && actions[next].frame < position + block; next++) {
                const Action& a = actions[next];
                if (a.kind == Action::kKeyParameter)
                    plugin->setParameter(a.index, a.value);
                else
                    midi.push_back(
                        {(VstInt32)(a.frame > position ? a.frame - position : 0), a.status, a.data1, a.data2});
            }
            plugin->render(midi, block, left, right);
            position += block;
        }
    }

    std::vector<float> left, right;

private:
    SessionInstrument* plugin;
    long long position = 0;
    size_t blockTurn = 0;
};

// A short phrase: a chord held by the pedal, a wheel and volume move, a high
// note over it, a key played through the parameter entry. `turn` spreads the
// keys over the keyboard and the velocities over both layers.
std::vector<Action> phrase(long long start, long long length, int turn, bool keysThroughParameters,
                           bool programChanges) {
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
    if (!keysThroughParameters) {
        a.erase(std::remove_if(a.begin(), a.end(), [](const Action& x) { return x.kind == Action::kKeyParameter; }),
                a.end());
    }
    if (turn % 7 == 3) a.push_back({at(7) + 2, Action::kMidi, 0xB0, 123, 0, 0, 0.f});  // all notes off
    if (turn % 11 == 5 && programChanges) a.push_back({at(7) + 2, Action::kMidi, 0xC0, 0, 0, 0, 0.f});
    return a;
}

bool writeDisplayTexts(SessionInstrument& plugin, const char* path) {
    FILE* f = std::fopen(path, "wb");  // the same line ends from every build
    if (!f) return false;
    for (VstInt32 index = 0; index < kParameterCount; index++) {
        for (int step = 0; step <= 64; step++) {
            float value = (float)step / 64.f;
            plugin.setParameter(index, value);
            std::fprintf(f, "%d %a %s %s\n", (int)index, (double)plugin.getParameter(index),
                         plugin.displayText(index).c_str(), plugin.labelText(index).c_str());
        }
    }
    return std::fclose(f) == 0;
}

enum class Format { kVst2, kLv2, kVst3 };

// The instrument at a rate: the VST build under test, or the LV2 or VST 3 bundle.
std::unique_ptr<SessionInstrument> makeInstrument(Format format, const char* bundle, float rate) {
    if (format == Format::kVst3) {
#ifdef QELT_SESSION_VST3
        std::string why;
        std::unique_ptr<SessionInstrument> made = makeVst3SessionInstrument(bundle, rate, &why);
        if (!made) std::fprintf(stderr, "%s\n", why.c_str());
        return made;
#else
        std::fprintf(stderr, "VST 3 bundles (%s) play in the Linux plug-in and Windows trees' builds of this program\n",
                     bundle);
        return nullptr;
#endif
    }
    if (format == Format::kLv2) {
#ifdef QELT_SESSION_LV2
        std::string why;
        std::unique_ptr<SessionInstrument> made = makeLv2SessionInstrument(bundle, rate, &why);
        if (!made) std::fprintf(stderr, "%s\n", why.c_str());
        return made;
#else
        std::fprintf(stderr, "LV2 bundles (%s) play in the Linux plug-in tree's build of this program\n", bundle);
        return nullptr;
#endif
    }
    std::unique_ptr<VstSessionInstrument> made(new VstSessionInstrument());
    if (!made->create(rate)) return nullptr;
    return made;
}

// Writes left/right interleaved as 32-bit floats and prints frames, peak and
// the count of non-finite samples; false when the file cannot be written.
bool writeRaw(const std::vector<float>& left, const std::vector<float>& right, const char* path) {
    size_t frames = left.size();
    std::vector<float> interleaved(2 * frames);
    double peak = 0;
    size_t nonFinite = 0;
    for (size_t i = 0; i < frames; i++) {
        interleaved[2 * i] = left[i];
        interleaved[2 * i + 1] = right[i];
        for (float x : {left[i], right[i]}) {
            if (!std::isfinite(x))
                nonFinite++;
            else
                peak = std::fmax(peak, std::fabs(x));
        }
    }
    FILE* out = std::fopen(path, "wb");
    bool written = out && std::fwrite(interleaved.data(), sizeof(float), interleaved.size(), out) == interleaved.size();
    if (out && std::fclose(out) != 0) written = false;
    if (written)
        std::printf("frames %llu peak %.6f non-finite %llu\n", (unsigned long long)frames, peak,
                    (unsigned long long)nonFinite);
    return written;
}

#ifdef QELT_SESSION_VST3
// The song's blocks as a session's: each block's MIDI, then its frames.
class SessionBlockPlayer final : public BlockPlayer {
public:
    explicit SessionBlockPlayer(SessionInstrument& instrument) : instrument(instrument) {}
    void playBlock(const std::vector<BlockMessage>& messages, int32_t frames, const float** l,
                   const float** r) override {
        std::vector<SessionMidi> midi;
        for (const BlockMessage& m : messages)
            midi.push_back({m.frame, m.bytes[0], m.size > 1 ? m.bytes[1] : (unsigned char)0,
                            m.size > 2 ? m.bytes[2] : (unsigned char)0});
        left.clear();
        right.clear();
        instrument.render(midi, frames, left, right);
        instrument.finish();  // the block's samples now: the render loop reads them
        *l = left.data();
        *r = right.data();
    }

private:
    SessionInstrument& instrument;
    std::vector<float> left, right;
};
#endif

int playSong(const char* songPath, const char* rawPath, const char* vst3Bundle) {
    MidiSong song;
    MidiFileError error;
    if (!readMidiFile(songPath, &song, &error)) {
        std::fprintf(stderr, "%s: byte %lld: %s\n", songPath, (long long)error.offset, error.message.c_str());
        return 1;
    }
    if (vst3Bundle) {
#ifdef QELT_SESSION_VST3
        std::unique_ptr<SessionInstrument> instrument = makeInstrument(Format::kVst3, vst3Bundle, 44100.f);
        if (!instrument) return 1;
        SessionBlockPlayer player(*instrument);
        std::vector<float> left, right;
        auto keep = [&](const float* l, const float* r, VstInt32 frames) {
            left.insert(left.end(), l, l + frames);
            right.insert(right.end(), r, r + frames);
            return true;
        };
        RenderStats stats;
        if (!renderSong(song, RenderSettings(), player, keep, &stats)) return 1;
        if (!writeRaw(left, right, rawPath)) {
            std::fprintf(stderr, "cannot write %s\n", rawPath);
            return 1;
        }
        return 0;
#else
        return 1;
#endif
    }
    VstEntryProc entry = pluginEntry();
    RenderHost host;
    std::string why;
    if (!entry || !host.start(entry, 44100, kAnnouncedBlockSize, &why)) {
        std::fprintf(stderr, "the instrument could not be started%s%s\n", why.empty() ? "" : ": ", why.c_str());
        return 1;
    }
    std::vector<float> left, right;
    auto keep = [&](const float* l, const float* r, VstInt32 frames) {
        left.insert(left.end(), l, l + frames);
        right.insert(right.end(), r, r + frames);
        return true;
    };
    RenderStats stats;
    if (!host.render(song, RenderSettings(), keep, &stats)) return 1;
    host.stop();
    if (!writeRaw(left, right, rawPath)) {
        std::fprintf(stderr, "cannot write %s\n", rawPath);
        return 1;
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    const char* bundle = nullptr;
    bool portable = false, programChanges = true;
    Format format = Format::kVst2;
    if (args.size() == 3 && args[0] == "--song") return playSong(argv[2], argv[3], nullptr);
    if (args.size() == 5 && args[0] == "--vst3" && args[2] == "--song") return playSong(argv[4], argv[5], argv[2]);
    if (args.size() == 2 && args[0] == "--portable") {
        portable = true;
    } else if (args.size() == 2 && args[0] == "--portable-vst3") {
        portable = true;
        programChanges = false;
    } else if (args.size() == 3 && (args[0] == "--lv2" || args[0] == "--vst3")) {
        portable = true;
        bundle = argv[2];
        format = args[0] == "--lv2" ? Format::kLv2 : Format::kVst3;
        programChanges = format != Format::kVst3;
    } else if (args.size() != 2 || args[0].compare(0, 2, "--") == 0) {
        std::fprintf(stderr,
                     "usage: %s OUT.raw OUT.txt | --portable OUT.raw | --lv2 BUNDLE OUT.raw | --song SONG.mid OUT.raw\n"
                     "       | --portable-vst3 OUT.raw | --vst3 BUNDLE OUT.raw | --vst3 BUNDLE --song SONG.mid OUT.raw\n",
                     argv[0]);
        return 1;
    }
    const char* rawPath = argv[argc - (portable ? 1 : 2)];
    std::unique_ptr<SessionInstrument> plugin = makeInstrument(format, bundle, kRates[0]);
    if (!plugin) {
        std::fprintf(stderr, "the instrument could not be created\n");
        return 1;
    }
    Session session(plugin.get());

    int turn = 0;
    for (size_t r = 0; r < sizeof kRates / sizeof kRates[0]; r++) {
        float rate = kRates[r];
        if (r > 0 && portable) {
            plugin->finish();
            plugin = makeInstrument(format, bundle, rate);
            if (!plugin) return 1;
            session.use(plugin.get());
        } else if (r > 0) {
            // The third change comes while notes still sound, without a switch-off.
            plugin->switchRate(rate, r != 2);
        }
        long long length = (long long)(kSegmentSeconds * rate);
        for (VstInt32 index = 0; index < kParameterCount; index++) {
            for (float value : kParameterValues) {
                plugin->setParameter(index, value);
                session.play(length, phrase(0, length, turn++, !portable, programChanges));
            }
        }
    }

    plugin->finish();
#ifdef QELT_SESSION_VST3
    if (format == Format::kVst3) std::printf("blocks with parameter changes inside %d\n", vst3ChangesInsideBlocks());
#endif
    bool written = writeRaw(session.left, session.right, rawPath);
    if (!written || (!portable && !writeDisplayTexts(*plugin, argv[2]))) {
        std::fprintf(stderr, "cannot write %s%s%s\n", rawPath, portable ? "" : " or ", portable ? "" : argv[2]);
        return 1;
    }
    return 0;
}
