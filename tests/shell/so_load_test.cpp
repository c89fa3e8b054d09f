// The Linux plug-in as hosts load it: scanners open and close the library
// many times, and hosts keep several instances and several plug-ins in one
// process. Every load gives a working instrument that plays the same notes,
// and an unload leaves nothing of it behind.
#include <dlfcn.h>
#include <gtest/gtest.h>
// After the test framework: X11 defines names it uses.
#include <X11/Xlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <vector>

#include "tools/vsthost/plugin_library.h"
#include "tools/vsthost/vst_host.h"

namespace {

// Renders one note through a fresh instance from `entry`: 4096 frames of the left channel.
std::vector<float> playNote(VstEntryProc entry, RecordingHost& host) {
    std::vector<float> left, right;
    AEffect* effect = host.create(entry);
    if (!effect) return left;
    PluginInstance plugin(effect);
    plugin.start(44100.f, 512);
    MidiEventBlock note;
    note.add(0, 0x90, 60, 100);
    for (int block = 0; block < 8; block++) plugin.render(block ? nullptr : &note, 512, left, right);
    return left;
}

int hostErrors = 0;

int countHostError(Display*, XErrorEvent*) {
    ++hostErrors;
    return 0;
}

// What a host does in its own process: its X error handler and window, the
// plug-in loaded, its editor opened inside the window and closed, the
// instance ended and the library unloaded; then an X error of the host's
// own. The exit status names the step that went wrong (0: none).
enum HostStep { kFine, kNoDisplay, kNotLoaded, kNoInstance, kEditorRefused, kStillLoaded, kErrorNotReceived };

HostStep hostLifeWithTheEditor() {
    XSetErrorHandler(countHostError);
    Display* display = XOpenDisplay(nullptr);
    if (!display) return kNoDisplay;
    const Window parent = XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, 730, 248, 0, 0, 0);
    XMapWindow(display, parent);
    XSync(display, False);
    {
        PluginLibrary library;
        if (!library.load(QELT_PLUGIN_LIBRARY, nullptr)) return kNotLoaded;
        RecordingHost host;
        AEffect* effect = host.create(library.entry("VSTPluginMain"));
        if (!effect) return kNoInstance;
        PluginInstance plugin(effect);
        if (plugin.dispatch(effEditOpen, 0, 0, reinterpret_cast<void*>(static_cast<uintptr_t>(parent))) != 1)
            return kEditorRefused;
        for (int pass = 0; pass < 3; ++pass) {
            usleep(10000);
            plugin.dispatch(effEditIdle);
        }
        plugin.dispatch(effEditClose);
        plugin.close();
        library.unload();
        if (dlopen(QELT_PLUGIN_LIBRARY, RTLD_NOW | RTLD_NOLOAD)) return kStillLoaded;
    }
    XDestroyWindow(display, 0x7ABCDEF);  // an id that names no window
    XSync(display, False);
    return hostErrors == 1 ? kFine : kErrorNotReceived;
}

TEST(SharedObject, AfterTheEditorAndTheUnloadTheHostsXErrorsReachItsOwnHandler) {
    if (!getenv("DISPLAY")) GTEST_SKIP() << "no X display";
    // In a process of its own: a handler left behind by the library ends it.
    const pid_t child = fork();
    ASSERT_NE(child, -1);
    if (child == 0) _exit(hostLifeWithTheEditor());
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status)) << "the host died of signal " << (WIFSIGNALED(status) ? WTERMSIG(status) : 0);
    EXPECT_EQ(WEXITSTATUS(status), kFine);
}

TEST(SharedObject, LoadsAndUnloadsAgainAndAgainPlayingTheSameNote) {
    std::vector<float> first;
    for (int cycle = 0; cycle < 25; cycle++) {
        SCOPED_TRACE(cycle);
        PluginLibrary library;
        std::string error;
        ASSERT_TRUE(library.load(QELT_PLUGIN_LIBRARY, &error)) << error;
        VstEntryProc entry = library.entry("VSTPluginMain");
        ASSERT_NE(entry, nullptr);
        RecordingHost host;
        std::vector<float> take = playNote(entry, host);
        ASSERT_EQ(take.size(), 4096u);
        if (cycle == 0) first = take;
        EXPECT_EQ(take, first) << "a reloaded library plays as the first load did";
        library.unload();
        // Nothing pins the library: after the last handle it is gone from the process.
        EXPECT_EQ(dlopen(QELT_PLUGIN_LIBRARY, RTLD_NOW | RTLD_NOLOAD), nullptr);
    }
    double peak = 0;
    for (float v : first) peak = v > peak ? v : -v > peak ? -v : peak;
    EXPECT_GT(peak, 0.01) << "the note sounds";
}

TEST(SharedObject, TwoInstancesAndTheMainEntryShareOneLoad) {
    PluginLibrary library;
    std::string error;
    ASSERT_TRUE(library.load(QELT_PLUGIN_LIBRARY, &error)) << error;
    VstEntryProc byName = library.entry("VSTPluginMain"), legacy = library.entry("main");
    ASSERT_NE(byName, nullptr);
    ASSERT_NE(legacy, nullptr);
    RecordingHost hostA, hostB;
    AEffect* a = hostA.create(byName);
    AEffect* b = hostB.create(legacy);
    ASSERT_NE(a, nullptr);
    ASSERT_NE(b, nullptr);
    EXPECT_NE(a, b);
    PluginInstance first(a), second(b);
    first.setParameter(4, 0.25f);
    EXPECT_EQ(second.getParameter(4), 1.f) << "each instance keeps its own settings";
    EXPECT_EQ(first.getParameter(4), 0.25f);
}

TEST(SharedObject, OnlyTheEntryIsVisibleToTheProcess) {
    PluginLibrary library;
    ASSERT_TRUE(library.load(QELT_PLUGIN_LIBRARY, nullptr));
    void* handle = library.handle();
    // Names from inside: the embedded data, the C++ runtime linked in, our own code.
    for (const char* name :
         {"qelt_sample_blob", "qelt_bitmap_128", "_ZNSt9exceptionD2Ev", "__cxa_throw", "_Znwm", "_Z14embeddedBitmapi"})
        EXPECT_EQ(dlsym(handle, name), nullptr) << name;
}

}  // namespace
