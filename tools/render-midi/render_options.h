// The command line of the renderer.
#pragma once

#include <string>
#include <vector>

#include "tools/render-midi/render_host.h"
#include "tools/render-midi/wav_writer.h"

struct RenderOptions {
    std::string plugin;
    std::string midiPath;
    std::string wavPath;
    std::string shotPath;
    int shotMillis = 1500;
    RenderSettings render;
    SampleFormat format = SampleFormat::Float32;
    std::vector<ParamSetting> params;
    double maxSongSeconds = 1800;
    bool listParams = false;
    bool quiet = false;
    bool help = false;
};

// Parses the arguments after the program name; false with a one-line reason.
bool parseRenderOptions(const std::vector<std::string>& args, RenderOptions* options, std::string* error);
const char* renderUsage();
