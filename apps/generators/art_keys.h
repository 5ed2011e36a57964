#pragma once
// The on-screen keyboard: keys at rest are part of the background, pressed keys are images the
// keyboard control draws over them (six white-key shapes and one black key).

#include "art_canvas.h"

#include <memory>

namespace art {

std::unique_ptr<Canvas> drawPressedWhiteKeys(int scale);
std::unique_ptr<Canvas> drawPressedBlackKey(int scale);
// The keyboard at rest, at its place on the background.
void paintKeyboard(Canvas& background);

// Left edges, in editor pixels, of white key w (0 = lowest, counting white keys only, the
// topmost key included) and of the black key of semitone n in octave o.
int whiteKeyLeft(int w);
int blackKeyLeft(int octave, int n);
bool isBlack(int n);

} // namespace art
