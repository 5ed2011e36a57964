#pragma once
// The about box the editor shows over its panels.

#include "art_canvas.h"

#include <memory>

namespace art {

std::unique_ptr<Canvas> drawAboutBox(int scale);

} // namespace art
