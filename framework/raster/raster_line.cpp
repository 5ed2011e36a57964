#include "raster/raster_canvas.h"
#include "raster/raster_draw.h"
#include "raster/raster_ops.h"

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <utility>

using rast_detail::Canvas;
using rast_detail::WeightedPen;

namespace {

enum Outcode { kLeft = 1, kRight = 2, kTop = 4, kBottom = 8 };

int outcode(double x, double y, int w, int h) {
    int c = 0;
    if (x < 0) {
        c |= kLeft;
    } else if (x > w - 1) {
        c |= kRight;
    }
    if (y < 0) {
        c |= kTop;
    } else if (y > h - 1) {
        c |= kBottom;
    }
    return c;
}

// Clips the segment to 0 <= x < w, 0 <= y < h; false when nothing is left.
bool clipSegment(int w, int h, int* x1, int* y1, int* x2, int* y2) {
    double ax = *x1, ay = *y1, bx = *x2, by = *y2;
    int ca = outcode(ax, ay, w, h), cb = outcode(bx, by, w, h);
    for (int guard = 0; guard < 8 && (ca | cb); ++guard) {
        if (ca & cb) return false;
        const bool first = ca != 0;
        const int c = first ? ca : cb;
        double x, y;
        if (c & kTop) {
            x = static_cast<long long>(ax + (bx - ax) * (0 - ay) / (by - ay)), y = 0;
        } else if (c & kBottom) {
            x = static_cast<long long>(ax + (bx - ax) * (h - 1 - ay) / (by - ay)), y = h - 1;
        } else if (c & kRight) {
            y = static_cast<long long>(ay + (by - ay) * (w - 1 - ax) / (bx - ax)), x = w - 1;
        } else {
            y = static_cast<long long>(ay + (by - ay) * (0 - ax) / (bx - ax)), x = 0;
        }
        if (first) {
            ax = x, ay = y, ca = outcode(ax, ay, w, h);
        } else {
            bx = x, by = y, cb = outcode(bx, by, w, h);
        }
    }
    if (ca | cb) return false;
    *x1 = static_cast<int>(ax), *y1 = static_cast<int>(ay);
    *x2 = static_cast<int>(bx), *y2 = static_cast<int>(by);
    return true;
}

template <class Full>
void drawDiagonal(const Canvas& cv, int x1, int y1, int x2, int y2, Full full,
                  const WeightedPen& weighted, int w, bool aa, bool exactCopy, RAST_pixel color) {
    const int sx = x2 > x1 ? 1 : -1, sy = y2 > y1 ? 1 : -1;
    const int n = std::abs(x2 - x1);
    const RAST_pixel quarter = RAST_QuarterShift(color);
    const RAST_pixel threeQuarters = RAST_ThreeQuarterShift(color);
    for (int i = 0; i <= n; ++i) {
        const int x = x1 + i * sx, y = y1 + i * sy;
        if (!aa) {
            full(cv.at(x, y));
            continue;
        }
        const bool last = i == n;
        if (exactCopy) {
            RAST_CombinePixelsThreeQuarterMix2FAST(cv.at(x, y), threeQuarters);
            if (last) continue;
            RAST_CombinePixelsQuarterMix2FAST(cv.at(x + sx, y), quarter);
            RAST_CombinePixelsQuarterMix2FAST(cv.at(x, y + sy), quarter);
        } else {
            weighted(cv.at(x, y), w * 3 / 4);
            if (last) continue;
            weighted(cv.at(x + sx, y), w / 4);
            weighted(cv.at(x, y + sy), w / 4);
        }
    }
}

// Walks a line from both ends at once. plot(major, minor) maps to a pixel.
template <class Full, class Plot>
void walkPlain(int n, int slope, int minorStep, int majA, int minA, int majB, int minB, Full full,
               Plot at) {
    int err = 0;
    for (int i = 0; i < (n + 1) / 2; ++i) {
        full(at(majA, minA));
        full(at(majB, minB));
        err += slope;
        if (err >= 32768) minA += minorStep, minB -= minorStep, err -= 65536;
        ++majA, --majB;
    }
    if (n % 2 == 0) full(at(majA, minA));
}

template <class Full, class Plot>
void walkAntialiased(int n, int slope, int minorStep, int majA, int minA, int majB, int minB,
                     Full full, const WeightedPen& weighted, int w, Plot at) {
    full(at(majA, minA));
    full(at(majB, minB));
    ++majA, --majB;
    int err = slope;
    const auto pair = [&](int maj, int mn, int step, int e) {
        weighted(at(maj, mn), w * (255 - e) / 256);
        weighted(at(maj, mn + step), w * e / 256);
    };
    for (int i = 1; i < (n + 1) / 2; ++i) {
        const int e = err / 256;
        pair(majA, minA, minorStep, e);
        pair(majB, minB, -minorStep, e);
        err += slope;
        if (err >= 65536) minA += minorStep, minB -= minorStep, err -= 65536;
        ++majA, --majB;
    }
    if (n % 2 == 0) pair(majA, minA, minorStep, err / 256);
}

template <class Full>
void drawSloped(const Canvas& cv, int x1, int y1, int x2, int y2, Full full,
                const WeightedPen& weighted, int w, bool aa) {
    const bool xMajor = std::abs(x2 - x1) > std::abs(y2 - y1);
    int maj1 = xMajor ? x1 : y1, min1 = xMajor ? y1 : x1;
    int maj2 = xMajor ? x2 : y2, min2 = xMajor ? y2 : x2;
    if (maj1 > maj2) std::swap(maj1, maj2), std::swap(min1, min2);
    const int n = maj2 - maj1;
    const int minorStep = min2 >= min1 ? 1 : -1;
    const int slope = static_cast<int>(static_cast<double>(std::abs(min2 - min1)) / n * 65536.0);
    // Near the clipped edges the neighbour of an antialiased pair may fall outside.
    RAST_pixel scratch = 0;
    const auto at = [&](int maj, int mn) {
        const int x = xMajor ? maj : mn, y = xMajor ? mn : maj;
        return cv.inside(x, y) ? cv.at(x, y) : &scratch;
    };
    if (aa) {
        walkAntialiased(n, slope, minorStep, maj1, min1, maj2, min2, full, weighted, w, at);
    } else {
        walkPlain(n, slope, minorStep, maj1, min1, maj2, min2, full, at);
    }
}

} // namespace

