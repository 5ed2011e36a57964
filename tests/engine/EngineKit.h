#pragma once

// Drives the engine the way the instrument does, for tests, benchmarks and the engine demo:
// the instrument's default patch applied through the setters, notes started and released
// exactly as note handling does it, and simple signal measurements.

#include "Synthesizer.h"

#include <vector>

namespace enginekit {

// The instrument's default parameter values, in engine terms.
struct Patch {
    bool bpmSync = true;
    int lfoType = 0;
    double lfoSpeed = 0.0;
    int lfoTarget = 2;
    double lfoAmount = 0.5;
    double hardSync = 0.0;
    double pulseWidth = 0.5;
    double sawDetune = 0.0;
    double subOscWave = 0.5;
    double noise = 0.0;
    double saw = 0.5;
    double pulse = 0.5;
    double sub = 0.5;
    double attack = 0.12;
    double decay = 0.12;
    double sustain = 1.0;
    double release = 0.12;
    int phonicType = 1;
    int filterType = 0;
    double cutoff = 1.0;
    double resonance = 0.0;
    double kbdTrk = 0.0;
    double envAmount = 0.5;
    bool drivePost = false;
    double driveAmount = 0.0;
    int ampEnvType = 0;
    double volume = 0.8;
    int pitchBendRange = 1;
    int modWheelTarget = 0;
    int velocityTarget = 0;
    double portaSpeed = 0.0;
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
