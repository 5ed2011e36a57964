// The half-band decimator measured as a filter: sines in, the level and phase of what comes
// out at half the rate; impulses for its delay and symmetry; blocks of any size.

#include "HalfBandDecimator.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kInputRate = 96000.0;
constexpr int kSettle = 200; // output samples before the delay line is full of the sine
constexpr int kMeasured = 4000;

struct SineFit {
    double amplitude, phase; // of a·sin(ωt + phase)
};

// Least-squares fit of a sine of the given frequency to the decimated output, with t counted
// at the input rate so that the phase compares with the input's.
SineFit fitSine(const std::vector<double>& out, double hz) {
    double ss = 0, sc = 0, cc = 0, ys = 0, yc = 0;
    for (int j = kSettle; j < kSettle + kMeasured; ++j) {
        const double t = 2.0 * kPi * hz * 2.0 * j / kInputRate;
        const double s = std::sin(t), c = std::cos(t), y = out[static_cast<size_t>(j)];
        ss += s * s, sc += s * c, cc += c * c, ys += y * s, yc += y * c;
    }
    const double det = ss * cc - sc * sc;
    const double a = (ys * cc - yc * sc) / det, b = (yc * ss - ys * sc) / det;
    return {std::hypot(a, b), std::atan2(b, a)};
}

std::vector<double> decimateSine(double hz) {
    const int outputs = kSettle + kMeasured;
    std::vector<double> in(2 * static_cast<size_t>(outputs)), out(static_cast<size_t>(outputs));
    for (size_t i = 0; i < in.size(); ++i)
        in[i] = std::sin(2.0 * kPi * hz * static_cast<double>(i) / kInputRate);
    HalfBandDecimator decimator;
    decimator.process(in.data(), out.data(), outputs);
    return out;
}

double gainDecibels(double hz) {
    return 20.0 * std::log10(fitSine(decimateSine(hz), hz).amplitude);
}

} // namespace

TEST(HalfBandDecimator, IsFlatTo20kHzAndLinearPhaseWithItsStatedDelay) {
    double lowest = 0.0, highest = -1e9;
    for (double hz = 50.0; hz <= 20000.0; hz += 97.0) {
        const std::vector<double> out = decimateSine(hz);
        const SineFit fit = fitSine(out, hz);
        const double db = 20.0 * std::log10(fit.amplitude);
        lowest = std::min(lowest, db), highest = std::max(highest, db);
        // Output j is the input at sample 2·(j − kLatency): a pure delay, the same for every
        // frequency in the passband.
        const double expected = -2.0 * kPi * hz * 2.0 * HalfBandDecimator::kLatency / kInputRate;
        EXPECT_NEAR(std::remainder(fit.phase - expected, 2.0 * kPi), 0.0, 1e-4) << hz << " Hz";
    }
    EXPECT_LT(highest - lowest, 0.001) << "passband ripple in dB";
    RecordProperty("passband_ripple_db", std::to_string(highest - lowest));
    EXPECT_NEAR(highest, 0.0, 0.001);

    // A constant comes out exactly at its level: the taps add up to 1.
    std::vector<double> ones(400, 1.0), out(200);
    HalfBandDecimator decimator;
    decimator.process(ones.data(), out.data(), 200);
    EXPECT_NEAR(out.back(), 1.0, 1e-15);
}

TEST(HalfBandDecimator, AttenuatesEverythingFrom28kHzByAtLeast100dB) {
    double loudest = -1e9;
    for (double hz = 28000.0; hz < 48000.0; hz += 83.0)
        loudest = std::max(loudest, gainDecibels(hz));
    EXPECT_LT(loudest, -100.0);
    RecordProperty("stopband_peak_db", std::to_string(loudest));
}

TEST(HalfBandDecimator, ImpulseComesOutSymmetricAroundItsDelayedPosition) {
    // An impulse on input sample 2m lands on output m + kLatency through the centre tap (0.5);
    // one on an odd input meets only side taps and spreads symmetrically around m + ½.
    constexpr int m = 30, outputs = 100;
    const int centre = m + HalfBandDecimator::kLatency;
    std::vector<double> even(2 * outputs, 0.0), odd(2 * outputs, 0.0), outEven(outputs),
        outOdd(outputs);
    even[2 * m] = 1.0;
    odd[2 * m + 1] = 1.0;
    HalfBandDecimator a, b;
    a.process(even.data(), outEven.data(), outputs);
    b.process(odd.data(), outOdd.data(), outputs);
    for (int j = 0; j < outputs; ++j)
        EXPECT_EQ(outEven[j], j == centre ? 0.5 : 0.0) << j;
    double sum = 0.0;
    for (int k = 0; k < HalfBandDecimator::kSideTaps; ++k) {
        EXPECT_EQ(outOdd[static_cast<size_t>(centre - k)],
                  outOdd[static_cast<size_t>(centre + 1 + k)]);
        EXPECT_NE(outOdd[static_cast<size_t>(centre - k)], 0.0);
        sum += 2.0 * outOdd[static_cast<size_t>(centre - k)];
    }
    EXPECT_EQ(outOdd[static_cast<size_t>(centre - HalfBandDecimator::kSideTaps)], 0.0);
    EXPECT_EQ(outOdd[static_cast<size_t>(centre + 1 + HalfBandDecimator::kSideTaps)], 0.0);
    EXPECT_NEAR(sum, 0.5, 1e-15);

    const auto response = HalfBandDecimator::impulseResponse();
    for (int k = 0; k < HalfBandDecimator::kSideTaps; ++k)
        EXPECT_EQ(response[static_cast<size_t>(HalfBandDecimator::kLength / 2 + 1 + 2 * k)],
                  outOdd[static_cast<size_t>(centre - k)]);
}

TEST(HalfBandDecimator, GivesTheSameOutputWhateverTheBlocksAndInPlace) {
    std::vector<double> in(2 * 1000);
    for (size_t i = 0; i < in.size(); ++i)
        in[i] = std::sin(0.01 * static_cast<double>(i * i % 997)) + 0.3;
    std::vector<double> whole(1000);
    HalfBandDecimator one;
    one.process(in.data(), whole.data(), 1000);

    std::vector<double> buffer = in;
    HalfBandDecimator blocks;
    int done = 0;
    for (int n : {1, 7, 64, 3, 300, 625}) {
        blocks.process(buffer.data() + 2 * done, buffer.data() + done, n);
        done += n;
    }
    ASSERT_EQ(done, 1000);
    for (size_t j = 0; j < 1000; ++j)
        ASSERT_EQ(buffer[j], whole[j]) << j;

    blocks.reset();
    std::vector<double> again(1000);
    blocks.process(in.data(), again.data(), 1000);
    EXPECT_EQ(again, whole);
}
