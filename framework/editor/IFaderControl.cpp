#include "editor/IFaderControl.h"

#include "editor/IGraphics.h"

IFaderControl::IFaderControl(IPluginBase* plug, int x, int y, int len, int paramIdx,
                             IBitmap* handle, EDirection direction, bool onlyHandle)
    : IControl(plug, IRECT(), paramIdx, IChannelBlend(kBlendAlpha, 1.0f)), mLen(len),
      mHandleHeadroom(0), mBitmap(handle ? *handle : IBitmap()), mDirection(direction),
      mOnlyHandle(onlyHandle) {
    if (direction == kHorizontal) {
        mHandleHeadroom = mBitmap.W;
        mRECT = mTargetRECT = IRECT(x, y, x + len, y + mBitmap.H);
    } else {
        mHandleHeadroom = mBitmap.H;
        mRECT = mTargetRECT = IRECT(x, y, x + mBitmap.W, y + len);
    }
}

IRECT IFaderControl::GetHandleRECT(double value) const {
    if (value < 0.0) value = mValue;
    IRECT r(mRECT.L, mRECT.T, mRECT.L + mBitmap.W, mRECT.T + mBitmap.H);
    const int travel = mLen - mHandleHeadroom;
    if (mDirection == kHorizontal) {
        const int offset = static_cast<int>(value * travel);
        r.L += offset, r.R += offset;
    } else {
        const int offset = static_cast<int>((1.0 - value) * travel);
        r.T += offset, r.B += offset;
    }
    return r;
}

void IFaderControl::OnMouseDown(int x, int y, IMouseMod* mod) {
    if (mod && mod->R) {
        PromptUserInput();
        return;
    }
    SnapToMouse(x, y);
}

void IFaderControl::OnMouseDrag(int x, int y, int dX, int dY, IMouseMod* mod) {
    if (!mod || !(mod->C || mod->S)) {
        SnapToMouse(x, y);
        return;
    }
    const double gearing = mGearing * 10.0;
    const int extent = mDirection == kVertical ? mRECT.T - mRECT.B : mRECT.R - mRECT.L;
    if (extent == 0) return;
    mValue += static_cast<double>(mDirection == kVertical ? dY : dX) / extent / gearing;
    SetDirty(true);
}

void IFaderControl::SnapToMouse(int x, int y) {
    const int travel = mLen - mHandleHeadroom;
    if (travel <= 0) return; // a handle as long as the travel cannot move
    if (mDirection == kVertical)
        mValue = 1.0 - static_cast<double>(y - mRECT.T - mHandleHeadroom / 2) / travel;
    else
        mValue = static_cast<double>(x - mRECT.L - mHandleHeadroom / 2) / travel;
    SetDirty(true);
}

bool IFaderControl::Draw(IGraphics* graphics) {
    IRECT handle = GetHandleRECT();
    return graphics->DrawBitmap(&mBitmap, &handle, 1, &mBlend);
}

bool IFaderControl::IsHit(int x, int y) {
    if (mOnlyHandle) return GetHandleRECT().Contains(x, y);
    return mTargetRECT.Contains(x, y);
}
