#pragma once
// A picture of the editor put together from the images the way the editor draws them, to look
// at the artwork as a whole.

#include "art_images.h"

#include <memory>
#include <vector>

namespace art {

enum class PreviewState {
    kDefaults,  // every control at its declared default, the about box shown
    kAlternate, // other states: last frames, turned knobs, pressed keys
};

std::unique_ptr<Canvas> composePreview(const std::vector<Artwork>& art, int scale,
                                       PreviewState state);

} // namespace art
