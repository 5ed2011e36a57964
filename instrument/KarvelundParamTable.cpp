#include "KarvelundParamTable.h"

#include "Synthesizer.h"
#include "core/IParam.h"

#include <array>

namespace {

constexpr double kStep = 0.001;

constexpr PanelImage kPanelImages[kNumParamImages] = {
    {101, "knob", 1},
    {114, "slider", 1},
    {106, "toggle", 2},
    {108, "lfo_type_switch", 6},
    {109, "lfo_target_switch", 5},
    {110, "filter_type_switch", 3},
    {111, "phonic_switch", 3},
    {112, "modwheel_target_switch", 4},
    {113, "velocity_target_switch", 3},
    {115, "bpm_sync_switch", 2},
    {116, "amp_env_switch", 2},
    {118, "pitchbend_range", 24},
};

constexpr const char* kLFOTypeTexts[] = {"Sine",   "Ramp",          "Square",
                                         "Random", "Sine (1 shot)", "Ramp (1 shot)"};
constexpr const char* kLFOTargetTexts[] = {"Pitch", "Pulse Width", "Filter", "Amp", "Hard Sync"};
// Entry i bends i semitones; entry 0 turns bending off.
constexpr const char* kPitchBendTexts[] = {"0",  "1",  "2",  "3",  "4",  "5",  "6",  "7",
                                           "8",  "9",  "10", "11", "12", "13", "14", "15",
                                           "16", "17", "18", "19", "20", "21", "22", "23"};
// What the frame switches print for their states.
constexpr const char* kOffOnWords[] = {"Off", "On"};
constexpr const char* kFilterWords[] = {"LP", "HP", "BP"};
constexpr const char* kDriveWords[] = {"Pre", "Post"};
constexpr const char* kAmpWords[] = {"Env", "Gate"};
constexpr const char* kVoicingWords[] = {"Mono", "Poly", "Legato"};
constexpr const char* kModWheelTexts[] = {"OFF", "LFO", "Cutoff", "HardSync"};
constexpr const char* kVelocityTexts[] = {"OFF", "Filter Envelope", "Amp"};

constexpr GlobalState& gs(const EngineTarget& t) {
    return t.synth.globalState;
}
constexpr int asInt(double v) {
    return static_cast<int>(v);
}

constexpr ControlDef Knob(int x, int y, const char* caption, LabelSide side = LabelSide::kBelow) {
    return {ControlKind::kKnob, x, y, kImageKnob, false, caption, side, {}};
}
constexpr ControlDef Fader(int x, int y, const char* caption) {
    return {ControlKind::kFader, x, y, kImageSlider, false, caption, LabelSide::kBelow, {}};
}
constexpr ControlDef FrameSwitch(int x, int y, EPanelImage image, const char* caption,
                                 std::span<const char* const> states, bool stacked = false) {
    return {ControlKind::kFrameSwitch, x, y, image, stacked, caption, LabelSide::kLeft, states};
}
constexpr ControlDef StepSwitch(int x, int y, EPanelImage image, const char* caption) {
    return {ControlKind::kStepSwitch, x, y, image, false, caption, LabelSide::kLeft, {}};
}

// clang-format off
constexpr unsigned kSelector = kHintInteger | kHintEnumeration;

// How each value reaches the engine.
void ApplyBPMSync(const EngineTarget& t, double v) {
    t.synth.lfo.setBPMSyncOnoff(v != 0.0);
    t.synth.lfo.setSpeed(t.values[kLFOSpeed]);
}
void ApplyLFOType(const EngineTarget& t, double v) { t.synth.lfo.setType(asInt(v)); }
void ApplyLFOSpeed(const EngineTarget& t, double v) { t.synth.lfo.setSpeed(v); }
void ApplyLFOTarget(const EngineTarget& t, double v) {
    // A former target returns to its unmodulated value at once.
    gs(t).setLFOAmp(0.0);
    gs(t).setLFOFilter(0.0);
    gs(t).setLFOPitch(0.0);
    gs(t).setLFOPWM(0.0);
    gs(t).setLFOHS(0.0);
    t.synth.lfo.setTarget(asInt(v));
}
void ApplyLFOAmount(const EngineTarget& t, double v) { t.synth.lfo.setAmount(v); }
void ApplySubOscWave(const EngineTarget& t, double v) { gs(t).setSubOscBalance(v); }
void ApplyHardSync(const EngineTarget& t, double v) { gs(t).setHardSyncAmount(v); }
void ApplySaw(const EngineTarget& t, double v) { gs(t).setSawAmount(v); }
void ApplyPulse(const EngineTarget& t, double v) { gs(t).setPulseAmount(v); }
void ApplySub(const EngineTarget& t, double v) { gs(t).setSubAmount(v); }
void ApplyPulseWidth(const EngineTarget& t, double v) { gs(t).setPulseWidth(v); }
void ApplySawDetune(const EngineTarget& t, double v) { gs(t).setSawDetune(v); }
void ApplyNoise(const EngineTarget& t, double v) { gs(t).setNoiseAmount(v); }
void ApplyFilterType(const EngineTarget& t, double v) { gs(t).setFilterType(asInt(v)); }
void ApplyCutoff(const EngineTarget& t, double v) { gs(t).setCutoff(v); }
void ApplyResonance(const EngineTarget& t, double v) { gs(t).setResonance(v); }
void ApplyKbdTrk(const EngineTarget& t, double v) { gs(t).setKbdTrk(v); }
void ApplyEnvAmount(const EngineTarget& t, double v) { gs(t).setEnvAmount(v); }
void ApplyAttack(const EngineTarget& t, double v) { t.synth.adsr.setStageTime(ADSRState::kAttack, v); }
void ApplyDecay(const EngineTarget& t, double v) { t.synth.adsr.setStageTime(ADSRState::kDecay, v); }
void ApplySustain(const EngineTarget& t, double v) { t.synth.adsr.setSustainLevel(v); }
void ApplyRelease(const EngineTarget& t, double v) { t.synth.adsr.setStageTime(ADSRState::kRelease, v); }
void ApplyDrivePrePost(const EngineTarget& t, double v) { gs(t).setDriveOnoff(v != 0.0); }
void ApplyDriveAmount(const EngineTarget& t, double v) { gs(t).setDriveAmount(v); }
void ApplyAmpEnvSelect(const EngineTarget& t, double v) { gs(t).setAmpEnvType(asInt(v)); }
void ApplyVolume(const EngineTarget& t, double v) { gs(t).setVolume(v); }
void ApplyPitchBendRange(const EngineTarget& t, double v) { gs(t).setPitchWheelRange(asInt(v)); }
void ApplyModWheelTarget(const EngineTarget& t, double v) { gs(t).modWheel.setModWheelTarget(asInt(v)); }
void ApplyVelocityTarget(const EngineTarget& t, double v) { gs(t).setVelocityTarget(asInt(v)); }
void ApplyPortaSpeed(const EngineTarget& t, double v) { gs(t).setPortaSpeed(v, t.sampleRate); }
void ApplyPhonicType(const EngineTarget& t, double v) { gs(t).setPhonicType(asInt(v)); }

using K = ParamKind;

// Rows in declaration order. Columns: index, name, kind, default, min, max, step, label, group,
// display texts; control; engine mapping, releases all notes; port symbol, section, unit, hints.
constexpr ParamDef kRows[kNumParams] = {
    {kBPMSync, "BPM Sync On/Off", K::kBool, 1, 0, 1, 1, "BPMSyncOnoff", "", {},
     FrameSwitch(179, 93, kImageBpmSync, "BPM Sync", kOffOnWords),
     ApplyBPMSync, false, "bpm_sync", "lfo", "", kHintToggled},
    {kLFOType, "LFO Type select", K::kEnum, 0, 0, 5, 1, "LFOType", "", kLFOTypeTexts,
     StepSwitch(124, 127, kImageLfoType, "Type"),
     ApplyLFOType, false, "lfo_type", "lfo", "", kSelector},
    {kLFOSpeed, "LFO Speed", K::kDouble, 0, 0, 1, kStep, "", "", {},
     Knob(60, 183, "Speed", LabelSide::kLeft),
     ApplyLFOSpeed, false, "lfo_speed", "lfo", "", kHintNone},
    {kLFOTarget, "LFO Target select", K::kEnum, 2, 0, 4, 1, "LFOTarget", "", kLFOTargetTexts,
     StepSwitch(124, 151, kImageLfoTarget, "Target"),
     ApplyLFOTarget, false, "lfo_target", "lfo", "", kSelector},
    {kLFOAmount, "LFO Amount", K::kDouble, 0.5, 0, 1, kStep, "", "", {},
     Knob(162, 183, "Amount", LabelSide::kLeft),
     ApplyLFOAmount, false, "lfo_amount", "lfo", "", kHintNone},
    {kSubOscWave, "Sub Osc Waveform", K::kDouble, 0.5, 0, 1, kStep, "SubOscWave", "", {},
     Knob(512, 138, "Sub Wave"),
     ApplySubOscWave, false, "sub_wave", "oscillators", "", kHintNone},
    {kHardSync, "Osc HardSync Amount", K::kDouble, 0, 0, 1, kStep, "", "", {},
     Knob(276, 138, "Sync"),
     ApplyHardSync, false, "hard_sync", "oscillators", "", kHintNone},
    {kSaw, "Osc Saw Amount", K::kDouble, 0.5, 0, 1, kStep, "", "", {},
     Fader(446, 309, "Saw"),
     ApplySaw, false, "saw", "mixer", "", kHintNone},
    {kPulse, "Osc Pulse Amount", K::kDouble, 0.5, 0, 1, kStep, "", "", {},
     Fader(368, 309, "Pulse"),
     ApplyPulse, false, "pulse", "mixer", "", kHintNone},
    {kSub, "Sub Osc Amount", K::kDouble, 0.5, 0, 1, kStep, "", "", {},
     Fader(524, 309, "Sub"),
     ApplySub, false, "sub", "mixer", "", kHintNone},
    {kPulseWidth, "Osc PW Amount", K::kDouble, 0.5, 0, 1, kStep, "", "", {},
     Knob(356, 138, "PW"),
     ApplyPulseWidth, false, "pulse_width", "oscillators", "", kHintNone},
    {kSawDetune, "Osc Saw Detune Amount", K::kDouble, 0, 0, 1, kStep, "", "", {},
     Knob(434, 138, "Detune"),
     ApplySawDetune, false, "saw_detune", "oscillators", "", kHintNone},
    {kNoise, "Osc Noise Amount", K::kDouble, 0, 0, 1, kStep, "", "", {},
     Fader(288, 309, "Noise"),
     ApplyNoise, false, "noise", "mixer", "", kHintNone},
    {kFilterType, "Filter Type select", K::kInt, 0, 0, 2, 1, "FiltType", "", {},
     FrameSwitch(665, 93, kImageFilterType, "Type", kFilterWords),
     ApplyFilterType, false, "filter_type", "filter", "", kSelector},
    {kCutoff, "Cutoff Amount", K::kDouble, 1, 0, 1, kStep, "", "", {},
     Knob(614, 138, "Cutoff"),
     ApplyCutoff, false, "cutoff", "filter", "", kHintNone},
    {kResonance, "Resonance Amount", K::kDouble, 0, 0, 1, kStep, "", "", {},
     Knob(687, 138, "Reso"),
     ApplyResonance, false, "resonance", "filter", "", kHintNone},
    {kKbdTrk, "Keyboard Tracking Amount", K::kDouble, 0, 0, 1, kStep, "", "", {},
     Knob(760, 138, "Key Trk"),
     ApplyKbdTrk, false, "key_tracking", "filter", "", kHintNone},
    {kEnvAmount, "Envelope Amount", K::kDouble, 0.5, 0, 1, kStep, "", "", {},
     Knob(832, 138, "Env Amt"),
     ApplyEnvAmount, false, "env_amount", "filter", "", kHintNone},
    {kAttack, "Env Attack", K::kDouble, 0.12, 0.12, 1, kStep, "", "", {},
     Fader(626, 309, "A"),
     ApplyAttack, false, "attack", "envelope", "", kHintNone},
    {kDecay, "Env Decay", K::kDouble, 0.12, 0.12, 1, kStep, "", "", {},
     Fader(699, 309, "D"),
     ApplyDecay, false, "decay", "envelope", "", kHintNone},
    {kSustain, "Env Sustain", K::kDouble, 1, 0, 1, kStep, "", "", {},
     Fader(772, 309, "S"),
     ApplySustain, false, "sustain", "envelope", "", kHintNone},
    {kRelease, "Env Release", K::kDouble, 0.12, 0.12, 1, kStep, "", "", {},
     Fader(844, 309, "R"),
     ApplyRelease, false, "release", "envelope", "", kHintNone},
    {kDrivePrePost, "Drive Pre/Post Switch", K::kBool, 0, 0, 1, 1, "DrivePrePost", "", {},
     FrameSwitch(967, 93, kImageToggle, "Position", kDriveWords),
     ApplyDrivePrePost, false, "drive_position", "drive", "", kHintToggled},
    {kDriveAmount, "Drive Amount", K::kDouble, 0, 0, 1, kStep, "DriveAmnt", "", {},
     Knob(946, 138, "Drive"),
     ApplyDriveAmount, false, "drive", "drive", "", kHintNone},
    {kAmpEnvSelect, "Amp Env/Gate Select", K::kInt, 0, 0, 1, 1, "AmpEnvSelect", "", {},
     FrameSwitch(967, 267, kImageAmpEnv, "Mode", kAmpWords),
     ApplyAmpEnvSelect, false, "amp_mode", "amp", "", kSelector},
    {kVolume, "Amp Volume", K::kDouble, 0.8, 0, 1, kStep, "", "", {},
     Fader(958, 309, "Volume"),
     ApplyVolume, false, "volume", "amp", "", kHintNone},
    {kPitchBendRange, "Pitch Bend Range", K::kEnum, 1, 0, 23, 1, "PBendRange", "", kPitchBendTexts,
     StepSwitch(124, 315, kImagePitchBend, "Bend Range"),
     ApplyPitchBendRange, false, "bend_range", "performance", "", kSelector},
    {kModWheelTarget, "ModWheel Target select", K::kEnum, 0, 0, 3, 1, "MWheelTarget", "", kModWheelTexts,
     StepSwitch(124, 339, kImageModWheel, "Mod Wheel"),
     ApplyModWheelTarget, false, "wheel_target", "performance", "", kSelector},
    {kVelocityTarget, "Velocity Target select", K::kEnum, 0, 0, 2, 1, "VelocityTarget", "", kVelocityTexts,
     StepSwitch(124, 363, kImageVelocity, "Velocity"),
     ApplyVelocityTarget, false, "velocity_target", "performance", "", kSelector},
    {kPortaSpeed, "Portamento Speed", K::kDouble, 0, 0, 1, kStep, "PortaSpeed", "Portamento Group", {},
     Knob(162, 395, "Glide"),
     ApplyPortaSpeed, false, "glide", "performance", "", kHintNone},
    {kPhonicType, "PhonicType", K::kInt, 1, 0, 2, 1, "Mono or Poly or Legato", "", {},
     FrameSwitch(66, 398, kImagePhonic, "Voicing", kVoicingWords, true),
     ApplyPhonicType, true, "voicing", "performance", "", kSelector},
};

// clang-format on

// Row position of each parameter index; -1 marks an index without a row.
constexpr std::array<int, kNumParams> RowOfIndex() {
    std::array<int, kNumParams> rows{};
    rows.fill(-1);
    for (int i = 0; i < kNumParams; ++i)
        rows[kRows[i].index] = i;
    return rows;
}

constexpr std::array<int, kNumParams> kRowOfIndex = RowOfIndex();

constexpr bool EveryIndexHasOneRow() {
    for (int row : kRowOfIndex)
        if (row < 0) return false;
    return true;
}
static_assert(EveryIndexHasOneRow(), "each parameter index needs exactly one row");

} // namespace

const PanelImage& GetPanelImage(EPanelImage image) {
    return kPanelImages[image];
}

std::span<const ParamDef> KarvelundParamTable() {
    return kRows;
}

const ParamDef& GetParamDef(int idx) {
    return kRows[kRowOfIndex[idx]];
}

void InitParamFromDef(IParam* p, const ParamDef& def) {
    switch (def.kind) {
    case ParamKind::kBool:
        p->InitBool(def.name, def.defaultValue != 0.0, def.label, def.group);
        break;
    case ParamKind::kEnum:
        p->InitEnum(def.name, static_cast<int>(def.defaultValue),
                    static_cast<int>(def.maxValue) + 1, def.label, def.group);
        break;
    case ParamKind::kInt:
        p->InitInt(def.name, static_cast<int>(def.defaultValue), static_cast<int>(def.minValue),
                   static_cast<int>(def.maxValue), def.label, def.group);
        break;
    case ParamKind::kDouble:
        p->InitDouble(def.name, def.defaultValue, def.minValue, def.maxValue, def.step, def.label,
                      def.group);
        break;
    }
    for (size_t i = 0; i < def.displayTexts.size(); ++i)
        p->SetDisplayText(static_cast<int>(i), def.displayTexts[i]);
}
