#include "EngineKit.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace enginekit;

namespace {

constexpr double kRate = 48000.0;

Patch sawOnly() {
    Patch p;
    p.saw = 1.0;
    p.pulse = 0.0;
    p.sub = 0.0;
    return p;
}

double playedFrequency(const Patch& p, int note, void (*tweak)(GlobalState&), double fmin,
                       double fmax) {
    Synthesizer synth;
    apply(synth, p, kRate);
    if (tweak) tweak(synth.globalState);
    noteOn(synth, 0, note);
    return estimateFrequency(render(synth, int(kRate / 2)), kRate, fmin, fmax, 4800);
}

} // namespace

TEST(Synthesizer, PlaysTheNotePitchWithBendAndLfoFactor) {
    EXPECT_NEAR(playedFrequency(sawOnly(), 69, nullptr, 300, 600), 440.0, 0.5);
    EXPECT_NEAR(playedFrequency(sawOnly(), 57, nullptr, 150, 300), 220.0, 0.3);
    auto bendDown = [](GlobalState& gs) {
        gs.setPitchWheelRange(2);
        gs.setPitchWheelDelta(-1.0);
    };
    EXPECT_NEAR(playedFrequency(sawOnly(), 69, bendDown, 300, 600), 391.995, 0.5);
    auto bendUp = [](GlobalState& gs) {
        gs.setPitchWheelRange(12);
        gs.setPitchWheelDelta(1.0);
    };
    EXPECT_NEAR(playedFrequency(sawOnly(), 69, bendUp, 600, 1200), 880.0, 1.0);
    auto lfoUp = [](GlobalState& gs) { gs.setLFOPitch(1.0); };
    EXPECT_NEAR(playedFrequency(sawOnly(), 69, lfoUp, 600, 1200), 880.0, 1.0);
    auto lfoHalf = [](GlobalState& gs) { gs.setLFOPitch(-0.5); };
    EXPECT_NEAR(playedFrequency(sawOnly(), 69, lfoHalf, 150, 300), 220.0, 0.3);

    Patch synced = sawOnly();
    synced.hardSync = 0.3;
    EXPECT_NEAR(playedFrequency(synced, 69, nullptr, 300, 600), 440.0, 0.5)
        << "hard sync keeps the master's pitch";
}

TEST(Synthesizer, LfoPitchFactorZeroStopsTheOscillator) {
    Synthesizer synth;
    apply(synth, sawOnly(), kRate);
    synth.globalState.setLFOPitch(-1.0);
    noteOn(synth, 0, 69);
    auto out = render(synth, int(kRate * 2));
    EXPECT_LT(rms(out, size_t(kRate * 1.5)), 1e-3);
}

TEST(Synthesizer, SilentWithoutBusyVoicesOrVolume) {
    Synthesizer synth;
    apply(synth, Patch{}, kRate);
    for (double s : render(synth, 4800))
        ASSERT_EQ(s, 0.0);

    noteOn(synth, 0, 60);
    auto sounding = render(synth, 4800);
    EXPECT_GT(rms(sounding), 0.01);
    synth.globalState.setVolume(0.0);
    for (double s : render(synth, 4800))
        ASSERT_EQ(s, 0.0) << "volume 0 silences from the next sample on";
}

TEST(Synthesizer, SumIsHardClippedToPlusMinusOne) {
    Synthesizer synth;
    Patch loud = sawOnly();
    loud.volume = 40.0;
    apply(synth, loud, kRate);
    for (int v = 0; v < 8; ++v)
        noteOn(synth, v, 40 + 5 * v);
    auto out = render(synth, int(kRate / 2));
    EXPECT_EQ(peak(out), 1.0);
    int clipped = 0;
    for (double s : out)
        clipped += std::abs(s) == 1.0;
    EXPECT_GT(clipped, 100);
}

TEST(Synthesizer, MonoRendersOnlyVoiceZeroAndLeavesTheOthersUntouched) {
    Synthesizer both, single;
    apply(both, sawOnly(), kRate);
    apply(single, sawOnly(), kRate);
    noteOn(both, 0, 60);
    noteOn(both, 1, 67);
    noteOn(single, 0, 60);
    both.globalState.setPhonicType(GlobalState::kMono);
    single.globalState.setPhonicType(GlobalState::kMono);
    const ADSRState frozen = both.voiceState(1).adsrState;
    EXPECT_EQ(render(both, 9600), render(single, 9600));
    EXPECT_EQ(both.voiceState(1).adsrState.counter, frozen.counter);
    EXPECT_EQ(both.voiceState(1).adsrState.stage, frozen.stage);
}

TEST(Synthesizer, VoiceBecomesIdleAfterItsRelease) {
    Synthesizer synth;
    apply(synth, Patch{}, kRate);
    noteOn(synth, 0, 60);
    render(synth, 4800);
    noteOff(synth, 0);
    render(synth, 400); // a 6.2 ms release
    EXPECT_FALSE(synth.isBusy(0));
    for (double s : render(synth, 100))
        ASSERT_EQ(s, 0.0);
}

TEST(Synthesizer, GateModeOpensTheAmplifierInThreeMilliseconds) {
    Patch slow = sawOnly();
    slow.attack = 1.0; // 30 s
    Synthesizer env, gate;
    apply(env, slow, kRate);
    slow.ampEnvType = 1;
    apply(gate, slow, kRate);
    noteOn(env, 0, 60);
    noteOn(gate, 0, 60);
    auto e = render(env, 480), g = render(gate, 480);
    EXPECT_GT(rms(g, 240), 20.0 * rms(e, 240)) << "5 to 10 ms after note-on";
}

TEST(Synthesizer, DrivePositionAndAmountShapeTheSound) {
    Patch pre = sawOnly();
    pre.cutoff = 0.6;
    pre.driveAmount = 0.5;
    Patch post = pre;
    post.drivePost = true;
    Patch clean = pre;
    clean.driveAmount = 0.0;
    auto play = [](const Patch& p) {
        Synthesizer s;
        apply(s, p, kRate);
        noteOn(s, 0, 48);
        return render(s, 9600);
    };
    const auto a = play(pre), b = play(post), c = play(clean);
    EXPECT_NE(a, b);
    EXPECT_GT(rms(a, 4800), 1.5 * rms(c, 4800));
    EXPECT_LE(peak(b), 0.8 + 1e-9) << "after the filter the drive caps each voice at 1";
}

TEST(Synthesizer, AutomaticPulseWidthTriangleHoldsBelowHalf) {
    Synthesizer synth;
    Patch p;
    p.pulseWidth = 0.9;
    apply(synth, p, kRate);
    render(synth, 1000);
    EXPECT_NE(synth.pwmValue, 1.0);
    synth.globalState.setPulseWidth(0.4);
    synth.process();
    const double held = synth.pwmValue;
    render(synth, 5000);
    EXPECT_EQ(synth.pwmValue, held);
    EXPECT_GE(held, -1.0);
    EXPECT_LE(held, 1.0);
}
