// The `karvelund` program run as a user runs it: exit statuses, messages and the files it
// writes.

#include "tool_runner.h"

#include <gtest/gtest.h>
#include <sndfile.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <sys/wait.h>
#include <unistd.h>

using namespace kv::cli;
using namespace kvtest;
namespace fs = std::filesystem;

namespace {

// A short phrase with every kind of event the instrument uses: chords, a pedal, bends, the
// mod wheel and a note-on with velocity 0.
std::vector<uint8_t> phraseFile() {
    MidiTrack track;
    auto ev = [&](uint32_t tick, uint8_t s, uint8_t a, uint8_t b) {
        track.events.push_back(midiChannelEvent(tick, s, a, b));
    };
    ev(0, 0xB0, 1, 0);
    ev(117, 0x90, 60, 100);
    ev(117, 0x90, 64, 90);
    ev(301, 0xE0, 0, 90);
    ev(480, 0xB0, 64, 127);
    ev(500, 0x80, 60, 0);
    ev(613, 0x90, 67, 80);
    ev(700, 0xB0, 1, 90);
    ev(811, 0xB0, 64, 0);
    ev(900, 0x90, 64, 0);
    ev(1000, 0x80, 67, 0);
    track.events.push_back(midiTempoEvent(0, 600000));
    std::vector<uint8_t> bytes;
    std::string error;
    EXPECT_TRUE(encodeMidiFile(MidiFileLayout{0, 480, true}, {track}, bytes, error)) << error;
    return bytes;
}

} // namespace

TEST(KarvelundTool, RendersTheSameSamplesWhateverTheBlockSize) {
    kvtest::TempFolder temp;
    writeFile(temp.file("phrase.mid"), phraseFile());
    std::vector<float> reference;
    for (const char* block : {"512", "64", "1"}) {
        const std::string wav = temp.file(std::string("out-") + block + ".wav");
        const ToolRun run = runTool({"render", "--quiet", "--defaults", "--block", block, "--tail",
                                     "0.5", temp.file("phrase.mid"), wav},
                                    temp);
        ASSERT_EQ(run.status, 0) << run.err;
        EXPECT_EQ(run.out, "");
        SF_INFO info;
        const auto samples = readInterleaved(wav, info);
        EXPECT_EQ(info.channels, 2);
        EXPECT_EQ(info.samplerate, 48000);
        if (reference.empty())
            reference = samples;
        else
            EXPECT_EQ(samples, reference) << "block " << block;
    }
    // The first note is at tick 117 of 480 at 0.6 s a beat: sample floor(0.14625 s * 48000 + 0.5).
    const size_t first = 7020;
    for (size_t i = 0; i < 2 * first; ++i)
        ASSERT_EQ(reference[i], 0.0f) << i / 2;
    EXPECT_NE(reference[2 * (first + 2)], 0.0f);
    for (size_t i = 0; i < reference.size(); i += 2)
        ASSERT_EQ(reference[i], reference[i + 1]) << "both channels carry the same signal";
}

// The samples of these renders are pinned: the tool's host (block splitting, tails, outputs)
// may change, the sound of a file without tempo or program changes may not.
TEST(KarvelundTool, RendersOfPlainFilesKeepTheirSamples) {
    kvtest::TempFolder temp;
    writeFile(temp.file("plain.mid"), midiBytes({{0, 0xB0, 1, 40},
                                                 {0, 0x90, 48, 100},
                                                 {120, 0x90, 55, 90},
                                                 {240, 0xE0, 0, 80},
                                                 {480, 0x80, 48, 0},
                                                 {600, 0x90, 60, 127},
                                                 {720, 0x80, 55, 0},
                                                 {960, 0x80, 60, 0}}));
    struct Pinned {
        std::vector<std::string> options;
        uint64_t hash;
    };
    const Pinned pinned[] = {
        {{"--defaults"}, 0x867056b558165af7ull},
        {{"--preset", "Lush Supersaw Pad", "--block", "100"}, 0xdadf131258dfdebbull},
        {{"--preset", "Trance Gate 1/16", "--rate", "44100"}, 0xeec9cd1d559adb93ull},
    };
    for (const Pinned& p : pinned) {
        std::vector<std::string> args = {"render", "--quiet", "--tail", "0.5"};
        args.insert(args.end(), p.options.begin(), p.options.end());
        args.push_back(temp.file("plain.mid"));
        args.push_back(temp.file("plain.wav"));
        ASSERT_EQ(runTool(args, temp).status, 0);
        SF_INFO info;
        const std::vector<float> samples = readInterleaved(temp.file("plain.wav"), info);
        uint64_t hash = 1469598103934665603ull;
        for (const unsigned char byte : std::string(reinterpret_cast<const char*>(samples.data()),
                                                    samples.size() * sizeof(float))) {
            hash ^= byte;
            hash *= 1099511628211ull;
        }
        EXPECT_EQ(hash, p.hash) << p.options[0] << " " << p.options.back() << std::hex << " 0x"
                                << hash;
    }
}

