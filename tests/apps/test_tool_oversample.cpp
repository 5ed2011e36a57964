// `karvelund render --oversample 2`, heard as a user hears it: less aliasing on a high saw,
// the same notes at the same samples, files of the same length, and the default untouched.

#include "spectrum.h"
#include "tool_runner.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

using namespace kvtest;
namespace fs = std::filesystem;

namespace {

// A bare saw: one core, no pulse or sub, the filter fully open (keyboard tracking lifts the
// cutoff past the clamp at twice the rate too), no envelope or LFO on it.
const std::vector<std::string> kBareSaw = {"--defaults",
                                           "--set",
                                           "Osc Saw Amount=1",
                                           "--set",
                                           "Osc Pulse Amount=0",
                                           "--set",
                                           "Sub Osc Amount=0",
                                           "--set",
                                           "Keyboard Tracking Amount=1"};

// The sub-oscillator's sine through a gated amplifier: a sound that hardly depends on the rate.
const std::vector<std::string> kGatedSine = {
    "--defaults",       "--set", "Osc Saw Amount=0",   "--set", "Osc Pulse Amount=0",      "--set",
    "Sub Osc Amount=1", "--set", "Sub Osc Waveform=0", "--set", "Amp Env/Gate Select=gate"};

// The saw at MIDI note 96 (2093 Hz) held for 1.5 s, measured from 0.5 s on.
HarmonicSplit highSaw(const TempFolder& temp, const std::vector<std::string>& options,
                      double rate) {
    const std::string mid = temp.file("saw.mid");
    writeFile(mid, midiBytes({{0, 0x90, 96, 100}, {1440, 0x80, 96, 0}}));
    const auto samples = renderMidi(temp, mid, concat(concat(kBareSaw, options), {"--tail", "0"}));
    const auto n = static_cast<size_t>(std::lround(rate * 0.6826667)); // 32768 at 48 kHz
    EXPECT_GE(samples.size(), static_cast<size_t>(rate / 2) + n);
    if (samples.size() < static_cast<size_t>(rate / 2) + n) return {};
    const double f0 = 440.0 * std::pow(2.0, (96 - 69) / 12.0);
    return splitHarmonics(powerSpectrum(samples, static_cast<size_t>(rate / 2), n), rate, f0);
}

double peakDecibels(const std::vector<float>& s) {
    float peak = 0.0f;
    for (float v : s)
        peak = std::max(peak, std::abs(v));
    return 20.0 * std::log10(peak);
}

long firstAbove(const std::vector<float>& s, size_t from, float level) {
    for (size_t i = from; i < s.size(); ++i)
        if (std::abs(s[i]) > level) return static_cast<long>(i);
    return -1;
}

} // namespace

TEST(ToolOversample, AcceptsOneOrTwoAndLeavesTheDefaultRenderAsItWas) {
    TempFolder temp;
    const std::string mid = temp.file("note.mid");
    writeFile(mid, midiBytes({{0, 0x90, 60, 100}, {240, 0x80, 60, 0}}));
    for (const char* factor : {"3", "0", "4", "1.5", "two", ""}) {
        const ToolRun run =
            runTool({"render", "--oversample", factor, mid, temp.file("x.wav")}, temp);
        EXPECT_EQ(run.status, 2) << factor;
        EXPECT_EQ(run.err, std::string("karvelund: render: --oversample ") + factor +
                               ": expected 1 (no oversampling) or 2\n"
                               "Try 'karvelund render --help'\n");
        EXPECT_FALSE(fs::exists(temp.file("x.wav")));
    }

    const std::vector<std::string> plain = {"--rate", "8000", "--program", "7", mid};
    ASSERT_EQ(runTool(concat(concat({"render"}, plain), {temp.file("a.wav")}), temp).status, 0);
    ASSERT_EQ(
        runTool(concat(concat({"render", "--oversample", "1"}, plain), {temp.file("b.wav")}), temp)
            .status,
        0);
    EXPECT_EQ(slurp(temp.file("a.wav")), slurp(temp.file("b.wav")));

    const ToolRun help = runTool({"render", "--help"}, temp);
    EXPECT_NE(help.out.find("--oversample 1|2"), std::string::npos) << help.out;
}

// Measured: without oversampling -32.0 dB of everything between the harmonics (-41.7 dB below
// 20 kHz); oversampled -39.1 dB, nearly all of it from the 12th harmonic (25.1 kHz) folding in
// the decimator's transition band to 22.9 kHz, and -57.5 dB below 20 kHz.
TEST(ToolOversample, CutsTheAliasingOfAHighSawAndKeepsItsHarmonics) {
    TempFolder temp;
    const HarmonicSplit direct = highSaw(temp, {}, 48000.0);
    const HarmonicSplit oversampled = highSaw(temp, {"--oversample", "2"}, 48000.0);
    const HarmonicSplit at96k = highSaw(temp, {"--rate", "96000"}, 96000.0);
    ASSERT_EQ(direct.harmonics.size(), 11u);
    ASSERT_EQ(oversampled.harmonics.size(), 11u);

    EXPECT_NEAR(direct.aliasRatioDecibels(), -32.0, 1.5);
    EXPECT_LT(oversampled.aliasRatioDecibels(), direct.aliasRatioDecibels() - 5.0);
    EXPECT_LT(oversampled.audibleAliasRatioDecibels(), direct.audibleAliasRatioDecibels() - 12.0);
    RecordProperty("alias_db", std::to_string(direct.aliasRatioDecibels()) + " -> " +
                                   std::to_string(oversampled.aliasRatioDecibels()));
    RecordProperty("alias_below_20k_db",
                   std::to_string(direct.audibleAliasRatioDecibels()) + " -> " +
                       std::to_string(oversampled.audibleAliasRatioDecibels()));

    for (size_t k = 1; k <= 9; ++k) { // below 20 kHz the decimator changes nothing
        EXPECT_NEAR(oversampled.harmonicDecibels(k), at96k.harmonicDecibels(k), 0.02) << k;
    }
    // The engine's oscillator shapes its saw per sample (feedback, pre-emphasis and level all
    // follow frequency / sample rate), so at twice the rate the saw itself is a little
    // different: up to 1.4 dB in the harmonics below 15 kHz.
    for (size_t k = 1; k * 2093.0 < 15000.0; ++k)
        EXPECT_NEAR(oversampled.harmonicDecibels(k), direct.harmonicDecibels(k), 2.0) << k;
}

