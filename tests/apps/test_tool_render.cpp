// `karvelund render` as the host of a MIDI file: tempo map, program changes, channels, tails,
// clipping and lengths, observed in the audio it writes and what it says.

#include "tool_runner.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

using namespace kvtest;
namespace fs = std::filesystem;

namespace {

constexpr float kQuiet = 3.1622776e-5f; // -90 dBFS

// A tempo-synced sine LFO on the amplitude: every tempo change shows in the next samples.
const std::vector<std::string> kSyncedTremolo = {
    "--defaults",   "--set", "BPM Sync On/Off=on", "--set", "LFO Target select=Amp", "--set",
    "LFO Amount=1", "--set", "LFO Speed=0.241"};

std::vector<float> render(const TempFolder& temp, const std::string& mid,
                          const std::vector<std::string>& options, ToolRun* run = nullptr) {
    return renderMidi(temp, mid, concat({"--rate", "8000"}, options), run);
}

} // namespace

TEST(ToolRender, SyncedLfosFollowTheFilesTempoMapFromTheSampleOfEachChange) {
    TempFolder temp;
    const std::string mid = temp.file("tempo.mid");
    // 120 BPM, then 60 BPM from one second (sample 8000) on.
    writeFile(mid, midiBytes({{0, 0x90, 60, 100}, {480 * 4, 0x80, 60, 0}},
                             {{0, 500000}, {960, 1000000}}));
    const auto byMap = render(temp, mid, concat(kSyncedTremolo, {"--tail", "0"}));
    const auto smallBlocks =
        render(temp, mid, concat(kSyncedTremolo, {"--tail", "0", "--block", "37"}));
    const auto fixedTempo =
        render(temp, mid, concat(kSyncedTremolo, {"--tail", "0", "--tempo", "120"}));
    EXPECT_EQ(firstDifference(byMap, smallBlocks), -1) << "the change lands on its own sample";
    const long differs = firstDifference(byMap, fixedTempo);
    EXPECT_GE(differs, 8000);
    EXPECT_LE(differs, 8002);

    // A file at 96 BPM throughout plays as --tempo 96 does, not as 120.
    writeFile(mid, midiBytes({{0, 0x90, 60, 100}, {480 * 2, 0x80, 60, 0}}, {{0, 625000}}));
    const auto at96 = render(temp, mid, concat(kSyncedTremolo, {"--tail", "0"}));
    EXPECT_EQ(
        firstDifference(
            at96, render(temp, mid, concat(kSyncedTremolo, {"--tail", "0", "--tempo", "96"}))),
        -1);
    EXPECT_NE(
        firstDifference(
            at96, render(temp, mid, concat(kSyncedTremolo, {"--tail", "0", "--tempo", "120"}))),
        -1);
}

TEST(ToolRender, ProgramChangesSelectPresetsWhereTheyStand) {
    TempFolder temp;
    const std::string withChange = temp.file("change.mid"), plain = temp.file("plain.mid");
    writeFile(withChange, midiBytes({{0, 0xC0, 3, 0}, {0, 0x90, 48, 100}, {240, 0x80, 48, 0}}));
    writeFile(plain, midiBytes({{0, 0x90, 48, 100}, {240, 0x80, 48, 0}}));
    ToolRun run;
    const auto changed = render(temp, withChange, {"--tail", "0.2"}, &run);
    EXPECT_NE(run.out.find("preset 1 → 4 (Acid Squelch Bass)"), std::string::npos) << run.out;
    EXPECT_EQ(firstDifference(changed, render(temp, plain, {"--tail", "0.2", "--program", "4"})),
              -1);
    const auto ignored = render(temp, withChange, {"--tail", "0.2", "--ignore-program-changes"});
    EXPECT_EQ(firstDifference(ignored, render(temp, plain, {"--tail", "0.2"})), -1);
    EXPECT_NE(firstDifference(ignored, changed), -1);

    // Halfway through, the change takes effect there and not before.
    writeFile(withChange, midiBytes({{0, 0x90, 48, 100},
                                     {480, 0xC0, 3, 0},
                                     {480, 0x90, 50, 100},
                                     {720, 0x80, 48, 0},
                                     {720, 0x80, 50, 0}}));
    writeFile(
        plain,
        midiBytes(
            {{0, 0x90, 48, 100}, {480, 0x90, 50, 100}, {720, 0x80, 48, 0}, {720, 0x80, 50, 0}}));
    const long differs = firstDifference(render(temp, withChange, {"--tail", "0"}),
                                         render(temp, plain, {"--tail", "0"}));
    EXPECT_GE(differs, 4000);
}

