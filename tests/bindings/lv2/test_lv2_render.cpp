// Playing the instrument through lilv as a host: rates, silence, the notify port, the factory
// presets against the offline tool's render, and block lengths that do not change the sound.

#include "LilvSuite.h"

#include "Karvelund.h"
#include "midi_render.h"
#include "plugin_setup.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <random>

namespace {

constexpr uint8_t kNoteOn = 0x90, kNoteOff = 0x80, kController = 0xB0;

struct PhraseEvent {
    int frame;
    uint8_t status, data1, data2;
};

// A chord, a held bass note, the mod wheel and a late melody note, over 0.6 s at 48 kHz.
const std::vector<PhraseEvent>& Phrase() {
    static const std::vector<PhraseEvent> events = {
        {0, kNoteOn, 60, 100},      {0, kNoteOn, 64, 90},       {700, kNoteOn, 67, 80},
        {4500, kNoteOn, 36, 120},   {6000, kController, 1, 90}, {10001, kNoteOff, 60, 0},
        {10001, kNoteOff, 64, 0},   {13000, kNoteOff, 67, 0},   {15250, kNoteOn, 72, 64},
        {20500, kNoteOff, 72, 0},   {22000, kNoteOff, 36, 0},
    };
    return events;
}
constexpr int kPhraseFrames = 28800;

// Runs the phrase through the rig in blocks whose lengths come from nextLength.
template <typename NextLength> void Play(LilvInstanceRig& rig, NextLength nextLength) {
    int done = 0;
    size_t next = 0;
    const auto& events = Phrase();
    while (done < kPhraseFrames) {
        const int n = std::min(nextLength(), kPhraseFrames - done);
        while (next < events.size() && events[next].frame < done + n) {
            const PhraseEvent& e = events[next++];
            rig.midi(e.frame - done, e.status, e.data1, e.data2);
        }
        rig.run(n);
        done += n;
    }
}

double Peak(const std::vector<float>& x) {
    double peak = 0.0;
    for (float v : x)
        peak = std::max(peak, static_cast<double>(std::fabs(v)));
    return peak;
}

// The fundamental of a stretch of audio: the shortest lag between 2 and 20 ms at which it
// matches itself about as well as at any, refined between samples.
double Fundamental(const std::vector<float>& x, size_t from, size_t to, double rate) {
    auto match = [&](size_t lag) {
        double sum = 0.0;
        for (size_t i = from; i + lag < to; ++i)
            sum += double(x[i]) * x[i + lag];
        return sum / static_cast<double>(to - from - lag);
    };
    const size_t minLag = static_cast<size_t>(rate / 500), maxLag = static_cast<size_t>(rate / 50);
    std::vector<double> m(maxLag + 2);
    double top = 0.0;
    for (size_t lag = minLag - 1; lag <= maxLag + 1; ++lag)
        top = std::max(top, m[lag] = match(lag));
    // The first peak nearly as high as the highest: later ones are multiples of the period.
    size_t best = minLag;
    while (best < maxLag &&
           !(m[best] >= 0.9 * top && m[best] >= m[best - 1] && m[best] >= m[best + 1]))
        ++best;
    const double a = m[best - 1], b = m[best], c = m[best + 1];
    const double shift = (a - c) / (2.0 * (a - 2.0 * b + c));
    return rate / (static_cast<double>(best) + shift);
}

class Render : public LilvSuite {};

TEST_F(Render, PlaysInTuneAtEachSampleRate) {
    for (double rate : {44100.0, 48000.0, 96000.0}) {
        SCOPED_TRACE(rate);
        LilvInstanceRig rig(*sHost, rate);
        // A plain sawtooth with the filter open, so the zero crossings give the pitch.
        rig.setControl("sub", 0.0f);
        rig.setControl("pulse", 0.0f);
        rig.setControl("lfo_amount", 0.0f);
        rig.midi(10, kNoteOn, 69, 100);
        const int blocks = static_cast<int>(rate / 256);
        for (int b = 0; b < blocks; ++b)
            rig.run(256);
        for (int s = 0; s < 10; ++s)
            EXPECT_EQ(rig.left[static_cast<size_t>(s)], 0.0f);
        for (float v : rig.left)
            ASSERT_TRUE(std::isfinite(v));
        EXPECT_GT(Peak(rig.left), 0.05);
        EXPECT_EQ(rig.left, rig.right);
        const size_t n = rig.left.size();
        EXPECT_NEAR(Fundamental(rig.left, n / 2, n, rate), 440.0, 2.0);
    }
}

TEST_F(Render, WritesSilenceUntilTheFirstNote) {
    LilvInstanceRig rig(*sHost, 48000.0);
    for (int b = 0; b < 4; ++b)
        rig.run(300);
    EXPECT_EQ(Peak(rig.left), 0.0);
    EXPECT_EQ(Peak(rig.right), 0.0);
}

TEST_F(Render, ReportsPlayedNotesOnTheNotifyPort) {
    LilvInstanceRig rig(*sHost, 48000.0);
    rig.midi(5, kNoteOn, 62, 100);
    rig.midi(7, kController, 1, 10);
    rig.midi(9, kNoteOff, 62, 0);
    rig.run(64);
    ASSERT_EQ(rig.notifiedNotes.size(), 2u);
    EXPECT_EQ(rig.notifiedNotes[0], std::make_pair(kNoteOn, uint8_t{62}));
    EXPECT_EQ(rig.notifiedNotes[1], std::make_pair(kNoteOff, uint8_t{62}));
}

TEST_F(Render, EveryFactoryPresetSoundsAsTheOfflineToolRendersIt) {
    const auto presets = sHost->presets();
    ASSERT_EQ(presets.size(), 64u);
    std::vector<kv::cli::MidiFileEvent> midi;
    for (const PhraseEvent& e : Phrase())
        midi.push_back({e.frame / 48000.0, e.status, e.data1, e.data2});
    for (size_t i = 0; i < presets.size(); ++i) {
        SCOPED_TRACE(lilv_node_as_uri(presets[i]));
        // The host: the preset chosen before the instrument starts.
        LilvInstanceRig rig(*sHost, 48000.0, /*activate*/ false);
        LilvState* state = sHost->presetState(static_cast<int>(i));
        ASSERT_NE(state, nullptr);
        rig.apply(state);
        lilv_state_free(state);
        rig.activate();
        Play(rig, [] { return 512; });

        std::unique_ptr<Karvelund> plug(MakePlug());
        kv::cli::PluginSetup setup;
        setup.program = static_cast<int>(i);
        std::string error;
        ASSERT_TRUE(kv::cli::applySetup(*plug, setup, error)) << error;
        plug->Initialize(48000.0, 512);
        std::vector<float> expected;
        kv::cli::renderMidiEvents(*plug, midi, 48000.0, 512, kv::cli::RenderTail{kPhraseFrames},
                                  [&](const double* left, const double*, int n) {
                                      for (int s = 0; s < n; ++s)
                                          expected.push_back(static_cast<float>(left[s]));
                                      return true;
                                  });
        expected.resize(kPhraseFrames);
        ASSERT_GT(Peak(expected), 0.001);
        ASSERT_EQ(rig.left.size(), expected.size());
        size_t firstDifference = 0;
        while (firstDifference < expected.size() &&
               rig.left[firstDifference] == expected[firstDifference])
            ++firstDifference;
        EXPECT_EQ(firstDifference, expected.size())
            << "first difference at frame " << firstDifference;
        EXPECT_EQ(rig.left, rig.right);
    }
}

TEST_F(Render, RandomBlockLengthsSoundAsFixedBlocks) {
    // A tempo-synced preset, so the transport matters too.
    LilvState* state = sHost->presetState(53);
    ASSERT_NE(state, nullptr);
    auto play = [&](auto nextLength) {
        auto rig = std::make_unique<LilvInstanceRig>(*sHost, 48000.0);
        rig->apply(state);
        rig->position(0, 132.0, 1.0, 0.0, 0.0, 0.0);
        Play(*rig, nextLength);
        return rig;
    };
    auto fixed = play([] { return 512; });
    std::mt19937 random(7);
    std::uniform_int_distribution<int> length(0, 4096);
    auto varied = play([&] {
        const int n = length(random);
        return n % 5 == 0 ? 0 : n; // empty blocks too
    });
    lilv_state_free(state);
    EXPECT_GT(Peak(fixed->left), 0.001);
    EXPECT_TRUE(fixed->left == varied->left);
    EXPECT_TRUE(fixed->right == varied->right);
}

TEST_F(Render, TempoFromTheHostChangesATempoSyncedLfo) {
    LilvState* state = sHost->presetState(53);
    auto play = [&](double bpm) {
        auto rig = std::make_unique<LilvInstanceRig>(*sHost, 48000.0);
        rig->apply(state);
        rig->position(0, bpm, 1.0, 0.0, 0.0, 0.0);
        Play(*rig, [] { return 512; });
        return rig->left;
    };
    const auto at120 = play(120.0);
    const auto at120Again = play(120.0);
    const auto at90 = play(90.0);
    lilv_state_free(state);
    EXPECT_EQ(at120, at120Again);
    EXPECT_NE(at120, at90);
}

} // namespace
