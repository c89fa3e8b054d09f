#include "tools/render-midi/render_host.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>

namespace {

constexpr VstInt32 kGetCurrentProcessLevel = 23;
constexpr VstIntPtr kProcessLevelOffline = 4;

std::string trimmedLower(const std::string& text) {
    size_t begin = text.find_first_not_of(" \t"), end = text.find_last_not_of(" \t");
    std::string out = begin == std::string::npos ? std::string() : text.substr(begin, end - begin + 1);
    for (char& c : out) c = (char)std::tolower((unsigned char)c);
    return out;
}

bool isIndex(const std::string& key) {
    return !key.empty() && key.size() < 7 && std::all_of(key.begin(), key.end(), [](char c) { return c >= '0' && c <= '9'; });
}

}  // namespace

int64_t frameAt(double seconds, double rate) { return (int64_t)std::llround(seconds * rate); }

RenderHost::RenderHost() {
    host.respond = [this](const HostCall& call) { return answer(call); };
}

RenderHost::~RenderHost() { stop(); }

VstIntPtr RenderHost::answer(const HostCall& call) {
    switch (call.opcode) {
        case audioMasterVersion:
            return kVstVersion;
        case audioMasterWantMidi:
            return 1;
        case audioMasterGetSampleRate:
            return (VstIntPtr)rate;
        case audioMasterGetBlockSize:
            return block;
        case kGetCurrentProcessLevel:
            return kProcessLevelOffline;
        case audioMasterCanDo:
            // Only what this host really does; 0 is "no" (some plug-ins take -1 as yes).
            return call.text == "sendVstEvents" || call.text == "sendVstMidiEvent" ||
                           (call.text == "sizeWindow" && resizeEditorWindow)
                       ? 1
                       : 0;
        case audioMasterSizeWindow:
            return resizeEditorWindow && resizeEditorWindow(call.index, (int)call.value) ? 1 : 0;
        case audioMasterBeginEdit:
        case audioMasterEndEdit:
            return 1;
        default:
            return 0;
    }
}

bool RenderHost::start(VstEntryProc entry, uint32_t sampleRate, VstInt32 blockSize, std::string* error) {
    stop();
    rate = sampleRate;
    block = blockSize;
    AEffect* effect = entry ? host.create(entry) : nullptr;
    if (!effect) {
        *error = "the plug-in's entry returned no instance";
        return false;
    }
    if (effect->magic != kEffectMagic) {
        *error = "the plug-in's entry returned a record without the VST magic";
        return false;  // not a record we can safely call into, not even to close it
    }
    plugin.reset(new PluginInstance(effect));
    if (!(effect->flags & effFlagsCanReplacing) || !effect->processReplacing) {
        *error = "the plug-in cannot process in replacing mode";
        stop();
        return false;
    }
    if (effect->numOutputs < 1 || effect->numOutputs > 64 || effect->numInputs < 0 || effect->numInputs > 64) {
        *error = "the plug-in declares " + std::to_string(effect->numInputs) + " inputs and " +
                 std::to_string(effect->numOutputs) + " outputs";
        stop();
        return false;
    }
    plugin->start((float)rate, block);
    return true;
}

std::vector<std::string> RenderHost::parameterNames() {
    std::vector<std::string> names;
    if (!plugin) return names;
    for (VstInt32 i = 0; i < plugin->record()->numParams; i++) names.push_back(plugin->text(effGetParamName, i));
    return names;
}

bool resolveParameters(const std::vector<std::string>& names, const std::vector<ParamSetting>& settings,
                       std::vector<std::pair<int32_t, float>>* resolved, std::string* error) {
    resolved->clear();
    for (const ParamSetting& s : settings) {
        int32_t index = -1;
        if (isIndex(s.key)) {
            index = std::atoi(s.key.c_str());
            if (index >= (int32_t)names.size()) {
                *error = "parameter index " + s.key + " is out of range (the plug-in has " +
                         std::to_string(names.size()) + ")";
                return false;
            }
        } else {
            for (size_t i = 0; i < names.size() && index < 0; i++)
                if (trimmedLower(names[i]) == trimmedLower(s.key)) index = (int32_t)i;
            if (index < 0) {
                std::string known;
                for (const std::string& n : names) known += (known.empty() ? "" : ", ") + n;
                *error = "no parameter named \"" + s.key + "\" (the plug-in has: " + known + ")";
                return false;
            }
        }
        resolved->push_back({index, s.value});
    }
    return true;
}

bool RenderHost::applyParameters(const std::vector<ParamSetting>& settings, std::string* error) {
    if (!plugin) return false;
    std::vector<std::pair<int32_t, float>> resolved;
    if (!resolveParameters(parameterNames(), settings, &resolved, error)) return false;
    for (const auto& r : resolved) plugin->setParameter(r.first, r.second);
    return true;
}

