#pragma once

#include "KarvelundParamTable.h"
#include "editor/IGraphicsStructs.h"

class IGraphics;
class IPluginBase;
class IKeyboardControl;
class IBitmapOverlayControl;
class IPresetMenu;

// The instrument's 1080 x 525 editor panel. The constructor builds it in steps: the background
// and shared bitmaps first, then each parameter's control right after the parameter is
// declared, then the preset menu, the keyboard and the about box on top.
class KarvelundEditor {
public:
    KarvelundEditor(IPluginBase* plug, IGraphics* graphics);

    void AttachParamControl(const ParamDef& def);
    void AttachFinalControls();

    IPresetMenu* presetMenu = nullptr;
    IKeyboardControl* keyboard = nullptr;
    IBitmapOverlayControl* aboutBox = nullptr;

private:
    IPluginBase* mPlug;
    IGraphics* mGraphics;
    IBitmap mImages[kNumParamImages];
};
