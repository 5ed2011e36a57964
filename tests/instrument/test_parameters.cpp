#include "InstrumentHost.h"

#include <gtest/gtest.h>

#include "EngineKit.h"

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

TEST_F(Parameters, ChangesReachTheEngine) {
    InstrumentHost h;
    const GlobalState& gs = h.synth().globalState;
    h.setParam(kCutoff, 0.25);
    EXPECT_EQ(gs.cutoff, 0.25);
    h.setParam(kDrivePrePost, 1);
    EXPECT_TRUE(gs.driveOnoff);
    h.setParam(kPitchBendRange, 11);
    EXPECT_EQ(gs.pitchWheelRange, 11) << "entry 11, shown \"12\", bends 11 semitones";
    h.setParam(kModWheelTarget, 2);
    EXPECT_EQ(gs.modWheel.target, 2);
    h.setParam(kAttack, 1.0);
    EXPECT_DOUBLE_EQ(h.synth().adsr.attackIncr, 1.0 / 48000.0 / 30.0);
    h.setParam(kPortaSpeed, 0.0);
    EXPECT_FALSE(gs.portaOnoff);
    h.setParam(kPortaSpeed, 0.2);
    EXPECT_TRUE(gs.portaOnoff);
    EXPECT_DOUBLE_EQ(gs.portaSpeed, std::min(1.0, 1.0 / 48000.0 / (3.0 * 0.2 * 0.2 * 0.2 * 0.2)));
}

TEST_F(Parameters, LfoTargetChangeClearsEveryModulation) {
    InstrumentHost h;
    h.setParam(kLFOTarget, 3); // amp
    h.setParam(kLFOAmount, 1.0);
    h.noteOn(60, 100);
    h.renderBlocks(4);
    ASSERT_NE(h.synth().globalState.LFOAmp, 0.0);
    h.setParam(kLFOTarget, 0);
    EXPECT_EQ(h.synth().globalState.LFOAmp, 0.0);
    EXPECT_EQ(h.synth().lfo.getTarget(), 0);
}