TEST(ToolOversample, NotesStartOnTheSameSampleAndTheFileKeepsItsLength) {
    TempFolder temp;
    const std::string mid = temp.file("notes.mid");
    // Onsets at 0.346875 s (sample 16650) and 1.157292 s (sample 55550), off the block grid,
    // after a first note during which the parameter smoothers (per sample, so twice as fast
    // oversampled) have settled.
    writeFile(mid, midiBytes({{0, 0x90, 45, 100},
                              {200, 0x80, 45, 0},
                              {333, 0x90, 57, 100},
                              {700, 0x80, 57, 0},
                              {1111, 0x90, 45, 100},
                              {1500, 0x80, 45, 0}}));
    ToolRun directRun, oversampledRun;
    const auto direct = renderMidi(temp, mid, concat(kGatedSine, {"--tail", "0.25"}), &directRun);
    const auto oversampled = renderMidi(
        temp, mid, concat(kGatedSine, {"--tail", "0.25", "--oversample", "2"}), &oversampledRun);
    ASSERT_EQ(direct.size(), 75001u + 12000u);
    EXPECT_EQ(oversampled.size(), direct.size());
    EXPECT_EQ(directRun.out.substr(0, directRun.out.find(',')),
              oversampledRun.out.substr(0, oversampledRun.out.find(',')))
        << "the summary gives the same length";

    const float level = 0.01f;
    for (size_t from : {16000u, 40000u}) {
        const long onset = firstAbove(direct, from, level);
        ASSERT_GT(onset, 0);
        EXPECT_NEAR(firstAbove(oversampled, from, level), onset, 1) << from;
    }
    EXPECT_NEAR(peakDecibels(oversampled), peakDecibels(direct), 0.5);

    // Blocks of any size give the same oversampled file.
    EXPECT_EQ(firstDifference(oversampled,
                              renderMidi(temp, mid,
                                         concat(kGatedSine, {"--tail", "0.25", "--oversample", "2",
                                                             "--block", "37"}))),
              -1);

    // Until the output is quiet: the same length to within a few milliseconds.
    const auto quietDirect = renderMidi(temp, mid, kGatedSine);
    const auto quietOversampled = renderMidi(temp, mid, concat(kGatedSine, {"--oversample", "2"}));
    EXPECT_NEAR(static_cast<double>(quietOversampled.size()),
                static_cast<double>(quietDirect.size()), 48.0 * 5);
}

// Sync follows the file's tempo map: after the change to 60 BPM the tremolo's loudness over
// time has the shape of the one rendered without oversampling, not of the one at 120 BPM.
// (The level's smoother runs per sample, so the troughs recover faster at twice the rate:
// the shapes agree, not every level.)
TEST(ToolOversample, SyncedLfosFollowTheTempoMap) {
    TempFolder temp;
    const std::string mid = temp.file("tempo.mid");
    writeFile(mid, midiBytes({{0, 0x90, 60, 100}, {480 * 4, 0x80, 60, 0}},
                             {{0, 500000}, {960, 1000000}}));
    const std::vector<std::string> tremolo = {"--rate",
                                              "8000",
                                              "--tail",
                                              "0",
                                              "--defaults",
                                              "--set",
                                              "BPM Sync On/Off=on",
                                              "--set",
                                              "LFO Target select=Amp",
                                              "--set",
                                              "LFO Amount=1",
                                              "--set",
                                              "LFO Speed=0.241"};
    const auto direct = renderMidi(temp, mid, tremolo);
    const auto oversampled = renderMidi(temp, mid, concat(tremolo, {"--oversample", "2"}));
    const auto fixed =
        renderMidi(temp, mid, concat(tremolo, {"--oversample", "2", "--tempo", "120"}));
    ASSERT_EQ(oversampled.size(), direct.size());
    ASSERT_EQ(fixed.size(), direct.size());

    // Loudness in 20 ms windows from 1 s on, less its mean.
    auto envelope = [](const std::vector<float>& s) {
        std::vector<double> e;
        for (size_t from = 8000; from + 160 <= s.size(); from += 160) {
            double sum = 0.0;
            for (size_t i = from; i < from + 160; ++i)
                sum += static_cast<double>(s[i]) * s[i];
            e.push_back(std::sqrt(sum / 160));
        }
        double mean = 0.0;
        for (double v : e)
            mean += v / static_cast<double>(e.size());
        for (double& v : e)
            v -= mean;
        return e;
    };
    auto correlation = [](const std::vector<double>& a, const std::vector<double>& b) {
        double ab = 0, aa = 0, bb = 0;
        for (size_t i = 0; i < a.size(); ++i)
            ab += a[i] * b[i], aa += a[i] * a[i], bb += b[i] * b[i];
        return ab / std::sqrt(aa * bb);
    };
    const auto reference = envelope(direct);
    const double same = correlation(envelope(oversampled), reference);
    const double other = correlation(envelope(fixed), reference);
    RecordProperty("tremolo_correlation", std::to_string(same) + " vs " + std::to_string(other));
    EXPECT_GT(same, 0.97);
    EXPECT_LT(other, 0.5);
}
