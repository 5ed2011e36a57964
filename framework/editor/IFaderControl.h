#pragma once

#include "editor/IControl.h"

// A handle bitmap that travels len pixels along its direction (value 1 at the top or the
// right). A press puts the handle's centre under the pointer and dragging follows it; with
// Control or Shift dragging moves it finely relative to the pointer instead.
class IFaderControl : public IControl {
public:
    // onlyHandle: only the handle, not the whole travel, takes clicks.
    IFaderControl(IPluginBase* plug, int x, int y, int len, int paramIdx, IBitmap* handle,
                  EDirection direction = kVertical, bool onlyHandle = false);

    void OnMouseDown(int x, int y, IMouseMod* mod) override;
    void OnMouseDrag(int x, int y, int dX, int dY, IMouseMod* mod) override;
    bool Draw(IGraphics* graphics) override;
    bool IsHit(int x, int y) override;
    // Puts the handle's centre at the pointer.
    virtual void SnapToMouse(int x, int y);

    // The handle's rectangle at value (a negative value means the current one).
    IRECT GetHandleRECT(double value = -1.0) const;
    int GetLength() const { return mLen; }
    int GetHandleHeadroom() const { return mHandleHeadroom; }

protected:
    int mLen;
    int mHandleHeadroom;
    IBitmap mBitmap;
    EDirection mDirection;
    bool mOnlyHandle;
    double mGearing = 2.0;
};
