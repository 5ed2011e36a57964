#include "GlobalState.h"
#include "LFO.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace {

constexpr double kRate = 48000.0;

struct LfoRig {
    GlobalState gs;
    LFO lfo{&gs};
    LFOState st;

    LfoRig(int type, double amount, int target) {
        lfo.setSampleRate(kRate);
        lfo.setBPM(120.0);
        lfo.setType(type);
        lfo.setAmount(amount);
        lfo.setTarget(target);
    }
    std::vector<double> run(int n, double (LFO::*getter)() const) {
        std::vector<double> out(n);
        for (double& v : out) {
            lfo.process(&st);
            v = (lfo.*getter)();
        }
        return out;
    }
};

int risingZeroCrossings(const std::vector<double>& x) {
    int n = 0;
    for (size_t i = 1; i < x.size(); ++i)
        n += x[i - 1] < 0.0 && x[i] >= 0.0;
    return n;
}

} // namespace

TEST(LFO, TempoSyncSpeedPicksTheRatioFromTheKnob) {
    LfoRig r(LFO::kSine, 1.0, LFO::kPitch);
    r.lfo.setSpeed(1.0);
    EXPECT_DOUBLE_EQ(r.lfo.speed, 96.0 * 120.0 / 60.0 / kRate);
    r.lfo.setSpeed(0.0);
    EXPECT_DOUBLE_EQ(r.lfo.speed, 0.0625 * 120.0 / 60.0 / kRate);
    r.lfo.setSpeed(7.0); // out-of-range knob values stay on the table
    EXPECT_DOUBLE_EQ(r.lfo.speed, 96.0 * 120.0 / 60.0 / kRate);
}

TEST(LFO, RatesInCyclesPerSecondAndPerBeat) {
    // Free rate 0.5: the sine runs at (16 * 0.5)^2 * 0.1 = 6.4 Hz, the square at twice that.
    LfoRig sine(LFO::kSine, 1.0, LFO::kPitch);
    sine.lfo.setBPMSyncOnoff(false);
    sine.lfo.setSpeed(0.5);
    sine.lfo.gateOn(&sine.st);
    EXPECT_NEAR(risingZeroCrossings(sine.run(int(kRate * 10), &LFO::getPitch)), 64, 1);

    LfoRig square(LFO::kSquare, 1.0, LFO::kPitch);
    square.lfo.setBPMSyncOnoff(false);
    square.lfo.setSpeed(0.5);
    EXPECT_NEAR(risingZeroCrossings(square.run(int(kRate * 10), &LFO::getPitch)), 128, 1);

    // Synchronised at 120 BPM with ratio 1 (knob 6/27): half a sine cycle per beat.
    LfoRig synced(LFO::kSine, 1.0, LFO::kPitch);
    synced.lfo.setSpeed(6.5 / 27.0);
    EXPECT_NEAR(risingZeroCrossings(synced.run(int(kRate * 8), &LFO::getPitch)), 8, 1);
}

TEST(LFO, DepthIsQuadraticAndBipolarAroundHalf) {
    LfoRig centre(LFO::kSine, 0.5, LFO::kHardSync);
    centre.lfo.setSpeed(0.5);
    centre.lfo.process(&centre.st);
    EXPECT_EQ(centre.lfo.output, 0.0);
    EXPECT_DOUBLE_EQ(centre.lfo.getHS(), 0.005);
    centre.lfo.setTarget(LFO::kAmp);
    EXPECT_EQ(centre.lfo.getAmp(), 0.0);
    EXPECT_EQ(centre.lfo.getPitch(), 0.0);

    LfoRig full(LFO::kSine, 1.0, LFO::kAmp);
    full.lfo.setBPMSyncOnoff(false);
    full.lfo.setSpeed(0.5);
    auto amp = full.run(int(kRate), &LFO::getAmp);
    EXPECT_NEAR(*std::min_element(amp.begin(), amp.end()), 0.0, 1e-3);
    EXPECT_NEAR(*std::max_element(amp.begin(), amp.end()), 1.0, 1e-3);
    full.lfo.setTarget(LFO::kPitch);
    auto pitch = full.run(int(kRate), &LFO::getPitch);
    EXPECT_NEAR(*std::min_element(pitch.begin(), pitch.end()), -1.0, 1e-3);
    EXPECT_NEAR(*std::max_element(pitch.begin(), pitch.end()), 1.0, 1e-3);

    // Three quarters of the way: half depth squared; zero is the same depth inverted.
    LfoRig quarter(LFO::kSquare, 0.75, LFO::kPitch);
    LfoRig inverted(LFO::kSquare, 0.25, LFO::kPitch);
    quarter.lfo.process(&quarter.st);
    inverted.lfo.process(&inverted.st);
    EXPECT_DOUBLE_EQ(quarter.lfo.output, 0.25 * quarter.st.value);
    EXPECT_DOUBLE_EQ(inverted.lfo.output, -quarter.lfo.output);
}

