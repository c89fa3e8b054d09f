// qelt-render: renders a Standard MIDI File through a VST 2.4 instrument (a
// Windows DLL, or a Linux shared object in the Linux build), a VST 3 bundle
// or, in the Linux build, an LV2 bundle into a WAV file, and can take a
// picture of a VST instrument's editor.
#include <chrono>
#include <cmath>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "tools/render-midi/editor_shot.h"
#include "tools/render-midi/midi_file.h"
#include "tools/render-midi/render_host.h"
#include "tools/render-midi/render_options.h"
#include "tools/render-midi/output_file.h"
#include "tools/vsthost/plugin_library.h"
#ifdef QELT_RENDER_LV2
#include "tools/render-midi/lv2_render_host.h"
#endif
#ifdef QELT_RENDER_VST3
#include "tools/render-midi/vst3_render_host.h"
#endif

namespace {

constexpr int kUsageOrSetup = 1, kBadMidi = 2, kNonFinite = 3;

int failWith(int status, const std::string& message) {
    std::fprintf(stderr, "qelt-render: %s\n", message.c_str());
    return status;
}

std::string dbfs(double level) {
    if (!(level > 0)) return "-inf dBFS";
    char text[32];
    std::snprintf(text, sizeof(text), "%.1f dBFS", 20.0 * std::log10(level));
    return text;
}

// A progress line on the terminal once a render has taken a couple of seconds.
class ProgressLine {
public:
    explicit ProgressLine(double rate) : rate(rate), begun(std::chrono::steady_clock::now()) {}
    ~ProgressLine() { finish(); }
    void update(uint64_t done, uint64_t song) {
        auto now = std::chrono::steady_clock::now();
        if (now - begun < std::chrono::seconds(2) || now - last < std::chrono::milliseconds(250)) return;
        last = now;
        shown = true;
        if (done <= song)
            std::fprintf(stderr, "\rrendering %.1f s of %.1f s (%d%%)   ", done / rate, song / rate,
                         song ? (int)(100 * done / song) : 100);
        else
            std::fprintf(stderr, "\rrendering the tail, %.1f s after the song   ", (done - song) / rate);
        std::fflush(stderr);
    }
    void finish() {
        if (shown) std::fprintf(stderr, "\n");
        shown = false;
    }

private:
    double rate;
    std::chrono::steady_clock::time_point begun, last;
    bool shown = false;
};

// Renders the song into the output file and prints the summary; `render`
// plays it through the instrument into the sink and then lets it go.
int renderToFile(const RenderOptions& o, const MidiSong& song,
                 const std::function<void(const BlockSink&, RenderStats*, const RenderProgress&)>& render) {
    std::string error;
    OutputFile wav;
    if (!wav.open(o.wavPath, o.format, o.render.sampleRate, &error)) return failWith(kUsageOrSetup, error);
    RenderStats stats;
    bool written = true;
    {
        ProgressLine line(o.render.sampleRate);
        auto sink = [&](const float* l, const float* r, VstInt32 n) {
            written = wav.write(l, r, (size_t)n, &error);
            return written;
        };
        auto progress = [&](uint64_t done, uint64_t total) {
            if (!o.quiet) line.update(done, total);
        };
        render(sink, &stats, progress);
    }
    if (!written || !wav.commit(&error)) return failWith(kUsageOrSetup, error);

    if (!o.quiet) {
        double rate = o.render.sampleRate;
        std::printf("qelt-render: %s -> %s\n", o.midiPath.c_str(), o.wavPath.c_str());
        std::printf("  duration %.2f s (%llu frames at %u Hz, block %d, %s)\n", stats.frames / rate,
                    (unsigned long long)stats.frames, (unsigned)o.render.sampleRate, (int)o.render.blockSize,
                    wav.sampleDescription());
        std::printf("  peak %s, RMS %s%s\n", dbfs(stats.peak).c_str(), dbfs(stats.rms()).c_str(),
                    stats.peak == 0 ? " (silent)" : "");
        std::printf("  events %llu sent, %llu at or beyond a block end, at most %u in one block; "
                    "%u system exclusive and meta events skipped\n",
                    (unsigned long long)stats.eventsSent, (unsigned long long)stats.eventsBeyondBlockEnd,
                    (unsigned)stats.mostEventsInBlock, (unsigned)song.skippedEvents);
        std::printf("  tail %.2f s%s\n", (stats.frames - stats.songFrames) / rate,
                    stats.tailCut ? ", cut at the limit before the output fell silent (--tail)" : " until silence");
        std::fflush(stdout);
    }
    if (wav.clippedSamples())
        std::fprintf(stderr, "qelt-render: warning: %llu samples beyond full scale were clipped\n",
                     (unsigned long long)wav.clippedSamples());
    if (stats.nonFiniteSamples) {
        std::fprintf(stderr, "qelt-render: the plug-in produced %llu non-finite samples (written as 0)\n",
                     (unsigned long long)stats.nonFiniteSamples);
        return kNonFinite;
    }
    return 0;
}

#ifdef QELT_RENDER_LV2
// An LV2 bundle: its control inputs are the parameters; it has no editor
// the renderer can show.
int renderThroughLv2(const RenderOptions& o, const MidiSong& song) {
    std::string error;
    Lv2RenderHost host;
    if (!host.start(o.plugin, o.render.sampleRate, o.render.blockSize, &error)) return failWith(kUsageOrSetup, error);
    if (!host.applyParameters(o.params, &error)) return failWith(kUsageOrSetup, error);
    if (o.listParams) {
        Lv2Instance* p = host.instance();
        for (size_t i = 0; i < p->controlCount(); i++)
            std::printf("%3u  %-12s %.4f  (%s)\n", (unsigned)i, p->controlName(i).c_str(), p->control(i),
                        p->controlSymbol(i).c_str());
        std::fflush(stdout);
    }
    if (!o.shotPath.empty()) return failWith(kUsageOrSetup, o.plugin + ": --shot shows VST 2.4 editors only");
    if (o.midiPath.empty()) return 0;
    return renderToFile(o, song, [&](const BlockSink& sink, RenderStats* stats, const RenderProgress& progress) {
        host.render(song, o.render, sink, stats, progress);
        host.stop();
    });
}
#endif

#ifdef QELT_RENDER_VST3
// A VST 3 bundle: its automatable parameters are the parameters; notes go
// as events, controllers through its MIDI mapping; a program change has no
// way in and is counted.
int renderThroughVst3(const RenderOptions& o, const MidiSong& song) {
    std::string error;
    Vst3RenderHost host;
    if (!host.start(o.plugin, o.render.sampleRate, o.render.blockSize, &error))
        return failWith(kUsageOrSetup, o.plugin + ": " + error);
    if (!host.applyParameters(o.params, &error)) return failWith(kUsageOrSetup, error);
    if (o.listParams) host.listParameters();
    if (!o.shotPath.empty()) return failWith(kUsageOrSetup, o.plugin + ": --shot shows VST 2.4 editors only");
    if (o.midiPath.empty()) return 0;
    int status = renderToFile(o, song, [&](const BlockSink& sink, RenderStats* stats, const RenderProgress& progress) {
        host.render(song, o.render, sink, stats, progress);
        host.stop();
    });
    if (host.uncarried && !o.quiet)
        std::printf("  %llu MIDI message%s VST 3 does not carry (program changes, controllers not mapped) left out\n",
                    (unsigned long long)host.uncarried, host.uncarried == 1 ? "" : "s");
    return status;
}
#endif

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    RenderOptions o;
    std::string error;
    if (!parseRenderOptions(args, &o, &error))
        return failWith(kUsageOrSetup, error + " (--help lists the options)");
    if (o.help) {
        std::fputs(renderUsage(), stdout);
        return 0;
    }