namespace {

// A VST 2.4 instance's blocks: the events through effProcessEvents when
// there are any, then processReplacing into cleared buffers.
class VstBlockPlayer final : public BlockPlayer {
public:
    VstBlockPlayer(PluginInstance& plugin, VstInt32 blockSize, PluginCallWatch* watch) : plugin(plugin), watch(watch) {
        AEffect* effect = plugin.record();
        // Every declared input gets silence and every declared output a buffer
        // of its own: a plug-in may read or write all of them.
        inputs.assign(effect->numInputs, std::vector<float>(blockSize, 0.f));
        outputs.assign(effect->numOutputs, std::vector<float>(blockSize, 0.f));
        for (auto& b : inputs) in.push_back(b.data());
        for (auto& b : outputs) out.push_back(b.data());
        in.push_back(nullptr);
    }

    void playBlock(const std::vector<BlockMessage>& messages, int32_t frames, const float** left,
                   const float** right) override {
        events.clear();
        for (const BlockMessage& m : messages) events.add(m.frame, m.bytes[0], m.bytes[1], m.bytes[2]);
        VstEvents* block = messages.empty() ? nullptr : events.get();
        for (auto& b : outputs) std::fill(b.begin(), b.end(), 0.f);
        if (watch) watch->entering();
        if (block) plugin.dispatch(effProcessEvents, 0, 0, block);
        AEffect* effect = plugin.record();
        effect->processReplacing(effect, in.data(), out.data(), frames);
        if (watch) watch->left();
        *left = out[0];
        *right = out.size() > 1 ? out[1] : out[0];
    }

private:
    PluginInstance& plugin;
    PluginCallWatch* watch;
    std::vector<std::vector<float>> inputs, outputs;
    std::vector<float*> in, out;
    MidiEventBlock events;
};

}  // namespace

bool RenderHost::render(const MidiSong& song, const RenderSettings& settings, const BlockSink& sink,
                        RenderStats* stats, const RenderProgress& progress) {
    *stats = RenderStats();
    if (!plugin || !plugin->record()) return false;
    VstBlockPlayer player(*plugin, settings.blockSize, callWatch);
    return renderSong(song, settings, player, sink, stats, progress);
}

bool renderSong(const MidiSong& song, const RenderSettings& settings, BlockPlayer& player, const BlockSink& sink,
                RenderStats* stats, const RenderProgress& progress) {
    *stats = RenderStats();
    const VstInt32 n = settings.blockSize;
    const double r = settings.sampleRate;

    std::vector<int64_t> frames;
    frames.reserve(song.messages.size());
    int64_t songEnd = frameAt(song.lengthSeconds, r);
    for (const MidiMessage& m : song.messages) {
        frames.push_back(frameAt(m.seconds, r));
        songEnd = std::max(songEnd, frames.back() + 1);
    }
    stats->songFrames = (uint64_t)songEnd;
    const int64_t silenceFrames = std::max<int64_t>(1, frameAt(settings.silenceSeconds, r));
    const int64_t tailFrames = std::max<int64_t>(0, frameAt(settings.maxTailSeconds, r));

    std::vector<BlockMessage> messages;
    size_t next = 0;
    int64_t silentRun = 0;
    for (int64_t at = 0;; at += n) {
        messages.clear();
        while (next < frames.size() && frames[next] < at + n) {
            const MidiMessage& m = song.messages[next];
            int64_t delta = frames[next] - at;
            if (delta >= n) stats->eventsBeyondBlockEnd++;
            messages.push_back(BlockMessage{(int32_t)delta,
                                            {m.bytes[0], m.bytes[1], m.size > 2 ? m.bytes[2] : (uint8_t)0},
                                            (uint8_t)(m.size < 3 ? m.size : 3)});
            next++;
        }
        stats->eventsSent += messages.size();
        stats->mostEventsInBlock = std::max(stats->mostEventsInBlock, messages.size());
        const float *left = nullptr, *right = nullptr;
        player.playBlock(messages, n, &left, &right);

        float blockPeak = 0;
        for (VstInt32 i = 0; i < n; i++) {
            for (float v : {left[i], right[i]}) {
                if (!std::isfinite(v)) {
                    stats->nonFiniteSamples++;
                    blockPeak = INFINITY;  // never silent
                    continue;
                }
                float a = std::fabs(v);
                blockPeak = std::max(blockPeak, a);
                stats->peak = std::max(stats->peak, (double)a);
                stats->sumOfSquares += (double)v * v;
            }
        }
        stats->frames += (uint64_t)n;
        if (!sink(left, right, n)) return false;
        if (progress) progress(stats->frames, stats->songFrames);

        int64_t done = at + n;
        if (done < songEnd) continue;
        silentRun = blockPeak < settings.silenceLevel ? silentRun + n : 0;
        if (silentRun >= silenceFrames) break;
        if (done - songEnd >= tailFrames) {
            stats->tailCut = true;
            break;
        }
    }
    return true;
}

void RenderHost::stop() {
    if (plugin) plugin->close();
    plugin.reset();
}
