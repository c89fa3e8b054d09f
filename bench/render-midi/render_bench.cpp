// How fast the renderer reads MIDI files and drives a plug-in: the reader on
// the demo phrase and on a dense song, the host's own cost per second of
// audio (a plug-in that does nothing), and the demo through the instrument.
#include <benchmark/benchmark.h>

#include <cstring>
#include <fstream>
#include <iterator>

#include "plugin/plugin_entry.h"
#include "tools/render-midi/render_host.h"
#include "tools/vsthost/plugin_library.h"

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

// Renders the demo phrase; reports how many times faster than real time.
void renderDemo(benchmark::State& state, VstEntryProc entry) {
    MidiSong song;
    MidiFileError error;
    if (!parseMidiFile(demoBytes(), &song, &error)) state.SkipWithError(error.message.c_str());
    RenderSettings settings;
    settings.blockSize = (VstInt32)state.range(0);
    RenderStats stats;
    uint64_t frames = 0;
    for (auto _ : state) {
        RenderHost host;
        std::string why;
        if (!host.start(entry, settings.sampleRate, settings.blockSize, &why)) state.SkipWithError(why.c_str());
        host.render(song, settings, [](const float*, const float*, VstInt32) { return true; }, &stats);
        frames += stats.frames;
    }
    state.counters["realtime"] =
        benchmark::Counter((double)frames / settings.sampleRate, benchmark::Counter::kIsRate);
}
#ifdef QELT_PLUGIN_LIBRARY
// The Linux plug-in as hosts load it.
VstEntryProc instrumentEntry() {
    static PluginLibrary library;
    if (!library.handle()) library.load(QELT_PLUGIN_LIBRARY, nullptr);
    return library.entry("VSTPluginMain");
}
#else
VstEntryProc instrumentEntry() { return VSTPluginMain; }
#endif

void BM_HostAlone(benchmark::State& state) { renderDemo(state, silentEntry); }
void BM_DemoThroughTheInstrument(benchmark::State& state) {
    VstEntryProc entry = instrumentEntry();
    if (!entry) return state.SkipWithError("the plug-in does not load");
    renderDemo(state, entry);
}
BENCHMARK(BM_HostAlone)->Arg(64)->Arg(512)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DemoThroughTheInstrument)->Arg(64)->Arg(512)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
