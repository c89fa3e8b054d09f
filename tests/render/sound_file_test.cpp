// The Linux renderer's output through libsndfile: WAV and FLAC files read back
// with libsndfile, sample for sample, and the file only in place once complete.
#include <gtest/gtest.h>
#include <sndfile.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <limits>
#include <string>
#include <vector>

#include "tools/render-midi/sound_file_writer.h"

namespace {

const float kNaN = std::numeric_limits<float>::quiet_NaN();
const float kInf = std::numeric_limits<float>::infinity();
// Left and right inputs, and where they must land in each format.
const std::vector<float> kLeft = {0.f, 1.f, -1.f, 0.25f, 1.5f, kNaN};
const std::vector<float> kRight = {-0.25f, 0.5f, -2.f, kInf, 0.f, 0.125f};

struct FormatCase {
    const char* name;
    SampleFormat format;
    int container;  // SF_FORMAT_WAV or SF_FORMAT_FLAC
    int subtype;
    std::vector<double> left, right;  // as read back (integers at their own scale)
    int clipped;
    const char* description;
};

// clang-format off
const FormatCase kCases[] = {
    {"song.wav", SampleFormat::Float32, SF_FORMAT_WAV, SF_FORMAT_FLOAT,
     {0, 1, -1, 0.25, 1.5, 0}, {-0.25, 0.5, -2, 0, 0, 0.125}, 0, "32-bit float"},
    {"song.wav", SampleFormat::Pcm16, SF_FORMAT_WAV, SF_FORMAT_PCM_16,
     {0, 32767, -32767, 8192, 32767, 0}, {-8192, 16384, -32767, 0, 0, 4096}, 2, "16-bit PCM"},
    {"song.flac", SampleFormat::Pcm16, SF_FORMAT_FLAC, SF_FORMAT_PCM_16,
     {0, 32767, -32767, 8192, 32767, 0}, {-8192, 16384, -32767, 0, 0, 4096}, 2, "16-bit FLAC"},
    {"Song.FLAC", SampleFormat::Float32, SF_FORMAT_FLAC, SF_FORMAT_PCM_24,
     {0, 8388607, -8388607, 2097152, 8388607, 0}, {-2097152, 4194304, -8388607, 0, 0, 1048576}, 2, "24-bit FLAC"},
};
// clang-format on

class Folder {
public:
    Folder() {
        char name[] = "/tmp/qelt-sound-file-XXXXXX";
        path = mkdtemp(name) ? name : "";
    }
    ~Folder() {
        if (!path.empty()) std::system(("rm -rf '" + path + "'").c_str());
    }
    std::string path;
};

bool exists(const std::string& path) { return access(path.c_str(), F_OK) == 0; }

// Interleaved samples at the file's own scale: floats as they are, integers as integers.
std::vector<double> readBack(const std::string& path, SF_INFO* info) {
    std::vector<double> values;
    SNDFILE* f = sf_open(path.c_str(), SFM_READ, info);
    if (!f) return values;
    int subtype = info->format & SF_FORMAT_SUBMASK;
    std::vector<int> ints(info->frames * info->channels);
    std::vector<float> floats(ints.size());
    if (subtype == SF_FORMAT_FLOAT) {
        sf_readf_float(f, floats.data(), info->frames);
        values.assign(floats.begin(), floats.end());
    } else {
        sf_readf_int(f, ints.data(), info->frames);
        int shift = subtype == SF_FORMAT_PCM_16 ? 16 : 8;
        for (int v : ints) values.push_back(v / (1 << shift));
    }
    sf_close(f);
    return values;
}

TEST(SoundFile, EachFormatReadsBackSampleForSample) {
    for (const FormatCase& c : kCases) {
        SCOPED_TRACE(std::string(c.name) + (c.format == SampleFormat::Pcm16 ? " pcm16" : " float"));
        Folder folder;
        std::string path = folder.path + "/" + c.name, error;
        SoundFileWriter writer;
        ASSERT_TRUE(writer.open(path, c.format, 48000, &error)) << error;
        // Two calls, so the file is made of more than one block.
        ASSERT_TRUE(writer.write(kLeft.data(), kRight.data(), 2, &error)) << error;
        ASSERT_TRUE(writer.write(kLeft.data() + 2, kRight.data() + 2, kLeft.size() - 2, &error)) << error;
        EXPECT_FALSE(exists(path)) << "not in place before it is complete";
        ASSERT_TRUE(writer.commit(&error)) << error;
        EXPECT_FALSE(exists(path + ".part"));
        EXPECT_EQ(writer.frames(), kLeft.size());
        EXPECT_EQ(writer.clippedSamples(), (uint64_t)c.clipped);
        EXPECT_STREQ(writer.sampleDescription(), c.description);

        SF_INFO info = {};
        std::vector<double> values = readBack(path, &info);
        EXPECT_EQ(info.format & SF_FORMAT_TYPEMASK, c.container);
        EXPECT_EQ(info.format & SF_FORMAT_SUBMASK, c.subtype);
        EXPECT_EQ(info.samplerate, 48000);
        EXPECT_EQ(info.channels, 2);
        ASSERT_EQ(values.size(), 2 * kLeft.size());
        for (size_t i = 0; i < kLeft.size(); i++) {
            EXPECT_EQ(values[2 * i], c.left[i]) << "left " << i;
            EXPECT_EQ(values[2 * i + 1], c.right[i]) << "right " << i;
        }
        // Nothing of the clock: the same song makes the same bytes.
        std::ifstream file(path, std::ios::binary);
        const std::string bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
        EXPECT_EQ(bytes.find("PEAK"), std::string::npos) << "a PEAK chunk, stamped with the time";
    }
}

TEST(SoundFile, AnUnfinishedFileLeavesTheOldOneAsItWas) {
    Folder folder;
    std::string path = folder.path + "/kept.flac", error;
    std::ofstream(path) << "keep";
    {
        SoundFileWriter writer;
        ASSERT_TRUE(writer.open(path, SampleFormat::Pcm16, 44100, &error)) << error;
        ASSERT_TRUE(writer.write(kLeft.data(), kRight.data(), kLeft.size(), &error)) << error;
    }
    std::string kept;
    std::getline(std::ifstream(path), kept);
    EXPECT_EQ(kept, "keep");
    EXPECT_FALSE(exists(path + ".part"));
}

TEST(SoundFile, AFolderThatCannotBeWrittenIsAnErrorNamingTheFile) {
    SoundFileWriter writer;
    std::string error;
    EXPECT_FALSE(writer.open("/nonexistent-folder/out.wav", SampleFormat::Float32, 44100, &error));
    EXPECT_NE(error.find("/nonexistent-folder/out.wav"), std::string::npos) << error;
    EXPECT_FALSE(writer.write(kLeft.data(), kRight.data(), 1, &error));
    EXPECT_FALSE(writer.commit(&error));
}

TEST(SoundFile, FlacNamesInAnyCase) {
    struct {
        const char* name;
        bool flac;
    } names[] = {{"a.flac", true}, {"A.FLAC", true},      {"x/b.Flac", true}, {".flac", false},
                 {"a.wav", false}, {"a.flac.wav", false}, {"flac", false}};
    for (const auto& n : names) EXPECT_EQ(isFlacName(n.name), n.flac) << n.name;
}

}  // namespace
