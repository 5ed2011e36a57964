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
    // Steady-state gain for a sine at hz, with constant modulation inputs.
    double gain(double hz, double envIn = 0.0, double lfoIn = 0.0, double modWheelIn = 0.0,
                double keyNote = 0.0) {
        double inSum = 0.0, outSum = 0.0;
        const int settle = int(kRate / 4), n = int(kRate / 2);
        for (int i = 0; i < settle + n; ++i) {
            const double x = 0.25 * std::sin(2.0 * kPi * hz * i / kRate);
            const double y = filter.process(x, envIn, lfoIn, modWheelIn, keyNote);
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

// A four-pole low-pass passes a sine at its cutoff at -12 dB (each stage -3 dB).
constexpr double kAtCutoffDb = -12.0;

TEST(Filter, CutoffSpansFromEightHertzToJustBelowNyquist) {
    EXPECT_NEAR(dB(FilterRig(Filter::kLowPass, 0.0, 0.0).gain(8.18)), kAtCutoffDb, 1.5);
    EXPECT_LT(dB(FilterRig(Filter::kLowPass, 0.0, 0.0).gain(100.0)), -80.0);

    EXPECT_GT(dB(FilterRig(Filter::kLowPass, 1.0, 0.0).gain(20000.0)), -1.0);
    // Modulation beyond the top still holds the cutoff just below Nyquist: stable and open.
    EXPECT_GT(dB(FilterRig(Filter::kLowPass, 1.0, 0.0).gain(20000.0, 0.0, 5.0, 5.0)), -1.0);
}

TEST(Filter, EnvelopeAmountIsBipolarAroundHalfAndTrackingAddsTheNote) {
    auto gainWith = [](double envAmount, double envIn, double hz) {
        FilterRig r(Filter::kLowPass, 0.0, 0.0);
        r.gs.envAmountSmoothed = envAmount;
        return dB(r.gain(hz, envIn));
    };
    EXPECT_GT(gainWith(1.0, 1.0, 20000.0), -1.0) << "full envelope opens all 144 semitones";
    EXPECT_GT(gainWith(0.0, 0.0, 20000.0), -1.0) << "inverted: open while the envelope is low";
    EXPECT_NEAR(gainWith(0.0, 1.0, 8.18), kAtCutoffDb, 1.5);
    EXPECT_NEAR(gainWith(0.5, 1.0, 8.18), kAtCutoffDb, 1.5) << "0.5 is no envelope";
    EXPECT_NEAR(gainWith(0.75, 1.0, 440.0 * std::exp2((72.0 - 69.0) / 12.0)), kAtCutoffDb, 1.5)
        << "half amount moves the cutoff 72 semitones";

    FilterRig tracked(Filter::kLowPass, 0.0, 0.0);
    tracked.gs.kbdTrk = 1.0;
    EXPECT_NEAR(dB(tracked.gain(midi2CPS(60.0) * 0.5, 0.0, 0.0, 0.0, 60.0)), kAtCutoffDb, 1.5);
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
    EXPECT_LT(maxOut, 4.0);
}

TEST(Filter, UnknownTypeIsSilent) {
    FilterRig r(3, 0.5, 0.0);
    EXPECT_EQ(r.filter.process(0.7, 0.0, 0.0, 0.0, 0.0), 0.0);
}
