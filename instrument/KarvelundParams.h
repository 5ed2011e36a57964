#pragma once

// The instrument's parameters, by index.
enum EParams {
    kBPMSync = 0,
    kLFOType,
    kLFOSpeed,
    kLFOTarget,
    kLFOAmount,
    kHardSync,
    kPulseWidth,
    kSawDetune,
    kSubOscWave,
    kNoise,
    kSaw,
    kPulse,
    kSub,
    kAttack,
    kDecay,
    kSustain,
    kRelease,
    kPhonicType,
    kFilterType,
    kCutoff,
    kResonance,
    kKbdTrk,
    kEnvAmount,
    kDrivePrePost,
    kDriveAmount,
    kAmpEnvSelect,
    kVolume,
    kPitchBendRange,
    kModWheelTarget,
    kVelocityTarget,
    kPortaSpeed,
    kNumParams
};

// The order in which the constructor declares the parameters (and builds their controls).
inline constexpr int kParamDeclarationOrder[kNumParams] = {
    kBPMSync,        kLFOType,    kLFOSpeed,       kLFOTarget,
    kLFOAmount,      kSubOscWave, kHardSync,       kSaw,
    kPulse,          kSub,        kPulseWidth,     kSawDetune,
    kNoise,          kFilterType, kCutoff,         kResonance,
    kKbdTrk,         kEnvAmount,  kAttack,         kDecay,
    kSustain,        kRelease,    kDrivePrePost,   kDriveAmount,
    kAmpEnvSelect,   kVolume,     kPitchBendRange, kModWheelTarget,
    kVelocityTarget, kPortaSpeed, kPhonicType};

class IParam;

// Gives parameter idx its kind, name, range, default, label and display texts.
void InitKarvelundParam(IParam* param, int idx);
