#pragma once
// Small helpers for the raster tests: filled bitmaps and pixel reading.

#include "raster/raster_blit.h"

#include <gtest/gtest.h>

#include <vector>

inline void fillWith(RAST_IBitmap* bm, RAST_pixel p) {
    for (int y = 0; y < bm->getHeight(); ++y) {
        for (int x = 0; x < bm->getWidth(); ++x)
            bm->getBits()[y * bm->getRowSpan() + x] = p;
    }
}

// A bitmap whose every pixel differs: useful to follow where pixels go.
inline void fillPattern(RAST_IBitmap* bm) {
    for (int y = 0; y < bm->getHeight(); ++y) {
        for (int x = 0; x < bm->getWidth(); ++x) {
            bm->getBits()[y * bm->getRowSpan() + x] =
                RAST_RGBA(x * 7 + 1, y * 5 + 2, x + y, 255 - x);
        }
    }
}

inline int countPixels(RAST_IBitmap* bm, RAST_pixel p) {
    int n = 0;
    for (int y = 0; y < bm->getHeight(); ++y) {
        for (int x = 0; x < bm->getWidth(); ++x)
            n += RAST_GetPixel(bm, x, y) == p;
    }
    return n;
}

inline int countNot(RAST_IBitmap* bm, RAST_pixel p) {
    return bm->getWidth() * bm->getHeight() - countPixels(bm, p);
}

// A memory bitmap whose rows are stored bottom-up.
class FlippedBitmap : public RAST_MemBitmap {
public:
    using RAST_MemBitmap::RAST_MemBitmap;
    bool isFlipped() override { return true; }
};
