#include "Dezipper.h"
#include "EngineMath.h"
#include "GlobalState.h"

#include <gtest/gtest.h>

TEST(GlobalState, PhonicTypeSetsVoiceCountAndIgnoresUnknownTypes) {
    GlobalState gs;
    EXPECT_EQ(gs.numVoices, 8);
    gs.setPhonicType(GlobalState::kMono);
    EXPECT_EQ(gs.numVoices, 1);
    gs.setPhonicType(3);
    EXPECT_EQ(gs.phonicType, 3);
    EXPECT_EQ(gs.numVoices, 1);
    gs.setPhonicType(GlobalState::kPoly);
    EXPECT_EQ(gs.numVoices, 8);
    gs.setPhonicType(GlobalState::kLegato);
    EXPECT_EQ(gs.numVoices, 1);
}

TEST(GlobalState, SustainPedalSwitchesAtHalf) {
    GlobalState gs;
    gs.setSustainPedalOnoff(0.5);
    EXPECT_TRUE(gs.sustainPedalOnoff);
    gs.setSustainPedalOnoff(0.49);
    EXPECT_FALSE(gs.sustainPedalOnoff);
}

TEST(GlobalState, PortamentoTimeZeroIsOffAndInstant) {
    GlobalState gs;
    gs.setPortaSpeed(0.5, 48000.0);
    EXPECT_TRUE(gs.portaOnoff);
    EXPECT_NEAR(gs.portaSpeed, 1.0 / 48000.0 / (3.0 * 0.0625), 1e-15);
    gs.setPortaSpeed(0.0, 48000.0);
    EXPECT_FALSE(gs.portaOnoff);
    EXPECT_EQ(gs.portaSpeed, 1.0);
    gs.setPortaSpeed(0.001, 48000.0); // would exceed one step per sample
    EXPECT_EQ(gs.portaSpeed, 1.0);
}

TEST(GlobalState, ModWheelRoutesToOneTargetOnly) {
    ModWheelManager mw;
    mw.setModWheelAmount(0.3);
    EXPECT_EQ(mw.getLFO(), 1.0);
    EXPECT_EQ(mw.getCutoff(), 0.0);
    mw.setModWheelTarget(1);
    EXPECT_EQ(mw.getLFO(), 0.3);
    mw.setModWheelTarget(2);
    EXPECT_EQ(mw.getLFO(), 1.0);
    EXPECT_EQ(mw.getCutoff(), 0.3);
    EXPECT_EQ(mw.getHardSync(), 0.0);
    mw.setModWheelTarget(3);
    EXPECT_EQ(mw.getHardSync(), 0.3);
}

TEST(Dezipper, ApproachesPositiveTargetsAndDropsToZeroAtOnce) {
    Dezipper z;
    EXPECT_DOUBLE_EQ(z.process(1.0), 0.002);
    for (int i = 0; i < 5000; ++i)
        z.process(1.0);
    EXPECT_NEAR(z.state, 1.0, 1e-4);
    EXPECT_EQ(z.process(-0.2), 0.0);
    z.process(1.0);
    EXPECT_EQ(z.process(0.0), 0.0);
}

TEST(EngineMath, FastSineMatchesSineShapeAndWrapsOnce) {
    EXPECT_NEAR(fast_sin(3.14159265358979 / 2), 1.0, 1e-8);
    EXPECT_NEAR(fast_sin(-3.14159265358979 / 2), -1.0, 1e-8);
    EXPECT_EQ(fast_sin(0.0), 0.0);
    EXPECT_DOUBLE_EQ(fast_sin(7.0), fast_sin(7.0 - 6.28318531));
    for (double x = -3.1; x < 3.1; x += 0.05)
        EXPECT_NEAR(fast_sin(x), std::sin(x), 0.06) << x;
}

TEST(EngineMath, NoteToFrequencyAndEnvelopeHelpers) {
    EXPECT_DOUBLE_EQ(midi2CPS(57), 440.0);
    EXPECT_DOUBLE_EQ(midi2CPS(69), 880.0);
    EXPECT_DOUBLE_EQ(Env_curveA(0.0), 0.0);
    EXPECT_DOUBLE_EQ(Env_curveA(1.0), 1.0);
    EXPECT_GT(Env_curveA(0.2), 0.2); // concave: rises fast
    EXPECT_DOUBLE_EQ(Env_curveDR(1.0), 1.0);
    EXPECT_LT(Env_curveDR(0.8), 0.8); // convex: falling from 1 drops fast
    EXPECT_DOUBLE_EQ(gateSpeed(48000.0) * 144.0, 1.0);
    EXPECT_DOUBLE_EQ(1.0 / calcIncrFromTimeLinear(1.0, 48000.0), 30.0 * 48000.0);
}
