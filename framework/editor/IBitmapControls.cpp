#include "editor/IBitmapControls.h"

#include "editor/IGraphics.h"

namespace {

// The position i / (n - 1) of the first of n parts that contains the point; false when none
// does.
bool PartValueAt(const std::vector<IRECT>& parts, int x, int y, double* value) {
    const int n = static_cast<int>(parts.size());
    for (int i = 0; i < n; ++i) {
        if (parts[static_cast<size_t>(i)].Contains(x, y)) {
            *value = n > 1 ? static_cast<double>(i) / (n - 1) : 0.0;
            return true;
        }
    }
    return false;
}

} // namespace

IBitmapControl::IBitmapControl(IPluginBase* plug, int x, int y, int paramIdx, IBitmap* bitmap,
                               EBlendMethod blendMethod)
    : IControl(plug, IRECT(x, y, bitmap), paramIdx, IChannelBlend(blendMethod, 1.0f)),
      mBitmap(bitmap ? *bitmap : IBitmap()) {}

bool IBitmapControl::Draw(IGraphics* graphics) {
    const int frame = FrameForValue(mValue, mBitmap.N);
    return graphics->DrawBitmap(&mBitmap, &mRECT, frame, &mBlend);
}

void ISwitchControl::OnMouseDown(int /*x*/, int /*y*/, IMouseMod* /*mod*/) {
    const double step = mBitmap.N > 1 ? 1.0 / (mBitmap.N - 1) : 1.0;
    mValue += step;
    // A little above 1, so that rounding in the steps never skips the last frame.
    if (mValue > 1.001) mValue = 0.0;
    SetDirty(true);
}

ISwitchPopUpControl::ISwitchPopUpControl(IPluginBase* plug, int x, int y, int paramIdx,
                                         IBitmap* bitmap, EBlendMethod blendMethod)
    : ISwitchControl(plug, x, y, paramIdx, bitmap, blendMethod) {
    mDisablePrompt = false;
}

void ISwitchPopUpControl::OnMouseDown(int /*x*/, int /*y*/, IMouseMod* /*mod*/) {
    PromptUserInput();
    SetDirty(true);
}

void IContactControl::OnMouseUp(int /*x*/, int /*y*/, IMouseMod* /*mod*/) {
    mValue = 0.0;
    SetDirty(true);
}

ISwitchFramesControl::ISwitchFramesControl(IPluginBase* plug, int x, int y, int paramIdx,
                                           IBitmap* bitmap, bool partsAreHorizontal,
                                           EBlendMethod blendMethod)
    : ISwitchControl(plug, x, y, paramIdx, bitmap, blendMethod) {
    mDisablePrompt = false;
    for (int i = 0; i < mBitmap.N; ++i) {
        mParts.push_back(partsAreHorizontal ? mRECT.SubRectHorizontal(mBitmap.N, i)
                                            : mRECT.SubRectVertical(mBitmap.N, i));
    }
}

void ISwitchFramesControl::OnMouseDown(int x, int y, IMouseMod* /*mod*/) {
    // A click between parts keeps the value but still counts as an edit.
    double value = mValue;
    PartValueAt(mParts, x, y, &value);
    mValue = value;
    SetDirty(true);
}

IInvisibleSwitchControl::IInvisibleSwitchControl(IPluginBase* plug, IRECT rect, int paramIdx)
    : IControl(plug, rect, paramIdx, IChannelBlend(kBlendOpaque, 1.0f)) {
    mDisablePrompt = true;
}

void IInvisibleSwitchControl::OnMouseDown(int /*x*/, int /*y*/, IMouseMod* /*mod*/) {
    mValue = mValue < 0.5 ? 1.0 : 0.0;
    SetDirty(true);
}

IRadioButtonsControl::IRadioButtonsControl(IPluginBase* plug, IRECT rect, int paramIdx,
                                           int nButtons, IBitmap* bitmap, EDirection direction,
                                           bool reverse)
    : IControl(plug, rect, paramIdx, IChannelBlend(kBlendAlpha, 1.0f)),
      mBitmap(bitmap ? *bitmap : IBitmap()) {
    const int n = nButtons < 1 ? 1 : nButtons;
    const int buttonW = mBitmap.W, buttonH = mBitmap.H / mBitmap.N;
    const bool vertical = direction == kVertical;
    const int available = vertical ? rect.H() : rect.W();
    const int length = vertical ? buttonH : buttonW;
    const int spacing = n > 1 ? (available - n * length) / (n - 1) : 0;
    for (int i = 0; i < n; ++i) {
        const int offset = i * (length + spacing);
        int l = rect.L, t = rect.T;
        if (vertical)
            t = reverse ? rect.B - offset - buttonH : rect.T + offset;
        else
            l = reverse ? rect.R - offset - buttonW : rect.L + offset;
        mButtons.push_back(IRECT(l, t, l + buttonW, t + buttonH));
    }
}

void IRadioButtonsControl::OnMouseDown(int x, int y, IMouseMod* mod) {
    if (mod && mod->R) {
        PromptUserInput();
        return;
    }
    double value = mValue;
    PartValueAt(mButtons, x, y, &value);
    mValue = value;
    SetDirty(true);
}

bool IRadioButtonsControl::Draw(IGraphics* graphics) {
    const int n = static_cast<int>(mButtons.size());
    const int chosen = FrameForValue(mValue, n) - 1;
    for (int i = 0; i < n; ++i)
        graphics->DrawBitmap(&mBitmap, &mButtons[static_cast<size_t>(i)], i == chosen ? 2 : 1,
                             &mBlend);
    return true;
}
