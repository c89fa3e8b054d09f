// The WAV and BMP writers read back byte by byte, and the command line.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>

#include "tools/render-midi/bmp_writer.h"
#include "tools/render-midi/render_options.h"
#include "tools/render-midi/wav_writer.h"

namespace {

std::vector<uint8_t> slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}
bool exists(const std::string& path) { return std::ifstream(path).good(); }
uint32_t le(const std::vector<uint8_t>& b, size_t at, int n) {
    uint32_t v = 0;
    for (int i = n - 1; i >= 0; i--) v = v << 8 | b[at + i];
    return v;
}
std::string text(const std::vector<uint8_t>& b, size_t at) { return std::string(b.begin() + at, b.begin() + at + 4); }
void writeText(const std::string& path, const char* content) {
    std::ofstream(path, std::ios::binary) << content;
}

struct Scratch {
    std::string path = testing::TempDir() + "writers_test_" +
                       testing::UnitTest::GetInstance()->current_test_info()->name();
    ~Scratch() {
        std::remove(path.c_str());
        std::remove((path + ".part").c_str());
    }
};

TEST(WavWriter, FloatFilesHoldTheSamplesExactlyWithNonFiniteOnesAsZero) {
    Scratch s;
    WavWriter w;
    std::string error;
    ASSERT_TRUE(w.open(s.path, SampleFormat::Float32, 48000, &error)) << error;
    const float left[3] = {0.5f, -1.5f, NAN}, right[3] = {1e-30f, INFINITY, -0.25f};
    ASSERT_TRUE(w.write(left, right, 3, &error));
    ASSERT_TRUE(w.write(left, right, 1, &error));
    ASSERT_TRUE(w.commit(&error)) << error;
    std::vector<uint8_t> b = slurp(s.path);
    ASSERT_EQ(b.size(), 58u + 4 * 8);
    EXPECT_EQ(text(b, 0), "RIFF");
    EXPECT_EQ(le(b, 4, 4), b.size() - 8);
    EXPECT_EQ(text(b, 8), "WAVE");
    EXPECT_EQ(le(b, 20, 2), 3u) << "IEEE float";
    EXPECT_EQ(le(b, 22, 2), 2u);
    EXPECT_EQ(le(b, 24, 4), 48000u);
    EXPECT_EQ(le(b, 28, 4), 48000u * 8);
    EXPECT_EQ(le(b, 32, 2), 8u);
    EXPECT_EQ(le(b, 34, 2), 32u);
    EXPECT_EQ(text(b, 38), "fact");
    EXPECT_EQ(le(b, 46, 4), 4u) << "frames";
    EXPECT_EQ(text(b, 50), "data");
    EXPECT_EQ(le(b, 54, 4), 32u);
    float samples[8];
    std::memcpy(samples, b.data() + 58, sizeof(samples));
    const float expected[8] = {0.5f, 1e-30f, -1.5f, 0.f, 0.f, -0.25f, 0.5f, 1e-30f};
    for (int i = 0; i < 8; i++) EXPECT_EQ(samples[i], expected[i]) << i;
    EXPECT_EQ(w.clippedSamples(), 0u) << "float keeps values beyond full scale";
}

TEST(WavWriter, Pcm16RoundsClipsAndCountsTheClippedSamples) {
    Scratch s;
    WavWriter w;
    std::string error;
    ASSERT_TRUE(w.open(s.path, SampleFormat::Pcm16, 44100, &error));
    const float left[4] = {1.f, -1.f, 2.f, 0.25f / 32767}, right[4] = {0.f, NAN, -3.f, -0.4f / 32767};
    ASSERT_TRUE(w.write(left, right, 4, &error));
    ASSERT_TRUE(w.commit(&error));
    std::vector<uint8_t> b = slurp(s.path);
    ASSERT_EQ(b.size(), 44u + 16);
    EXPECT_EQ(le(b, 16, 4), 16u);
    EXPECT_EQ(le(b, 20, 2), 1u) << "integer PCM";
    EXPECT_EQ(le(b, 28, 4), 44100u * 4);
    EXPECT_EQ(le(b, 34, 2), 16u);
    EXPECT_EQ(text(b, 36), "data");
    EXPECT_EQ(le(b, 40, 4), 16u);
    const int16_t expected[8] = {32767, 0, -32767, 0, 32767, -32767, 0, 0};
    for (int i = 0; i < 8; i++) EXPECT_EQ((int16_t)le(b, 44 + 2 * i, 2), expected[i]) << i;
    EXPECT_EQ(w.clippedSamples(), 2u);
}

