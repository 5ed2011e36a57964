#include "KarvelundEditor.h"

#include "CustomControl.h"
#include "KarvelundParamTable.h"
#include "PresetManager.h"

#include "editor/IFaderControl.h"
#include "editor/IGraphics.h"

#include <string>

namespace {

// Resource ids of the pictures that belong to no parameter.
enum EResource {
    kBackgroundId = 102,
    kAboutId = 103,
    kWhiteKeysId = 104,
    kBlackKeysId = 105,
};

constexpr double kKnobMinAngle = -2.617993875; // about 150 degrees either side of up
constexpr double kKnobMaxAngle = 2.617993875;
constexpr double kKnobGearing = 4.0;
constexpr int kKeyboardLowestNote = 48;
constexpr int kKeyboardOctaves = 5;
constexpr int kKeyCoords[12] = {0, 7, 12, 20, 24, 36, 43, 48, 56, 60, 69, 72};

std::string ImagePath(const char* name) {
    return std::string("resources/img/") + name + ".png";
}

} // namespace

KarvelundEditor::KarvelundEditor(IPluginBase* plug, IGraphics* graphics)
    : mPlug(plug), mGraphics(graphics) {
    graphics->AttachBackground(kBackgroundId, "resources/img/background.png");
    for (int i = 0; i < kNumParamImages; ++i) {
        const PanelImage& image = GetPanelImage(static_cast<EPanelImage>(i));
        mImages[i] =
            graphics->LoadIBitmap(image.resourceId, ImagePath(image.name).c_str(), image.frames);
    }
}

void KarvelundEditor::AttachParamControl(const ParamDef& def) {
    const ControlDef& c = def.control;
    IBitmap* image = &mImages[c.image];
    IControl* control = nullptr;
    switch (c.kind) {
    case ControlKind::kKnob:
        control = new IKnobRotaterControl(mPlug, c.x, c.y, def.index, image, kKnobMinAngle,
                                          kKnobMaxAngle, 0, kVertical, kKnobGearing);
        break;
    case ControlKind::kFader:
        control =
            new IFaderControl(mPlug, c.x, c.y, kFaderTravel, def.index, image, kVertical, false);
        break;
    case ControlKind::kFrameSwitch:
        control =
            new ISwitchFramesControl(mPlug, c.x, c.y, def.index, image, !c.stacked, kBlendAlpha);
        break;
    case ControlKind::kStepSwitch:
        control = new IBidirectionalSwitchControl(mPlug, c.x, c.y, def.index, image, kBlendAlpha);
        break;
    }
    mGraphics->AttachControl(control);
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
