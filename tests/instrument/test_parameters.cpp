#include "InstrumentHost.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

class Parameters : public ::testing::Test {
protected:
    IsolatedUserData userData;
};

} // namespace

TEST_F(Parameters, TableHasThirtyOneParametersWithTheirKindsRangesAndTexts) {
    InstrumentHost h;
    Karvelund& k = h.plug();
    ASSERT_EQ(k.NParams(), 31);
    struct Expect {
        int idx;
        const char* name;
        EParamType type;
        double def, lo, hi;
    };
    const Expect table[] = {
        {kBPMSync, "BPM Sync On/Off", kTypeBool, 1, 0, 1},
        {kLFOType, "LFO Type select", kTypeEnum, 0, 0, 5},
        {kLFOTarget, "LFO Target select", kTypeEnum, 2, 0, 4},
        {kSubOscWave, "Sub Osc Waveform", kTypeDouble, 0.5, 0, 1},
        {kAttack, "Env Attack", kTypeDouble, 0.12, 0.12, 1},
        {kPhonicType, "PhonicType", kTypeInt, 1, 0, 2},
        {kAmpEnvSelect, "Amp Env/Gate Select", kTypeInt, 0, 0, 1},
        {kVolume, "Amp Volume", kTypeDouble, 0.8, 0, 1},
        {kPitchBendRange, "Pitch Bend Range", kTypeEnum, 1, 0, 23},
        {kPortaSpeed, "Portamento Speed", kTypeDouble, 0, 0, 1},
    };
    for (const Expect& e : table) {
        const IParam* p = k.GetParam(e.idx);
        EXPECT_STREQ(p->GetNameForHost(), e.name);
        EXPECT_EQ(p->Type(), e.type) << e.name;
        EXPECT_DOUBLE_EQ(p->GetDefault(), e.def) << e.name;
        double lo = 0, hi = 0;
        p->GetBounds(lo, hi);
        EXPECT_DOUBLE_EQ(lo, e.lo) << e.name;
        EXPECT_DOUBLE_EQ(hi, e.hi) << e.name;
    }
    EXPECT_STREQ(k.GetParam(kLFOType)->GetDisplayText(4), "Sine (1 shot)");
    EXPECT_STREQ(k.GetParam(kVelocityTarget)->GetDisplayText(1), "Filter Envelope");
    EXPECT_STREQ(k.GetParam(kModWheelTarget)->GetDisplayText(3), "HardSync");
    EXPECT_STREQ(k.GetParam(kPitchBendRange)->GetDisplayText(23), "24");
    EXPECT_STREQ(k.GetParam(kDrivePrePost)->GetDisplayText(1), "on");
    EXPECT_STREQ(k.GetParam(kPortaSpeed)->GetLabelForHost(), "PortaSpeed");
    for (int i = 0; i < k.NParams(); ++i)
        EXPECT_LT(std::strlen(k.GetParam(i)->GetNameForHost()), 32u);
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
    EXPECT_EQ(h.synth().lfo->getTarget(), 0);
}
