#pragma once
// Reading a source bitmap at 16.16 fixed-point positions. Internal to the raster library.

#include "raster/raster_transform.h"

namespace rast_detail {

// Integer part of a 16.16 position, truncating toward zero.
constexpr int fixedInt(long long v) {
    return static_cast<int>(v / 65536);
}
// Fraction of a 16.16 position; positions between -1 and 0 sample their pixel without blending
// in the next one (the low bits of a negative value would weigh the wrong neighbour).
constexpr int fixedFrac(long long v) {
    return v < 0 ? 0 : static_cast<int>(v & 0xFFFF);
}

struct Sampler {
    const RAST_pixel* top = nullptr; // row 0
    std::ptrdiff_t step = 0;
    int left = 0, upper = 0, right = 0, bottom = 0; // sample limits, right and bottom exclusive

    const RAST_pixel* at(int x, int y) const { return top + y * step + x; }

    bool nearest(long long x, long long y, RAST_pixel* out) const {
        const int sx = fixedInt(x), sy = fixedInt(y);
        if (sx < left || sx >= right || sy < upper || sy >= bottom) return false;
        *out = *at(sx, sy);
        return true;
    }

    // The bilinear sample with its edge rule: the last column interpolates only vertically, the
    // last row only horizontally, the corner is the pixel itself.
    bool bilinear(long long x, long long y, RAST_pixel* out) const {
        const int sx = fixedInt(x), sy = fixedInt(y);
        if (sx < left || sx >= right || sy < upper || sy >= bottom) return false;
        const RAST_pixel* p = at(sx, sy);
        const bool lastCol = sx == right - 1, lastRow = sy == bottom - 1;
        if (!lastRow) {
            *out = lastCol ? RAST_LinearFilterI(p, p + step, fixedFrac(y))
                           : RAST_BilinearFilterI(p, p + step, fixedFrac(x), fixedFrac(y));
        } else {
            *out = lastCol ? *p : RAST_LinearFilterI(p, p + 1, fixedFrac(x));
        }
        return true;
    }
};

} // namespace rast_detail
