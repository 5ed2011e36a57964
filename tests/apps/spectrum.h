#pragma once
// Spectra of rendered audio: a radix-2 FFT, the 4-term Blackman-Harris window, and how much of
// a periodic tone's power lies on its harmonics and how much between them.

#include <cmath>
#include <complex>
#include <cstddef>
#include <vector>

namespace kvtest {

// Power per bin (0 Hz to the Nyquist frequency) of samples[first, first + n), n a power of two,
// under a Blackman-Harris window, scaled so that a sine of amplitude A peaks at A²/4 whatever n.
inline std::vector<double> powerSpectrum(const std::vector<float>& samples, size_t first,
                                         size_t n) {
    constexpr double kPi = 3.14159265358979323846;
    std::vector<std::complex<double>> x(n);
    double windowSum = 0.0;
    for (size_t i = 0; i < n; ++i) {
        const double t = 2.0 * kPi * static_cast<double>(i) / static_cast<double>(n);
        const double window =
            0.35875 - 0.48829 * std::cos(t) + 0.14128 * std::cos(2 * t) - 0.01168 * std::cos(3 * t);
        x[i] = window * static_cast<double>(samples[first + i]);
        windowSum += window;
    }
    for (size_t i = 1, j = 0; i < n; ++i) { // bit-reversed order
        size_t bit = n >> 1;
        for (; j & bit; bit >>= 1)
            j ^= bit;
        j |= bit;
        if (i < j) std::swap(x[i], x[j]);
    }
    for (size_t len = 2; len <= n; len <<= 1) {
        const std::complex<double> step = std::polar(1.0, -2.0 * kPi / static_cast<double>(len));
        for (size_t i = 0; i < n; i += len) {
            std::complex<double> w = 1.0;
            for (size_t k = 0; k < len / 2; ++k, w *= step) {
                const std::complex<double> odd = w * x[i + k + len / 2];
                x[i + k + len / 2] = x[i + k] - odd;
                x[i + k] += odd;
            }
        }
    }
    std::vector<double> power(n / 2 + 1);
    for (size_t k = 0; k < power.size(); ++k)
        power[k] = std::norm(x[k]) / (windowSum * windowSum);
    return power;
}

// A tone's spectrum split into the power near each harmonic k·f0 below the Nyquist frequency
// and all the rest above 20 Hz (aliases, noise), also counted up to 20 kHz alone.
struct HarmonicSplit {
    std::vector<double> harmonics; // power around f0, 2·f0, …
    double signal = 0.0;
    double rest = 0.0;
    double audibleRest = 0.0; // 20 Hz to 20 kHz

    // 10·log10(rest / signal).
    double aliasRatioDecibels() const { return 10.0 * std::log10(rest / signal); }
    double audibleAliasRatioDecibels() const { return 10.0 * std::log10(audibleRest / signal); }
    // The level of harmonic k (1 = the fundamental) in dB, relative to an arbitrary reference.
    double harmonicDecibels(size_t k) const { return 10.0 * std::log10(harmonics[k - 1]); }
};

// `halfWidth` bins on each side of a harmonic count as the harmonic: the window's main lobe
// is four bins wide on each side.
inline HarmonicSplit splitHarmonics(const std::vector<double>& power, double rate, double f0,
                                    int halfWidth = 6) {
    const double binHz = rate / (2.0 * static_cast<double>(power.size() - 1));
    std::vector<bool> onHarmonic(power.size(), false);
    HarmonicSplit split;
    for (double f = f0; f < rate / 2.0; f += f0) {
        const long centre = std::lround(f / binHz);
        double sum = 0.0;
        for (long b = centre - halfWidth; b <= centre + halfWidth; ++b) {
            if (b < 0 || b >= static_cast<long>(power.size())) continue;
            onHarmonic[static_cast<size_t>(b)] = true;
            sum += power[static_cast<size_t>(b)];
        }
        split.harmonics.push_back(sum);
        split.signal += sum;
    }
    for (size_t b = static_cast<size_t>(std::ceil(20.0 / binHz)); b < power.size(); ++b) {
        if (onHarmonic[b]) continue;
        split.rest += power[b];
        if (static_cast<double>(b) * binHz <= 20000.0) split.audibleRest += power[b];
    }
    return split;
}

} // namespace kvtest
