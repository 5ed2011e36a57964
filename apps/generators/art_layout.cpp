#include "art_layout.h"

#include "KarvelundParams.h"

#include <cstdlib>

namespace art {

const std::vector<PlacedControl>& placedControls() {
    static const std::vector<PlacedControl> controls = {
        {Kind::kFrameSwitch, 179, 93, kBPMSync, "BPM Sync", LabelSide::kLeft, "bpm_sync_switch"},
        {Kind::kStepper, 124, 127, kLFOType, "Type", LabelSide::kLeft, "lfo_type_switch"},
        {Kind::kKnob, 60, 183, kLFOSpeed, "Speed", LabelSide::kLeft, "knob"},
        {Kind::kStepper, 124, 151, kLFOTarget, "Target", LabelSide::kLeft, "lfo_target_switch"},
        {Kind::kKnob, 162, 183, kLFOAmount, "Amount", LabelSide::kLeft, "knob"},
        {Kind::kKnob, 512, 138, kSubOscWave, "Sub Wave", LabelSide::kBelow, "knob"},
        {Kind::kKnob, 276, 138, kHardSync, "Sync", LabelSide::kBelow, "knob"},
        {Kind::kFader, 446, 309, kSaw, "Saw", LabelSide::kBelow, "slider"},
        {Kind::kFader, 368, 309, kPulse, "Pulse", LabelSide::kBelow, "slider"},
        {Kind::kFader, 524, 309, kSub, "Sub", LabelSide::kBelow, "slider"},
        {Kind::kKnob, 356, 138, kPulseWidth, "PW", LabelSide::kBelow, "knob"},
        {Kind::kKnob, 434, 138, kSawDetune, "Detune", LabelSide::kBelow, "knob"},
        {Kind::kFader, 288, 309, kNoise, "Noise", LabelSide::kBelow, "slider"},
        {Kind::kFrameSwitch, 665, 93, kFilterType, "Type", LabelSide::kLeft, "filter_type_switch"},
        {Kind::kKnob, 614, 138, kCutoff, "Cutoff", LabelSide::kBelow, "knob"},
        {Kind::kKnob, 687, 138, kResonance, "Reso", LabelSide::kBelow, "knob"},
        {Kind::kKnob, 760, 138, kKbdTrk, "Key Trk", LabelSide::kBelow, "knob"},
        {Kind::kKnob, 832, 138, kEnvAmount, "Env Amt", LabelSide::kBelow, "knob"},
        {Kind::kFader, 626, 309, kAttack, "A", LabelSide::kBelow, "slider"},
        {Kind::kFader, 699, 309, kDecay, "D", LabelSide::kBelow, "slider"},
        {Kind::kFader, 772, 309, kSustain, "S", LabelSide::kBelow, "slider"},
        {Kind::kFader, 844, 309, kRelease, "R", LabelSide::kBelow, "slider"},
        {Kind::kFrameSwitch, 967, 93, kDrivePrePost, "Position", LabelSide::kLeft, "toggle"},
        {Kind::kKnob, 946, 138, kDriveAmount, "Drive", LabelSide::kBelow, "knob"},
        {Kind::kFrameSwitch, 967, 267, kAmpEnvSelect, "Mode", LabelSide::kLeft, "amp_env_switch"},
        {Kind::kFader, 958, 309, kVolume, "Volume", LabelSide::kBelow, "slider"},
        {Kind::kStepper, 124, 315, kPitchBendRange, "Bend Range", LabelSide::kLeft,
         "pitchbend_range"},
        {Kind::kStepper, 124, 339, kModWheelTarget, "Mod Wheel", LabelSide::kLeft,
         "modwheel_target_switch"},
        {Kind::kStepper, 124, 363, kVelocityTarget, "Velocity", LabelSide::kLeft,
         "velocity_target_switch"},
        {Kind::kKnob, 162, 395, kPortaSpeed, "Glide", LabelSide::kBelow, "knob"},
        {Kind::kFrameSwitch, 66, 398, kPhonicType, "Voicing", LabelSide::kLeft, "phonic_switch"},
    };
    return controls;
}

const std::vector<FrameSwitchArt>& frameSwitches() {
    static const std::vector<FrameSwitchArt> switches = {
        {"bpm_sync_switch", {"Off", "On"}, false, 36},
        {"filter_type_switch", {"LP", "HP", "BP"}, false, 32},
        {"toggle", {"Pre", "Post"}, false, 38},
        {"amp_env_switch", {"Env", "Gate"}, false, 38},
        {"phonic_switch", {"Mono", "Poly", "Legato"}, true, 64},
    };
    return switches;
}

const FrameSwitchArt& frameSwitch(const std::string& image) {
    for (const FrameSwitchArt& s : frameSwitches()) {
        if (image == s.image) return s;
    }
    std::abort(); // the layout names only the switches above
}

const std::vector<StepperArt>& steppers() {
    static const std::vector<StepperArt> list = {
        {"lfo_type_switch", kLFOType},
        {"lfo_target_switch", kLFOTarget},
        {"pitchbend_range", kPitchBendRange},
        {"modwheel_target_switch", kModWheelTarget},
        {"velocity_target_switch", kVelocityTarget},
    };
    return list;
}

const std::vector<Section>& sections() {
    static const std::vector<Section> list = {
        {"LFO", 10, 56, 251, 173},          {"OSCILLATORS", 265, 56, 323, 173},
        {"FILTER", 592, 56, 308, 173},      {"DRIVE", 904, 56, 166, 173},
        {"PERFORMANCE", 10, 285, 251, 193}, {"MIXER", 265, 285, 323, 193},
        {"ENVELOPE", 592, 231, 308, 247},   {"AMP", 904, 231, 166, 247},
    };
    return list;
}

} // namespace art
