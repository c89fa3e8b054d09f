// qelt-validate: loads a VST 2.4 instrument from its file and puts it through
// what hosts do to it: every rate and block size with events and automation
// inside the blocks, two threads at once, the editor opened while audio runs,
// a thousand instances made and destroyed, and its state saved and restored.
// On Linux every allocation and lock inside an audio-thread call is a fault.
// On Linux it also takes an LV2 bundle (a folder), found through lilv: the
// same matrix with each run watched, instances made and destroyed, and the
// control values saved and restored as LV2 hosts do. And a VST 3 bundle
// (a folder named .vst3), loaded through its module's entries: the same
// matrix, one instance through the life cycle hosts put it through, what it
// describes, instances made and destroyed, and its state saved and loaded.
// Prints one screen (and with --summary-file writes it there too); exit
// status 0 all passed, 1 a check failed, 2 not loaded.
#include <sys/stat.h>

#include <chrono>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <string>

#include "tools/validate/audio_guard.h"
#include "tools/validate/validation.h"
#include "tools/vsthost/plugin_library.h"

namespace {

constexpr int kUsage = 2;
const char kUsageText[] = "usage: qelt-validate [--quick] [--summary-file FILE] PLUGIN|LV2-BUNDLE|VST3-BUNDLE\n";

FILE* summaryFile = nullptr;

// A line of the summary, on the terminal and in the summary file.
void say(const char* pattern, ...) {
    va_list args;
    va_start(args, pattern);
    std::vprintf(pattern, args);
    va_end(args);
    std::fflush(stdout);
    if (!summaryFile) return;
    va_start(args, pattern);
    std::vfprintf(summaryFile, pattern, args);
    va_end(args);
    std::fflush(summaryFile);
}

const char* platformName() {
#ifdef _WIN32
    return sizeof(void*) == 8 ? "64-bit Windows" : "32-bit Windows";
#else
    return sizeof(void*) == 8 ? "64-bit Linux" : "32-bit Linux";
#endif
}

const char* outcomeName(validate::Outcome o) {
    switch (o) {
        case validate::Outcome::kPassed:
            return "ok";
        case validate::Outcome::kFailed:
            return "FAILED";
        default:
            return "skipped";
    }
}

int failed = 0, skipped = 0, passed = 0;

void report(const validate::CheckResult& r) {
    say("  %-15s %-7s %s\n", r.name.c_str(), outcomeName(r.outcome), r.detail.c_str());
    failed += r.outcome == validate::Outcome::kFailed;
    skipped += r.outcome == validate::Outcome::kSkipped;
    passed += r.outcome == validate::Outcome::kPassed;
}

int finish(std::chrono::steady_clock::time_point started) {
    double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    say("  %d passed, %d failed, %d skipped in %.1f s\n", passed, failed, skipped, seconds);
    if (summaryFile) std::fclose(summaryFile);
    return failed ? 1 : 0;
}

#if defined(QELT_VALIDATE_LV2) || defined(QELT_VALIDATE_VST3)
// The heading of a bundle's summary, once its description could be read;
// false, with the reason on stderr, when it could not. A bundle's binary is
// loaded by the host library, so no plug-in entry is watched for the guard.
bool announceBundle(const std::string& path, const std::string& identity, const std::string& error) {
    if (!error.empty()) {
        std::fprintf(stderr, "qelt-validate: %s\n", error.c_str());
        return false;
    }
    audioguard::watchPlugin(nullptr);
    say("qelt-validate %s\n  %s build: %s\n", path.c_str(), platformName(), identity.c_str());
    return true;
}
#endif

#ifdef QELT_VALIDATE_LV2
// An LV2 bundle: the parameters are control ports read at each run, so there
// is no second thread to set them; the UI is not checked here.
int validateLv2(const std::string& path, validate::Settings settings) {
    const auto started = std::chrono::steady_clock::now();
    settings.lv2Bundle = path;
    settings.makePlayer = validate::makeLv2Player;
    std::string error;
    if (!announceBundle(path, validate::describeLv2Plugin(settings, &error), error)) return kUsage;
    report(validate::checkRenderMatrix(settings));
    report({"parameters", validate::Outcome::kSkipped, "LV2 control ports are read by run, on the audio thread"});
    report({"editor", validate::Outcome::kSkipped, "LV2 user interfaces are not checked here"});
    report(validate::checkLv2CreateDestroyCycles(settings));
    report(validate::checkLv2StateRoundTrip(settings));
    report(validate::checkAudioCallsRealTime("run"));
    return finish(started);
}
#endif

#ifdef QELT_VALIDATE_VST3
// A VST 3 bundle: parameters reach the processor only inside process, so
// the second thread loads states instead; the editor is not checked here.
int validateVst3(const std::string& path, validate::Settings settings) {
    const auto started = std::chrono::steady_clock::now();
    settings.vst3Bundle = path;
    settings.makePlayer = validate::makeVst3Player;
    std::string error;
    if (!announceBundle(path, validate::describeVst3Plugin(settings, &error), error)) return kUsage;
    report(validate::checkRenderMatrix(settings));
    report(validate::checkVst3Description(settings));
    report(validate::checkVst3LifeCycle(settings));
    report(validate::checkVst3StateWhilePlaying(settings));
    report({"editor", validate::Outcome::kSkipped, "VST 3 views are not checked here"});
    report(validate::checkVst3CreateDestroyCycles(settings));
    report(validate::checkVst3StateRoundTrip(settings));
    report(validate::checkAudioCallsRealTime("process"));
    return finish(started);
}

bool isVst3Bundle(const std::string& path) {
    std::string folder = path;
    while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
    return folder.size() > 5 && folder.compare(folder.size() - 5, 5, ".vst3") == 0;
}
#endif

}  // namespace