TEST(WavWriter, TheTargetAppearsOnlyWhenTheFileIsComplete) {
    Scratch s;
    writeText(s.path, "an older file");
    const float zero[1] = {0.f};
    std::string error;
    {
        WavWriter w;
        ASSERT_TRUE(w.open(s.path, SampleFormat::Float32, 44100, &error));
        ASSERT_TRUE(w.write(zero, zero, 1, &error));
        EXPECT_EQ(slurp(s.path).size(), 13u) << "the target is untouched while writing";
    }  // never committed: the partial file goes, the old one stays
    EXPECT_FALSE(exists(s.path + ".part"));
    EXPECT_EQ(slurp(s.path).size(), 13u);

    WavWriter w;
    ASSERT_TRUE(w.open(s.path, SampleFormat::Float32, 44100, &error));
    ASSERT_TRUE(w.write(zero, zero, 1, &error));
    ASSERT_TRUE(w.commit(&error)) << error;
    EXPECT_EQ(slurp(s.path).size(), 66u) << "the commit replaces the older file";
    EXPECT_FALSE(exists(s.path + ".part"));

    WavWriter nowhere;
    EXPECT_FALSE(nowhere.open(testing::TempDir() + "no/such/folder/out.wav", SampleFormat::Pcm16, 44100, &error));
    EXPECT_NE(error.find("cannot write"), std::string::npos) << error;
}

TEST(BmpWriter, WritesBottomUpRowsPaddedToFourBytes) {
    Scratch s;
    std::string error;
    std::vector<uint32_t> pixels = {0x112233, 0x445566, 0x778899, 0xAABBCC, 0xDDEEFF, 0x010203};  // 3 x 2
    ASSERT_TRUE(writeBmp(s.path, 3, 2, pixels, &error)) << error;
    std::vector<uint8_t> b = slurp(s.path);
    ASSERT_EQ(b.size(), 54u + 2 * 12);
    EXPECT_EQ(b[0], 'B');
    EXPECT_EQ(b[1], 'M');
    EXPECT_EQ(le(b, 2, 4), b.size());
    EXPECT_EQ(le(b, 10, 4), 54u);
    EXPECT_EQ(le(b, 18, 4), 3u);
    EXPECT_EQ(le(b, 22, 4), 2u);
    EXPECT_EQ(le(b, 28, 2), 24u);
    const uint8_t bottomRow[12] = {0xCC, 0xBB, 0xAA, 0xFF, 0xEE, 0xDD, 0x03, 0x02, 0x01, 0, 0, 0};
    const uint8_t topRow[12] = {0x33, 0x22, 0x11, 0x66, 0x55, 0x44, 0x99, 0x88, 0x77, 0, 0, 0};
    EXPECT_EQ(std::vector<uint8_t>(b.begin() + 54, b.begin() + 66), std::vector<uint8_t>(bottomRow, bottomRow + 12));
    EXPECT_EQ(std::vector<uint8_t>(b.begin() + 66, b.end()), std::vector<uint8_t>(topRow, topRow + 12));
    EXPECT_FALSE(writeBmp(s.path, 0, 2, {}, &error));
    EXPECT_FALSE(writeBmp(s.path, 2, 2, pixels, &error)) << "pixel count must match";
}

RenderOptions parsed(std::vector<std::string> args) {
    RenderOptions o;
    std::string error;
    EXPECT_TRUE(parseRenderOptions(args, &o, &error)) << error;
    return o;
}

std::string refused(std::vector<std::string> args) {
    RenderOptions o;
    std::string error;
    EXPECT_FALSE(parseRenderOptions(args, &o, &error));
    return error;
}

