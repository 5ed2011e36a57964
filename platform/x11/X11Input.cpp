#include "X11Input.h"

#include <X11/Xlib.h>
#include <X11/keysym.h>
#include <cstdlib>

int EditorKeyForKeySym(unsigned long sym) {
    switch (sym) {
    case XK_space:
        return 0;
    case XK_Up:
    case XK_KP_Up:
        return 1;
    case XK_Down:
    case XK_KP_Down:
        return 2;
    case XK_Left:
    case XK_KP_Left:
        return 3;
    case XK_Right:
    case XK_KP_Right:
        return 4;
    default:
        break;
    }
    if (sym >= XK_0 && sym <= XK_9) return 5 + static_cast<int>(sym - XK_0);
    if (sym >= XK_KP_0 && sym <= XK_KP_9) return 5 + static_cast<int>(sym - XK_KP_0);
    if (sym >= XK_a && sym <= XK_z) return 15 + static_cast<int>(sym - XK_a);
    if (sym >= XK_A && sym <= XK_Z) return 15 + static_cast<int>(sym - XK_A);
    return -1;
}

IMouseMod MouseModFor(unsigned int state, unsigned int button) {
    bool right = button == Button3;
    if (button == 0) right = (state & Button3Mask) && !(state & Button1Mask);
    return IMouseMod(!right, right, state & ShiftMask, state & ControlMask, state & Mod1Mask);
}

bool DoubleClickDetector::Press(unsigned int button, unsigned long timeMs, int x, int y) {
    const bool second = mHavePress && button == mButton &&
                        timeMs - mTime <= static_cast<unsigned long>(mTimeMs) &&
                        std::abs(x - mX) <= kMaxDistance && std::abs(y - mY) <= kMaxDistance;
    mHavePress = !second;
    mButton = button;
    mTime = timeMs;
    mX = x;
    mY = y;
    return second;
}
