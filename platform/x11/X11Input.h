#pragma once

#include "editor/IGraphicsStructs.h"

// How X input becomes editor input, without a window: the logical key numbers, the mouse
// modifiers and the double-click rule.

// The editor's logical key for an X key symbol: space 0, the arrows up, down, left and right
// 1-4, the digits 5-14, the letters (either case) 15-40; -1 for a key the editor does not take.
int EditorKeyForKeySym(unsigned long keySym);

// The modifiers of a press, release or move: a left-button event has L, a right-button event
// R (and not L); Shift, Control and Alt give S, C and A. button is the X button of a press or
// release, 0 for a move (then the held buttons in state decide).
IMouseMod MouseModFor(unsigned int state, unsigned int button);

// Tells a second press from a new one: two presses of the same button within the desktop's
// double-click time and a few pixels of each other. The press after a double click starts
// over, so a third press is a single click again.
class DoubleClickDetector {
public:
    static constexpr int kDefaultTimeMs = 400;
    static constexpr int kMaxDistance = 4;

    void SetTimeMs(int ms) { mTimeMs = ms > 0 ? ms : kDefaultTimeMs; }
    int TimeMs() const { return mTimeMs; }
    // Records a press at time (ms, as X reports it) and position; true when it is the second
    // press of a double click.
    bool Press(unsigned int button, unsigned long timeMs, int x, int y);

private:
    int mTimeMs = kDefaultTimeMs;
    bool mHavePress = false;
    unsigned int mButton = 0;
    unsigned long mTime = 0;
    int mX = 0, mY = 0;
};