TEST(RenderOptions, ReadsEveryOptionInBothSpellings) {
    RenderOptions o = parsed({"--plugin", "p.dll", "--rate=48000", "--block", "64", "--format", "pcm16", "--param",
                              "Treble=0.8", "--param=LFO depth=0.25", "--param", "3=1", "--tail", "2.5", "song.mid",
                              "out.wav", "--shot", "ed.bmp", "--shot-time=500", "--quiet"});
    EXPECT_EQ(o.plugin, "p.dll");
    EXPECT_EQ(o.render.sampleRate, 48000u);
    EXPECT_EQ(o.render.blockSize, 64);
    EXPECT_EQ(o.format, SampleFormat::Pcm16);
    ASSERT_EQ(o.params.size(), 3u);
    EXPECT_EQ(o.params[0].key, "Treble");
    EXPECT_FLOAT_EQ(o.params[0].value, 0.8f);
    EXPECT_EQ(o.params[1].key, "LFO depth");
    EXPECT_EQ(o.params[2].key, "3");
    EXPECT_DOUBLE_EQ(o.render.maxTailSeconds, 2.5);
    EXPECT_EQ(o.midiPath, "song.mid");
    EXPECT_EQ(o.wavPath, "out.wav");
    EXPECT_EQ(o.shotPath, "ed.bmp");
    EXPECT_EQ(o.shotMillis, 500);
    EXPECT_TRUE(o.quiet);

    RenderOptions defaults = parsed({"--plugin", "p.dll", "a.mid", "b.wav"});
    EXPECT_EQ(defaults.render.sampleRate, 44100u);
    EXPECT_EQ(defaults.render.blockSize, 512);
    EXPECT_EQ(defaults.format, SampleFormat::Float32);
    EXPECT_TRUE(parsed({"--plugin", "p.dll", "--shot", "x.bmp"}).midiPath.empty()) << "a picture alone";
    EXPECT_TRUE(parsed({"--help"}).help);
}

TEST(RenderOptions, RefusesBadValuesWithAReason) {
    const std::vector<std::string> base = {"--plugin", "p.dll", "a.mid", "b.wav"};
    auto with = [&](std::vector<std::string> extra) {
        extra.insert(extra.end(), base.begin(), base.end());
        return refused(extra);
    };
    EXPECT_NE(with({"--rate", "44.1k"}).find("--rate"), std::string::npos);
    EXPECT_NE(with({"--rate", "1000"}).find("8000"), std::string::npos);
    EXPECT_NE(with({"--rate", "48000.5"}).find("--rate"), std::string::npos);
    EXPECT_NE(with({"--block", "0"}).find("--block"), std::string::npos);
    EXPECT_NE(with({"--format", "wav"}).find("float or pcm16"), std::string::npos);
    EXPECT_NE(with({"--param", "Treble"}).find("--param"), std::string::npos);
    EXPECT_NE(with({"--param", "Treble=1.5"}).find("0 to 1"), std::string::npos);
    EXPECT_NE(with({"--param", "Treble=nan"}).find("--param"), std::string::npos);
    EXPECT_NE(with({"--tail", "-1"}).find("--tail"), std::string::npos);
    EXPECT_NE(with({"--colour", "red"}).find("unknown option --colour"), std::string::npos);
    EXPECT_NE(with({"--quiet=yes"}).find("takes no value"), std::string::npos);
    EXPECT_NE(refused({"--plugin", "p.dll", "a.mid", "b.wav", "--rate"}).find("needs a value"), std::string::npos);
    EXPECT_NE(refused({"a.mid", "b.wav"}).find("--plugin"), std::string::npos);
    EXPECT_NE(refused({"--plugin", "p.dll", "a.mid"}).find("in that order"), std::string::npos);
    EXPECT_NE(refused({"--plugin", "p.dll", "a.mid", "b.wav", "c"}).find("too many"), std::string::npos);
    EXPECT_NE(refused({"--plugin", "p.dll"}).find("nothing to do"), std::string::npos);
    EXPECT_NE(refused({"--plugin", "p.dll", "a.mid", "a.mid"}).find("overwrite"), std::string::npos);
}

}  // namespace
