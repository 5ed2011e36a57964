#include "temp_folder.h"
#include "wav_writer.h"

#include <gtest/gtest.h>
#include <sndfile.h>

#include <cmath>
#include <fstream>
#include <iterator>
#include <vector>

using kv::cli::WavSampleFormat;
using kv::cli::WavWriter;

namespace {

struct ReadBack {
    SF_INFO info{};
    std::vector<double> samples;
};

bool readBack(const std::string& path, ReadBack& out) {
    SNDFILE* sound = sf_open(path.c_str(), SFM_READ, &out.info);
    if (sound == nullptr) return false;
    out.samples.resize(static_cast<size_t>(out.info.frames * out.info.channels));
    const sf_count_t got = sf_readf_double(sound, out.samples.data(), out.info.frames);
    sf_close(sound);
    return got == out.info.frames;
}

std::vector<double> testSignal(size_t frames, int channels) {
    std::vector<double> samples(frames * static_cast<size_t>(channels));
    for (size_t i = 0; i < samples.size(); ++i) {
        samples[i] = 0.9 * std::sin(0.01 * static_cast<double>(i)) * (i % 2 ? -1.0 : 1.0);
    }
    return samples;
}

std::string contents(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

} // namespace

TEST(WavWriter, WritesEachFormatAndChannelCountAtTheGivenRate) {
    struct Case {
        WavSampleFormat format;
        int subtype;
        double tolerance;
    };
    const Case cases[] = {{WavSampleFormat::Float32, SF_FORMAT_FLOAT, 1e-7},
                          {WavSampleFormat::Pcm16, SF_FORMAT_PCM_16, 1.0 / 32768},
                          {WavSampleFormat::Pcm24, SF_FORMAT_PCM_24, 1.0 / 8388608}};
    kvtest::TempFolder folder;
    for (const Case& c : cases) {
        for (int channels : {1, 2}) {
            const std::string path = folder.file("out.wav");
            const int rate = channels == 1 ? 44100 : 96000;
            const std::vector<double> signal = testSignal(1000, channels);
            std::vector<float> asFloat(signal.begin(), signal.end());
            std::string error;
            WavWriter writer;
            ASSERT_TRUE(writer.open(path, rate, channels, c.format, error)) << error;
            // Half written as doubles, half as floats.
            const size_t half = 500 * static_cast<size_t>(channels);
            ASSERT_TRUE(writer.writeFrames(signal.data(), 500, error)) << error;
            ASSERT_TRUE(writer.writeFrames(asFloat.data() + half, 500, error)) << error;
            ASSERT_TRUE(writer.finish(error)) << error;
            EXPECT_FALSE(writer.isOpen());

            ReadBack back;
            ASSERT_TRUE(readBack(path, back));
            EXPECT_EQ(back.info.format, SF_FORMAT_WAV | c.subtype);
            EXPECT_EQ(back.info.channels, channels);
            EXPECT_EQ(back.info.samplerate, rate);
            ASSERT_EQ(back.info.frames, 1000);
            for (size_t i = 0; i < signal.size(); ++i) {
                ASSERT_NEAR(back.samples[i], signal[i], c.tolerance) << i;
            }
            EXPECT_EQ(folder.entries(), std::vector<std::string>{"out.wav"});
        }
    }
}

TEST(WavWriter, IntegerFormatsClipInsteadOfWrappingAround) {
    kvtest::TempFolder folder;
    const std::string path = folder.file("loud.wav");
    const float loud[] = {1.5f, -1.5f, 4.0f, -4.0f};
    std::string error;
    WavWriter writer;
    ASSERT_TRUE(writer.open(path, 48000, 1, WavSampleFormat::Pcm16, error));
    ASSERT_TRUE(writer.writeFrames(loud, 4, error));
    ASSERT_TRUE(writer.finish(error));
    ReadBack back;
    ASSERT_TRUE(readBack(path, back));
    ASSERT_EQ(back.samples.size(), 4u);
    EXPECT_GT(back.samples[0], 0.99);
    EXPECT_LT(back.samples[1], -0.99);
    EXPECT_GT(back.samples[2], 0.99);
    EXPECT_LT(back.samples[3], -0.99);
}

TEST(WavWriter, UnfinishedWriterLeavesNoFileAndKeepsAnOldDestination) {
    kvtest::TempFolder folder;
    const std::string path = folder.file("render.wav");
    const float silence[64] = {};
    std::string error;
    {
        WavWriter writer;
        ASSERT_TRUE(writer.open(path, 48000, 2, WavSampleFormat::Float32, error));
        ASSERT_TRUE(writer.writeFrames(silence, 32, error));
        // While writing, only a short, hidden temporary file beside the destination exists
        // (short so that the longest legal destination name still has room for it).
        const auto entries = folder.entries();
        ASSERT_EQ(entries.size(), 1u);
        EXPECT_EQ(entries[0].rfind(".kv-", 0), 0u) << entries[0];
        EXPECT_LT(entries[0].size(), 32u);
    }
    EXPECT_TRUE(folder.entries().empty());

    std::ofstream(path) << "previous render";
    {
        WavWriter writer;
        ASSERT_TRUE(writer.open(path, 48000, 1, WavSampleFormat::Pcm24, error));
        ASSERT_TRUE(writer.writeFrames(silence, 64, error));
    }
    EXPECT_EQ(contents(path), "previous render");
    EXPECT_EQ(folder.entries(), std::vector<std::string>{"render.wav"});

    WavWriter writer;
    ASSERT_TRUE(writer.open(path, 48000, 1, WavSampleFormat::Pcm24, error));
    ASSERT_TRUE(writer.writeFrames(silence, 64, error));
    ASSERT_TRUE(writer.finish(error)) << error;
    ReadBack back;
    ASSERT_TRUE(readBack(path, back));
    EXPECT_EQ(back.info.frames, 64);
}

TEST(WavWriter, RefusalsNameTheFile) {
    kvtest::TempFolder folder;
    const std::string missing = folder.file("missing/out.wav");
    std::string error;
    WavWriter writer;
    EXPECT_FALSE(writer.open(missing, 48000, 2, WavSampleFormat::Float32, error));
    EXPECT_EQ(error, "cannot create " + missing + ": No such file or directory");
    EXPECT_FALSE(writer.isOpen());

    const std::string path = folder.file("out.wav");
    EXPECT_FALSE(writer.open(path, 48000, 3, WavSampleFormat::Float32, error));
    EXPECT_EQ(error, "cannot write " + path + ": 3 channels (1 or 2 are supported)");
    EXPECT_FALSE(writer.open(path, 0, 1, WavSampleFormat::Float32, error));
    EXPECT_EQ(error, "cannot write " + path + ": sample rate 0");
    const float one = 0.0f;
    EXPECT_FALSE(writer.writeFrames(&one, 1, error));
    EXPECT_FALSE(writer.finish(error));
    EXPECT_TRUE(folder.entries().empty());

    // A destination that is a folder cannot be replaced; the temporary file goes too.
    const std::string folderPath = folder.file("taken.wav");
    std::filesystem::create_directory(folderPath);
    ASSERT_TRUE(writer.open(folderPath, 48000, 1, WavSampleFormat::Pcm16, error)) << error;
    EXPECT_FALSE(writer.finish(error));
    EXPECT_EQ(error.rfind("cannot replace " + folderPath + ": ", 0), 0u) << error;
    EXPECT_EQ(folder.entries(), std::vector<std::string>{"taken.wav"});
}

TEST(WavSampleFormatNames, ParseTheNamesTheToolAccepts) {
    WavSampleFormat format = WavSampleFormat::Float32;
    EXPECT_TRUE(kv::cli::wavSampleFormatFromName("pcm24", format));
    EXPECT_EQ(format, WavSampleFormat::Pcm24);
    EXPECT_TRUE(kv::cli::wavSampleFormatFromName("pcm16", format));
    EXPECT_EQ(format, WavSampleFormat::Pcm16);
    EXPECT_TRUE(kv::cli::wavSampleFormatFromName("float", format));
    EXPECT_EQ(format, WavSampleFormat::Float32);
    EXPECT_FALSE(kv::cli::wavSampleFormatFromName("pcm32", format));
    EXPECT_FALSE(kv::cli::wavSampleFormatFromName("", format));
    EXPECT_STREQ(kv::cli::wavSampleFormatName(WavSampleFormat::Pcm16), "pcm16");
}
