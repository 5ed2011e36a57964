#include "editor/ITextControls.h"

#include "core/IPluginBase.h"
#include "editor/IGraphics.h"

#include <cstring>

ITextControl::ITextControl(IPluginBase* plug, IRECT rect, const IText* text, const char* str)
    : IControl(plug, rect, -1, IChannelBlend(kBlendAlpha, 1.0f)), mStr(str) {
    if (text) mText = *text;
}

void ITextControl::SetTextFromPlug(const char* str) {
    const char* text = str ? str : "";
    if (std::strcmp(text, mStr.Get()) == 0) return;
    mStr.Set(text);
    SetDirty(false); // after the change, so that a pass that takes the mark draws it
}

bool ITextControl::Draw(IGraphics* graphics) {
    if (mStr.Empty()) return true;
    return graphics->DrawIText(&mText, mStr.Get(), &mRECT);
}

ICaptionControl::ICaptionControl(IPluginBase* plug, IRECT rect, int paramIdx, const IText* text,
                                 bool showParamLabel)
    : ITextControl(plug, rect, text, ""), mShowParamLabel(showParamLabel) {
    mParamIdx = paramIdx;
    mDisablePrompt = false;
}

void ICaptionControl::OnMouseDown(int /*x*/, int /*y*/, IMouseMod* mod) {
    if (mod && (mod->L || mod->R)) PromptUserInput();
}

void ICaptionControl::OnMouseDblClick(int /*x*/, int /*y*/, IMouseMod* /*mod*/) {
    PromptUserInput();
}

bool ICaptionControl::Draw(IGraphics* graphics) {
    const IParam* param = mPlug ? mPlug->GetParam(mParamIdx) : nullptr;
    if (param) {
        char display[IParam::kTextLen];
        param->GetDisplayForHost(display, sizeof(display));
        mStr.Set(display);
        if (mShowParamLabel) {
            mStr.Append(" ");
            mStr.Append(param->GetLabelForHost());
        }
    }
    return ITextControl::Draw(graphics);
}
