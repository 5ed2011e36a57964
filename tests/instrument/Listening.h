#pragma once

// What a listener can tell from a rendered signal: where two renders part, the pitch and level
// of a stretch of it, and how strongly one frequency sounds in it.

#include "EngineKit.h"

#include <cmath>
#include <numbers>
#include <vector>

namespace listening {

// The first sample at which two renders differ, or -1.
inline int firstDifference(const std::vector<double>& a, const std::vector<double>& b) {
    for (size_t i = 0; i < std::min(a.size(), b.size()); ++i)
        if (a[i] != b[i]) return static_cast<int>(i);
    return -1;
}

inline std::vector<double> slice(const std::vector<double>& x, size_t from, size_t to) {
    return {x.begin() + static_cast<std::ptrdiff_t>(from),
            x.begin() + static_cast<std::ptrdiff_t>(std::min(to, x.size()))};
}

// The fundamental of samples [from, to), searched between fmin and fmax.
inline double pitch(const std::vector<double>& x, size_t from, size_t to, double rate, double fmin,
                    double fmax) {
    return enginekit::estimateFrequency(slice(x, from, to), rate, fmin, fmax);
}

// Amplitude of the sinusoid at frequency f in samples [from, to), Hann-windowed.
inline double amplitudeAt(const std::vector<double>& x, size_t from, size_t to, double rate,
                          double f) {
    double re = 0.0, im = 0.0, windowSum = 0.0;
    const size_t n = std::min(to, x.size()) - from;
    for (size_t i = 0; i < n; ++i) {
        const double w = 0.5 - 0.5 * std::cos(2.0 * std::numbers::pi * double(i) / double(n));
        const double phase = 2.0 * std::numbers::pi * f * double(i) / rate;
        re += w * x[from + i] * std::cos(phase);
        im += w * x[from + i] * std::sin(phase);
        windowSum += w;
    }
    return 2.0 * std::hypot(re, im) / windowSum;
}

inline double noteHz(int note) {
    return 440.0 * std::pow(2.0, (note - 69) / 12.0);
}

} // namespace listening
