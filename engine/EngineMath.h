#pragma once

// Small numeric helpers shared by the engine. All pure, all double precision.

#include <cmath>

// Note-to-frequency with the engine's octave offset: note 57 gives 440 Hz. The oscillators and
// the filter run at half this frequency, so MIDI note 69 sounds at 440 Hz.
inline double midi2CPS(double note) {
    return 440.0 * std::exp2((note - 57.0) / 12.0);
}

// Parabolic sine approximation, exact (±1) at ±pi/2. Wraps its argument once only.
// Branch-free: the oscillators call it twelve times per voice and sample with arguments that
// defeat branch prediction. For negative x, x * |x| equals -(x * x) exactly.
inline double fast_sin(double x) {
    const double wraps = (x > 3.14159265 ? 1.0 : 0.0) - (x < -3.14159265 ? 1.0 : 0.0);
    x -= 6.28318531 * wraps;
    return 1.27323954 * x - 0.405284735 * x * std::abs(x);
}

// One step of the synth-wide noise source: a chaotic recurrence driven by a slow ramp (clock).
// Returns the new noise value.
inline double nextNoise(double& noise, double& clock) {
    if (clock <= 1.0)
        clock += 1e-6;
    else
        clock = -1.0;
    noise = (noise + std::sin(1000.0 * (clock + noise))) * 0.5;
    return noise;
}

// Attack shape: 0 -> 0, 1 -> 1, fast concave rise.
inline double Env_curveA(double x) {
    return x / (x - 0.104972375691 * (x - 1.0));
}

// Decay and release shape: 0 -> 0, 1 -> 1, convex.
inline double Env_curveDR(double x) {
    return x / (x - 9.52631578947 * (x - 1.0));
}

// Per-sample step of a 3 ms linear ramp.
inline double gateSpeed(double sampleRate) {
    return 1.0 / (0.003 * sampleRate);
}

// Per-sample step of a 0..1 ramp lasting 30 * t^4 seconds.
inline double calcIncrFromTimeLinear(double t, double sampleRate) {
    return 1.0 / sampleRate / (30.0 * t * t * t * t);
}
