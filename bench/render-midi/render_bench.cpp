// How fast the renderer reads MIDI files and drives a plug-in: the reader on
// the demo phrase and on a dense song, the host's own cost per second of
// audio (a plug-in that does nothing), and the whole demo through the
// instrument in each format the tree builds, as the demo is made: the song in
// blocks, then the tail until the output falls silent.
//
// The demo cases time the plug-in's own calls (events and render for VST,
// run for LV2) and report the real-time factor, seconds of audio per second
// (`realtime`); `with_host` is the same over the whole render, the host's
// block making and measuring included. Start-up is not timed.
//
// The native tree plays the engine built into the program (demo/engine); the
// Linux plug-in tree plays the .so (demo/vst/build) and the LV2 bundle
// (demo/lv2/build). There, --reference PATH (a .so or an .lv2 bundle, an
// earlier build, say) adds demo/vst/reference or demo/lv2/reference to the
// same run; with --benchmark_enable_random_interleaving they take turns.
//
//   qelt-render-bench [--reference PATH]... [Google Benchmark flags]
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstring>
#include <fstream>
#include <iterator>
#include <list>

#include "plugin/plugin_entry.h"
#include "tools/render-midi/render_host.h"
#include "tools/vsthost/plugin_library.h"
#ifdef QELT_PLUGIN_LIBRARY
#include "tools/render-midi/lv2_render_host.h"
#endif

