#pragma once

// Drives the engine the way the instrument does, for tests and benchmarks: a patch applied
// through the instrument's parameter table, notes started and released through the engine's
// note operations, and simple signal measurements.

#include "KarvelundParams.h"
#include "Synthesizer.h"

#include <vector>

namespace enginekit {

// A parameter's declared default, from the instrument's parameter table.
double defaultOf(int paramIdx);

// The instrument's parameters in engine terms, starting from their declared defaults.
struct Patch {
    bool bpmSync = defaultOf(kBPMSync) != 0.0;
    int lfoType = static_cast<int>(defaultOf(kLFOType));
    double lfoSpeed = defaultOf(kLFOSpeed);
    int lfoTarget = static_cast<int>(defaultOf(kLFOTarget));
    double lfoAmount = defaultOf(kLFOAmount);
    double hardSync = defaultOf(kHardSync);
    double pulseWidth = defaultOf(kPulseWidth);
    double sawDetune = defaultOf(kSawDetune);
    double subOscWave = defaultOf(kSubOscWave);
    double noise = defaultOf(kNoise);
    double saw = defaultOf(kSaw);
    double pulse = defaultOf(kPulse);
    double sub = defaultOf(kSub);
    double attack = defaultOf(kAttack);
    double decay = defaultOf(kDecay);
    double sustain = defaultOf(kSustain);
    double release = defaultOf(kRelease);
    int phonicType = static_cast<int>(defaultOf(kPhonicType));
    int filterType = static_cast<int>(defaultOf(kFilterType));
    double cutoff = defaultOf(kCutoff);
    double resonance = defaultOf(kResonance);
    double kbdTrk = defaultOf(kKbdTrk);
    double envAmount = defaultOf(kEnvAmount);
    bool drivePost = defaultOf(kDrivePrePost) != 0.0;
    double driveAmount = defaultOf(kDriveAmount);
    int ampEnvType = static_cast<int>(defaultOf(kAmpEnvSelect));
    double volume = defaultOf(kVolume);
    int pitchBendRange = static_cast<int>(defaultOf(kPitchBendRange));
    int modWheelTarget = static_cast<int>(defaultOf(kModWheelTarget));
    int velocityTarget = static_cast<int>(defaultOf(kVelocityTarget));
    double portaSpeed = defaultOf(kPortaSpeed);
    double bpm = 120.0;
};

// Initialises the engine at the rate and applies every setting of the patch.
void apply(Synthesizer& synth, const Patch& patch, double sampleRate);

// Starts note on voice v as note handling does on a free voice.
void noteOn(Synthesizer& synth, int v, int note, int velocity = 127);
// Releases voice v.
void noteOff(Synthesizer& synth, int v);

std::vector<double> render(Synthesizer& synth, int samples);

double rms(const std::vector<double>& x, size_t from = 0, size_t to = 0);
double peak(const std::vector<double>& x, size_t from = 0, size_t to = 0);
// Fundamental frequency by normalised autocorrelation, searched between fmin and fmax.
double estimateFrequency(const std::vector<double>& x, double sampleRate, double fmin, double fmax,
                         size_t from = 0);

} // namespace enginekit
