#pragma once
// The sixteen images of the editor, by file name.

#include "art_canvas.h"

#include <memory>
#include <string>
#include <vector>

namespace art {

struct Artwork {
    std::string name; // file name without ".png"
    int frames;       // stacked vertically
    std::unique_ptr<Canvas> image;

    int frameHeight() const { return image->height() / frames; } // layout units
};

std::vector<Artwork> drawAllImages(int scale);
const Artwork& findArtwork(const std::vector<Artwork>& all, const std::string& name);

} // namespace art
