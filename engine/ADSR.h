#pragma once

// Per-voice running state of the envelope. The curved envelope runs through the stages below;
// beside it a linear gate level with 3 ms ramps drives the amplifier in gate mode.
struct ADSRState {
    enum Stage { kIdle = 0, kAttack = 1, kDecay = 2, kSustain = 3, kRelease = 4, kRetrigger = 5 };

    double level = 0.0; // the stage's running position, 0..1
    int stage = kIdle;
    double lastOutput = 0.0; // envelope value returned by the last call
    double releaseStart = 0.0;
    double gate = 0.0;
    double gateCopy = 0.0; // gate level after the last call
    int counter = 0;       // samples since the voice was last (re)assigned

    // Note-on: fade from the current output to 0 (at most 3 ms), then attack.
    void retrigger() {
        gate = gateCopy;
        level = lastOutput;
        stage = kRetrigger;
    }
    // Note-off: release from wherever the envelope is now.
    void release() {
        level = 1.0;
        gate = gateCopy;
        releaseStart = lastOutput;
        stage = kRelease;
    }
};

// The envelope generator shared by all voices: stage rates and sustain level; each voice keeps
// its own ADSRState.
class ADSR {
public:
    void setSampleRate(double rate) { sampleRate = rate; }
    // Stage 1, 2 or 4; t in 0..1 lasts 30 * t^4 seconds at the current sample rate.
    void setStageTime(int stage, double t);
    void setSustainLevel(double level) { sustainLevel = level; }

    double process(ADSRState* st) const;

    double attackIncr = 0.0;
    double decayIncr = 0.0;
    double releaseIncr = 0.0;
    double sustainLevel = 1.0;
    double sampleRate = 0.0;
};
