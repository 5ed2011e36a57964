#pragma once
// Controls that show one frame of a bitmap, and the switches built on them.

#include "editor/IControl.h"

#include <vector>

// Shows the frame of its bitmap nearest to the value: 0 the first frame, 1 the last.
class IBitmapControl : public IControl {
public:
    IBitmapControl(IPluginBase* plug, int x, int y, int paramIdx, IBitmap* bitmap,
                   EBlendMethod blendMethod = kBlendAlpha);
    // A bitmap that is not bound to a parameter.
    IBitmapControl(IPluginBase* plug, int x, int y, IBitmap* bitmap,
                   EBlendMethod blendMethod = kBlendAlpha)
        : IBitmapControl(plug, x, y, -1, bitmap, blendMethod) {}

    bool Draw(IGraphics* graphics) override;
    const IBitmap* GetBitmap() const { return &mBitmap; }

protected:
    IBitmap mBitmap;
};

// Each click advances one frame and wraps from the last to the first.
class ISwitchControl : public IBitmapControl {
public:
    using IBitmapControl::IBitmapControl;

    void OnMouseDown(int x, int y, IMouseMod* mod) override;
    void OnMouseDblClick(int x, int y, IMouseMod* mod) override { OnMouseDown(x, y, mod); }
};

// A click opens the menu of the parameter's texts (or a text field).
class ISwitchPopUpControl : public ISwitchControl {
public:
    ISwitchPopUpControl(IPluginBase* plug, int x, int y, int paramIdx, IBitmap* bitmap,
                        EBlendMethod blendMethod = kBlendAlpha);

    void OnMouseDown(int x, int y, IMouseMod* mod) override;
};

// Momentary: the press advances, the release returns to 0.
class IContactControl : public ISwitchControl {
public:
    using ISwitchControl::ISwitchControl;

    void OnMouseUp(int x, int y, IMouseMod* mod) override;
};

// The bitmap's area is split into one part per frame; a click selects the part under the
// pointer (parts side by side when partsAreHorizontal, else stacked).
class ISwitchFramesControl : public ISwitchControl {
public:
    ISwitchFramesControl(IPluginBase* plug, int x, int y, int paramIdx, IBitmap* bitmap,
                         bool partsAreHorizontal = false, EBlendMethod blendMethod = kBlendAlpha);

    void OnMouseDown(int x, int y, IMouseMod* mod) override;
    const std::vector<IRECT>& GetParts() const { return mParts; }

protected:
    std::vector<IRECT> mParts;
};

// Draws nothing; a click toggles between 0 and 1.
class IInvisibleSwitchControl : public IControl {
public:
    IInvisibleSwitchControl(IPluginBase* plug, IRECT rect, int paramIdx);

    void OnMouseDown(int x, int y, IMouseMod* mod) override;
    bool Draw(IGraphics* /*graphics*/) override { return true; }
};

// A row of buttons (bitmap frames: off, on) spread evenly over the rectangle, the first
// touching the start edge and the last the far edge; reverse starts from the far edge.
class IRadioButtonsControl : public IControl {
public:
    IRadioButtonsControl(IPluginBase* plug, IRECT rect, int paramIdx, int nButtons, IBitmap* bitmap,
                         EDirection direction = kVertical, bool reverse = false);

    void OnMouseDown(int x, int y, IMouseMod* mod) override;
    bool Draw(IGraphics* graphics) override;
    const std::vector<IRECT>& GetButtons() const { return mButtons; }

protected:
    std::vector<IRECT> mButtons;
    IBitmap mBitmap;
};
