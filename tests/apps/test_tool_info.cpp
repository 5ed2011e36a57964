// The tool's conversation with a musician: help, finding presets, settings by what the editor
// shows, listings, auditions and the editor replay's complaints.

#include "tool_runner.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

using namespace kvtest;
namespace fs = std::filesystem;

namespace {

std::vector<uint8_t> oneNote() {
    return midiBytes({{0, 0x90, 60, 100}, {480, 0x80, 60, 0}});
}

size_t lineCount(const std::string& text) {
    return static_cast<size_t>(std::count(text.begin(), text.end(), '\n'));
}

// The first channel of a render at 8 kHz with the given settings.
std::vector<float> renderWith(const TempFolder& temp, const std::vector<std::string>& sets) {
    std::vector<std::string> args = {"render", "--quiet", "--rate",    "8000",
                                     "--tail", "0.5",     "--defaults"};
    for (const std::string& s : sets) {
        args.push_back("--set");
        args.push_back(s);
    }
    args.push_back(temp.file("note.mid"));
    args.push_back(temp.file("set.wav"));
    fs::remove(temp.file("set.wav"));
    const ToolRun run = runTool(args, temp);
    EXPECT_EQ(run.status, 0) << run.err;
    return readAudio(temp.file("set.wav"));
}

float largestDifference(const std::vector<float>& a, const std::vector<float>& b) {
    if (a.size() != b.size()) return INFINITY;
    float largest = 0.0f;
    for (size_t i = 0; i < a.size(); ++i)
        largest = std::max(largest, std::abs(a[i] - b[i]));
    return largest;
}

} // namespace

TEST(ToolHelp, EveryWayOfAskingPrintsThatCommandsUsage) {
    TempFolder temp;
    for (const std::vector<std::string>& ask : {std::vector<std::string>{"help", "render"},
                                                {"render", "--help"},
                                                {"render", "-h"},
                                                {"render", "in.mid", "--help"}}) {
        const ToolRun run = runTool(ask, temp);
        EXPECT_EQ(run.status, 0);
        EXPECT_EQ(run.out.rfind("usage: karvelund render ", 0), 0u) << run.out;
        EXPECT_NE(run.out.find("--max-length"), std::string::npos);
        EXPECT_EQ(run.err, "");
    }
    for (const char* command : {"audition", "presets", "params", "dump", "screenshot"}) {
        const ToolRun run = runTool({command, "--help"}, temp);
        EXPECT_EQ(run.status, 0) << command;
        EXPECT_EQ(run.out.rfind(std::string("usage: karvelund ") + command, 0), 0u) << run.out;
    }
    const ToolRun overview = runTool({"help"}, temp);
    EXPECT_EQ(overview.status, 0);
    EXPECT_NE(overview.out.find("  audition "), std::string::npos);
}

TEST(ToolHelp, AUsageErrorIsOneLineAndAPointerToHelp) {
    TempFolder temp;
    const ToolRun run = runTool({"render", "--bogus", "a.mid", "b.wav"}, temp);
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.err, "karvelund: render: unknown option --bogus\n"
                       "Try 'karvelund render --help'\n");
    EXPECT_EQ(run.out, "");
    const ToolRun unknown = runTool({"rendr"}, temp);
    EXPECT_EQ(unknown.status, 2);
    EXPECT_EQ(lineCount(unknown.err), 2u) << unknown.err;
    EXPECT_EQ(runTool({"help", "rendr"}, temp).status, 2);
}

TEST(ToolPresets, NamesMatchLooselyAndNumbersCountFromOneAsInTheEditor) {
    TempFolder temp;
    writeFile(temp.file("note.mid"), oneNote());
    const std::string mid = temp.file("note.mid"), out = temp.file("out.wav");
    const ToolRun loose =
        runTool({"render", "--tail", "0", "--preset", "  deep SINE sub bass ", mid, out}, temp);
    ASSERT_EQ(loose.status, 0) << loose.err;
    EXPECT_NE(loose.out.find("preset 03 Deep Sine Sub Bass (bank "), std::string::npos)
        << loose.out;
    EXPECT_NE(loose.out.find("KarvelundFactoryPreset1.kvb)"), std::string::npos);

    const ToolRun first = runTool({"render", "--tail", "0", "--program", "1", mid, out}, temp);
    EXPECT_NE(first.out.find("preset 01 Warm Poly Synth"), std::string::npos) << first.out;
    EXPECT_EQ(runTool({"render", "--program", "0", mid, out}, temp).status, 2);

    const ToolRun typo = runTool({"render", "--preset", "Deep Sin Bass", mid, out}, temp);
    EXPECT_EQ(typo.status, 1);
    EXPECT_NE(typo.err.find("the closest are \"Deep Sine Sub Bass\""), std::string::npos)
        << typo.err;
}

