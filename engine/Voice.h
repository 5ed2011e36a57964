#pragma once

#include "ADSR.h"
#include "Filter.h"
#include "LFOState.h"

struct GlobalState;

struct OscState {
    double note = 0.0; // the pitch the oscillators play, gliding toward targetNote
    double targetNote = 0.0;
};

struct VoiceState {
    OscState osc;
    ADSRState adsrState;
    LFOState lfoState;      // this voice's sweep of the one-shot LFO waveforms
    double velAmp = 0.0;    // amplifier velocity factor
    double velFilter = 0.0; // filter-envelope velocity factor
    int noteNumber = -1;    // the MIDI note this voice plays
    bool sustained = false; // released while the sustain pedal was down

    bool isBusy() const { return adsrState.stage != ADSRState::kIdle; }
};

// One voice's oscillators: nine detuned feedback-sine saw cores with hard sync, a pulse made
// of two saw cores, a morphing sub-oscillator an octave down, and the shared noise, followed by
// pre-emphasis, level correction and a DC blocker. The voice owns its filter.
class Voice {
public:
    static constexpr int kNumCores = 9;

    explicit Voice(GlobalState* gs) : gs(gs), filter(gs) {}

    // One oscillator sample: glide, pitch, then the cores.
    double process();
    // The oscillator cores for a per-sample increment (frequency / sample rate).
    double calculateSS(double incr);

    // True while every oscillator and filter state is a finite number.
    bool isFinite() const;
    // Back to a fresh voice's oscillators and filter; the note state is kept.
    void clearSound();

    GlobalState* gs;
    VoiceState state;
    Filter filter;

    double incr = 0.0;
    double incrs[kNumCores] = {};
    double masterPhase[kNumCores] = {};
    int syncFlag[kNumCores] = {};
    double slavePhase[kNumCores] = {};
    double sawCore[kNumCores] = {};
    double pulseCore = 0.0;
    double subPhase = 0.0, subCore1 = 0.0, subCore2 = 0.0;
    double prevMix = 0.0, prevScaled = 0.0, out = 0.0;
};
