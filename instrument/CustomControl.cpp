#include "CustomControl.h"

#include "core/IPluginBase.h"
#include "editor/IGraphics.h"

#include <algorithm>

// ---- IKeyboardControl ----

// Distance to the next key of the same colour, by position in the octave.
const int IKeyboardControl::mNextKey[12] = {2, 2, 2, 3, 1, 2, 2, 2, 2, 2, 3, 1};
// Pressed-white-key frame by position in the octave (C 1, D 2, E 3, F 1, G 4, A 5, B 3); frame
// 6 is the topmost key, a C with no black key above it.
const int IKeyboardControl::mBitmapN[12] = {1, 0, 2, 0, 3, 1, 0, 4, 0, 5, 0, 3};

IKeyboardControl::IKeyboardControl(IPluginBase* plug, int x, int y, int minNote, int nOctaves,
                                   IBitmap* whiteKeys, IBitmap* blackKeys, const int* keyCoords)
    : IControl(plug, IRECT(x, y, whiteKeys), -1, IChannelBlend(kBlendAlpha, 1.0f)),
      mWhiteKeys(*whiteKeys), mBlackKeys(*blackKeys), mOctaveWidth(whiteKeys->W * 7),
      mNumOctaves(nOctaves), mMinNote(minNote), mNumKeys(nOctaves * 12),
      mStatus(dynamic_cast<IKeyboardStatus*>(plug)) {
    std::copy(keyCoords, keyCoords + 12, mKeyCoords);
    mRECT.R += nOctaves * mOctaveWidth;
    mTargetRECT = mRECT;
    mDblAsSingleClick = true;
}

bool IKeyboardControl::IsHeld(int key) {
    const int note = key + mMinNote;
    return key == mKey || (mStatus && note >= 0 && note < 128 && mStatus->GetKeyStatus(note));
}

bool IKeyboardControl::IsDirty() {
    // Held notes change with MIDI; the editor's next redraw tick picks that up here.
    const bool keysChanged = mStatus && mStatus->TakeKeyChanges();
    if (keysChanged) mDirty = true;
    return IControl::IsDirty();
}

bool IKeyboardControl::Draw(IGraphics* graphics) {
    if ((!mStatus || mStatus->GetNumKeys() == 0) && mKey == -1) return true;

    IRECT r(mRECT.L, mRECT.T, mRECT.L + mWhiteKeys.W, mRECT.B);
    int i = 0;
    while (i < mNumKeys) {
        const int n = i % 12;
        if (IsHeld(i)) DrawKey(graphics, &r, i, n, false);
        i += mNextKey[n];
        r.L += mWhiteKeys.W;
        r.R += mWhiteKeys.W;
    }
    if (IsHeld(i)) // the topmost key
        DrawKey(graphics, &r, i, 0, false);

    int octaveLeft = mRECT.L;
    r.T = mRECT.T;
    r.B = mRECT.T + mBlackKeys.H / mBlackKeys.N;
    for (i = 1; i <= mNumKeys;) {
        const int n = i % 12;
        r.L = octaveLeft + mKeyCoords[n];
        r.R = r.L + mBlackKeys.W;
        if (IsHeld(i)) DrawKey(graphics, &r, i, n, true);
        i += mNextKey[n];
        if (n == 10) octaveLeft += mOctaveWidth;
    }
    return true;
}

void IKeyboardControl::DrawKey(IGraphics* graphics, IRECT* r, int key, int n, bool black) {
    if (black) {
        graphics->DrawBitmap(&mBlackKeys, r, 1, &mBlend);
        return;
    }
    const int frame = key >= mNumKeys ? 6 : mBitmapN[n];
    graphics->DrawBitmap(&mWhiteKeys, r, frame, &mBlend);
}