TEST(ToolPresets, TheListGroupsByCategoryAndNamesTheBank) {
    TempFolder temp;
    const ToolRun run = runTool({"presets"}, temp);
    ASSERT_EQ(run.status, 0);
    EXPECT_EQ(run.out.rfind(
                  "Bank: " + (programFolder() / "KarvelundFactoryPreset1.kvb").string() + "\n", 0),
              0u)
        << run.out;
    EXPECT_NE(run.out.find("\nGeneral purpose\n  01  Warm Poly Synth\n\nBasses\n  02  Round "
                           "Legato Bass\n"),
              std::string::npos)
        << run.out;
    for (int n = 1; n <= 64; ++n) {
        char number[8];
        std::snprintf(number, sizeof(number), "  %02d  ", n);
        EXPECT_NE(run.out.find(number), std::string::npos) << n;
    }
}

TEST(ToolSettings, DisplayTextsInAnyCaseAndTimesAndRatesInTheirUnits) {
    TempFolder temp;
    writeFile(temp.file("note.mid"), oneNote());
    // The editor's switch words, in any case.
    EXPECT_EQ(largestDifference(renderWith(temp, {"PhonicType=mono", "Filter Type select=hp"}),
                                renderWith(temp, {"PhonicType=0", "Filter Type select=1"})),
              0.0f);
    EXPECT_EQ(largestDifference(renderWith(temp, {"LFO Type select=square"}),
                                renderWith(temp, {"LFO Type select=2"})),
              0.0f);
    // 30 * 0.5^4 s = 1.875 s; 3 * 0.4^4 s = 76.8 ms; 0.1 * (16 * 0.5)^2 Hz = 6.4 Hz.
    EXPECT_EQ(largestDifference(renderWith(temp, {"Env Attack=1.875 s"}),
                                renderWith(temp, {"Env Attack=0.5"})),
              0.0f);
    EXPECT_EQ(largestDifference(renderWith(temp, {"Env Release=1875ms"}),
                                renderWith(temp, {"Env Release=0.5"})),
              0.0f);
    const std::vector<std::string> freeLfo = {"BPM Sync On/Off=off", "LFO Target select=Amp",
                                              "LFO Amount=1"};
    auto with = [&](std::vector<std::string> sets, const std::string& more) {
        sets.push_back(more);
        return sets;
    };
    EXPECT_LT(largestDifference(renderWith(temp, with(freeLfo, "LFO Speed=6.4 Hz")),
                                renderWith(temp, with(freeLfo, "LFO Speed=0.5"))),
              1e-5f);
    EXPECT_GT(largestDifference(renderWith(temp, with(freeLfo, "LFO Speed=6.4 Hz")),
                                renderWith(temp, with(freeLfo, "LFO Speed=0.3"))),
              1e-3f);
    writeFile(
        temp.file("glide.mid"),
        midiBytes(
            {{0, 0x90, 48, 100}, {240, 0x90, 60, 100}, {720, 0x80, 48, 0}, {720, 0x80, 60, 0}}));
    fs::copy_file(temp.file("glide.mid"), temp.file("note.mid"),
                  fs::copy_options::overwrite_existing);
    EXPECT_LT(largestDifference(renderWith(temp, {"PhonicType=Legato", "Portamento Speed=76.8ms"}),
                                renderWith(temp, {"PhonicType=Legato", "Portamento Speed=0.4"})),
              1e-5f);

    const std::string mid = temp.file("note.mid"), out = temp.file("x.wav");
    struct Refusal {
        const char* set;
        const char* message;
    };
    for (const Refusal& r : {Refusal{"Env Attack=45 s", "lasts from 6.22 ms to 30 s"},
                             Refusal{"Cutoff Amount=3 Hz", "has no value in Hz"},
                             Refusal{"LFO Speed=2 Hz", "BPM Sync On/Off"}}) {
        const ToolRun run =
            runTool({"render", "--set", "BPM Sync On/Off=on", "--set", r.set, mid, out}, temp);
        EXPECT_EQ(run.status, 1) << r.set;
        EXPECT_NE(run.err.find(r.message), std::string::npos) << run.err;
    }

    const ToolRun params = runTool({"params"}, temp);
    EXPECT_NE(params.out.find("stage time 30*v^4 s, 6.22 ms to 30 s"), std::string::npos);
    EXPECT_NE(params.out.find("switch: \"LP\"=0, \"HP\"=1, \"BP\"=2"), std::string::npos)
        << params.out;
}

