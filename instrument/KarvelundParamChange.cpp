// How each parameter change reaches the engine.

#include "Karvelund.h"

void Karvelund::OnParamChange(int paramIdx) {
    IMutexLock lock(this);
    const IParam* param = GetParam(paramIdx);
    if (!param) return;
    const double v = param->Value();
    const int iv = static_cast<int>(v);
    GlobalState& gs = mSynth.globalState;
    LFO& lfo = *mSynth.lfo;

    switch (paramIdx) {
    case kBPMSync:
        lfo.setBPMSyncOnoff(v != 0.0);
        lfo.setSpeed(GetParam(kLFOSpeed)->Value());
        break;
    case kLFOType:
        lfo.setType(iv);
        break;
    case kLFOSpeed:
        lfo.setSpeed(v);
        break;
    case kLFOTarget:
        // A former target returns to its unmodulated value at once.
        gs.setLFOAmp(0.0);
        gs.setLFOFilter(0.0);
        gs.setLFOPitch(0.0);
        gs.setLFOPWM(0.0);
        gs.setLFOHS(0.0);
        lfo.setTarget(iv);
        break;
    case kLFOAmount:
        lfo.setAmount(v);
        break;
    case kHardSync:
        gs.setHardSyncAmount(v);
        break;
    case kPulseWidth:
        gs.setPulseWidth(v);
        break;
    case kSawDetune:
        gs.setSawDetune(v);
        break;
    case kSubOscWave:
        gs.setSubOscBalance(v);
        break;
    case kNoise:
        gs.setNoiseAmount(v);
        break;
    case kSaw:
        gs.setSawAmount(v);
        break;
    case kPulse:
        gs.setPulseAmount(v);
        break;
    case kSub:
        gs.setSubAmount(v);
        break;
    case kAttack:
        mSynth.adsr.setStageTime(ADSRState::kAttack, v);
        break;
    case kDecay:
        mSynth.adsr.setStageTime(ADSRState::kDecay, v);
        break;
    case kSustain:
        mSynth.adsr.setSustainLevel(v);
        break;
    case kRelease:
        mSynth.adsr.setStageTime(ADSRState::kRelease, v);
        break;
    case kPhonicType:
        NoteOffAll();
        gs.setPhonicType(iv);
        break;
    case kFilterType:
        gs.setFilterType(iv);
        break;
    case kCutoff:
        gs.setCutoff(v);
        break;
    case kResonance:
        gs.setResonance(v);
        break;
    case kKbdTrk:
        gs.setKbdTrk(v);
        break;
    case kEnvAmount:
        gs.setEnvAmount(v);
        break;
    case kDrivePrePost:
        gs.setDriveOnoff(v != 0.0);
        break;
    case kDriveAmount:
        gs.setDriveAmount(v);
        break;
    case kAmpEnvSelect:
        gs.setAmpEnvType(iv);
        break;
    case kVolume:
        gs.setVolume(v);
        break;
    // The entry index is the range in semitones: entry 1, shown "2", bends by one.
    case kPitchBendRange:
        gs.setPitchWheelRange(iv);
        break;
    case kModWheelTarget:
        gs.modWheel.setModWheelTarget(iv);
        break;
    case kVelocityTarget:
        gs.setVelocityTarget(iv);
        break;
    case kPortaSpeed:
        gs.setPortaSpeed(v, mEngineSampleRate);
        break;
    default:
        break;
    }
}
