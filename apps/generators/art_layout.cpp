#include "art_layout.h"

#include <cstdlib>

namespace art {

const std::vector<PlacedControl>& placedControls() {
    static const std::vector<PlacedControl> controls = [] {
        std::vector<PlacedControl> list;
        for (const ParamDef& def : KarvelundParamTable()) {
            const ControlDef& c = def.control;
            list.push_back({c.kind, c.x, c.y, def.index, c.caption, c.captionSide,
                            GetPanelImage(c.image).name});
        }
        return list;
    }();
    return controls;
}

const std::vector<FrameSwitchArt>& frameSwitches() {
    static const std::vector<FrameSwitchArt> switches = {
        {"bpm_sync_switch", {"Off", "On"}, false, 36},
        {"filter_type_switch", {"LP", "HP", "BP"}, false, 32},
        {"toggle", {"Pre", "Post"}, false, 38},
        {"amp_env_switch", {"Env", "Gate"}, false, 38},
        {"phonic_switch", {"Mono", "Poly", "Legato"}, true, 64},
    };
    return switches;
}

const FrameSwitchArt& frameSwitch(const std::string& image) {
    for (const FrameSwitchArt& s : frameSwitches()) {
        if (image == s.image) return s;
    }
    std::abort(); // the layout names only the switches above
}

const std::vector<StepperArt>& steppers() {
    static const std::vector<StepperArt> list = [] {
        std::vector<StepperArt> steppers;
        for (const PlacedControl& c : placedControls())
            if (c.kind == Kind::kStepSwitch) steppers.push_back({c.image, c.param});
        return steppers;
    }();
    return list;
}

const std::vector<Section>& sections() {
    static const std::vector<Section> list = {
        {"LFO", 10, 56, 251, 173},          {"OSCILLATORS", 265, 56, 323, 173},
        {"FILTER", 592, 56, 308, 173},      {"DRIVE", 904, 56, 166, 173},
        {"PERFORMANCE", 10, 285, 251, 193}, {"MIXER", 265, 285, 323, 193},
        {"ENVELOPE", 592, 231, 308, 247},   {"AMP", 904, 231, 166, 247},
    };
    return list;
}

} // namespace art
