#pragma once
// The images of the editor's controls: the knob, the fader handle, the frame switches and the
// two-way stepping switches. Frames are stacked from the top, frame 0 first.

#include "art_canvas.h"
#include "art_layout.h"

#include <memory>
#include <string>
#include <vector>

namespace art {

std::unique_ptr<Canvas> drawKnob(int scale);
std::unique_ptr<Canvas> drawFaderHandle(int scale);
// One frame per option, that option lit.
std::unique_ptr<Canvas> drawFrameSwitch(const FrameSwitchArt& art, int scale);
// One frame per text, showing it between a left and a right arrow.
std::unique_ptr<Canvas> drawStepper(const std::vector<std::string>& texts, int scale);

// Frame size of a frame switch, in 1x pixels.
int frameSwitchWidth(const FrameSwitchArt& art);
int frameSwitchHeight(const FrameSwitchArt& art);

// The knob rotates about pixel (20, 20) of its image at every scale; that pixel's centre, in
// layout units from the image's corner.
double knobCentre(int scale);

// Where the fader handle's top sits for a value, as the editor places it.
int faderHandleTop(int faderY, double value);

} // namespace art
