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
    double input = 0.0;
    double wc = 0.0, g = 0.0, twoG = 0.0;
    double res = 0.0, k = 0.0;
    double G = 0.0, G1 = 0.0, G2 = 0.0, G3 = 0.0, G4 = 0.0;
    double s1 = 0.0, s2 = 0.0, s3 = 0.0, s4 = 0.0;
    double u = 0.0, y1 = 0.0, y2 = 0.0, y3 = 0.0, y4 = 0.0;
    double lpOut = 0.0, hpOut = 0.0, bpOut = 0.0;
    double cutoffNorm = 0.0;
    double envMod = 0.0;
};
