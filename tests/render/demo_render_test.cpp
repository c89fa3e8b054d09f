// The product DLL plays the bundled demo phrase: finite, audible and below
// full scale.
#include <gtest/gtest.h>

#include <cmath>

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
    // The phrase is arranged (channel volume, velocities) to peak a few dB below
    // full scale: a level far outside that is a gain fault, not a style.
    EXPECT_GT(stats.peak, 0.2) << "peak above -14 dBFS";
    EXPECT_LT(stats.peak, 1.0) << "and below full scale";
    EXPECT_GT(stats.rms(), 0.00316) << "RMS above -50 dBFS";
    EXPECT_LT(stats.rms(), 0.0562) << "and below -25 dBFS";
    EXPECT_FALSE(stats.tailCut) << "the last chord dies away within the tail limit";
}

}  // namespace