TEST(ToolRender, ChannelChoosesWhichMidiChannelPlays) {
    TempFolder temp;
    const std::string mid = temp.file("two.mid");
    writeFile(
        mid,
        midiBytes(
            {{0, 0x90, 60, 100}, {240, 0x80, 60, 0}, {960, 0x91, 64, 100}, {1200, 0x81, 64, 0}}));
    const auto second = render(temp, mid, {"--tail", "0", "--channel", "2"});
    ASSERT_EQ(second.size(), 10001u);
    EXPECT_TRUE(std::all_of(second.begin(), second.begin() + 8000, [](float s) { return s == 0; }));
    EXPECT_GT(*std::max_element(second.begin() + 8000, second.end()), 0.01f);
    const auto first = render(temp, mid, {"--tail", "0", "--channel", "1"});
    EXPECT_EQ(first.size(), 2001u);
    EXPECT_GT(*std::max_element(first.begin(), first.end()), 0.01f);
    EXPECT_EQ(runTool({"render", "--channel", "17", mid, temp.file("x.wav")}, temp).status, 2);
}

TEST(ToolRender, TheTailRunsUntilTheSoundHasDiedAwayAtMostThirtySeconds) {
    TempFolder temp;
    const std::string mid = temp.file("note.mid");
    writeFile(mid, midiBytes({{0, 0x90, 60, 100}, {240, 0x80, 60, 0}}));
    const std::vector<std::string> pad = {"--defaults", "--set", "Env Release=3 s"};

    const auto whole = render(temp, mid, pad);
    ASSERT_GT(whole.size(), 2001u + 2 * 8000u) << "a 3 s release outlasts a fixed 2 s tail";
    const size_t quietRun = 800; // 100 ms
    EXPECT_TRUE(std::all_of(whole.end() - quietRun, whole.end(),
                            [](float s) { return std::abs(s) < kQuiet; }));
    EXPECT_GE(std::abs(whole[whole.size() - quietRun - 1]), kQuiet) << "and stops right there";

    const auto cut = render(temp, mid, concat(pad, {"--tail", "2"}));
    EXPECT_EQ(cut.size(), 2001u + 16000u);
    EXPECT_GE(std::abs(cut.back()), kQuiet);

    const auto longest = render(temp, mid, {"--defaults", "--set", "Env Release=30 s"});
    EXPECT_EQ(longest.size(), 2001u + 30 * 8000u);
}

TEST(ToolRender, TheSummaryCountsClippedSamples) {
    TempFolder temp;
    const std::string mid = temp.file("chord.mid");
    std::vector<TickEvent> chord;
    for (uint8_t key : {36, 43, 48, 52, 55, 60, 64, 67})
        chord.push_back({0, 0x90, key, 127});
    for (uint8_t key : {36, 43, 48, 52, 55, 60, 64, 67})
        chord.push_back({480, 0x80, key, 0});
    writeFile(mid, midiBytes(chord));
    ToolRun run;
    const auto loud = render(temp, mid,
                             {"--defaults", "--set", "Amp Volume=1", "--set", "Drive Amount=1",
                              "--set", "Osc Saw Detune Amount=0", "--tail", "0"},
                             &run);
    const auto clipped =
        std::count_if(loud.begin(), loud.end(), [](float s) { return std::abs(s) >= 1.0f; });
    ASSERT_GT(clipped, 0);
    EXPECT_NE(run.out.find(std::to_string(clipped) + " samples clipped"), std::string::npos)
        << run.out;
    EXPECT_NE(run.out.find("peak 0.0 dBFS"), std::string::npos) << run.out;

    render(temp, mid, {"--defaults", "--set", "Amp Volume=0.1", "--tail", "0"}, &run);
    EXPECT_NE(run.out.find("no samples clipped"), std::string::npos) << run.out;
}