void RAST_Line(RAST_IBitmap* dest, int x1, int y1, int x2, int y2, RAST_pixel color, float alpha,
               int mode, bool aa) {
    Canvas cv(dest);
    if (!cv.valid() || !clipSegment(cv.width, cv.height, &x1, &y1, &x2, &y2)) return;
    const bool exactCopy = (mode & RAST_BLIT_MODE_MASK) == RAST_BLIT_MODE_COPY && alpha == 1.0f;
    const bool axisParallel = x1 == x2 || y1 == y2;
    const auto draw = [&](auto full, const WeightedPen& weighted, int w) {
        if (y1 == y2) {
            cv.hrun(y1, std::min(x1, x2), std::max(x1, x2), full);
        } else if (x1 == x2) {
            cv.vrun(x1, std::min(y1, y2), std::max(y1, y2), full);
        } else if (std::abs(x2 - x1) == std::abs(y2 - y1)) {
            drawDiagonal(cv, x1, y1, x2, y2, full, weighted, w, aa, exactCopy, color);
        } else {
            drawSloped(cv, x1, y1, x2, y2, full, weighted, w, aa);
        }
    };
    // Only axis-parallel runs use the word-wise copies.
    rast_detail::withColorPen(color, alpha, mode, axisParallel, true, draw);
}

void RAST_DrawRect(RAST_IBitmap* dest, int x, int y, int w, int h, RAST_pixel color, float alpha,
                   int mode) {
    const auto clampInt = [](long long v) {
        return static_cast<int>(std::clamp<long long>(v, INT_MIN, INT_MAX));
    };
    const int r = clampInt(static_cast<long long>(x) + w),
              b = clampInt(static_cast<long long>(y) + h);
    RAST_Line(dest, x, y, r, y, color, alpha, mode, false);
    RAST_Line(dest, r, y, r, b, color, alpha, mode, false);
    RAST_Line(dest, r, b, x, b, color, alpha, mode, false);
    RAST_Line(dest, x, b, x, y, color, alpha, mode, false);
}
