#pragma once

#include "LFOState.h"

#include <cstdint>

// Where the mod wheel is routed, and how far it is turned.
struct ModWheelManager {
    enum Target { kOff = 0, kLFO = 1, kCutoff = 2, kHardSync = 3 };

    double amount = 0.0;
    int target = kOff;

    void setModWheelAmount(double a) { amount = a; }
    void setModWheelTarget(int t) { target = t; }

    // A multiplier on the LFO depth.
    double getLFO() const { return target == kLFO ? amount : 1.0; }
    // Additions to the filter cutoff and to the hard-sync amount.
    double getCutoff() const { return target == kCutoff ? amount : 0.0; }
    double getHardSync() const { return target == kHardSync ? amount : 0.0; }
};

// Synth-wide settings read by every voice, filter, envelope and the LFO. Setters write the
// targets; the render loop writes the ...Smoothed fields, which is what the voices read.
struct GlobalState {
    double hardSyncAmount = 0.0;
    double hardSyncAmountSmoothed = 0.0;
    double LFOHS = 0.0;
    double sawAmount = 0.0;
    double sawAmountSmoothed = 0.0;
    double pulseAmount = 0.0;
    double pulseAmountSmoothed = 0.0;
    double subAmount = 0.0;
    double subAmountSmoothed = 0.0;
    double pulseWidth = 0.0;
    double pulseWidthSmoothed = 0.0;
    double subOscBalance = 0.0;
    double subOscBalanceSmoothed = 0.0;
    double LFOPWM = 0.0;
    double sawDetune = 0.0;
    double sawDetuneSmoothed = 0.0;
    double noiseAmount = 0.0;
    double noiseAmountSmoothed = 0.0;
    double LFOAmp = 0.0;
    double LFOFilter = 0.0;
    bool portaOnoff = false;
    double portaSpeed = 0.0;
    int filterType = 0;
    double cutoff = 0.0;
    double cutoffSmoothed = 0.0;
    double resonance = 0.0;
    double resonanceSmoothed = 0.0;
    double kbdTrk = 0.0;
    double envAmount = 0.0;
    double envAmountSmoothed = 0.0;
    double PWMonlyLFO = 0.0;
    double noisesignal = 0.0;
    int ampEnvType = 0;
    double volume = 0.0;
    bool driveOnoff = false;
    double driveAmount = 0.0;
    double driveAmountSmoothed = 0.0;
    double pitchWheelDelta = 0.0;
    double LFOPitch = 0.0;
    uint16_t pitchWheelRange = 2;
    int phonicType = 1;
    double sampleRate = 0.0;
    LFOState lfoState;
    ModWheelManager modWheel;
    int velocityTarget = 2;
    bool sustainPedalOnoff = false;
    uint16_t numVoices = 8;

    enum PhonicType { kMono = 0, kPoly = 1, kLegato = 2 };

    void setHardSyncAmount(double v) { hardSyncAmount = v; }
    void setSawAmount(double v) { sawAmount = v; }
    void setPulseAmount(double v) { pulseAmount = v; }
    void setSubAmount(double v) { subAmount = v; }
    void setPulseWidth(double v) { pulseWidth = v; }
    void setSubOscBalance(double v) { subOscBalance = v; }
    void setSawDetune(double v) { sawDetune = v; }
    void setNoiseAmount(double v) { noiseAmount = v; }
    void setCutoff(double v) { cutoff = v; }
    void setResonance(double v) { resonance = v; }
    void setKbdTrk(double v) { kbdTrk = v; }
    void setEnvAmount(double v) { envAmount = v; }
    void setVolume(double v) { volume = v; }
    void setDriveAmount(double v) { driveAmount = v; }

    void setLFOAmp(double v) { LFOAmp = v; }
    void setLFOFilter(double v) { LFOFilter = v; }
    void setLFOPitch(double v) { LFOPitch = v; }
    void setLFOPWM(double v) { LFOPWM = v; }
    void setLFOHS(double v) { LFOHS = v; }
    void setPWMonlyLFO(double v) { PWMonlyLFO = v; }
    void setNoisesignal(double v) { noisesignal = v; }
    void setPitchWheelDelta(double v) { pitchWheelDelta = v; }
    void setSampleRate(double v) { sampleRate = v; }

    void setFilterType(int v) { filterType = v; }
    void setAmpEnvType(int v) { ampEnvType = v; }
    void setVelocityTarget(int v) { velocityTarget = v; }
    void setPitchWheelRange(int v) { pitchWheelRange = static_cast<uint16_t>(v); }

    void setPortaOnoff(bool v) { portaOnoff = v; }
    void setDriveOnoff(bool v) { driveOnoff = v; }

    void setSustainPedalOnoff(double v) { sustainPedalOnoff = v >= 0.5; }
    void setPhonicType(int type);
    void setPortaSpeed(double time, double sampleRate);
};