TEST(ToolRender, AbsurdlyLateEventsAreRefusedByName) {
    TempFolder temp;
    // 37 bytes: a note 77 hours in (266 112 000 ticks at 120 BPM).
    const std::vector<uint8_t> late = {'M',  'T', 'h',  'd',  0,    0,    0,    6,   0,   0,
                                       0,    1,   0x01, 0xE0, 'M',  'T',  'r',  'k', 0,   0,
                                       0,    15,  0xFE, 0xF2, 0x98, 0x00, 0x90, 60,  100, 0x00,
                                       0x80, 60,  0,    0x00, 0xFF, 0x2F, 0x00};
    ASSERT_EQ(late.size(), 37u);
    writeFile(temp.file("late.mid"), late);
    for (const char* rate : {"48000", "768000"}) {
        const ToolRun run =
            runTool({"render", "--rate", rate, temp.file("late.mid"), temp.file("late.wav")}, temp,
                    programFolder() / "karvelund", 20);
        EXPECT_EQ(run.status, 1) << rate;
        EXPECT_NE(run.err.find("an event at 77:00:00.0"), std::string::npos) << run.err;
        EXPECT_NE(run.err.find("--max-length"), std::string::npos);
        EXPECT_FALSE(fs::exists(temp.file("late.wav")));
    }
    // Events beyond what a 64-bit sample position holds at 768 kHz (1.35e13 s: 3000 of the
    // longest deltas at one tick per quarter of 16.7 s) are refused as plainly.
    std::vector<uint8_t> body = {0x00, 0xFF, 0x51, 0x03, 0xFF, 0xFF, 0xFF};
    for (int i = 0; i < 3000; ++i)
        body.insert(body.end(), {0xFF, 0xFF, 0xFF, 0x7F, 0x90, 60, 100});
    body.insert(body.end(), {0x00, 0xFF, 0x2F, 0x00});
    std::vector<uint8_t> far = {'M', 'T', 'h', 'd', 0, 0,   0,   6,   0,
                                0,   0,   1,   0,   1, 'M', 'T', 'r', 'k'};
    for (int shift = 24; shift >= 0; shift -= 8)
        far.push_back(static_cast<uint8_t>(body.size() >> shift));
    far.insert(far.end(), body.begin(), body.end());
    writeFile(temp.file("far.mid"), far);
    const ToolRun farRun = runTool({"render", "--rate", "768000", "--max-length", "604800",
                                    temp.file("far.mid"), temp.file("far.wav")},
                                   temp, programFolder() / "karvelund", 20);
    EXPECT_EQ(farRun.status, 1);
    EXPECT_NE(farRun.err.find("an event at 1.35e+13 s"), std::string::npos) << farRun.err;

    // A limit below the file's length refuses it; one above lets it play.
    writeFile(temp.file("note.mid"), midiBytes({{0, 0x90, 60, 100}, {960, 0x80, 60, 0}}));
    EXPECT_EQ(
        runTool({"render", "--max-length", "0.5", temp.file("note.mid"), temp.file("n.wav")}, temp)
            .status,
        1);
    EXPECT_EQ(runTool({"render", "--quiet", "--rate", "768000", "--tail", "0", "--max-length", "2",
                       temp.file("note.mid"), temp.file("n.wav")},
                      temp)
                  .status,
              0);
    SF_INFO info;
    readAudio(temp.file("n.wav"), info);
    EXPECT_EQ(info.frames, 768001);
}
