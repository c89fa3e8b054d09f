#include "tools/render-midi/render_options.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>

namespace {

bool number(const std::string& text, double low, double high, double* value) {
    if (text.empty()) return false;
    char* end = nullptr;
    errno = 0;
    double v = std::strtod(text.c_str(), &end);
    if (errno || *end || !std::isfinite(v) || v < low || v > high) return false;
    *value = v;
    return true;
}

bool wholeNumber(const std::string& text, double low, double high, double* value) {
    return number(text, low, high, value) && *value == std::floor(*value) &&
           text.find_first_not_of("0123456789") == std::string::npos;
}

}  // namespace

const char* renderUsage() {
    return "usage: qelt-render --plugin LIBRARY [options] SONG.mid OUT.wav\n"
           "       qelt-render --plugin LIBRARY --shot PICTURE.bmp [--list-params] [SONG.mid OUT.wav]\n"
           "  --plugin LIBRARY    a VST 2.4 instrument: a Windows DLL, or a Linux .so natively;\n"
           "                      or a VST 3 bundle (a .vst3 folder) with this system's binary;\n"
           "                      on Linux also an LV2 bundle (a .lv2 folder), through lilv\n"
           "  --rate HZ           sample rate, 8000 to 384000 (44100)\n"
           "  --block FRAMES      block size, 1 to 16384 (512)\n"
           "  --format F          float (32-bit float; 24-bit in FLAC) or pcm16 (float)\n"
           "  --param KEY=VALUE   set a parameter, by index or by name, to 0..1 (repeatable)\n"
           "  --tail SECONDS      longest tail after the last event, 0 to 600 (10)\n"
           "  --max-length S      refuse songs longer than S seconds (1800)\n"
           "  --shot FILE         open the editor, let it idle and save its window as BMP\n"
           "  --shot-time MS      how long the editor idles before the picture, 100 to 60000 (1500)\n"
           "  --list-params       print the plug-in's parameters\n"
           "  --quiet             no progress line and no summary\n"
           "  OUT.wav             WAV; a name ending in .flac makes FLAC (natively on Linux)\n"
           "exit status: 0 done, 1 usage or plug-in or output error, 2 unreadable MIDI file,\n"
           "             3 the plug-in produced non-finite samples (written as 0)\n";
}

bool parseRenderOptions(const std::vector<std::string>& args, RenderOptions* o, std::string* error) {
    *o = RenderOptions();
    std::vector<std::string> positional;
    for (size_t i = 0; i < args.size(); i++) {
        std::string name = args[i], value;
        bool inlineValue = false;
        if (name.size() > 2 && name.compare(0, 2, "--") == 0) {
            size_t eq = name.find('=');
            if (eq != std::string::npos) {
                value = name.substr(eq + 1);
                name = name.substr(0, eq);
                inlineValue = true;
            }
        } else if (name.empty() || name[0] != '-' || name == "-") {
            positional.push_back(name);
            continue;
        }
        if (name == "--help" || name == "-h") {
            o->help = true;
            continue;
        }
        if (name == "--list-params" || name == "--quiet") {
            if (inlineValue) {
                *error = name + " takes no value";
                return false;
            }
            (name == "--quiet" ? o->quiet : o->listParams) = true;
            continue;
        }
        static const char* const valued[] = {"--plugin", "--rate",  "--block", "--format",    "--param",
                                             "--tail",   "--shot",  "--shot-time", "--max-length"};
        bool known = false;
        for (const char* v : valued) known = known || name == v;
        if (!known) {
            *error = "unknown option " + name;
            return false;
        }
        if (!inlineValue) {
            if (i + 1 >= args.size()) {
                *error = name + " needs a value";
                return false;
            }
            value = args[++i];
        }
        double v = 0;
        if (name == "--plugin") {
            o->plugin = value;
        } else if (name == "--shot") {
            o->shotPath = value;
        } else if (name == "--rate") {
            if (!wholeNumber(value, 8000, 384000, &v)) {
                *error = "--rate " + value + ": a whole number of Hz from 8000 to 384000";
                return false;
            }
            o->render.sampleRate = (uint32_t)v;
        } else if (name == "--block") {
            if (!wholeNumber(value, 1, 16384, &v)) {
                *error = "--block " + value + ": a whole number of frames from 1 to 16384";
                return false;
            }
            o->render.blockSize = (VstInt32)v;
        } else if (name == "--format") {
            if (value == "float") {
                o->format = SampleFormat::Float32;
            } else if (value == "pcm16") {
                o->format = SampleFormat::Pcm16;
            } else {
                *error = "--format " + value + ": float or pcm16";
                return false;
            }
        } else if (name == "--tail") {
            if (!number(value, 0, 600, &v)) {
                *error = "--tail " + value + ": seconds from 0 to 600";
                return false;
            }
            o->render.maxTailSeconds = v;
        } else if (name == "--max-length") {
            if (!number(value, 1, 86400, &v)) {
                *error = "--max-length " + value + ": seconds from 1 to 86400";
                return false;
            }
            o->maxSongSeconds = v;
        } else if (name == "--shot-time") {
            if (!wholeNumber(value, 100, 60000, &v)) {
                *error = "--shot-time " + value + ": milliseconds from 100 to 60000";
                return false;
            }
            o->shotMillis = (int)v;
        } else {  // --param KEY=VALUE; the last '=' splits, so a name may hold one
            size_t eq = value.rfind('=');
            ParamSetting s;
            s.key = eq == std::string::npos ? std::string() : value.substr(0, eq);
            if (s.key.empty() || !number(value.substr(eq + 1), 0, 1, &v)) {
                *error = "--param " + value + ": INDEX=VALUE or NAME=VALUE with a value from 0 to 1";
                return false;
            }
            s.value = (float)v;
            o->params.push_back(s);
        }
    }
    if (o->help) return true;
    if (o->plugin.empty()) {
        *error = "no plug-in given (--plugin DLL)";
        return false;
    }
    if (positional.size() == 2) {
        o->midiPath = positional[0];
        o->wavPath = positional[1];
        if (o->midiPath == o->wavPath) {
            *error = "the output would overwrite the MIDI file " + o->midiPath;
            return false;
        }
    } else if (!positional.empty()) {
        *error = positional.size() == 1 ? "a MIDI file and an output WAV file are needed, in that order"
                                        : "too many arguments: " + positional[2];
        return false;
    } else if (o->shotPath.empty() && !o->listParams) {
        *error = "nothing to do: give a MIDI file and an output WAV file, --shot or --list-params";
        return false;
    }
    return true;
}
