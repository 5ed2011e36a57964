#pragma once
// Controls that draw text in a style: a fixed or plug-in-set text, and a parameter's value.

#include "editor/IControl.h"
#include "util/UTIL_String.h"

// Draws its text in its style within its rectangle. Not bound to a parameter.
class ITextControl : public IControl {
public:
    ITextControl(IPluginBase* plug, IRECT rect, const IText* text, const char* str = "");

    // Takes the text and marks the control dirty when it differs from the one shown.
    void SetTextFromPlug(const char* str);
    const char* GetTextString() const { return mStr.Get(); }
    bool Draw(IGraphics* graphics) override;

protected:
    UTIL_String mStr;
};

// Shows a parameter's display text, followed by its label when showParamLabel. A click or a
// double click prompts for a new value.
class ICaptionControl : public ITextControl {
public:
    ICaptionControl(IPluginBase* plug, IRECT rect, int paramIdx, const IText* text,
                    bool showParamLabel = true);

    void OnMouseDown(int x, int y, IMouseMod* mod) override;
    void OnMouseDblClick(int x, int y, IMouseMod* mod) override;
    bool Draw(IGraphics* graphics) override;

protected:
    bool mShowParamLabel;
};