namespace {

std::vector<uint8_t> demoBytes() {
    std::ifstream in(QELT_DEMO_PHRASE, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Format 1, 16 tracks of 6250 notes each (200000 events), under running status.
std::vector<uint8_t> denseSong() {
    std::vector<uint8_t> file = {'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 1, 0, 16, 0x01, 0xE0};
    for (int t = 0; t < 16; t++) {
        std::vector<uint8_t> body = {0, 0x90, 60, 100};
        for (int i = 0; i < 6250; i++) body.insert(body.end(), {(uint8_t)(i % 100), (uint8_t)(40 + i % 50), 0, 10, 60, 90});
        body.insert(body.end(), {0, 0xFF, 0x2F, 0});
        file.insert(file.end(), {'M', 'T', 'r', 'k'});
        for (int s = 24; s >= 0; s -= 8) file.push_back((uint8_t)(body.size() >> s));
        file.insert(file.end(), body.begin(), body.end());
    }
    return file;
}

void parse(benchmark::State& state, const std::vector<uint8_t>& file) {
    MidiSong song;
    MidiFileError error;
    for (auto _ : state) {
        if (!parseMidiFile(file, &song, &error)) state.SkipWithError(error.message.c_str());
        benchmark::DoNotOptimize(song.messages.data());
    }
    state.SetBytesProcessed((int64_t)state.iterations() * (int64_t)file.size());
    state.counters["events"] = (double)song.messages.size();
}
void BM_ReadDemoPhrase(benchmark::State& state) { parse(state, demoBytes()); }
void BM_ReadDenseSong(benchmark::State& state) { parse(state, denseSong()); }
BENCHMARK(BM_ReadDemoPhrase);
BENCHMARK(BM_ReadDenseSong)->Unit(benchmark::kMillisecond);

// A plug-in that answers nothing and writes nothing: what is left is the host.
AEffect silentRecord;
VstIntPtr VSTCALLBACK silentDispatch(AEffect*, VstInt32, VstInt32, VstIntPtr, void*, float) { return 0; }
void VSTCALLBACK silentProcess(AEffect*, float**, float**, VstInt32) {}
AEffect* VSTCALLBACK silentEntry(audioMasterCallback) {
    std::memset(&silentRecord, 0, sizeof(silentRecord));
    silentRecord.magic = kEffectMagic;
    silentRecord.dispatcher = silentDispatch;
    silentRecord.processReplacing = silentProcess;
    silentRecord.numOutputs = 2;
    silentRecord.flags = effFlagsCanReplacing | effFlagsIsSynth;
    return &silentRecord;
}

MidiSong demoSong(benchmark::State& state) {
    MidiSong song;
    MidiFileError error;
    if (!parseMidiFile(demoBytes(), &song, &error)) state.SkipWithError(error.message.c_str());
    return song;
}

// Seconds of the plug-in's own calls, and of the whole render around them.
class CallClock final : public PluginCallWatch {
public:
    using Clock = std::chrono::steady_clock;
    void entering() override { callStart = Clock::now(); }
    void left() override { calls += std::chrono::duration<double>(Clock::now() - callStart).count(); }
    void renderStarts() {
        calls = 0;
        renderStart = Clock::now();
    }
    // Ends a render that made `frames`: the iteration's time is the calls'.
    void renderEnds(benchmark::State& state, uint64_t frames) {
        whole += std::chrono::duration<double>(Clock::now() - renderStart).count();
        audioFrames += frames;
        state.SetIterationTime(calls);
    }
    void report(benchmark::State& state, uint32_t sampleRate) const {
        const double audio = (double)audioFrames / sampleRate;
        state.counters["realtime"] = benchmark::Counter(audio, benchmark::Counter::kIsRate);
        state.counters["with_host"] = whole > 0 ? audio / whole : 0;
    }

private:
    Clock::time_point callStart, renderStart;
    double calls = 0, whole = 0;
    uint64_t audioFrames = 0;
};

// Renders the demo phrase through a VST entry in blocks of state.range(0).
void renderDemo(benchmark::State& state, VstEntryProc entry) {
    if (!entry) return state.SkipWithError("the plug-in does not load");
    const MidiSong song = demoSong(state);
    RenderSettings settings;
    settings.blockSize = (VstInt32)state.range(0);
    RenderStats stats;
    CallClock clock;
    for (auto _ : state) {
        RenderHost host;
        std::string why;
        if (!host.start(entry, settings.sampleRate, settings.blockSize, &why)) return state.SkipWithError(why.c_str());
        host.watchCalls(&clock);
        clock.renderStarts();
        host.render(song, settings, [](const float*, const float*, VstInt32) { return true; }, &stats);
        clock.renderEnds(state, stats.frames);
    }
    clock.report(state, settings.sampleRate);
}

void BM_HostAlone(benchmark::State& state) { renderDemo(state, silentEntry); }
BENCHMARK(BM_HostAlone)->Arg(64)->Arg(512)->Unit(benchmark::kMillisecond);  // (the whole render timed)

#ifdef QELT_PLUGIN_LIBRARY
// A Linux plug-in as hosts load it: a .so through its entry.
VstEntryProc libraryEntry(const std::string& path) {
    static std::list<PluginLibrary> libraries;  // loaded for the whole run
    libraries.emplace_back();
    if (!libraries.back().load(path, nullptr)) return nullptr;
    return libraries.back().entry("VSTPluginMain");
}

// An LV2 bundle through lilv, a fresh instance for each render.
void renderDemoLv2(benchmark::State& state, const std::string& bundle) {
    const MidiSong song = demoSong(state);
    RenderSettings settings;
    settings.blockSize = (VstInt32)state.range(0);
    RenderStats stats;
    CallClock clock;
    Lv2RenderHost host;
    for (auto _ : state) {
        std::string why;
        if (!host.start(bundle, settings.sampleRate, settings.blockSize, &why)) return state.SkipWithError(why.c_str());
        host.instance()->watchRuns(&clock);
        clock.renderStarts();
        host.render(song, settings, [](const float*, const float*, VstInt32) { return true; }, &stats);
        clock.renderEnds(state, stats.frames);
    }
    clock.report(state, settings.sampleRate);
}

void registerPlugin(const char* which, const std::string& path) {
    const bool lv2 = isLv2BundlePath(path);
    benchmark::internal::Benchmark* b =
        lv2 ? benchmark::RegisterBenchmark((std::string("demo/lv2/") + which).c_str(), renderDemoLv2, path)
            : benchmark::RegisterBenchmark((std::string("demo/vst/") + which).c_str(), renderDemo, libraryEntry(path));
    b->ArgName("frames")->Arg(64)->Arg(512)->UseManualTime()->Unit(benchmark::kMillisecond);
}
#else
// The engine built into the program, through its VST entry.
void BM_Engine(benchmark::State& state) { renderDemo(state, VSTPluginMain); }
BENCHMARK(BM_Engine)->Name("demo/engine")->ArgName("frames")->Arg(64)->Arg(512)->UseManualTime()->Unit(
    benchmark::kMillisecond);
#endif

}  // namespace

int main(int argc, char** argv) {
    std::vector<char*> rest;
    std::vector<std::string> references;
    for (int i = 0; i < argc; i++) {
        if (!std::strcmp(argv[i], "--reference") && i + 1 < argc)
            references.push_back(argv[++i]);
        else
            rest.push_back(argv[i]);
    }
    int count = (int)rest.size();
    benchmark::Initialize(&count, rest.data());
#ifdef QELT_PLUGIN_LIBRARY
    registerPlugin("build", QELT_PLUGIN_LIBRARY);
    registerPlugin("build", QELT_LV2_BUNDLE);
    for (const std::string& path : references) registerPlugin("reference", path);
#else
    if (!references.empty()) {
        std::fprintf(stderr, "--reference plays Linux plug-ins: use the Linux plug-in tree's program\n");
        return 1;
    }
#endif
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
