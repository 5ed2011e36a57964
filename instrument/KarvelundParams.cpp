#include "KarvelundParams.h"

#include "core/IParam.h"

#include <cstdio>

namespace {

constexpr double kStep = 0.001;

void InitEnumTexts(IParam* p, const char* const* texts, int n) {
    for (int i = 0; i < n; ++i)
        p->SetDisplayText(i, texts[i]);
}

} // namespace

void InitKarvelundParam(IParam* p, int idx) {
    switch (idx) {
    case kBPMSync:
        p->InitBool("BPM Sync On/Off", true, "BPMSyncOnoff");
        break;
    case kLFOType: {
        static const char* const texts[] = {"Sine",   "Ramp",          "Square",
                                            "Random", "Sine (1 shot)", "Ramp (1 shot)"};
        p->InitEnum("LFO Type select", 0, 6, "LFOType");
        InitEnumTexts(p, texts, 6);
        break;
    }
    case kLFOSpeed:
        p->InitDouble("LFO Speed", 0.0, 0.0, 1.0, kStep);
        break;
    case kLFOTarget: {
        static const char* const texts[] = {"Pitch", "Pulse Width", "Filter", "Amp", "Hard Sync"};
        p->InitEnum("LFO Target select", 2, 5, "LFOTarget");
        InitEnumTexts(p, texts, 5);
        break;
    }
    case kLFOAmount:
        p->InitDouble("LFO Amount", 0.5, 0.0, 1.0, kStep);
        break;
    case kHardSync:
        p->InitDouble("Osc HardSync Amount", 0.0, 0.0, 1.0, kStep);
        break;
    case kPulseWidth:
        p->InitDouble("Osc PW Amount", 0.5, 0.0, 1.0, kStep);
        break;
    case kSawDetune:
        p->InitDouble("Osc Saw Detune Amount", 0.0, 0.0, 1.0, kStep);
        break;
    case kSubOscWave:
        p->InitDouble("Sub Osc Waveform", 0.5, 0.0, 1.0, kStep, "SubOscWave");
        break;
    case kNoise:
        p->InitDouble("Osc Noise Amount", 0.0, 0.0, 1.0, kStep);
        break;
    case kSaw:
        p->InitDouble("Osc Saw Amount", 0.5, 0.0, 1.0, kStep);
        break;
    case kPulse:
        p->InitDouble("Osc Pulse Amount", 0.5, 0.0, 1.0, kStep);
        break;
    case kSub:
        p->InitDouble("Sub Osc Amount", 0.5, 0.0, 1.0, kStep);
        break;
    case kAttack:
        p->InitDouble("Env Attack", 0.12, 0.12, 1.0, kStep);
        break;
    case kDecay:
        p->InitDouble("Env Decay", 0.12, 0.12, 1.0, kStep);
        break;
    case kSustain:
        p->InitDouble("Env Sustain", 1.0, 0.0, 1.0, kStep);
        break;
    case kRelease:
        p->InitDouble("Env Release", 0.12, 0.12, 1.0, kStep);
        break;
    case kPhonicType:
        p->InitInt("PhonicType", 1, 0, 2, "Mono or Poly or Legato");
        break;
    case kFilterType:
        p->InitInt("Filter Type select", 0, 0, 2, "FiltType");
        break;
    case kCutoff:
        p->InitDouble("Cutoff Amount", 1.0, 0.0, 1.0, kStep);
        break;
    case kResonance:
        p->InitDouble("Resonance Amount", 0.0, 0.0, 1.0, kStep);
        break;
    case kKbdTrk:
        p->InitDouble("Keyboard Tracking Amount", 0.0, 0.0, 1.0, kStep);
        break;
    case kEnvAmount:
        p->InitDouble("Envelope Amount", 0.5, 0.0, 1.0, kStep);
        break;
    case kDrivePrePost:
        p->InitBool("Drive Pre/Post Switch", false, "DrivePrePost");
        break;
    case kDriveAmount:
        p->InitDouble("Drive Amount", 0.0, 0.0, 1.0, kStep, "DriveAmnt");
        break;
    case kAmpEnvSelect:
        p->InitInt("Amp Env/Gate Select", 0, 0, 1, "AmpEnvSelect");
        break;
    case kVolume:
        p->InitDouble("Amp Volume", 0.8, 0.0, 1.0, kStep);
        break;
    case kPitchBendRange: {
        p->InitEnum("Pitch Bend Range", 1, 24, "PBendRange");
        for (int i = 0; i < 24; ++i) {
            char text[8];
            std::snprintf(text, sizeof(text), "%d", i + 1);
            p->SetDisplayText(i, text);
        }
        break;
    }
    case kModWheelTarget: {
        static const char* const texts[] = {"OFF", "LFO", "Cutoff", "HardSync"};
        p->InitEnum("ModWheel Target select", 0, 4, "MWheelTarget");
        InitEnumTexts(p, texts, 4);
        break;
    }
    case kVelocityTarget: {
        static const char* const texts[] = {"OFF", "Filter Envelope", "Amp"};
        p->InitEnum("Velocity Target select", 0, 3, "VelocityTarget");
        InitEnumTexts(p, texts, 3);
        break;
    }
    case kPortaSpeed:
        p->InitDouble("Portamento Speed", 0.0, 0.0, 1.0, kStep, "PortaSpeed", "Portamento Group");
        break;
    default:
        break;
    }
}
