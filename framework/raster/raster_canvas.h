#pragma once
// Pixel addressing with a clip box for the vector primitives. Internal to the raster library.

#include "raster/raster_bitmap.h"

#include <algorithm>
#include <cstddef>

namespace rast_detail {

struct Canvas {
    RAST_pixel* bits = nullptr;
    std::ptrdiff_t span = 0;
    int width = 0, height = 0;
    bool flipped = false;
    int clipL = 0, clipT = 0, clipR = 0, clipB = 0; // right and bottom exclusive

    explicit Canvas(RAST_IBitmap* bm) {
        if (!bm || !bm->getBits()) return;
        bits = bm->getBits();
        span = bm->getRowSpan();
        width = bm->getWidth(), height = bm->getHeight();
        flipped = bm->isFlipped();
        clipR = width, clipB = height;
    }
    bool valid() const { return bits && width > 0 && height > 0; }
    // Narrows the clip box to (l, t, r, b); false when nothing is left.
    bool narrowClip(int l, int t, int r, int b) {
        clipL = std::max(clipL, l), clipT = std::max(clipT, t);
        clipR = std::min(clipR, r), clipB = std::min(clipB, b);
        return clipL < clipR && clipT < clipB;
    }
    bool inside(int x, int y) const { return x >= clipL && x < clipR && y >= clipT && y < clipB; }
    RAST_pixel* at(int x, int y) const {
        const int row = flipped ? height - 1 - y : y;
        return bits + static_cast<std::ptrdiff_t>(row) * span + x;
    }
    // Blends op over the clipped run of row y from x1 to x2 inclusive.
    template <class Op> void hrun(int y, int x1, int x2, Op op) const {
        if (y < clipT || y >= clipB) return;
        x1 = std::max(x1, clipL), x2 = std::min(x2, clipR - 1);
        if (x1 > x2) return;
        RAST_pixel* p = at(x1, y);
        for (int x = x1; x <= x2; ++x)
            op(p++);
    }
    // Blends op over the clipped run of column x from y1 to y2 inclusive.
    template <class Op> void vrun(int x, int y1, int y2, Op op) const {
        if (x < clipL || x >= clipR) return;
        y1 = std::max(y1, clipT), y2 = std::min(y2, clipB - 1);
        for (int y = y1; y <= y2; ++y)
            op(at(x, y));
    }
};

} // namespace rast_detail
