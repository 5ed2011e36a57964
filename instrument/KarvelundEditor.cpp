#include "KarvelundEditor.h"

#include "CustomControl.h"
#include "KarvelundParams.h"
#include "PresetManager.h"

#include "editor/IFaderControl.h"
#include "editor/IGraphics.h"

namespace {

// Resource ids and files of the panel's pictures (frames stacked vertically).
enum EResource {
    kKnobId = 101,
    kBackgroundId = 102,
    kAboutId = 103,
    kWhiteKeysId = 104,
    kBlackKeysId = 105,
    kToggleId = 106,
    kLfoTypeId = 108,
    kLfoTargetId = 109,
    kFilterTypeId = 110,
    kPhonicId = 111,
    kModWheelId = 112,
    kVelocityId = 113,
    kSliderId = 114,
    kBpmSyncId = 115,
    kAmpEnvId = 116,
    kPitchBendId = 118,
};

constexpr double kKnobMinAngle = -2.617993875; // about 150 degrees either side of up
constexpr double kKnobMaxAngle = 2.617993875;
constexpr double kKnobGearing = 4.0;
constexpr int kFaderTravel = 141;
constexpr int kKeyboardLowestNote = 48;
constexpr int kKeyboardOctaves = 5;
constexpr int kKeyCoords[12] = {0, 7, 12, 20, 24, 36, 43, 48, 56, 60, 69, 72};

} // namespace

KarvelundEditor::KarvelundEditor(IPluginBase* plug, IGraphics* graphics)
    : mPlug(plug), mGraphics(graphics) {
    IGraphics* g = graphics;
    g->AttachBackground(kBackgroundId, "resources/img/background.png");
    mKnob = g->LoadIBitmap(kKnobId, "resources/img/knob.png");
    mSlider = g->LoadIBitmap(kSliderId, "resources/img/slider.png");
    mToggle = g->LoadIBitmap(kToggleId, "resources/img/toggle.png", 2);
    mLfoType = g->LoadIBitmap(kLfoTypeId, "resources/img/lfo_type_switch.png", 6);
    mLfoTarget = g->LoadIBitmap(kLfoTargetId, "resources/img/lfo_target_switch.png", 5);
    mFilterType = g->LoadIBitmap(kFilterTypeId, "resources/img/filter_type_switch.png", 3);
    mPhonic = g->LoadIBitmap(kPhonicId, "resources/img/phonic_switch.png", 3);
    mModWheel = g->LoadIBitmap(kModWheelId, "resources/img/modwheel_target_switch.png", 4);
    mVelocity = g->LoadIBitmap(kVelocityId, "resources/img/velocity_target_switch.png", 3);
    mBpmSync = g->LoadIBitmap(kBpmSyncId, "resources/img/bpm_sync_switch.png", 2);
    mAmpEnv = g->LoadIBitmap(kAmpEnvId, "resources/img/amp_env_switch.png", 2);
    mPitchBend = g->LoadIBitmap(kPitchBendId, "resources/img/pitchbend_range.png", 24);
}

void KarvelundEditor::Knob(int x, int y, int paramIdx) {
    mGraphics->AttachControl(new IKnobRotaterControl(mPlug, x, y, paramIdx, &mKnob, kKnobMinAngle,
                                                     kKnobMaxAngle, 0, kVertical, kKnobGearing));
}

void KarvelundEditor::Fader(int x, int y, int paramIdx) {
    mGraphics->AttachControl(
        new IFaderControl(mPlug, x, y, kFaderTravel, paramIdx, &mSlider, kVertical, false));
}

void KarvelundEditor::FrameSwitch(int x, int y, int paramIdx, IBitmap* bitmap,
                                  bool partsSideBySide) {
    mGraphics->AttachControl(
        new ISwitchFramesControl(mPlug, x, y, paramIdx, bitmap, partsSideBySide, kBlendAlpha));
}