int IKeyboardControl::GetMouseKey(int x, int y) const {
    if (!mTargetRECT.Contains(x, y)) return -1;
    const int dx = x - mTargetRECT.L, dy = y - mTargetRECT.T;
    const int octave = dx / mOctaveWidth;
    const int xo = dx - octave * mOctaveWidth;
    const int blackHeight = mBlackKeys.H / mBlackKeys.N;
    const int blackWidth = mBlackKeys.W;

    if (dy < blackHeight && octave < mNumOctaves) {
        // Black keys first, left to right; a point between them falls through to the white.
        for (int n : {1, 3, 6, 8, 10}) {
            if (xo < mKeyCoords[n]) break;
            if (xo < mKeyCoords[n] + blackWidth) return 12 * octave + n;
        }
    }
    const int k = xo / mWhiteKeys.W;
    const int key = k >= 3 ? 2 * k - 1 : 2 * k; // white keys: semitones 0, 2, 4, 5, 7, 9, 11
    return 12 * octave + key;
}

void IKeyboardControl::OnMouseDown(int x, int y, IMouseMod* mod) {
    if (mod && mod->R) return;
    const int k = GetMouseKey(x, y);
    if (k == mKey) return;
    const int note = k + mMinNote;
    if (k >= 0 && mStatus && note < 128 && mStatus->GetKeyStatus(note))
        return; // already held by MIDI
    mKey = k;
    SetDirty(true);
}

void IKeyboardControl::OnMouseUp(int /*x*/, int /*y*/, IMouseMod* /*mod*/) {
    if (mKey >= 0) {
        mKey = -1;
        SetDirty(true);
    }
}

void IKeyboardControl::OnMouseDrag(int x, int y, int /*dX*/, int /*dY*/, IMouseMod* mod) {
    OnMouseDown(x, y, mod);
}

// ---- IKnobRotaterControl ----

IKnobRotaterControl::IKnobRotaterControl(IPluginBase* plug, int x, int y, int paramIdx,
                                         IBitmap* bitmap, double minAngle, double maxAngle,
                                         int yOffsetZeroDeg, EDirection direction, double gearing)
    : IKnobControl(plug, IRECT(x, y, bitmap), paramIdx, direction, gearing), mBitmap(*bitmap),
      mMinAngle(minAngle), mMaxAngle(maxAngle), mYOffsetZeroDeg(yOffsetZeroDeg) {}

bool IKnobRotaterControl::Draw(IGraphics* graphics) {
    const int cx = (mRECT.L + mRECT.R) / 2, cy = (mRECT.T + mRECT.B) / 2;
    const double angle = mMinAngle + mValue * (mMaxAngle - mMinAngle);
    return graphics->DrawRotatedBitmap(&mBitmap, cx, cy, angle, mYOffsetZeroDeg, &mBlend);
}

// ---- IBidirectionalSwitchControl ----

IBidirectionalSwitchControl::IBidirectionalSwitchControl(IPluginBase* plug, int x, int y,
                                                         int paramIdx, IBitmap* bitmap,
                                                         EBlendMethod blend)
    : IBitmapControl(plug, x, y, paramIdx, bitmap, blend) {
    mDisablePrompt = false;
    mDblAsSingleClick = true;
    mText = IText(14, nullptr, nullptr, IText::kStyleNormal, IText::kAlignCenter, 0,
                  IText::kQualityDefault);
}

void IBidirectionalSwitchControl::OnMouseDown(int x, int /*y*/, IMouseMod* mod) {
    const double step = mBitmap.N > 1 ? 1.0 / (mBitmap.N - 1) : 1.0;
    const double quarter = (mRECT.R - mRECT.L) / 4.0;
    if (x < mRECT.L + quarter) {
        mValue -= step;
    } else if (x > mRECT.L + quarter * 3.0) {
        mValue += step;
    } else {
        if (mod && mod->L) PromptUserInput(&mRECT);
        if (IGraphics* graphics = GetGUI()) graphics->SetAllControlsDirty();
    }
    SetDirty(true); // clamps, so stepping stops at the ends
}

// ---- IBitmapOverlayControl ----

IBitmapOverlayControl::IBitmapOverlayControl(IPluginBase* plug, int x, int y, IBitmap* bitmap,
                                             IRECT targetArea)
    : ISwitchControl(plug, x, y, -1, bitmap, kBlendAlpha), mTargetArea(targetArea) {}

bool IBitmapOverlayControl::Draw(IGraphics* graphics) {
    if (mValue < 0.5) {
        mTargetRECT = mTargetArea;
        return true;
    }
    mTargetRECT = mRECT;
    return IBitmapControl::Draw(graphics);
}
