#pragma once
// Where the editor puts each control, which image it shows and how the panel labels it (all from
// the instrument's parameter table), and the artwork's own choices (switch options, panels).

#include "KarvelundParamTable.h"

#include <string>
#include <vector>

namespace art {

using Kind = ControlKind;

struct PlacedControl {
    Kind kind;
    int x, y;
    int param;
    const char* label;
    LabelSide side;
    const char* image; // file name without extension
};

// A switch that shows all its options, one lit per frame.
struct FrameSwitchArt {
    const char* image;
    std::vector<const char*> options;
    bool stacked;  // one row per option, otherwise side by side
    int partWidth; // width of one option (side by side) or of the whole switch (stacked)
};

// A two-way stepping switch that shows the parameter's text for each state.
struct StepperArt {
    const char* image;
    int param;
};

struct Section {
    const char* title;
    int x, y, w, h;
};

const std::vector<PlacedControl>& placedControls();
const std::vector<FrameSwitchArt>& frameSwitches();
const std::vector<StepperArt>& steppers();
const std::vector<Section>& sections();
const FrameSwitchArt& frameSwitch(const std::string& image);

// The keyboard: five octaves from (1, 233) plus the topmost key; x offsets of the twelve keys of
// an octave from its left edge.
constexpr int kKeyboardX = 1;
constexpr int kKeyboardY = 233;
constexpr int kKeyboardOctaves = 5;
constexpr int kKeyCoords[12] = {0, 7, 12, 20, 24, 36, 43, 48, 56, 60, 69, 72};
// Frame (1-based) of the pressed-white-key image for each key of an octave; 0 for black keys.
// Frame 6 is the topmost key, which has no black key beside it.
constexpr int kWhiteKeyFrame[12] = {1, 0, 2, 0, 3, 1, 0, 4, 0, 5, 0, 3};
constexpr int kWhiteKeyFrames = 6;

// The preset menu draws its line into this rectangle; the about box opens from a click in the
// logo strip and shows at its own position.
constexpr int kPresetL = 25, kPresetT = 25, kPresetR = 450, kPresetB = 45;
constexpr int kLogoL = 650, kLogoT = 0, kLogoR = 1080, kLogoB = 80;
constexpr int kAboutX = 270, kAboutY = 175;

} // namespace art
