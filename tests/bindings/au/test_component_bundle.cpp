// The built Karvelund.component as the platform and a host see it: its exported symbols, its
// images, and the conformance host's renders and state files.

#include "IGraphicsAUBundle.h"
#include "IPluginAU.h"
#include "midi_file_writer.h"
#include "raster/raster_bitmap.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace {

struct CommandResult {
    int status = -1;
    std::string output;
};

CommandResult RunCommand(const std::string& command) {
    CommandResult result;
    FILE* pipe = popen((command + " 2>&1").c_str(), "r");
    if (!pipe) return result;
    char buffer[4096];
    size_t n;
    while ((n = fread(buffer, 1, sizeof(buffer), pipe)) > 0)
        result.output.append(buffer, n);
    const int status = pclose(pipe);
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

std::string Quote(const std::string& s) {
    return "'" + s + "'";
}

std::vector<unsigned char> ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The bytes of a RIFF file's "data" chunk (the samples), empty when there is none.
std::vector<unsigned char> WavData(const std::string& path) {
    const std::vector<unsigned char> bytes = ReadBytes(path);
    for (size_t pos = 12; pos + 8 <= bytes.size();) {
        const uint32_t size = bytes[pos + 4] | bytes[pos + 5] << 8 | bytes[pos + 6] << 16 |
                              uint32_t(bytes[pos + 7]) << 24;
        if (std::equal(bytes.begin() + static_cast<long>(pos),
                       bytes.begin() + static_cast<long>(pos) + 4, "data"))
            return {bytes.begin() + static_cast<long>(pos) + 8,
                    bytes.begin() +
                        static_cast<long>(std::min<size_t>(bytes.size(), pos + 8 + size))};
        pos += 8 + size + (size & 1);
    }
    return {};
}

class ComponentBundle : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/kv_au_test.XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        mDir = pattern;
    }
    void TearDown() override { RunCommand("rm -rf " + Quote(mDir)); }
    std::string Path(const char* name) const { return mDir + "/" + name; }
    std::string mDir;
};

TEST_F(ComponentBundle, ExportsOnlyItsTwoEntries) {
    const CommandResult nm =
        RunCommand("nm -D --defined-only " +
                   Quote(std::string(KV_COMPONENT_BUNDLE) + "/Contents/MacOS/Karvelund"));
    ASSERT_EQ(nm.status, 0) << nm.output;
    std::set<std::string> names;
    char line[512];
    for (const char* p = nm.output.c_str(); *p;) {
        const char* end = std::strchr(p, '\n');
        const std::string row(p, end ? static_cast<size_t>(end - p) : std::strlen(p));
        if (std::sscanf(row.c_str(), "%*s %*s %511s", line) == 1) names.insert(line);
        p = end ? end + 1 : p + row.size();
    }
    EXPECT_EQ(names, (std::set<std::string>{"Karvelund_Entry", "Karvelund_ViewEntry"}))
        << nm.output;
}

// Two seconds of playing: overlapping notes, a chord, mod wheel, pitch bend and the pedal.
std::string WritePhrase(const std::string& path) {
    using namespace kv::cli;
    MidiTrack track;
    const int notes[] = {48, 55, 60, 64, 67, 72};
    for (int i = 0; i < 6; ++i) {
        const auto on = static_cast<uint32_t>(i * 160);
        track.events.push_back(midiChannelEvent(on, 0x90, static_cast<uint8_t>(notes[i]),
                                                static_cast<uint8_t>(60 + 10 * i)));
        track.events.push_back(midiChannelEvent(on + 700, 0x80, static_cast<uint8_t>(notes[i]), 0));
    }
    track.events.push_back(midiChannelEvent(300, 0xB0, 1, 100));
    track.events.push_back(midiChannelEvent(500, 0xE0, 0, 80));
    track.events.push_back(midiChannelEvent(600, 0xB0, 64, 127));
    track.events.push_back(midiChannelEvent(1500, 0xB0, 64, 0));
    track.events.push_back(midiChannelEvent(1900, 0xB0, 1, 0));
    std::string error;
    return writeMidiFile(path, MidiFileLayout{0, 480, true}, {track}, error) ? path : error;
}

