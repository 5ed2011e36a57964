#pragma once
// The editor artwork's palette, type and the pixel sizes of its images (in 1x pixels).

#include "KarvelundParamTable.h"
#include "raster/raster_pixel.h"

namespace art {

constexpr RAST_pixel rgb(unsigned r, unsigned g, unsigned b) {
    return RAST_RGBA(r, g, b, 255);
}

// Surfaces, from the window outward.
constexpr RAST_pixel kWindow = rgb(20, 22, 25);
constexpr RAST_pixel kPanel = rgb(35, 38, 43);
constexpr RAST_pixel kPanelEdge = rgb(50, 54, 61);
constexpr RAST_pixel kPanelShade = rgb(30, 33, 37); // lower half of a panel's gradient
constexpr RAST_pixel kInset = rgb(13, 14, 16);      // displays, slots, the preset field
constexpr RAST_pixel kInsetEdge = rgb(60, 65, 73);
constexpr RAST_pixel kShadow = rgb(10, 11, 12);

// Ink.
constexpr RAST_pixel kText = rgb(232, 234, 237);
constexpr RAST_pixel kLabel = rgb(164, 171, 180);
constexpr RAST_pixel kDim = rgb(92, 99, 108);
constexpr RAST_pixel kAccent = rgb(255, 150, 54);
constexpr RAST_pixel kOnAccent = rgb(28, 20, 12); // text on an accent fill

// Keys.
constexpr RAST_pixel kKeyWhiteTop = rgb(206, 203, 197);
constexpr RAST_pixel kKeyWhite = rgb(238, 236, 231);
constexpr RAST_pixel kKeyGap = rgb(40, 42, 46);
constexpr RAST_pixel kKeyBlack = rgb(24, 25, 28);
constexpr RAST_pixel kKeyBlackFace = rgb(44, 46, 51);
constexpr RAST_pixel kKeyPressedTop = rgb(244, 162, 92);
constexpr RAST_pixel kKeyPressed = rgb(255, 196, 140);
constexpr RAST_pixel kKeyBlackPressed = rgb(214, 112, 28);
constexpr RAST_pixel kKeyBlackPressedFace = rgb(255, 150, 54);

// Families the text layer resolves on every machine the project builds on.
constexpr const char* kSans = "Arial"; // Liberation Sans

// Type sizes in 1x pixels (character height).
constexpr int kLabelSize = 11;
constexpr int kTitleSize = 11;
constexpr int kSwitchTextSize = 11;

// Image sizes.
constexpr int kKnobSize = 40;   // square; rotated about pixel (20, 20)
constexpr int kKnobRadius = 18; // the knob's body inside its image
constexpr int kHandleW = 17;    // fader handle, centred on its column 8
constexpr int kHandleH = 31;
constexpr int kStepperW = 130; // two-way switches
constexpr int kStepperH = 22;
constexpr int kSegmentH = 20; // one row of a frame switch
constexpr int kWhiteKeyW = 12;
constexpr int kWhiteKeyH = 48;
constexpr int kBlackKeyW = 7;
constexpr int kBlackKeyH = 30;
constexpr int kAboutW = 540;
constexpr int kAboutH = 200;

// The editor.
constexpr int kEditorW = 1080;
constexpr int kEditorH = 525;

// The knob's angle range in radians, 0 pointing up.
constexpr double kKnobMinAngle = -2.617993875;
constexpr double kKnobMaxAngle = 2.617993875;

} // namespace art
