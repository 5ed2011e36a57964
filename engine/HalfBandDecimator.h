#pragma once

#include <array>

// Halves the sample rate of one channel with a linear-phase half-band FIR low-pass.
//
// Designed for rendering at 96 kHz and delivering 48 kHz: flat to 20 kHz (ripple well below
// 0.001 dB) and at least 100 dB down from 28 kHz, so whatever the decimation folds back lands
// between 20 and 24 kHz. The response scales with the rate. Every second tap of a half-band
// filter is zero except the centre one (0.5), so only the odd-distance taps are multiplied.
//
// Output sample j is the filter centred on input sample 2·(j − kLatency): the output is the
// input delayed by exactly kLatency output samples, with no fractional part, so dropping the
// first kLatency outputs aligns it with the input.
class HalfBandDecimator {
public:
    // Non-zero taps on each side of the centre; the filter is 4·kSideTaps − 1 taps long.
    static constexpr int kSideTaps = 22;
    static constexpr int kLength = 4 * kSideTaps - 1;
    static constexpr int kLatency = kSideTaps - 1;

    // The whole impulse response, centre at index kLength / 2.
    static std::array<double, kLength> impulseResponse();

    // Empties the delay line, as at construction.
    void reset();
    // Filters 2·n input samples into n output samples. `in` and `out` may be the same buffer.
    void process(const double* in, double* out, int n);

private:
    static constexpr int kOddTaps = 2 * kSideTaps;

    // The odd input samples of the last kOddTaps pairs, newest first from mOddPos; each is
    // stored twice so that the window never wraps.
    std::array<double, 2 * kOddTaps> mOdd{};
    int mOddPos = 0;
    // The even input samples of the last kLatency pairs: the centre tap's delay.
    std::array<double, kLatency> mEven{};
    int mEvenPos = 0;
};
