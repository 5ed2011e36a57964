#include "GlobalState.h"
#include "Voice.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace {

GlobalState oscillatorState() {
    GlobalState gs;
    gs.setSampleRate(48000.0);
    gs.sawAmountSmoothed = 1.0;
    return gs;
}

std::vector<double> run(Voice& v, double incr, int n) {
    std::vector<double> out(n);
    for (double& s : out)
        s = v.calculateSS(incr);
    return out;
}

// How strongly the output of a fresh voice follows a small change of one saw core.
double coreSensitivity(double detune, int core) {
    GlobalState gs = oscillatorState();
    gs.sawDetuneSmoothed = detune;
    Voice base(&gs), nudged(&gs);
    constexpr double delta = 1e-7;
    nudged.sawCore[core] += delta;
    return (nudged.calculateSS(0.01) - base.calculateSS(0.01)) / delta;
}

} // namespace

TEST(Voice, DetuneBalancesCentreAndSideCores) {
    const double centre = coreSensitivity(0.0, 0);
    ASSERT_NE(centre, 0.0);
    EXPECT_NEAR(coreSensitivity(0.03, 0) / centre, 0.7, 1e-6);
    EXPECT_NEAR(coreSensitivity(0.05, 0) / centre, 0.5, 1e-6);
    EXPECT_NEAR(coreSensitivity(0.3, 0) / centre, 0.5, 1e-6);

    EXPECT_EQ(coreSensitivity(0.0, 1), 0.0) << "without detune only the centre core sounds";
    const double balanced = coreSensitivity(0.3, 1);
    ASSERT_NE(balanced, 0.0);
    EXPECT_NEAR(coreSensitivity(0.03, 1) / balanced, 0.6, 0.01);
    EXPECT_NEAR(coreSensitivity(0.06, 1) / balanced, 1.0, 0.01);
}

TEST(Voice, HardSyncResetsPhasesOnlyWhileActive) {
    GlobalState gs = oscillatorState();
    Voice v(&gs);
    for (int i = 0; i < 48000; ++i) {
        v.calculateSS(0.02);
        for (int k = 0; k < Voice::kNumCores; ++k)
            ASSERT_EQ(v.syncFlag[k], 0);
    }
    gs.hardSyncAmountSmoothed = 0.3;
    int resets = 0;
    for (int i = 0; i < 4800; ++i) {
        v.calculateSS(0.02);
        if (v.syncFlag[0]) {
            ++resets;
            EXPECT_EQ(v.slavePhase[0], 0.0);
            EXPECT_EQ(v.sawCore[0], 0.0);
        }
    }
    EXPECT_NEAR(resets, 4800 * 0.02 / 2.0, 1.0) << "one reset per master period";
}

TEST(Voice, PulseWidthIsStaticBelowTheSwitchPointAndAutomaticAbove) {
    auto pulseOutput = [](double knob, double triangle, double lfo) {
        GlobalState gs = oscillatorState();
        gs.sawAmountSmoothed = 0.0;
        gs.pulseAmountSmoothed = 1.0;
        gs.pulseWidthSmoothed = knob;
        gs.PWMonlyLFO = triangle;
        gs.LFOPWM = lfo;
        Voice v(&gs);
        return run(v, 0.01, 2000);
    };
    EXPECT_EQ(pulseOutput(0.504, -1.0, 0.0), pulseOutput(0.504, 1.0, 0.0));
    EXPECT_NE(pulseOutput(0.505, -1.0, 0.0), pulseOutput(0.505, 1.0, 0.0));
    // Width is held inside 0.01..0.5.
    EXPECT_EQ(pulseOutput(0.0, 0.0, 0.0), pulseOutput(0.005, 0.0, 0.0));
    EXPECT_EQ(pulseOutput(0.01, 0.0, 0.0), pulseOutput(-0.3, 0.0, 0.0));
    EXPECT_EQ(pulseOutput(0.5, 0.0, 0.0), pulseOutput(0.3, 0.0, -1.0));
    EXPECT_NE(pulseOutput(0.3, 0.0, 0.0), pulseOutput(0.5, 0.0, 0.0));
}

TEST(Voice, IncrementStaysInsideZeroToOne) {
    GlobalState gs = oscillatorState();
    Voice v(&gs);
    v.state.osc.targetNote = 200.0;
    gs.pitchWheelDelta = 1.0;
    gs.pitchWheelRange = 24;
    v.process();
    EXPECT_EQ(v.incr, 1.0);
    gs.LFOPitch = -3.0;
    v.process();
    EXPECT_EQ(v.incr, 0.0);
}

TEST(Voice, SilentMixDecaysToZeroThroughTheDcBlocker) {
    GlobalState gs = oscillatorState();
    Voice v(&gs);
    run(v, 0.01, 1000);
    gs.sawAmountSmoothed = 0.0;
    auto tail = run(v, 0.01, 48000 * 4);
    EXPECT_LT(std::abs(tail.back()), 1e-6);
}

TEST(Voice, PortamentoGlidesExponentiallyFromTheLastNote) {
    GlobalState gs = oscillatorState();
    gs.setPortaSpeed(0.3, 48000.0);
    Voice v(&gs);
    v.state.osc.targetNote = 60.0;
    v.process();
    EXPECT_NEAR(v.state.osc.note, 60.0 * gs.portaSpeed, 1e-12) << "the first note glides up from 0";
    for (int i = 0; i < 48000 * 2; ++i)
        v.process();
    EXPECT_NEAR(v.state.osc.note, 60.0, 1e-3);
    gs.setPortaSpeed(0.0, 48000.0);
    v.state.osc.targetNote = 72.0;
    v.process();
    EXPECT_EQ(v.state.osc.note, 72.0);
}
