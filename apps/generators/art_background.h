#pragma once
// The editor's background: panels, titles, labels, scales, the preset field, the logo and the
// keyboard at rest.

#include "art_canvas.h"

#include <memory>

namespace art {

std::unique_ptr<Canvas> drawBackground(int scale);

} // namespace art
