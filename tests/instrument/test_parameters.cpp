#include "InstrumentHost.h"

#include <gtest/gtest.h>

#include "EngineKit.h"
#include "Listening.h"

#include <algorithm>

#include <cmath>
#include <cstdlib>

namespace {

class Parameters : public ::testing::Test {
protected:
    IsolatedUserData userData;
};

} // namespace

// The bend range shows the semitones it bends; "0" turns bending off.
TEST_F(Parameters, PitchBendRangeBendsWhatItShows) {
    for (const char* shown : {"0", "2", "7"}) {
        InstrumentHost h;
        int entry = -1;
        ASSERT_TRUE(h.plug().GetParam(kPitchBendRange)->MapDisplayText(shown, &entry));
        h.setParam(kPitchBendRange, entry);
        h.setParam(kSub, 0.0);
        h.noteOn(57, 100);
        h.send(0xE0, 127, 127, 1); // the wheel all the way up
        h.renderSeconds(0.2);
        const double semitones = std::atoi(shown) * (16383 - 8192) / 8192.0;
        const double expected = 220.0 * std::pow(2.0, semitones / 12.0);
        EXPECT_NEAR(enginekit::estimateFrequency(h.left, 48000.0, 200.0, 400.0, 2400), expected,
                    expected * 0.01)
            << "shown " << shown;
    }
}

namespace {

constexpr double kRate = 48000.0;

// Middle C held for `blocks` blocks on the default patch with one parameter changed.
std::vector<double> playC(int idx, double value, int blocks = 40) {
    InstrumentHost h;
    h.setParam(idx, value);
    h.noteOn(60, 100);
    h.renderBlocks(blocks);
    return h.left;
}

// Level of the upper partials: the signal's rms after a first difference.
double brightness(const std::vector<double>& x) {
    std::vector<double> d(x.size() - 1);
    for (size_t i = 1; i < x.size(); ++i)
        d[i - 1] = x[i] - x[i - 1];
    return enginekit::rms(d, 960) / enginekit::rms(x, 960);
}

} // namespace

TEST_F(Parameters, ChangesAreHeard) {
    const auto plain = playC(kCutoff, 1.0);
    EXPECT_LT(brightness(playC(kCutoff, 0.25)), 0.5 * brightness(plain)) << "a lower cutoff";
    EXPECT_NE(playC(kDrivePrePost, 1), plain) << "drive after the filter";
    EXPECT_GT(enginekit::rms(playC(kVolume, 0.8)), 1.5 * enginekit::rms(playC(kVolume, 0.4)));
    auto withLfoShape = [](int type) {
        InstrumentHost h;
        h.setParam(kBPMSync, 0);
        h.setParam(kLFOSpeed, 0.5);
        h.setParam(kLFOTarget, 0);
        h.setParam(kLFOAmount, 1.0);
        h.setParam(kLFOType, type);
        h.noteOn(60, 100);
        h.renderBlocks(200);
        return h.left;
    };
    EXPECT_NE(withLfoShape(2), withLfoShape(0)) << "a square LFO is not a sine";
    // "Env Attack" at its top is a 30 s attack.
    EXPECT_LT(enginekit::rms(playC(kAttack, 1.0)), 0.05 * enginekit::rms(plain));
}

TEST_F(Parameters, ModWheelActsOnlyOnItsTarget) {
    auto wheel = [](int target, int amount) {
        InstrumentHost h;
        h.setParam(kModWheelTarget, target);
        h.setParam(kCutoff, 0.5);
        h.noteOn(60, 100);
        h.control(1, amount);
        h.renderBlocks(40);
        return h.left;
    };
    EXPECT_EQ(wheel(0, 127), wheel(0, 0)) << "\"OFF\"";
    EXPECT_NE(wheel(2, 127), wheel(2, 0)) << "\"Cutoff\"";
}

TEST_F(Parameters, PortamentoSpeedZeroJumpsAndAnyOtherGlides) {
    auto play = [](double speed) {
        InstrumentHost h;
        h.setParam(kPhonicType, 0);
        h.setParam(kSub, 0.0);
        h.setParam(kPulse, 0.0);
        h.setParam(kPortaSpeed, speed);
        h.noteOn(48, 100);
        h.renderBlocks(40);
        h.noteOn(60, 100);
        h.renderBlocks(40);
        return listening::pitch(h.left, 40 * 64 + 200, 40 * 64 + 1640, kRate, 180.0, 400.0);
    };
    EXPECT_NEAR(play(0.0), listening::noteHz(60), 1.5);
    EXPECT_GT(std::abs(play(0.3) - listening::noteHz(60)), 10.0) << "still on its way up";
}

TEST_F(Parameters, LfoTargetChangeClearsEveryModulation) {
    // Saw cores only, so moving the LFO onto the pulse width leaves nothing it can modulate.
    auto play = [](int target, bool retarget) {
        InstrumentHost h;
        h.setParam(kPulse, 0.0);
        h.setParam(kSub, 0.0);
        h.setParam(kBPMSync, 0);
        h.setParam(kLFOSpeed, 0.5);
        h.setParam(kLFOTarget, target);
        h.setParam(kLFOAmount, 1.0);
        h.noteOn(60, 100);
        h.renderBlocks(300);
        if (retarget) h.setParam(kLFOTarget, 1);
        h.renderBlocks(300);
        return h.left;
    };
    auto frameLevels = [](const std::vector<double>& x, size_t from, size_t to) {
        std::vector<double> levels;
        for (size_t f = from; f + 960 <= to; f += 960)
            levels.push_back(enginekit::rms(x, f, f + 960));
        return levels;
    };
    const auto unmodulated = play(1, false); // the pulse width
    const double level = enginekit::rms(unmodulated, 960);
    const auto modulated = play(3, true); // the amp, then the pulse width
    const auto before = frameLevels(modulated, 960, 300 * 64);
    const auto [low, high] = std::minmax_element(before.begin(), before.end());
    ASSERT_GT(*high - *low, 0.2 * level) << "the LFO moves the level";
    // After the settings' short smoothing the level stays where an unmodulated one is.
    for (double l : frameLevels(modulated, 300 * 64 + 1920, 600 * 64))
        EXPECT_NEAR(l, level, 0.05 * level) << "the level is left unmodulated";
}
