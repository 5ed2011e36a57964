#pragma once

#include "EngineMath.h"
#include "GlobalState.h"
#include "LFOState.h"

#include <random>

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
    // One sample of the waveform (inline: the engine runs it every sample).
    inline void process(LFOState* st);

    // The output towards each target; 0 for the targets not chosen.
    double getPitch() const { return target == kPitch ? output : 0.0; }
    double getPWM() const { return target == kPulseWidth ? offsetOutput(0.0) : 0.0; }
    double getFilter() const { return target == kFilter ? offsetOutput(0.0) : 0.0; }
    double getAmp() const { return target == kAmp ? offsetOutput(0.0) : 0.0; }
    double getHS() const { return target == kHardSync ? offsetOutput(0.01) : 0.0; }

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
    inline double offsetOutput(double offset) const;
    double nextRandom();

    GlobalState* gs;
    // Owned by this LFO and seeded with 0, so every engine draws the same sequence and engines
    // in one process do not disturb each other.
    std::mt19937 random{0};
};

inline void LFO::process(LFOState* st) {
    switch (type) {
    case kSine:
        st->phase += speed;
        if (st->phase >= 1.0) st->phase -= 2.0;
        st->value = fast_sin((st->phase + 0.75) * 3.14159265359);
        break;
    case kRamp:
        st->phase -= 2.0 * speed;
        if (st->phase <= -1.0) st->phase += 2.0;
        st->value = st->phase;
        break;
    case kSquare:
        st->phase += 2.0 * speed;
        if (st->phase >= 1.0) st->phase -= 2.0;
        st->value = st->phase >= 0.0 ? 1.0 : -1.0;
        break;
    case kRandom:
        st->phase += 2.0 * speed;
        if (st->phase >= 1.0) {
            st->value = nextRandom();
            st->phase = 0.0;
        }
        break;
    case kSineOneShot:
        if (!st->oneShotDone) {
            st->phase += speed;
            if (st->phase >= 1.0) st->oneShotDone = true;
            st->value = fast_sin((st->phase + 0.5) * 3.14159265359);
        }
        break;
    case kRampOneShot:
        if (!st->oneShotDone) {
            st->phase -= 2.0 * speed;
            if (st->phase <= -1.0) st->oneShotDone = true;
            st->value = st->phase;
        }
        break;
    default:
        break;
    }

    const double m = gs->modWheel.getLFO();
    if (amount >= 0.5) {
        depth = 2.0 * (amount - 0.5);
        output = st->value * depth * depth * m;
    } else {
        depth = 2.0 * (0.5 - amount);
        output = -st->value * depth * depth * m;
    }
}

inline double LFO::offsetOutput(double offset) const {
    return (depth * gs->modWheel.getLFO() + output + offset) * 0.5;
}