TEST(ToolDump, SpeaksInNamesAndDisplayTextsUnlessRawIsAsked) {
    TempFolder temp;
    const std::string bank = (programFolder() / "KarvelundFactoryPreset1.kvb").string();
    const ToolRun run = runTool({"dump", bank}, temp);
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(
        run.out.rfind("Bank file " + bank + ": 64 programs, current 01\n01  Warm Poly Synth\n", 0),
        0u)
        << run.out.substr(0, 300);
    EXPECT_NE(run.out.find("\n    LFO Type select            Sine\n"), std::string::npos);
    EXPECT_NE(run.out.find("\n    PhonicType                 Poly\n"), std::string::npos);
    EXPECT_NE(run.out.find("\n    Env Release                0.400 (768 ms)\n"), std::string::npos);
    EXPECT_NE(run.out.find("\n03  Deep Sine Sub Bass\n"), std::string::npos);
    EXPECT_EQ(run.out.find("magic"), std::string::npos);
    const ToolRun raw = runTool({"dump", "--raw", bank}, temp);
    EXPECT_NE(raw.out.find("magic CcnK"), std::string::npos);
}

TEST(ToolAudition, OneFilePerPresetNamedAfterIt) {
    TempFolder temp;
    const ToolRun one =
        runTool({"audition", "--program", "3", "--phrase", "bass", temp.file("one")}, temp);
    ASSERT_EQ(one.status, 0) << one.err;
    const std::vector<std::string> files = [&] {
        std::vector<std::string> names;
        for (const auto& e : fs::directory_iterator(temp.file("one")))
            names.push_back(e.path().filename().string());
        return names;
    }();
    ASSERT_EQ(files, std::vector<std::string>{"03 Deep Sine Sub Bass.wav"});
    const auto samples = readAudio(temp.file("one/03 Deep Sine Sub Bass.wav"));
    EXPECT_GT(*std::max_element(samples.begin(), samples.end()), 0.05f);

    const ToolRun all =
        runTool({"audition", "--all", "--rate", "4000", "--quiet", temp.file("all")}, temp);
    ASSERT_EQ(all.status, 0) << all.err;
    EXPECT_EQ(std::distance(fs::directory_iterator(temp.file("all")), fs::directory_iterator()),
              64);
    EXPECT_TRUE(fs::exists(temp.file("all/08 Wobble Bass 1-8.wav")));
    EXPECT_EQ(runTool({"audition", "--phrase", "waltz", temp.file("x")}, temp).status, 2);
}

TEST(ToolScreenshot, PresetChangesShowAsOneLineAndBadGesturesAreErrors) {
    TempFolder temp;
    const std::string png = temp.file("editor.png");
    // The preset menu, entry 10: the second preset.
    const ToolRun change =
        runTool({"screenshot", "--click", "100,35", "--answer", "10", png}, temp);
    ASSERT_EQ(change.status, 0) << change.err;
    EXPECT_EQ(change.out, "preset 1 \u2192 2 (Round Legato Bass)\n");

    struct Case {
        std::vector<std::string> args;
        const char* message;
    };
    const Case cases[] = {
        {{"--click", "2000,10"}, "--click 2000,10: outside the editor (1080 x 525)"},
        {{"--answer", "3"}, "--answer item 3 was never asked for"},
        {{"--click", "100,35", "--answer", "text:hello"}, "does not fit a menu"},
        {{"--click", "100,35", "--answer", "200"}, "item 200 does not fit a menu"},
        {{"--click", "100,35", "--answer", "7", "--answer", temp.file("no/such/bank.kvb")},
         "could not save"},
        {{"--click", "100,35", "--answer", "6", "--answer", temp.file("missing.kvb")},
         "could not open"},
    };
    for (const Case& c : cases) {
        std::vector<std::string> args = {"screenshot"};
        args.insert(args.end(), c.args.begin(), c.args.end());
        args.push_back(png);
        const ToolRun run = runTool(args, temp);
        EXPECT_EQ(run.status, 1) << c.message;
        EXPECT_NE(run.err.find(c.message), std::string::npos) << run.err;
    }
}
