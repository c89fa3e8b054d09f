// Writes the bundle's Turtle files from their templates, filling in the
// ports, the preset and the UI's port notifications from the plug-in's
// description (and so from the parameter table), the URIs and the binaries'
// names.
//
//   qelt-lv2-ttl BUNDLE-DIR BINARY UI-BINARY TEMPLATE.ttl.in...
//
// Each TEMPLATE.ttl.in becomes BUNDLE-DIR/TEMPLATE.ttl. A placeholder the
// generator does not know is an error, so a template cannot ship one.
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>
#include <string>

#include "plugin/lv2/lv2_description.h"
#include "release_version.h"

namespace {

// The shortest decimal literal that reads back as the same float ("0.65",
// "1.0"): Turtle reads digits without a point as an integer.
std::string decimal(float value) {
    char text[32];
    for (int digits = 1; digits <= 9; digits++) {
        std::snprintf(text, sizeof(text), "%.*g", digits, (double)value);
        if (std::strtof(text, nullptr) == value) break;
    }
    std::string out = text;
    if (out.find_first_of(".e") == std::string::npos) out += ".0";
    return out;
}

std::string quoted(const char* text) {
    std::string out = "\"";
    for (const char* c = text; *c; c++) {
        if (*c == '"' || *c == '\\') out += '\\';
        out += *c;
    }
    return out + "\"";
}

// A control's unit, where its value has one, and its named positions, each
// named by the parameter's text and label there.
std::string controlFacts(int32_t index) {
    const ParameterInfo& parameter = kParameters[index];
    const char* indent = "        ";
    std::string out;
    if (const char* unit = lv2UnitUri(parameter.unit)) out += indent + std::string("units:unit <") + unit + "> ;\n";
    for (int i = 0; i < parameter.namedPositionCount; i++) {
        const float value = parameter.namedPositions[i];
        char text[kParameterTextSize];
        parameterText(index, value, text);
        out += indent + std::string("lv2:scalePoint [\n") + indent + "    a lv2:ScalePoint ;\n" + indent +
               "    rdfs:label " + quoted((std::string(text) + " " + parameter.label).c_str()) + " ;\n" + indent +
               "    rdf:value " + decimal(value) + "\n" + indent + "] ;\n";
    }
    return out;
}

std::string portDescription(uint32_t index) {
    const Lv2PortInfo port = lv2Port(index);
    std::ostringstream out;
    const char* indent = "        ";
    out << "[\n";
    switch (port.kind) {
        case Lv2PortKind::kMidiInput:
        case Lv2PortKind::kNotifyOutput:
            out << indent << "a lv2:" << (port.kind == Lv2PortKind::kMidiInput ? "InputPort" : "OutputPort")
                << ", atom:AtomPort ;\n"
                << indent << "atom:bufferType atom:Sequence ;\n"
                << indent << "atom:supports "
                << (port.kind == Lv2PortKind::kMidiInput
                        ? std::string("midi:MidiEvent")
                        : "<" + std::string(kLv2KeyStateUri) + ">, <" + kLv2AllKeysUpUri + ">")
                << " ;\n"
                << indent << "lv2:designation lv2:control ;\n";
            break;
        case Lv2PortKind::kAudioOutput:
            out << indent << "a lv2:OutputPort, lv2:AudioPort ;\n";
            break;
        case Lv2PortKind::kControlInput:
            out << indent << "a lv2:InputPort, lv2:ControlPort ;\n"
                << indent << "lv2:default " << decimal(port.defaultValue) << " ;\n"
                << indent << "lv2:minimum 0.0 ;\n"
                << indent << "lv2:maximum 1.0 ;\n"
                << controlFacts((int32_t)(index - kLv2FirstControlPort));
            break;
    }
    out << indent << "lv2:index " << index << " ;\n"
        << indent << "lv2:symbol " << quoted(port.symbol) << " ;\n"
        << indent << "lv2:name " << quoted(port.name) << "\n"
        << "    ]";
    return out.str();
}

std::string ports() {
    std::string out;
    for (uint32_t i = 0; i < kLv2PortCount; i++) out += (i ? " , " : "") + portDescription(i);
    return out;
}

std::string presetPorts() {
    std::string out;
    for (uint32_t i = kLv2FirstControlPort; i < kLv2FirstControlPort + kNumParams; i++) {
        const Lv2PortInfo port = lv2Port(i);
        out += std::string(i > kLv2FirstControlPort ? " , " : "") + "[\n        lv2:symbol " + quoted(port.symbol) +
               " ;\n        pset:value " + decimal(port.defaultValue) + "\n    ]";
    }
    return out;
}

// The ports the UI hears of: each control's value, and the notes played as
// the events of the notes output.
std::string uiNotifications() {
    std::string out;
    for (uint32_t i = 0; i < kLv2PortCount; i++) {
        const Lv2PortInfo port = lv2Port(i);
        const char* protocol = port.kind == Lv2PortKind::kControlInput   ? "ui:floatProtocol"
                               : port.kind == Lv2PortKind::kNotifyOutput ? "atom:eventTransfer"
                                                                         : nullptr;
        if (!protocol) continue;
        out += std::string(out.empty() ? "" : " , ") + "[\n        ui:plugin <" + kLv2PluginUri +
               "> ;\n        lv2:symbol " + quoted(port.symbol) + " ;\n        ui:protocol " + protocol + "\n    ]";
    }
    return out;
}

bool isPlaceholderName(const std::string& name) {
    if (name.empty()) return false;
    for (char c : name)
        if (!((c >= 'A' && c <= 'Z') || c == '_')) return false;
    return true;
}

// Replaces each @NAME@ (capitals and underscores); any other '@', as in
// "@prefix", stays.
bool fill(const std::string& text, const std::map<std::string, std::string>& values, std::string* out,
          std::string* unknown) {
    size_t copied = 0, at = 0;
    for (;;) {
        size_t open = text.find('@', at);
        if (open == std::string::npos) break;
        size_t close = text.find('@', open + 1);
        if (close == std::string::npos) break;
        std::string name = text.substr(open + 1, close - open - 1);
        if (!isPlaceholderName(name)) {
            at = open + 1;
            continue;
        }
        auto found = values.find(name);
        if (found == values.end()) {
            *unknown = name;
            return false;
        }
        *out += text.substr(copied, open - copied) + found->second;
        copied = at = close + 1;
    }
    *out += text.substr(copied);
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 5) {
        std::fprintf(stderr, "usage: %s BUNDLE-DIR BINARY UI-BINARY TEMPLATE.ttl.in...\n", argv[0]);
        return 1;
    }
    const std::string bundle = argv[1];
    const std::map<std::string, std::string> values = {
        {"PLUGIN_URI", kLv2PluginUri},
        {"MINOR_VERSION", std::to_string(kReleaseMinor)},
        {"MICRO_VERSION", std::to_string(kReleaseMicro)},
        {"PRESET_URI", kLv2DefaultPresetUri},
        {"BINARY", argv[2]},
        {"UI_URI", kLv2UiUri},
        {"KEY_STATE_URI", kLv2KeyStateUri},
        {"ALL_KEYS_UP_URI", kLv2AllKeysUpUri},
        {"UI_BINARY", argv[3]},
        {"UI_NOTIFICATIONS", uiNotifications()},
        {"PRESET_LABEL", kDefaultProgramName},
        {"PORTS", ports()},
        {"PRESET_PORTS", presetPorts()},
    };
    for (int i = 4; i < argc; i++) {
        std::string path = argv[i], name = path.substr(path.find_last_of('/') + 1);
        if (name.size() < 4 || name.compare(name.size() - 3, 3, ".in") != 0) {
            std::fprintf(stderr, "%s: a template's name ends in .in\n", path.c_str());
            return 1;
        }
        std::ifstream in(path, std::ios::binary);
        std::stringstream text;
        text << in.rdbuf();
        std::string filled, unknown;
        if (!in || !fill(text.str(), values, &filled, &unknown)) {
            std::fprintf(stderr, "%s: %s\n", path.c_str(),
                         unknown.empty() ? "cannot read it" : ("unknown placeholder @" + unknown + "@").c_str());
            return 1;
        }
        std::string target = bundle + "/" + name.substr(0, name.size() - 3);
        std::ofstream out(target, std::ios::binary);
        out << filled;
        if (!out.flush()) {
            std::fprintf(stderr, "cannot write %s\n", target.c_str());
            return 1;
        }
    }
    return 0;
}
