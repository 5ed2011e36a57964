#pragma once

#include "LFOState.h"

#include <random>

struct GlobalState;

// The engine's single LFO: waveform, rate, depth and routing. The running phase lives in an
// LFOState passed to process(): GlobalState's for the free-running waveforms, each voice's own
// for the one-shot ones.
class LFO {
public:
    enum Type {
        kSine = 0,
        kRamp = 1,
        kSquare = 2,
        kRandom = 3,
        kSineOneShot = 4,
        kRampOneShot = 5
    };
    enum Target { kPitch = 0, kPulseWidth = 1, kFilter = 2, kAmp = 3, kHardSync = 4 };
    static constexpr int kNumSyncRatios = 27;

    explicit LFO(GlobalState* gs);

    void setAmount(double a) { amount = a; }
    void setTarget(int t) { target = t; }
    void setBPM(double b) { bpm = b; }
    void setBPMSyncOnoff(bool on) { bpmSync = on; }
    void setSampleRate(double rate) { sampleRate = rate; }
    void setType(int t);
    // v in 0..1: a tempo ratio when synchronised, else (16 v)^2 * 0.1 Hz for the sine.
    void setSpeed(double v);

    bool seeIsOneShot() const { return isOneShot; }
    int getTarget() const { return target; }

    // Restarts a sweep at the waveform's start point.
    void gateOn(LFOState* st) const;
    void process(LFOState* st);

    double getPitch() const;
    double getPWM() const;
    double getFilter() const;
    double getAmp() const;
    double getHS() const;

    double amount = 0.0;
    double depth = 0.0;
    double speed = 0.0;
    int type = kSine;
    int target = kPitch;
    double sampleRate = 44100.0;
    double output = 0.0;
    bool bpmSync = true;
    double bpm = 0.0;
    bool isOneShot = false;

    static constexpr double syncRatios[kNumSyncRatios] = {
        0.0625, 0.125,   0.25, 0.5, 0.66665, 0.75, 1,  1.3333,  1.5, 2,  2.6666,  3, 4, 5.33333, 6,
        8,      10.6666, 12,   16,  21.3333, 24,   32, 42.6667, 48,  64, 85.3333, 96};

private:
    double offsetOutput(double offset) const;
    double nextRandom();

    GlobalState* gs;
    // Owned by this LFO and seeded with 0, so every engine draws the same sequence and engines
    // in one process do not disturb each other.
    std::mt19937 random{0};
};
