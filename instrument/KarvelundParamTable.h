#pragma once

// Every parameter of the instrument in one row: how it is declared, how the editor shows it,
// how its value reaches the engine, and how a host binding publishes it. The constructor, the
// parameter mapping, the art generator, the engine test kit and the binding generators all read
// this table; adding a parameter means adding its enumerator and its row.

#include "KarvelundParams.h"

#include <span>

class IParam;
class Synthesizer;

enum class ParamKind { kBool, kEnum, kInt, kDouble };

// The panel's pictures; frames are stacked vertically in each file.
enum EPanelImage {
    kImageNone = -1,
    kImageKnob = 0,
    kImageSlider,
    kImageToggle,
    kImageLfoType,
    kImageLfoTarget,
    kImageFilterType,
    kImagePhonic,
    kImageModWheel,
    kImageVelocity,
    kImageBpmSync,
    kImageAmpEnv,
    kImagePitchBend,
    kNumParamImages
};

struct PanelImage {
    int resourceId;
    const char* name; // file name in resources/img (and img@2x) without ".png"
    int frames;
};

const PanelImage& GetPanelImage(EPanelImage image);

enum class ControlKind {
    kKnob,        // rotating knob, dragged vertically
    kFader,       // vertical fader with a travel of kFaderTravel pixels
    kFrameSwitch, // one frame per state; a click picks the state under the pointer
    kStepSwitch,  // two-way stepping switch with a frame per state
};

// Vertical travel of the faders, in pixels.
constexpr int kFaderTravel = 141;

enum class LabelSide { kBelow, kLeft };

struct ControlDef {
    ControlKind kind;
    int x, y; // top left in the 1080 x 525 panel
    EPanelImage image;
    bool stacked;        // frame switches: one row per state instead of side by side
    const char* caption; // the panel's printed name for the control
    LabelSide captionSide;
};

// Hints a host binding publishes with the parameter's port.
enum ParamHint : unsigned {
    kHintNone = 0,
    kHintToggled = 1u << 0,
    kHintInteger = 1u << 1,
    kHintEnumeration = 1u << 2,
    kHintLogarithmic = 1u << 3,
};

// What a parameter's value is applied to: the engine at its sample rate, with every parameter's
// current value by index for settings that combine two parameters.
struct EngineTarget {
    Synthesizer& synth;
    double sampleRate;
    const double* values;
};

using ApplyToEngine = void (*)(const EngineTarget& target, double value);

struct ParamDef {
    EParams index;
    const char* name;
    ParamKind kind;
    double defaultValue, minValue, maxValue, step;
    const char* label;
    const char* group;
    std::span<const char* const> displayTexts; // entry i shows texts[i]
    ControlDef control;
    ApplyToEngine apply;
    bool releasesAllNotes; // applying it first releases every sounding note
    // For host bindings.
    const char* symbol;  // stable lower-case identifier, never renamed once published
    const char* section; // the panel section it belongs to, lower case
    const char* unit;    // "" when the value has no unit of its own
    unsigned hints;      // ParamHint flags
};

// The rows in the order the constructor declares the parameters and builds their controls.
std::span<const ParamDef> KarvelundParamTable();
// The row of parameter idx (0 <= idx < kNumParams).
const ParamDef& GetParamDef(int idx);

// Gives param its kind, name, range, default, label, group and display texts from its row.
void InitParamFromDef(IParam* param, const ParamDef& def);