TEST(KarvelundTool, OptionsShapeTheOutputFile) {
    kvtest::TempFolder temp;
    writeFile(temp.file("phrase.mid"), phraseFile());
    const ToolRun run =
        runTool({"render", "--rate", "44100", "--channels", "1", "--format", "pcm16", "--tail", "1",
                 "--preset", "Deep Sine Sub Bass", "--set", "Amp Volume=0.5", "--set",
                 "LFO Type select=Ramp (1 shot)", temp.file("phrase.mid"), temp.file("mono.wav")},
                temp);
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find("mono.wav: "), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("dBFS"), std::string::npos);
    SF_INFO info;
    readInterleaved(temp.file("mono.wav"), info);
    EXPECT_EQ(info.channels, 1);
    EXPECT_EQ(info.samplerate, 44100);
    EXPECT_EQ(info.format & SF_FORMAT_SUBMASK, SF_FORMAT_PCM_16);
    // Last event at tick 1000 (1.25 s), then a 1 s tail.
    EXPECT_EQ(info.frames, 55125 + 1 + 44100);
}

TEST(KarvelundTool, BadUsageAndBadInputGetClearMessagesAndNoFile) {
    kvtest::TempFolder temp;
    writeFile(temp.file("phrase.mid"), phraseFile());
    writeFile(temp.file("broken.mid"), {'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 0, 0, 1, 1, 0xE0});
    const std::string mid = temp.file("phrase.mid"), out = temp.file("out.wav");
    struct Case {
        std::vector<std::string> args;
        int status;
        std::string message;
    };
    const Case cases[] = {
        {{}, 2, "no command"},
        {{"frobnicate"}, 2, "unknown command"},
        {{"render", mid}, 2, "expected IN.mid and OUT.wav"},
        {{"render", "--block", "0", mid, out}, 2, "--block 0"},
        {{"render", "--bogus", mid, out}, 2, "unknown option --bogus"},
        {{"render", temp.file("missing.mid"), out}, 1, "missing.mid"},
        {{"render", temp.file("broken.mid"), out}, 1, "broken.mid"},
        {{"render", "--set", "Bogus=1", mid, out}, 1, "unknown parameter \"Bogus\""},
        {{"render", "--set", "Cutoff Amount=7", mid, out}, 1, "outside 0..1"},
        {{"render", "--program", "99", mid, out}, 1, "program 99"},
        {{"render", "--preset", "No Such Sound", mid, out}, 1, "No Such Sound"},
        {{"render", "--bank", mid, mid, out}, 1, "not a valid Karvelund bank"},
        {{"render", mid, temp.file("no/such/folder/out.wav")}, 1, "out.wav"},
        {{"dump", mid}, 1, "no CcnK header"},
    };
    for (const Case& c : cases) {
        const ToolRun run = runTool(c.args, temp);
        EXPECT_EQ(run.status, c.status) << c.message;
        EXPECT_NE(run.err.find(c.message), std::string::npos) << run.err;
        EXPECT_FALSE(fs::exists(out)) << c.message;
    }
    // Nothing but the inputs and captured output is left behind.
    for (const std::string& name : temp.entries())
        EXPECT_TRUE(name == "phrase.mid" || name == "broken.mid" || name == "stdout" ||
                    name == "stderr" || name == "xdg")
            << name;
}

TEST(KarvelundTool, CorruptedMidiFilesAreRefusedWithoutCrashing) {
    kvtest::TempFolder temp;
    const auto good = phraseFile();
    std::mt19937 random(7);
    for (int i = 0; i < 24; ++i) {
        auto bytes = good;
        if (i % 3 == 0)
            bytes.resize(random() % bytes.size());
        else
            for (int flips = 0; flips < 3; ++flips)
                bytes[random() % bytes.size()] = static_cast<uint8_t>(random());
        writeFile(temp.file("x.mid"), bytes);
        const ToolRun run = runTool(
            {"render", "--quiet", "--tail", "0", temp.file("x.mid"), temp.file("x.wav")}, temp);
        EXPECT_TRUE(run.status == 0 || run.status == 1) << run.status;
        if (run.status == 1) {
            EXPECT_NE(run.err.find("x.mid"), std::string::npos) << run.err;
        }
    }
}

TEST(KarvelundTool, ListsPresetsParametersAndFileContents) {
    kvtest::TempFolder temp;
    const ToolRun presets = runTool({"presets"}, temp);
    ASSERT_EQ(presets.status, 0);
    EXPECT_NE(presets.out.find("\n  01  Warm Poly Synth\n"), std::string::npos) << presets.out;
    EXPECT_NE(presets.out.find("\n  64  "), std::string::npos) << presets.out;

    const ToolRun params = runTool({"params"}, temp);
    ASSERT_EQ(params.status, 0);
    EXPECT_NE(params.out.find("30  Portamento Speed"), std::string::npos);
    EXPECT_NE(params.out.find("\"Sine (1 shot)\""), std::string::npos);

    const std::string bank = (programFolder() / "KarvelundFactoryPreset1.kvb").string();
    const ToolRun dump = runTool({"dump", "--raw", bank}, temp);
    ASSERT_EQ(dump.status, 0) << dump.err;
    EXPECT_NE(dump.out.find("magic CcnK, size 0, kind FxBk"), std::string::npos) << dump.out;
    EXPECT_NE(dump.out.find("program 63: "), std::string::npos);
}

TEST(KarvelundTool, SaysFileOpenErrorWhenNoFactoryBankCanBeRead) {
    kvtest::TempFolder temp;
    // A copy of the program in a folder without the installed bank.
    fs::create_directories(temp.file("alone"));
    const fs::path lonely = temp.file("alone/karvelund");
    fs::copy_file(programFolder() / "karvelund", lonely);
    const ToolRun run = runTool({"presets"}, temp, lonely);
    EXPECT_EQ(run.status, 0);
    EXPECT_NE(run.err.find("file open error!\n"), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("tried: " + (temp.file("alone") + "/KarvelundFactoryPreset1.kvb")),
              std::string::npos)
        << run.err;
    EXPECT_NE(run.out.find("Bank: none"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("  64  -\n"), std::string::npos);
}

TEST(KarvelundTool, ScreenshotReplaysGesturesAndReportsChangedParameters) {
    kvtest::TempFolder temp;
    const std::string png = temp.file("editor.png");
    // Drag the cutoff knob down 40 pixels (a quarter turn), step the LFO type up once and
    // choose "Amp" from the velocity target's menu.
    const ToolRun run =
        runTool({"screenshot", "--defaults", "--drag", "634,158,634,198", "--click", "250,135",
                 "--answer", "2", "--click", "189,370", "--note", "60", png},
                temp);
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find("Cutoff Amount: 1.000 -> 0.750"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("LFO Type select: Sine -> Ramp"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("Velocity Target select: OFF -> Amp"), std::string::npos) << run.out;
    std::ifstream in(png, std::ios::binary);
    unsigned char header[24] = {};
    in.read(reinterpret_cast<char*>(header), sizeof(header));
    EXPECT_EQ(header[1], 'P');
    EXPECT_EQ((header[16] << 24 | header[17] << 16 | header[18] << 8 | header[19]), 1080);
    EXPECT_EQ((header[20] << 24 | header[21] << 16 | header[22] << 8 | header[23]), 525);

    const ToolRun bad = runTool({"screenshot", "--drag", "1,2,3", png}, temp);
    EXPECT_EQ(bad.status, 2);
    EXPECT_NE(bad.err.find("X1,Y1,X2,Y2"), std::string::npos);
}
