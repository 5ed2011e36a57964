#include "Voice.h"

#include "EngineMath.h"
#include "GlobalState.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double kTwoPi = 6.28318531;
constexpr double kSlaveRate = 0.5;
constexpr double kEmphasisCurrent = 2.5;
constexpr double kEmphasisPrevious = -1.5;

// Detune spread of the eight side cores, relative to the centre core.
constexpr double kDetune[Voice::kNumCores] = {0.0,     0.005,     -0.007375, 0.01625, -0.013,
                                              0.02525, -0.018625, 0.026375,  -0.03325};
// Slave phase rates: core 2 runs at the master rate, an octave above the other eight.
constexpr double kSlaveRates[Voice::kNumCores] = {kSlaveRate, kSlaveRate, 1.0,
                                                  kSlaveRate, kSlaveRate, kSlaveRate,
                                                  kSlaveRate, kSlaveRate, kSlaveRate};
constexpr double kPhaseOffsets[Voice::kNumCores] = {0.0,  0.05, 0.1,  0.15, 0.2,
                                                    0.25, 0.3,  0.35, 0.4};

// Phases run over -1..1. Strong hard sync advances a slave by more than one period per sample,
// so a single subtraction is not always enough; the second step runs only then and leaves every
// phase that one wrap brings into range untouched.
inline double wrapPhase(double phase) {
    const double once = phase >= 1.0 ? phase - 2.0 : phase;
    return once >= 1.0 ? once - 2.0 * std::floor(0.5 * (once + 1.0)) : once;
}

} // namespace

double Voice::process() {
    OscState& osc = state.osc;
    if (gs->portaOnoff)
        osc.note = osc.note * (1.0 - gs->portaSpeed) + osc.targetNote * gs->portaSpeed;
    else
        osc.note = osc.targetNote;

    double f = midi2CPS(osc.note + gs->pitchWheelDelta * gs->pitchWheelRange) / gs->sampleRate;
    f += f * gs->LFOPitch;
    return calculateSS(f);
}

// The core loops run several cores per instruction; on processors with AVX2 a wider copy of
// this function is chosen at load time. It computes bit for bit the same results (no fused
// multiply-add is enabled). ThreadSanitizer builds keep one copy: the load-time chooser runs
// before the sanitizer's runtime is ready.
#if defined(__x86_64__) && defined(__GNUC__) && !defined(__clang__) && !defined(__SANITIZE_THREAD__)
__attribute__((target_clones("avx2", "default")))
#endif
double
Voice::calculateSS(double f) {
    const double d = gs->sawDetuneSmoothed;
    const double centreGain = d <= 0.05 ? 10.0 * (0.1 - d) : 0.5;
    const double sideGain = d <= 0.05 ? 10.0 * d : 0.5;

    incr = std::clamp(f, 0.0, 1.0);

    // Lower half of the knob: a fixed width; upper half: automatic modulation around 0.25.
    double pw = gs->pulseWidthSmoothed < 0.505 ? gs->pulseWidthSmoothed - 0.5 * gs->LFOPWM
                                               : 0.25 - 0.06875 * gs->PWMonlyLFO + 0.5 * gs->LFOPWM;
    pw = std::clamp(pw, 0.01, 0.5);

    const double hs =
        std::clamp(gs->hardSyncAmountSmoothed + gs->LFOHS + gs->modWheel.getHardSync(), 0.0, 1.0);
    const double hsIncr = incr * 31.0 * hs;

    double s = 0.5 - hsIncr;
    if (s <= 0.1) s = 0.1;

    const double h = 0.5 * incr;
    const double fbBase = 0.5 - h;
    const double fb = 6.5 * fbBase * fbBase * fbBase * fbBase;
    const double offset = 0.376 - 0.752 * h;
    const double level = 1.0 - 2.0 * h;

    // The core loops are branch-free so that the compiler can run several cores per
    // instruction; a sync reset multiplies by zero instead of jumping.
    const double syncOn = static_cast<double>(hsIncr != 0.0);
    double synced[kNumCores];
    for (int k = 0; k < kNumCores; ++k) {
        incrs[k] = incr * (1.0 + kDetune[k] * d);
        const double master = masterPhase[k] + incrs[k];
        const double wrapped = master >= 1.0 ? 1.0 : 0.0;
        synced[k] = wrapped * syncOn;
        masterPhase[k] = master - 2.0 * wrapped;
    }
    for (int k = 0; k < kNumCores; ++k) {
        const double keep = 1.0 - synced[k];
        slavePhase[k] = wrapPhase(slavePhase[k] + (incrs[k] + hsIncr) * kSlaveRates[k]) * keep;
        const double core =
            (sawCore[k] + fast_sin(kTwoPi * (slavePhase[k] + fb * sawCore[k] + kPhaseOffsets[k]))) *
            s;
        sawCore[k] = core * keep;
    }
    for (int k = 0; k < kNumCores; ++k)
        syncFlag[k] = static_cast<int>(synced[k]);

    pulseCore = (pulseCore + fast_sin(kTwoPi * (slavePhase[0] + fb * pulseCore + pw))) * s;

    subPhase = wrapPhase(subPhase + 0.25 * incr);
    const double b = gs->subOscBalanceSmoothed;
    const double subFb = fb * (b < 0.5 ? 2.0 * b : 1.0);
    subCore1 = (subCore1 + fast_sin(kTwoPi * (subPhase + subFb * subCore1))) * 0.5;
    subCore2 = (subCore2 + fast_sin(kTwoPi * (subPhase + subFb * subCore2 + 0.5))) * 0.5;
    const double sub = subCore1 - subCore2 * (b >= 0.5 ? 2.0 * (b - 0.5) : 0.0);

    double sides = 0.0;
    for (int k = 1; k < kNumCores; ++k)
        sides += sawCore[k];
    const double stack = centreGain * sawCore[0] + sideGain * sides;
    const double mix = gs->sawAmountSmoothed * stack +
                       gs->pulseAmountSmoothed * (sawCore[0] - pulseCore) +
                       gs->noisesignal * gs->noiseAmountSmoothed + sub * gs->subAmountSmoothed;

    double e = kEmphasisCurrent * mix + kEmphasisPrevious * prevMix;
    prevMix = mix;
    e = level * (e + offset);

    const double w = 0.25 * e;
    out = w - prevScaled + 0.9999 * out;
    prevScaled = w;
    return out;
}

bool Voice::isFinite() const {
    double sum = pulseCore + subPhase + subCore1 + subCore2 + prevMix + prevScaled + out;
    for (int k = 0; k < kNumCores; ++k)
        sum += masterPhase[k] + slavePhase[k] + sawCore[k];
    sum += filter.s1 + filter.s2 + filter.s3 + filter.s4 + state.osc.note;
    return std::isfinite(sum * 0.0);
}

void Voice::clearSound() {
    Voice fresh(gs);
    fresh.state = state;
    fresh.state.osc.note = std::isfinite(state.osc.note) ? state.osc.note : state.osc.targetNote;
    *this = fresh;
}
