#include "ADSR.h"
#include "EngineMath.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

constexpr double kRate = 48000.0;
constexpr int kGateRamp = 144; // 3 ms at 48 kHz

struct Envelope {
    ADSR adsr;
    ADSRState st;

    Envelope(double a, double d, double s, double r) {
        adsr.setSampleRate(kRate);
        adsr.setStageTime(ADSRState::kAttack, a);
        adsr.setStageTime(ADSRState::kDecay, d);
        adsr.setSustainLevel(s);
        adsr.setStageTime(ADSRState::kRelease, r);
    }
    void noteOn() { st.retrigger(); }
    void noteOff() { st.release(); }
    // Samples processed until the stage differs from the current one.
    int runWhileStage(int stage, int limit = 10000000) {
        int n = 0;
        while (st.stage == stage && n < limit) {
            adsr.process(&st);
            ++n;
        }
        return n;
    }
};

} // namespace

TEST(Envelope, StageTimesFollowThirtyTimesTheFourthPower) {
    for (double t : {0.12, 0.3, 0.5}) {
        Envelope e(t, t, 0.5, t);
        const double samples = 30.0 * std::pow(t, 4) * kRate;
        e.noteOn();
        EXPECT_EQ(e.runWhileStage(ADSRState::kRetrigger), 1) << "an idle voice starts at once";
        EXPECT_NEAR(e.runWhileStage(ADSRState::kAttack), samples, 1.0) << t;
        EXPECT_NEAR(e.runWhileStage(ADSRState::kDecay), samples, 1.0) << t;
        EXPECT_DOUBLE_EQ(e.st.lastOutput, 0.5);
        e.noteOff();
        EXPECT_NEAR(e.runWhileStage(ADSRState::kRelease), samples, 1.0) << t;
        EXPECT_EQ(e.st.stage, ADSRState::kIdle);
        EXPECT_EQ(e.st.lastOutput, 0.0);
    }
    // The shortest setting lasts about 6.2 ms (298.6 samples at 48 kHz).
    Envelope shortest(0.12, 0.12, 1.0, 0.12);
    shortest.noteOn();
    shortest.runWhileStage(ADSRState::kRetrigger);
    EXPECT_EQ(shortest.runWhileStage(ADSRState::kAttack), 299);
}

TEST(Envelope, AttackRisesConcaveAndEndsAtOne) {
    Envelope e(0.5, 0.5, 0.3, 0.5);
    e.noteOn();
    e.adsr.process(&e.st);
    double prev = 0.0, out = 0.0;
    const int half = int(30.0 * std::pow(0.5, 4) * kRate / 2);
    for (int i = 0; i < half; ++i) {
        out = e.adsr.process(&e.st);
        ASSERT_GE(out, prev);
        prev = out;
    }
    EXPECT_GT(out, 0.85); // halfway through the attack the curve is well past half
    e.runWhileStage(ADSRState::kAttack);
    EXPECT_DOUBLE_EQ(e.st.lastOutput, 1.0);
}

TEST(Envelope, GateRampsInThreeMillisecondsWhateverTheStageTimes) {
    Envelope e(1.0, 1.0, 1.0, 1.0); // 30 s stages
    e.noteOn();
    e.adsr.process(&e.st);
    for (int i = 0; i < kGateRamp; ++i)
        e.adsr.process(&e.st);
    EXPECT_NEAR(e.st.gate, 1.0, 1e-12);
    EXPECT_LT(e.st.lastOutput, 0.2) << "the curved attack is still early";
    e.noteOff();
    for (int i = 0; i < kGateRamp; ++i)
        e.adsr.process(&e.st);
    EXPECT_NEAR(e.st.gate, 0.0, 1e-12);
    EXPECT_EQ(e.st.stage, ADSRState::kRelease);
}

TEST(Envelope, ReleaseDuringAttackFallsFromTheCurrentValue) {
    Envelope e(0.5, 0.5, 1.0, 0.5);
    e.noteOn();
    for (int i = 0; i < 9000; ++i) // a tenth of the 1.9 s attack
        e.adsr.process(&e.st);
    const double atRelease = e.st.lastOutput;
    ASSERT_GT(atRelease, 0.1);
    ASSERT_LT(atRelease, 0.99);
    e.noteOff();
    const double first = e.adsr.process(&e.st);
    EXPECT_LT(first, atRelease);
    EXPECT_GT(first, atRelease * 0.95);
}

TEST(Envelope, SustainExtremes) {
    Envelope full(0.12, 0.5, 1.0, 0.12);
    full.noteOn();
    full.runWhileStage(ADSRState::kRetrigger);
    full.runWhileStage(ADSRState::kAttack);
    while (full.st.stage == ADSRState::kDecay)
        ASSERT_DOUBLE_EQ(full.adsr.process(&full.st), 1.0);

    Envelope none(0.12, 0.12, 0.0, 0.12);
    none.noteOn();
    none.runWhileStage(ADSRState::kRetrigger);
    none.runWhileStage(ADSRState::kAttack);
    none.runWhileStage(ADSRState::kDecay);
    for (int i = 0; i < 1000; ++i)
        EXPECT_EQ(none.adsr.process(&none.st), 0.0);
    EXPECT_EQ(none.st.stage, ADSRState::kSustain) << "the voice stays busy until note-off";
}

TEST(Envelope, RetriggerFadesTheSoundingLevelToZeroFirst) {
    Envelope e(0.12, 0.12, 0.5, 0.12);
    e.noteOn();
    e.runWhileStage(ADSRState::kRetrigger);
    e.runWhileStage(ADSRState::kAttack);
    e.runWhileStage(ADSRState::kDecay);
    ASSERT_DOUBLE_EQ(e.st.lastOutput, 0.5);
    e.noteOn();
    const int fade = e.runWhileStage(ADSRState::kRetrigger);
    EXPECT_NEAR(fade, 0.5 * 0.003 * kRate, 1.0);
    EXPECT_EQ(e.st.lastOutput, 0.0);
}

TEST(Envelope, OnlyAttackDecayAndReleaseHaveTimes) {
    ADSR adsr;
    adsr.setSampleRate(kRate);
    adsr.setStageTime(ADSRState::kSustain, 0.5);
    adsr.setStageTime(ADSRState::kIdle, 0.5);
    EXPECT_EQ(adsr.attackIncr, 0.0);
    EXPECT_EQ(adsr.decayIncr, 0.0);
    EXPECT_EQ(adsr.releaseIncr, 0.0);
    adsr.setStageTime(ADSRState::kRelease, 1.0);
    EXPECT_DOUBLE_EQ(adsr.releaseIncr, 1.0 / (30.0 * kRate));
}
