#include "Filter.h"

#include "EngineMath.h"
#include "GlobalState.h"

#include <algorithm>
#include <cmath>

double Filter::process(double in, double envIn, double lfoIn, double modWheelIn, double keyNote) {
    // Bipolar envelope amount around 0.5; below it the envelope acts inverted.
    const double a = gs->envAmountSmoothed;
    const double envMod = a >= 0.5 ? envIn * 2.0 * (a - 0.5) : (1.0 - envIn) * 2.0 * (0.5 - a);

    const double pitch =
        gs->kbdTrk * keyNote + 144.0 * (gs->cutoffSmoothed + envMod + lfoIn + modWheelIn);
    const double cutoffNorm = std::clamp(midi2CPS(pitch) / gs->sampleRate, 0.0, 0.997);

    // The factor 0.5 pairs with midi2CPS's octave offset; 0.997 stays just below Nyquist.
    const double wc = cutoffNorm * 3.14159265359 * 0.5;
    const double g = static_cast<double>(std::tan(static_cast<float>(wc)));
    const double twoG = 2.0 * g;
    const double k = 4.0 * gs->resonanceSmoothed;
    const double G = 1.0 / (g + 1.0);
    const double G1 = g * G * G;
    const double G2 = g * g * G * G * G;
    const double G3 = g * g * g * G * G * G * G;
    const double G4 = g * g * g * g * G * G * G * G;

    s1 = std::clamp(s1, -1.0, 1.0);

    const double y4 = (G * s4 + G1 * s3 + G2 * s2 + G3 * s1 + G4 * in) / (k * G4 + 1.0);
    const double u = in - k * y4;
    const double y1 = G * (s1 + g * u);
    const double y2 = G * (s2 + g * y1);
    const double y3 = G * (s3 + g * y2);

    s1 += twoG * (u - y1);
    s2 += twoG * (y1 - y2);
    s3 += twoG * (y2 - y3);
    s4 += twoG * (y3 - y4);

    switch (gs->filterType) {
    case kLowPass:
        return y4;
    case kHighPass:
        return (u - y2) * 0.9 / (1.0 + k);
    case kBandPass:
        return (y2 - y3) * 2.5 / (1.0 + k);
    default:
        return 0.0;
    }
}
