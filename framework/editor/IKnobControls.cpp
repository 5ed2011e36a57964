#include "editor/IKnobControls.h"

#include "editor/IGraphics.h"

#include <cmath>

IKnobControl::IKnobControl(IPluginBase* plug, IRECT rect, int paramIdx, EDirection direction,
                           double gearing)
    : IControl(plug, rect, paramIdx, IChannelBlend(kBlendAlpha, 1.0f)), mDirection(direction),
      mGearing(gearing) {}

void IKnobControl::OnMouseDrag(int /*x*/, int /*y*/, int dX, int dY, IMouseMod* mod) {
    double gearing = mGearing;
    if (mod && (mod->C || mod->S)) gearing *= 10.0;
    // Upwards (negative dY) and rightwards raise the value.
    const int extent = mDirection == kVertical ? mRECT.T - mRECT.B : mRECT.R - mRECT.L;
    const int delta = mDirection == kVertical ? dY : dX;
    if (extent == 0 || gearing == 0.0) return;
    mValue += static_cast<double>(delta) / extent / gearing;
    SetDirty(true);
}

IKnobLineControl::IKnobLineControl(IPluginBase* plug, IRECT rect, int paramIdx, const IColor* color,
                                   double innerRadius, double outerRadius, double minAngle,
                                   double maxAngle, EDirection direction, double gearing)
    : IKnobControl(plug, rect, paramIdx, direction, gearing), mColor(color ? *color : COLOR_BLACK),
      mMinAngle(static_cast<float>(minAngle)), mMaxAngle(static_cast<float>(maxAngle)),
      mInnerRadius(static_cast<float>(innerRadius)), mOuterRadius(static_cast<float>(outerRadius)) {
    mBlend = IChannelBlend(kBlendOpaque, 1.0f);
    if (mOuterRadius == 0.0f) mOuterRadius = 0.5f * static_cast<float>(rect.W());
}

bool IKnobLineControl::Draw(IGraphics* graphics) {
    const double angle = mMinAngle + mValue * (mMaxAngle - mMinAngle);
    const float sinA = static_cast<float>(std::sin(angle));
    const float cosA = static_cast<float>(std::cos(angle));
    const float cx = mRECT.MW(), cy = mRECT.MH();
    const float x1 = cx + mInnerRadius * sinA, y1 = cy - mInnerRadius * cosA;
    const float x2 = cx + mOuterRadius * sinA, y2 = cy - mOuterRadius * cosA;
    return graphics->DrawLine(&mColor, x1, y1, x2, y2, &mBlend, true);
}

IKnobMultiControl::IKnobMultiControl(IPluginBase* plug, int x, int y, int paramIdx, IBitmap* bitmap,
                                     EDirection direction, double gearing)
    : IKnobControl(plug, IRECT(x, y, bitmap), paramIdx, direction, gearing),
      mBitmap(bitmap ? *bitmap : IBitmap()) {}

bool IKnobMultiControl::Draw(IGraphics* graphics) {
    return graphics->DrawBitmap(&mBitmap, &mRECT, FrameForValue(mValue, mBitmap.N), &mBlend);
}

IKnobRotatingMaskControl::IKnobRotatingMaskControl(IPluginBase* plug, int x, int y, int paramIdx,
                                                   IBitmap* base, IBitmap* mask, IBitmap* top,
                                                   double minAngle, double maxAngle,
                                                   EDirection direction, double gearing)
    : IKnobControl(plug, IRECT(x, y, base), paramIdx, direction, gearing),
      mBase(base ? *base : IBitmap()), mMask(mask ? *mask : IBitmap()),
      mTop(top ? *top : IBitmap()), mMinAngle(minAngle), mMaxAngle(maxAngle) {}

bool IKnobRotatingMaskControl::Draw(IGraphics* graphics) {
    const double angle = mMinAngle + mValue * (mMaxAngle - mMinAngle);
    return graphics->DrawRotatedMask(&mBase, &mMask, &mTop, mRECT.L, mRECT.T, angle, &mBlend);
}