TEST(LFO, ModWheelScalesTheDepthWhenRoutedToIt) {
    LfoRig r(LFO::kSquare, 1.0, LFO::kFilter);
    r.gs.modWheel.setModWheelTarget(1);
    r.gs.modWheel.setModWheelAmount(0.0);
    r.lfo.process(&r.st);
    EXPECT_EQ(r.lfo.output, 0.0);
    EXPECT_EQ(r.lfo.getFilter(), 0.0);
    r.gs.modWheel.setModWheelAmount(0.5);
    r.lfo.process(&r.st);
    EXPECT_DOUBLE_EQ(r.lfo.getFilter(), (0.5 + 0.5 * r.st.value) * 0.5);
}

TEST(LFO, OneShotSweepsOnceThenHoldsUntilRestarted) {
    LfoRig r(LFO::kSineOneShot, 1.0, LFO::kPitch);
    r.lfo.setBPMSyncOnoff(false);
    r.lfo.setSpeed(0.5);
    r.lfo.gateOn(&r.st);
    const int duration = int(2.0 / r.lfo.speed);
    auto sweep = r.run(duration + 2, &LFO::getPitch);
    EXPECT_NEAR(sweep.front(), -1.0, 1e-3);
    EXPECT_NEAR(*std::max_element(sweep.begin(), sweep.end()), 1.0, 1e-3);
    EXPECT_TRUE(r.st.oneShotDone);
    const double held = sweep.back();
    for (double v : r.run(int(kRate), &LFO::getPitch))
        ASSERT_EQ(v, held);

    LfoRig ramp(LFO::kRampOneShot, 1.0, LFO::kPitch);
    ramp.lfo.setBPMSyncOnoff(false);
    ramp.lfo.setSpeed(0.5);
    ramp.lfo.gateOn(&ramp.st);
    EXPECT_EQ(ramp.st.value, 1.0);
    auto down = ramp.run(int(1.0 / ramp.lfo.speed) + 1, &LFO::getPitch);
    EXPECT_TRUE(ramp.st.oneShotDone);
    EXPECT_LE(down.back(), -1.0 + 1e-9);
    for (double v : ramp.run(1000, &LFO::getPitch))
        ASSERT_EQ(v, down.back());
}

TEST(LFO, RandomStepsAreRepeatablePerObjectAndStillAtSpeedZero) {
    LfoRig a(LFO::kRandom, 1.0, LFO::kPitch), b(LFO::kRandom, 1.0, LFO::kPitch);
    a.lfo.setBPMSyncOnoff(false);
    b.lfo.setBPMSyncOnoff(false);
    a.lfo.setSpeed(1.0);
    b.lfo.setSpeed(1.0);
    // Interleaved use of one generator must not disturb the other.
    std::vector<double> va, vb;
    for (int i = 0; i < 20000; ++i) {
        a.lfo.process(&a.st);
        va.push_back(a.st.value);
    }
    for (int i = 0; i < 20000; ++i) {
        b.lfo.process(&b.st);
        vb.push_back(b.st.value);
    }
    EXPECT_EQ(va, vb);
    const auto [lo, hi] = std::minmax_element(va.begin(), va.end());
    EXPECT_GE(*lo, -1.0);
    EXPECT_LE(*hi, 1.0);
    EXPECT_LT(*lo, -0.5);
    EXPECT_GT(*hi, 0.5);

    LfoRig still(LFO::kRandom, 1.0, LFO::kPitch);
    still.lfo.setBPMSyncOnoff(false);
    still.lfo.setSpeed(0.0);
    for (double v : still.run(10000, &LFO::getPitch))
        ASSERT_EQ(v, 0.0);
}

TEST(LFO, GateOnRestartsEachWaveformAtItsStart) {
    const double expected[] = {-1.0, 1.0, 0.0, 0.0, -1.0, 1.0};
    for (int type = 0; type < 6; ++type) {
        LfoRig r(type, 1.0, LFO::kPitch);
        r.st = {0.3, 0.3, true};
        r.lfo.gateOn(&r.st);
        EXPECT_EQ(r.st.phase, expected[type]) << type;
        EXPECT_EQ(r.st.value, expected[type]) << type;
        EXPECT_TRUE(r.st.oneShotDone) << "gateOn leaves the one-shot flag alone";
    }
}