    // The song is read before anything else, so a bad file costs nothing and writes nothing.
    MidiSong song;
    if (!o.midiPath.empty()) {
        MidiFileError bad;
        if (!readMidiFile(o.midiPath, &song, &bad))
            return failWith(kBadMidi, o.midiPath + ": byte " + std::to_string(bad.offset) + ": " + bad.message);
        if (song.lengthSeconds > o.maxSongSeconds) {
            char text[160];
            std::snprintf(text, sizeof(text), "lasts %.0f s, longer than the %.0f s limit (--max-length)",
                          song.lengthSeconds, o.maxSongSeconds);
            return failWith(kBadMidi, o.midiPath + ": " + text);
        }
    }

#ifdef QELT_RENDER_VST3
    if (isVst3BundlePath(o.plugin)) return renderThroughVst3(o, song);
#endif
#ifdef QELT_RENDER_LV2
    if (isLv2BundlePath(o.plugin)) return renderThroughLv2(o, song);
#endif
    PluginLibrary library;
    if (!library.load(o.plugin, &error)) return failWith(kUsageOrSetup, error);
    VstEntryProc entry = library.entry("VSTPluginMain");
    if (!entry) entry = library.entry("main");
    if (!entry) return failWith(kUsageOrSetup, o.plugin + ": exports neither VSTPluginMain nor main");

    RenderHost host;
    if (!host.start(entry, o.render.sampleRate, o.render.blockSize, &error))
        return failWith(kUsageOrSetup, o.plugin + ": " + error);
    if (!host.applyParameters(o.params, &error)) return failWith(kUsageOrSetup, error);

    if (o.listParams) {
        PluginInstance* p = host.instance();
        std::vector<std::string> names = host.parameterNames();
        for (size_t i = 0; i < names.size(); i++) {
            std::string display = p->text(effGetParamDisplay, (VstInt32)i), label = p->text(effGetParamLabel, (VstInt32)i);
            std::printf("%3u  %-12s %.4f  (%s%s%s)\n", (unsigned)i, names[i].c_str(), p->getParameter((VstInt32)i),
                        display.c_str(), label.empty() ? "" : " ", label.c_str());
        }
        std::fflush(stdout);
    }

    if (!o.shotPath.empty()) {
        EditorShot shot;
        if (!saveEditorShot(host, o.shotPath, o.shotMillis, &shot, &error)) return failWith(kUsageOrSetup, error);
        std::printf("qelt-render: editor picture %d x %d saved to %s\n", shot.width, shot.height,
                    o.shotPath.c_str());
        if (shot.blank) std::fprintf(stderr, "qelt-render: warning: the editor window is a single colour\n");
        std::fflush(stdout);
    }
    if (o.midiPath.empty()) return 0;
    return renderToFile(o, song, [&](const BlockSink& sink, RenderStats* stats, const RenderProgress& progress) {
        host.render(song, o.render, sink, stats, progress);
        host.stop();
    });
}
