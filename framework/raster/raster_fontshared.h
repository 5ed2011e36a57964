#pragma once
// State shared by every cached font: the scratch bitmaps glyphs and platform-drawn text are
// rendered into, and the count of living font objects. Internal to the raster library.

#include "raster/raster_bitmap.h"

#include <memory>
#include <mutex>

namespace rast_detail {

struct FontShared {
    // Held by every font operation that uses the scratch bitmaps, so fonts of several editors
    // cannot draw into them at once.
    std::recursive_mutex mutex;
    std::unique_ptr<RAST_SysBitmap> glyphBitmap;  // white text on black, transparent mode
    std::unique_ptr<RAST_SysBitmap> nativeBitmap; // platform drawing for context-less bitmaps
    int fontCount = 0;
};

FontShared& fontShared();

// Makes sure the bitmap exists with at least w x h pixels; true when it was (re)made, after
// which the drawing state of its context must be set again.
bool ensureScratchSize(std::unique_ptr<RAST_SysBitmap>& bm, int w, int h);

} // namespace rast_detail