void KarvelundEditor::StepSwitch(int x, int y, int paramIdx, IBitmap* bitmap) {
    mGraphics->AttachControl(
        new IBidirectionalSwitchControl(mPlug, x, y, paramIdx, bitmap, kBlendAlpha));
}

void KarvelundEditor::AttachParamControl(int paramIdx) {
    switch (paramIdx) {
    case kBPMSync:
        FrameSwitch(179, 93, paramIdx, &mBpmSync);
        break;
    case kLFOType:
        StepSwitch(124, 127, paramIdx, &mLfoType);
        break;
    case kLFOSpeed:
        Knob(60, 183, paramIdx);
        break;
    case kLFOTarget:
        StepSwitch(124, 151, paramIdx, &mLfoTarget);
        break;
    case kLFOAmount:
        Knob(162, 183, paramIdx);
        break;
    case kSubOscWave:
        Knob(512, 138, paramIdx);
        break;
    case kHardSync:
        Knob(276, 138, paramIdx);
        break;
    case kSaw:
        Fader(446, 309, paramIdx);
        break;
    case kPulse:
        Fader(368, 309, paramIdx);
        break;
    case kSub:
        Fader(524, 309, paramIdx);
        break;
    case kPulseWidth:
        Knob(356, 138, paramIdx);
        break;
    case kSawDetune:
        Knob(434, 138, paramIdx);
        break;
    case kNoise:
        Fader(288, 309, paramIdx);
        break;
    case kFilterType:
        FrameSwitch(665, 93, paramIdx, &mFilterType);
        break;
    case kCutoff:
        Knob(614, 138, paramIdx);
        break;
    case kResonance:
        Knob(687, 138, paramIdx);
        break;
    case kKbdTrk:
        Knob(760, 138, paramIdx);
        break;
    case kEnvAmount:
        Knob(832, 138, paramIdx);
        break;
    case kAttack:
        Fader(626, 309, paramIdx);
        break;
    case kDecay:
        Fader(699, 309, paramIdx);
        break;
    case kSustain:
        Fader(772, 309, paramIdx);
        break;
    case kRelease:
        Fader(844, 309, paramIdx);
        break;
    case kDrivePrePost:
        FrameSwitch(967, 93, paramIdx, &mToggle);
        break;
    case kDriveAmount:
        Knob(946, 138, paramIdx);
        break;
    case kAmpEnvSelect:
        FrameSwitch(967, 267, paramIdx, &mAmpEnv);
        break;
    case kVolume:
        Fader(958, 309, paramIdx);
        break;
    case kPitchBendRange:
        StepSwitch(124, 315, paramIdx, &mPitchBend);
        break;
    case kModWheelTarget:
        StepSwitch(124, 339, paramIdx, &mModWheel);
        break;
    case kVelocityTarget:
        StepSwitch(124, 363, paramIdx, &mVelocity);
        break;
    case kPortaSpeed:
        Knob(162, 395, paramIdx);
        break;
    case kPhonicType:
        FrameSwitch(66, 398, paramIdx, &mPhonic, false);
        break; // one row a state
    default:
        break;
    }
}

void KarvelundEditor::AttachFinalControls() {
    IGraphics* g = mGraphics;
    presetMenu = new IPresetMenu(mPlug, IRECT(25, 25, 450, 45));
    g->AttachControl(presetMenu);

    // The keyboard sits under the about box, which stays topmost.
    IBitmap whiteKeys = g->LoadIBitmap(kWhiteKeysId, "resources/img/wk.png", 6);
    IBitmap blackKeys = g->LoadIBitmap(kBlackKeysId, "resources/img/bk.png");
    keyboard = new IKeyboardControl(mPlug, 1, 233, kKeyboardLowestNote, kKeyboardOctaves,
                                    &whiteKeys, &blackKeys, kKeyCoords);
    g->AttachControl(keyboard);

    IBitmap about = g->LoadIBitmap(kAboutId, "resources/img/about.png");
    aboutBox = new IBitmapOverlayControl(mPlug, 270, 175, &about, IRECT(650, 0, 1080, 80));
    g->AttachControl(aboutBox);
}
