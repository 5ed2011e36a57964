#include "art_images.h"

#include "art_about.h"
#include "art_background.h"
#include "art_controls.h"
#include "art_keys.h"
#include "art_layout.h"
#include "art_params.h"

#include <cstdlib>

namespace art {

std::vector<Artwork> drawAllImages(int scale) {
    std::vector<Artwork> all;
    all.push_back({"background", 1, drawBackground(scale)});
    all.push_back({"knob", 1, drawKnob(scale)});
    all.push_back({"slider", 1, drawFaderHandle(scale)});
    for (const FrameSwitchArt& s : frameSwitches()) {
        all.push_back({s.image, static_cast<int>(s.options.size()), drawFrameSwitch(s, scale)});
    }
    for (const StepperArt& s : steppers()) {
        const ParamArt param = paramArt(s.param);
        all.push_back(
            {s.image, static_cast<int>(param.texts.size()), drawStepper(param.texts, scale)});
    }
    all.push_back({"wk", kWhiteKeyFrames, drawPressedWhiteKeys(scale)});
    all.push_back({"bk", 1, drawPressedBlackKey(scale)});
    all.push_back({"about", 1, drawAboutBox(scale)});
    return all;
}

const Artwork& findArtwork(const std::vector<Artwork>& all, const std::string& name) {
    for (const Artwork& a : all) {
        if (a.name == name) return a;
    }
    std::abort(); // every name asked for is one of the images above
}

} // namespace art
