#pragma once

// The instrument's own editor controls: an on-screen keyboard showing held notes, a knob drawn
// by rotating one picture, a switch stepped from its ends, and an overlay picture (the about
// box) that a click shows and hides.

#include "editor/IBitmapControls.h"
#include "editor/IKnobControls.h"

// What the keyboard asks of its plug-in: which notes are held, and whether that changed.
class IKeyboardStatus {
public:
    virtual bool GetKeyStatus(int key) = 0;
    virtual int GetNumKeys() = 0;
    // True once after the held notes changed (MIDI can arrive on another thread).
    virtual bool TakeKeyChanges() = 0;

protected:
    ~IKeyboardStatus() = default;
};

// Draws only the keys held by MIDI or by the mouse over a keyboard painted on the background;
// it sends nothing.
class IKeyboardControl : public IControl {
public:
    IKeyboardControl(IPluginBase* plug, int x, int y, int minNote, int nOctaves, IBitmap* whiteKeys,
                     IBitmap* blackKeys, const int* keyCoords);

    bool Draw(IGraphics* graphics) override;
    bool IsDirty() override;
    void OnMouseDown(int x, int y, IMouseMod* mod) override;
    void OnMouseUp(int x, int y, IMouseMod* mod) override;
    void OnMouseDrag(int x, int y, int dX, int dY, IMouseMod* mod) override;
    void OnMouseWheel(int /*x*/, int /*y*/, IMouseMod* /*mod*/, int /*d*/) override {}

    // The key index (0 = the lowest) under (x, y), or -1.
    int GetMouseKey(int x, int y) const;
    int GetMouseHeldKey() const { return mKey; }

protected:
    virtual void DrawKey(IGraphics* graphics, IRECT* r, int key, int n, bool black);

private:
    bool IsHeld(int key);

    IBitmap mWhiteKeys;
    IBitmap mBlackKeys;
    int mKeyCoords[12];
    int mOctaveWidth;
    int mNumOctaves;
    int mKey = -1;
    int mMinNote;
    int mNumKeys;
    IKeyboardStatus* mStatus;

    static const int mNextKey[12];
    static const int mBitmapN[12];
};

// A knob that rotates one picture from minAngle to maxAngle (radians, 0 = as drawn).
class IKnobRotaterControl : public IKnobControl {
public:
    IKnobRotaterControl(IPluginBase* plug, int x, int y, int paramIdx, IBitmap* bitmap,
                        double minAngle, double maxAngle, int yOffsetZeroDeg = 0,
                        EDirection direction = kVertical, double gearing = 4.0);

    bool Draw(IGraphics* graphics) override;

private:
    IBitmap mBitmap;
    double mMinAngle;
    double mMaxAngle;
    int mYOffsetZeroDeg;
};

// A multi-state switch: its left quarter steps down, its right quarter steps up (stopping at
// the ends), its middle opens a menu of the parameter's settings.
class IBidirectionalSwitchControl : public IBitmapControl {
public:
    IBidirectionalSwitchControl(IPluginBase* plug, int x, int y, int paramIdx, IBitmap* bitmap,
                                EBlendMethod blend = kBlendAlpha);

    void OnMouseDown(int x, int y, IMouseMod* mod) override;
    void OnMouseDblClick(int x, int y, IMouseMod* mod) override { OnMouseDown(x, y, mod); }
};

// A picture shown over the editor after a click in its target area, hidden by a click on it.
class IBitmapOverlayControl : public ISwitchControl {
public:
    IBitmapOverlayControl(IPluginBase* plug, int x, int y, IBitmap* bitmap, IRECT targetArea);

    bool Draw(IGraphics* graphics) override;

private:
    IRECT mTargetArea;
};
