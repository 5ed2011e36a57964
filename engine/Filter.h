#pragma once

struct GlobalState;

// Four-stage ladder filter, each stage a trapezoidal one-pole integrator, with the global
// feedback solved in closed form every sample (no unit delay in the loop). Modes: 0 four-pole
// low-pass, 1 high-pass, 2 band-pass. Cutoff modulation arrives in 0..1 units of 144 semitones.
class Filter {
public:
    enum Type { kLowPass = 0, kHighPass = 1, kBandPass = 2 };

    explicit Filter(GlobalState* gs) : gs(gs) {}

    // envIn: envelope times velocity factor; lfoIn, modWheelIn: cutoff offsets; keyNote: the
    // voice's pitch in note numbers, for keyboard tracking.
    double process(double in, double envIn, double lfoIn, double modWheelIn, double keyNote);

    GlobalState* gs;
    // The four integrator states; they persist across notes.
    double s1 = 0.0, s2 = 0.0, s3 = 0.0, s4 = 0.0;
};