TEST_F(ComponentBundle, RenderingThroughTheComponentEqualsTheOfflineTool) {
    const std::string midi = WritePhrase(Path("phrase.mid"));
    const std::pair<const char*, const char*> cases[] = {
        {"--rate 48000 --block 512 --tail 1", "--rate 48000 --block 512 --tail 1"},
        {"--rate 44100 --block 100 --tail 1 --preset 7",
         "--rate 44100 --block 100 --tail 1 --program 8"}, // the tool counts from 1
    };
    for (const auto& [options, offlineOptions] : cases) {
        const CommandResult a = RunCommand(std::string(KV_KARVELUND) + " render --quiet " +
                                           std::string(offlineOptions) + " " + Quote(midi) + " " +
                                           Quote(Path("offline.wav")));
        ASSERT_EQ(a.status, 0) << a.output;
        const CommandResult b =
            RunCommand(std::string(KV_AUHOST) + " render " + Quote(KV_COMPONENT_BUNDLE) + " " +
                       Quote(midi) + " " + Quote(Path("au.wav")) + " " + options);
        ASSERT_EQ(b.status, 0) << b.output;
        const std::vector<unsigned char> x = WavData(Path("offline.wav")),
                                         y = WavData(Path("au.wav"));
        ASSERT_GT(x.size(), 2 * 44100 * 2 * 4u);
        ASSERT_NE(std::count(x.begin(), x.end(), 0), static_cast<long>(x.size()))
            << "silent render";
        EXPECT_TRUE(x == y) << options
                            << ": the component's render differs from the offline tool's";
    }
}

TEST_F(ComponentBundle, StateFilesRoundTripAndBadOnesAreRefused) {
    const std::string host = std::string(KV_AUHOST) + " ";
    const std::string bundle = Quote(KV_COMPONENT_BUNDLE) + " ";
    ASSERT_EQ(RunCommand(host + "save-state " + bundle + Quote(Path("a.aupreset")) + " --preset 12")
                  .status,
              0);
    const std::vector<unsigned char> saved = ReadBytes(Path("a.aupreset"));
    const std::string text(saved.begin(), saved.end());
    EXPECT_NE(text.find("<key>subtype</key>"), std::string::npos);
    EXPECT_NE(text.find("<key>data</key>"), std::string::npos);
    ASSERT_EQ(RunCommand(host + "save-state " + bundle + Quote(Path("b.aupreset")) +
                         " --aupreset " + Quote(Path("a.aupreset")))
                  .status,
              0);
    EXPECT_EQ(ReadBytes(Path("b.aupreset")), saved);
    const CommandResult loaded =
        RunCommand(host + "load-state " + bundle + Quote(Path("a.aupreset")));
    EXPECT_EQ(loaded.status, 0) << loaded.output;
    EXPECT_NE(loaded.output.find("preset 12"), std::string::npos) << loaded.output;

    std::string foreign = text;
    const size_t at = foreign.find("<key>subtype</key>");
    const size_t start = foreign.find("<integer>", at) + 9;
    foreign.replace(start, foreign.find("</integer>", start) - start, "1");
    std::ofstream(Path("foreign.aupreset")) << foreign;
    std::ofstream(Path("broken.aupreset")) << text.substr(0, text.size() / 2);
    for (const char* bad : {"foreign.aupreset", "broken.aupreset", "missing.aupreset"}) {
        const CommandResult r = RunCommand(host + "load-state " + bundle + Quote(Path(bad)));
        EXPECT_EQ(r.status, 1) << bad << ": " << r.output;
        EXPECT_NE(r.output.find(bad), std::string::npos) << r.output;
    }
    EXPECT_EQ(RunCommand(host + "save-state " + bundle + Quote(Path("c.aupreset")) + " --preset 64")
                  .status,
              1);
    EXPECT_EQ(RunCommand(host + "render " + bundle + Quote(KV_DEMO_MIDI)).status, 2);
}

class ImagePlug : public IPluginAU {
public:
    ImagePlug()
        : IPluginAU(IPluginInstanceInfo(), 1, "0-2", 1, "Img", "", "Test", 0x10000, 'Imgs', 'Test',
                    0, true, false, true) {}
};

TEST_F(ComponentBundle, ImagesLoadFromTheBundleByPngNamesOnly) {
    CFStringRef path =
        CFStringCreateWithCString(nullptr, KV_COMPONENT_BUNDLE, kCFStringEncodingUTF8);
    CFURLRef url = CFURLCreateWithFileSystemPath(nullptr, path, kCFURLPOSIXPathStyle, true);
    CFBundleRef bundle = CFBundleCreate(nullptr, url);
    ASSERT_NE(bundle, nullptr);
    ImagePlug plug;
    IGraphicsAUBundle graphics(&plug, 10, 10, 0, "com.ZerlindaAudio.audiounit.Karvelund");
    for (const char* name : {"knob.png", "knob.PNG", "resources/img/knob.Png"}) {
        std::unique_ptr<RAST_IBitmap> bitmap(graphics.OSLoadBitmap(0, name));
        ASSERT_NE(bitmap, nullptr) << name;
        EXPECT_GT(bitmap->getWidth(), 0) << name;
    }
    for (const char* name : {"knob.jpg", "knob", "missing.png", "../Info.png"})
        EXPECT_EQ(graphics.OSLoadBitmap(0, name), nullptr) << name;
    IGraphicsAUBundle elsewhere(&plug, 10, 10, 0, "com.example.none");
    EXPECT_EQ(elsewhere.OSLoadBitmap(0, "knob.png"), nullptr);
    CFRelease(bundle);
    CFRelease(url);
    CFRelease(path);
}

} // namespace
