#include "editor/IControl.h"

#include "core/IPluginBase.h"
#include "editor/IGraphics.h"
#include "editor/ITextControls.h"
#include "util/UTIL_String.h"

#include <algorithm>
#include <cmath>

IControl::IControl(IPluginBase* plug, IRECT rect, int paramIdx, IChannelBlend blend)
    : mPlug(plug), mRECT(rect), mTargetRECT(rect), mParamIdx(paramIdx), mBlend(blend) {}

void IControl::OnMouseDown(int /*x*/, int /*y*/, IMouseMod* mod) {
    if (mod && mod->R) PromptUserInput();
}

void IControl::OnMouseDblClick(int /*x*/, int /*y*/, IMouseMod* /*mod*/) {
    if (mDefaultValue < 0.0) return;
    mValue = mDefaultValue;
    SetDirty(true);
}

void IControl::OnMouseWheel(int /*x*/, int /*y*/, IMouseMod* mod, int d) {
    const bool fine = mod && (mod->C || mod->S);
    mValue += d * (fine ? 0.01 : 0.05);
    SetDirty(true);
}

void IControl::SetValueFromPlug(double value) {
    if (mDefaultValue < 0.0) mValue = mDefaultValue = value;
    if (mValue == value) return;
    mValue = value;
    SetDirty(false);
    Redraw();
}

void IControl::SetValueFromUserInput(double value) {
    if (mValue == value) return;
    mValue = value;
    SetDirty(true);
    Redraw();
}

void IControl::Hide(bool hide) {
    mHide = hide;
    mRedraw = true;
    SetDirty(false);
}

void IControl::GrayOut(bool gray) {
    mGrayed = gray;
    mBlend.mWeight = gray ? 0.25f : 1.0f;
    SetDirty(false);
}

void IControl::SetDirty(bool pushParamToPlug) {
    // A value that is not a number (never a valid position) falls to the low end.
    const double value = mValue;
    if (!(value >= mClampLo))
        mValue = mClampLo;
    else if (value > mClampHi)
        mValue = mClampHi;
    mDirty = true;
    if (!pushParamToPlug || !mPlug || mParamIdx < 0) return;
    mPlug->SetParameterFromGUI(mParamIdx, mValue);
    UpdateDisplayControls();
}

void IControl::UpdateDisplayControls() {
    const IParam* param = mPlug->GetParam(mParamIdx);
    if (!param) return;
    if (mValDisplayControl) {
        char display[IParam::kTextLen];
        param->GetDisplayForHost(display, sizeof(display));
        UTIL_String text(display, IParam::kTextLen);
        text.Append(" ");
        text.Append(param->GetLabelForHost(), IParam::kTextLen);
        mValDisplayControl->SetTextFromPlug(text.Get());
    }
    if (mNameDisplayControl) mNameDisplayControl->SetTextFromPlug(param->GetNameForHost());
}

void IControl::SetClean() {
    mDirty = false;
    if (mRedraw.exchange(false)) mDirty = true;
}

void IControl::SetAuxParamValueFromPlug(int auxParamIdx, double value) {
    AuxParam* aux = GetAuxParam(auxParamIdx);
    if (!aux || aux->mValue == value) return;
    aux->mValue = value;
    SetDirty(false);
    Redraw();
}

void IControl::PromptUserInput() {
    if (mParamIdx < 0 || mDisablePrompt || !mPlug) return;
    IParam* param = mPlug->GetParam(mParamIdx);
    IGraphics* graphics = GetGUI();
    if (!param || !graphics) return;
    if (param->GetNDisplayTexts() > 0) {
        graphics->PromptUserInput(this, param, &mRECT);
    } else {
        const int cx = static_cast<int>(mRECT.MW()), cy = static_cast<int>(mRECT.MH());
        IRECT textRect(cx - 15, cy - 8, cx + 15, cy + 8);
        graphics->PromptUserInput(this, param, &textRect);
    }
    Redraw();
}

void IControl::PromptUserInput(IRECT* textRect) {
    if (mParamIdx < 0 || mDisablePrompt || !mPlug) return;
    IParam* param = mPlug->GetParam(mParamIdx);
    IGraphics* graphics = GetGUI();
    if (!param || !graphics) return;
    graphics->PromptUserInput(this, param, textRect);
    Redraw();
}

void IControl::AddAuxParam(int paramIdx) {
    if (paramIdx < 0) return;
    mAuxParams.push_back(AuxParam{0.0, paramIdx});
}

IControl::AuxParam* IControl::GetAuxParam(int idx) {
    if (idx < 0 || idx >= NAuxParams()) return nullptr;
    return &mAuxParams[static_cast<size_t>(idx)];
}

int IControl::AuxParamIdx(int paramIdx) const {
    for (int i = 0; i < NAuxParams(); ++i) {
        if (mAuxParams[static_cast<size_t>(i)].mParamIdx == paramIdx) return i;
    }
    return -1;
}

void IControl::SetAllAuxParamsFromGUI() {
    if (!mPlug) return;
    for (const AuxParam& aux : mAuxParams)
        mPlug->SetParameterFromGUI(aux.mParamIdx, aux.mValue);
}

IGraphics* IControl::GetGUI() const {
    if (mGraphics) return mGraphics;
    return mPlug ? mPlug->GetGUI() : nullptr;
}

int FrameForValue(double value, int nFrames) {
    if (nFrames < 2 || !std::isfinite(value)) return 1;
    const double nearest = 0.5 + value * (nFrames - 1);
    if (nearest < 1.0) return 1;
    if (nearest >= nFrames) return nFrames;
    return static_cast<int>(nearest) + 1;
}