int main(int argc, char** argv) {
    validate::Settings settings;
    std::string path;
    for (int i = 1; i < argc; i++) {
        if (std::strcmp(argv[i], "--quick") == 0) {
            settings.lifecycleCycles = 100;
            settings.playSeconds = 0.1;
        } else if (std::strcmp(argv[i], "--summary-file") == 0 && i + 1 < argc) {
            summaryFile = std::fopen(argv[++i], "w");
            if (!summaryFile) {
                std::fprintf(stderr, "qelt-validate: cannot write %s\n", argv[i]);
                return kUsage;
            }
        } else if (argv[i][0] == '-' || !path.empty()) {
            std::fputs(kUsageText, stderr);
            return kUsage;
        } else {
            path = argv[i];
        }
    }
    if (path.empty()) {
        std::fputs(kUsageText, stderr);
        return kUsage;
    }
#ifdef QELT_VALIDATE_LV2
    struct stat info;
    const bool folder = stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
#ifdef QELT_VALIDATE_VST3
    if (folder && isVst3Bundle(path)) return validateVst3(path, settings);
#endif
    if (folder) return validateLv2(path, settings);
#endif
    PluginLibrary library;
    std::string error;
    if (!library.load(path, &error) || !(settings.entry = library.entry())) {
        std::fprintf(stderr, "qelt-validate: %s\n", error.empty() ? "no VSTPluginMain export" : error.c_str());
        return kUsage;
    }
    audioguard::watchPlugin(library.handle());

    const auto started = std::chrono::steady_clock::now();
    std::string identity = "?";
    {
        validate::Instance probe(settings.entry);
        if (probe.ok()) {
            char name[256] = {}, vendor[256] = {};
            probe.dispatch(effGetEffectName, 0, 0, name);
            probe.dispatch(effGetVendorString, 0, 0, vendor);
            identity = validate::format("\"%s\" by %s, %d parameters, %s", name, vendor, probe.effect->numParams,
                                        probe.effect->flags & effFlagsHasEditor ? "editor" : "no editor");
        }
    }
    say("qelt-validate %s\n  %s build: %s\n", path.c_str(), platformName(), identity.c_str());

    validate::CheckResult (*const checks[])(const validate::Settings&) = {
        validate::checkRenderMatrix,         validate::checkParametersFromTwoThreads,
        validate::checkEditorWhileRendering, validate::checkCreateDestroyCycles,
        validate::checkStateRoundTrip,
    };
    for (auto check : checks) report(check(settings));
    report(validate::checkAudioCallsRealTime(
        "processEvents, processReplacing and the audio\n                          thread's setParameter"));
    return finish(started);
}
