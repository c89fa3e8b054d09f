// The product DLL plays the bundled demo phrase at the default parameters:
// finite, audible, and with headroom left for a host's mix.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>

#include "tests/support/plugin_under_test.h"
#include "tools/render-midi/render_host.h"

namespace {

TEST(DemoRender, TheDemoPhraseIsFiniteAudibleAndBelowFullScale) {
    MidiSong song;
    MidiFileError error;
    ASSERT_TRUE(readMidiFile(QELT_DEMO_PHRASE, &song, &error)) << "byte " << error.offset << ": " << error.message;
    EXPECT_GE(song.lengthSeconds, 15.0);
    EXPECT_LE(song.lengthSeconds, 30.0);

    VstEntryProc entry = pluginEntry();
    ASSERT_NE(entry, nullptr) << "Qelt-epiano.dll beside the test program";
    RenderHost host;
    std::string why;
    ASSERT_TRUE(host.start(entry, 44100, 512, &why)) << why;
    RenderSettings settings;
    RenderStats stats;
    auto sink = [](const float*, const float*, VstInt32) { return true; };
    ASSERT_TRUE(host.render(song, settings, sink, &stats));
    EXPECT_EQ(stats.nonFiniteSamples, 0u);
    EXPECT_EQ(stats.eventsBeyondBlockEnd, 0u);
    // Chords of up to thirteen notes at velocities to 124 under the pedal, at
    // the default levels: they add up to well above one note's peak (-18 to
    // -12 dBFS) and stay below -3 dBFS. A level far outside that is a gain fault.
    std::printf("demo peak %.1f dBFS, RMS %.1f dBFS\n", 20 * std::log10(stats.peak), 20 * std::log10(stats.rms()));
    EXPECT_GT(stats.peak, 0.126) << "peak above -18 dBFS";
    EXPECT_LT(stats.peak, 0.708) << "and below -3 dBFS";
    EXPECT_GT(stats.rms(), 0.00316) << "RMS above -50 dBFS";
    EXPECT_LT(stats.rms(), 0.0562) << "and below -25 dBFS";
    EXPECT_FALSE(stats.tailCut) << "the last chord dies away within the tail limit";
}

}  // namespace
