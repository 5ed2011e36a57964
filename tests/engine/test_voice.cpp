#include "EngineKit.h"
#include "GlobalState.h"
#include "Voice.h"

#include <gtest/gtest.h>

#include <algorithm>
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

TEST(Voice, HardSyncKeepsTheMasterPitchAndBrightensTheSaw) {
    auto play = [](double hardSync) {
        enginekit::Patch p;
        p.saw = 1.0;
        p.pulse = 0.0;
        p.sub = 0.0;
        p.hardSync = hardSync;
        Synthesizer synth;
        enginekit::apply(synth, p, 48000.0);
        enginekit::noteOn(synth, 0, 57);
        return enginekit::render(synth, 24000);
    };
    const auto plain = play(0.0), synced = play(0.3);
    EXPECT_NEAR(enginekit::estimateFrequency(synced, 48000.0, 150, 300, 12000), 220.0, 0.5);
    // Sync resets the slave cores every master period: the waveform changes, the period not.
    double diff = 0.0;
    for (size_t i = 12000; i < plain.size(); ++i)
        diff = std::max(diff, std::abs(plain[i] - synced[i]));
    EXPECT_GT(diff, 0.1);
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

TEST(Voice, ExtremePitchesStayBoundedAndZeroFrequencyFallsSilent) {
    enginekit::Patch p;
    p.pitchBendRange = 23; // 24 semitones
    Synthesizer synth;
    enginekit::apply(synth, p, 48000.0);
    synth.globalState.setPitchWheelDelta(1.0);
    enginekit::noteOn(synth, 0, 127);
    for (double y : enginekit::render(synth, 4800))
        ASSERT_TRUE(std::isfinite(y) && std::abs(y) <= 1.0);

    synth.globalState.setLFOPitch(-3.0); // a frequency factor below zero holds the cores still
    const auto still = enginekit::render(synth, 48000);
    // What is left is the cores' standing offset draining through the DC blocker: no more
    // oscillation, only a slow monotonic decay.
    int turns = 0;
    for (size_t i = 24002; i < still.size(); ++i)
        turns += (still[i] - still[i - 1]) * (still[i - 1] - still[i - 2]) < 0.0;
    EXPECT_EQ(turns, 0);
    EXPECT_LT(std::abs(still.back()), std::abs(still[24000]));
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
