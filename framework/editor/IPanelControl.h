#pragma once

#include "editor/IControl.h"
#include "editor/IGraphics.h"

// Fills its rectangle with one colour.
class IPanelControl : public IControl {
public:
    IPanelControl(IPluginBase* plug, IRECT rect, const IColor* color)
        : IControl(plug, rect, -1, IChannelBlend(kBlendAlpha, 1.0f)),
          mColor(color ? *color : COLOR_BLACK) {}

    bool Draw(IGraphics* graphics) override {
        return graphics->FillIRect(&mColor, &mRECT, &mBlend);
    }

protected:
    IColor mColor;
};
