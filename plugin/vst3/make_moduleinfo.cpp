// Writes the bundle's Contents/Resources/moduleinfo.json from the module's
// own description, so hosts can list the classes without loading the binary
// and the list cannot differ from the factory's.
//
//   qelt-vst3-moduleinfo OUT.json
#include <cstdio>
#include <string>

#include "plugin/vst3/vst3_description.h"
#include "release_version.h"

namespace {

std::string cidText(const v3::Uid& u) {
    char text[33];
    uidText(u, text);
    return text;
}

std::string classEntry(const v3::Uid& uid, const char* category, const char* subCategories, const std::string& version,
                       bool last) {
    std::string out = "    {\n";
    out += "      \"CID\": \"" + cidText(uid) + "\",\n";
    out += std::string("      \"Category\": \"") + category + "\",\n";
    out += std::string("      \"Name\": \"") + kQeltEffectName + "\",\n";
    out += std::string("      \"Vendor\": \"") + kQeltVendor + "\",\n";
    out += "      \"Version\": \"" + version + "\",\n";
    out += std::string("      \"SDKVersion\": \"") + kVst3SdkVersion + "\",\n";
    if (*subCategories) {
        out += "      \"Sub Categories\": [";
        std::string parts = subCategories;
        size_t start = 0;
        for (bool first = true;; first = false) {
            size_t bar = parts.find('|', start);
            out += std::string(first ? "" : ", ") + "\"" + parts.substr(start, bar - start) + "\"";
            if (bar == std::string::npos) break;
            start = bar + 1;
        }
        out += "],\n";
    }
    out += "      \"Class Flags\": 0,\n";
    out += "      \"Cardinality\": 2147483647\n";
    out += last ? "    }\n" : "    },\n";
    return out;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUT.json\n", argv[0]);
        return 1;
    }
    char version[64];
    std::snprintf(version, sizeof version, "%d.%d.%d.0", kReleaseMajor, kReleaseMinor, kReleaseMicro);
    std::string json = "{\n";
    json += std::string("  \"Name\": \"") + kVst3ModuleName + "\",\n";
    json += std::string("  \"Version\": \"") + version + "\",\n";
    json += "  \"Factory Info\": {\n";
    json += std::string("    \"Vendor\": \"") + kQeltVendor + "\",\n";
    json += "    \"URL\": \"\",\n";
    json += "    \"E-Mail\": \"\",\n";
    json += "    \"Flags\": {\n";
    json += "      \"Unicode\": true,\n";
    json += "      \"Classes Discardable\": false,\n";
    json += "      \"Component Non Discardable\": false\n";
    json += "    }\n";
    json += "  },\n";
    json += "  \"Classes\": [\n";
    json += classEntry(kProcessorUid, kVst3ProcessorCategory, kVst3SubCategories, version, false);
    json += classEntry(kControllerUid, kVst3ControllerCategory, "", version, true);
    json += "  ]\n}\n";
    FILE* out = std::fopen(argv[1], "wb");
    if (!out) {
        std::fprintf(stderr, "cannot write %s\n", argv[1]);
        return 1;
    }
    bool written = std::fwrite(json.data(), 1, json.size(), out) == json.size();
    if (std::fclose(out) != 0 || !written) {
        std::fprintf(stderr, "cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
