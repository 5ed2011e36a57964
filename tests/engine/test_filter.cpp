#include "EngineMath.h"
#include "Filter.h"
#include "GlobalState.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

constexpr double kRate = 48000.0;
constexpr double kPi = 3.14159265358979;

struct FilterRig {
    GlobalState gs;
    Filter filter{&gs};

    FilterRig(int type, double cutoff, double resonance) {
        gs.setSampleRate(kRate);
        gs.filterType = type;
        gs.cutoffSmoothed = cutoff;
        gs.resonanceSmoothed = resonance;
        gs.envAmountSmoothed = 0.5;
    }
    // Steady-state gain for a sine at hz.
    double gain(double hz) {
        double inSum = 0.0, outSum = 0.0;
        const int settle = int(kRate / 4), n = int(kRate / 2);
        for (int i = 0; i < settle + n; ++i) {
            const double x = 0.25 * std::sin(2.0 * kPi * hz * i / kRate);
            const double y = filter.process(x, 0.0, 0.0, 0.0, 0.0);
            if (i >= settle) {
                inSum += x * x;
                outSum += y * y;
            }
        }
        return std::sqrt(outSum / inSum);
    }
};

// The cutoff knob value whose effective cutoff is hz.
double knobFor(double hz) {
    return (69.0 + 12.0 * std::log2(hz / 440.0)) / 144.0;
}

double dB(double g) {
    return 20.0 * std::log10(g);
}

} // namespace

TEST(Filter, CutoffSpansFromEightHertzToJustBelowNyquist) {
    FilterRig low(Filter::kLowPass, 0.0, 0.0);
    low.filter.process(0.0, 0.0, 0.0, 0.0, 0.0);
    EXPECT_DOUBLE_EQ(low.filter.cutoffNorm, midi2CPS(0.0) / kRate);
    EXPECT_NEAR(low.filter.cutoffNorm * kRate * 0.5, 8.18, 0.01);

    FilterRig high(Filter::kLowPass, 1.0, 0.0);
    high.filter.process(0.0, 0.0, 0.0, 0.0, 0.0);
    EXPECT_EQ(high.filter.cutoffNorm, 0.997);
    high.filter.process(0.0, 0.0, 5.0, 5.0, 0.0); // modulation beyond the top still clamps
    EXPECT_EQ(high.filter.cutoffNorm, 0.997);
}

TEST(Filter, EnvelopeAmountIsBipolarAroundHalfAndTrackingAddsTheNote) {
    FilterRig r(Filter::kLowPass, 0.0, 0.0);
    r.gs.envAmountSmoothed = 1.0;
    r.filter.process(0.0, 1.0, 0.0, 0.0, 0.0);
    EXPECT_EQ(r.filter.cutoffNorm, 0.997);
    r.gs.envAmountSmoothed = 0.0; // inverted: open while the envelope is low
    r.filter.process(0.0, 0.0, 0.0, 0.0, 0.0);
    EXPECT_EQ(r.filter.cutoffNorm, 0.997);
    r.filter.process(0.0, 1.0, 0.0, 0.0, 0.0);
    EXPECT_DOUBLE_EQ(r.filter.cutoffNorm, midi2CPS(0.0) / kRate);
    r.gs.envAmountSmoothed = 0.5;
    r.filter.process(0.0, 1.0, 0.0, 0.0, 0.0);
    EXPECT_DOUBLE_EQ(r.filter.cutoffNorm, midi2CPS(0.0) / kRate);

    r.gs.kbdTrk = 1.0;
    r.filter.process(0.0, 0.0, 0.0, 0.0, 60.0);
    EXPECT_DOUBLE_EQ(r.filter.cutoffNorm, midi2CPS(60.0) / kRate);
}

TEST(Filter, LowPassFallsAtFourPolesAboveCutoff) {
    const double knob = knobFor(1000.0);
    EXPECT_NEAR(dB(FilterRig(Filter::kLowPass, knob, 0.0).gain(100.0)), 0.0, 0.5);
    EXPECT_NEAR(dB(FilterRig(Filter::kLowPass, knob, 0.0).gain(1000.0)), -12.0, 1.5);
    EXPECT_LT(dB(FilterRig(Filter::kLowPass, knob, 0.0).gain(4000.0)), -40.0);
    EXPECT_LT(dB(FilterRig(Filter::kLowPass, knob, 0.0).gain(10000.0)), -70.0);
}

TEST(Filter, HighPassAndBandPassShapes) {
    const double knob = knobFor(1000.0);
    // The high-pass output rolls off at 6 dB per octave below the cutoff.
    const double hpLow = FilterRig(Filter::kHighPass, knob, 0.0).gain(100.0);
    const double hpLower = FilterRig(Filter::kHighPass, knob, 0.0).gain(50.0);
    const double hpHigh = FilterRig(Filter::kHighPass, knob, 0.0).gain(10000.0);
    EXPECT_LT(dB(hpLow), -12.0);
    EXPECT_NEAR(dB(hpLow) - dB(hpLower), 6.0, 0.5);
    EXPECT_NEAR(hpHigh, 0.9, 0.05);

    const double bpLow = FilterRig(Filter::kBandPass, knob, 0.0).gain(100.0);
    const double bpMid = FilterRig(Filter::kBandPass, knob, 0.0).gain(1000.0);
    const double bpHigh = FilterRig(Filter::kBandPass, knob, 0.0).gain(10000.0);
    EXPECT_GT(dB(bpMid) - dB(bpLow), 9.0);
    EXPECT_GT(dB(bpMid) - dB(bpHigh), 12.0);
}

TEST(Filter, ResonancePeaksAtCutoffAndStaysBoundedAtFullFeedback) {
    const double knob = knobFor(1000.0);
    const double flat = FilterRig(Filter::kLowPass, knob, 0.0).gain(1000.0);
    const double peaked = FilterRig(Filter::kLowPass, knob, 0.9).gain(1000.0);
    EXPECT_GT(dB(peaked) - dB(flat), 12.0);

    FilterRig full(Filter::kLowPass, knob, 1.0);
    double maxOut = 0.0;
    uint32_t seed = 1;
    for (int i = 0; i < int(kRate * 5); ++i) {
        seed = seed * 1664525u + 1013904223u;
        const double x = i < kRate ? 4.0 * (double(seed >> 8) / double(1 << 24) - 0.5) : 0.0;
        const double y = full.filter.process(x, 0.0, 0.0, 0.0, 0.0);
        ASSERT_TRUE(std::isfinite(y));
        maxOut = std::max(maxOut, std::abs(y));
    }
    EXPECT_EQ(full.filter.k, 4.0);
    EXPECT_LT(maxOut, 4.0);
}

TEST(Filter, UnknownTypeIsSilent) {
    FilterRig r(3, 0.5, 0.0);
    EXPECT_EQ(r.filter.process(0.7, 0.0, 0.0, 0.0, 0.0), 0.0);
}
