#pragma once
// The memory drawing context of the text layer: a frame buffer and the drawing state.

#include "raster/raster_textlayer.h"

#include <cstdlib>
#include <memory>

struct PLAT_GfxContext {
    struct FreeDeleter {
        void operator()(RAST_pixel* p) const { std::free(p); }
    };
    std::unique_ptr<RAST_pixel[], FreeDeleter> pixels; // 64-byte aligned, rows top-down
    int width = 0, height = 0;
    HGDIOBJ font = nullptr;
    int textColor = 0; // red * 65536 + green * 256 + blue
    int bkColor = 0xFFFFFF;
    int bkMode = OPAQUE;
};

namespace kv_text {
// The font used by contexts that have none selected.
HFONT defaultFont();
} // namespace kv_text
