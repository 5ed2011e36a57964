#pragma once
// Knobs: turned by dragging along their direction. A drag of gearing control heights (or
// widths) sweeps the whole range; Control or Shift makes it ten times finer.

#include "editor/IControl.h"

inline constexpr double kDefaultKnobGearing = 4.0;

class IKnobControl : public IControl {
public:
    IKnobControl(IPluginBase* plug, IRECT rect, int paramIdx, EDirection direction = kVertical,
                 double gearing = kDefaultKnobGearing);

    void OnMouseDrag(int x, int y, int dX, int dY, IMouseMod* mod) override;

protected:
    EDirection mDirection;
    double mGearing;
};

// A line from an inner to an outer radius, at an angle between minAngle and maxAngle
// (radians, 0 pointing up).
class IKnobLineControl : public IKnobControl {
public:
    // An outer radius of 0 becomes half the rectangle's width.
    IKnobLineControl(IPluginBase* plug, IRECT rect, int paramIdx, const IColor* color,
                     double innerRadius = 0.0, double outerRadius = 0.0,
                     double minAngle = -0.75 * 3.14159265358979323846,
                     double maxAngle = 0.75 * 3.14159265358979323846,
                     EDirection direction = kVertical, double gearing = kDefaultKnobGearing);

    bool Draw(IGraphics* graphics) override;

protected:
    IColor mColor;
    float mMinAngle, mMaxAngle, mInnerRadius, mOuterRadius;
};

// Shows the frame of a multi-frame bitmap nearest to the value.
class IKnobMultiControl : public IKnobControl {
public:
    IKnobMultiControl(IPluginBase* plug, int x, int y, int paramIdx, IBitmap* bitmap,
                      EDirection direction = kVertical, double gearing = kDefaultKnobGearing);

    bool Draw(IGraphics* graphics) override;

protected:
    IBitmap mBitmap;
};

// A base picture whose alpha is a rotated mask, with a rotated top picture over it; the angle
// (degrees) runs from minAngle to maxAngle with the value.
class IKnobRotatingMaskControl : public IKnobControl {
public:
    IKnobRotatingMaskControl(IPluginBase* plug, int x, int y, int paramIdx, IBitmap* base,
                             IBitmap* mask, IBitmap* top, double minAngle = -151.0,
                             double maxAngle = 151.0, EDirection direction = kVertical,
                             double gearing = kDefaultKnobGearing);

    bool Draw(IGraphics* graphics) override;

protected:
    IBitmap mBase, mMask, mTop;
    double mMinAngle, mMaxAngle;
};
