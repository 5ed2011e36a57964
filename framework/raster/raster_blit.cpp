#include "raster/raster_blit.h"

#include "raster/raster_ops.h"

#include <algorithm>
#include <cstring>

using rast_detail::rowPointer;
using rast_detail::rowStep;

namespace {

struct Area {
    int x, y, w, h; // clipped destination area
};

// Clips (x, y, w, h) to the bitmap; false when nothing is left.
bool clipToBitmap(RAST_IBitmap* bm, long long x, long long y, long long w, long long h, Area* out) {
    if (x < 0) w += x, x = 0;
    if (y < 0) h += y, y = 0;
    w = std::min<long long>(w, bm->getWidth() - x);
    h = std::min<long long>(h, bm->getHeight() - y);
    if (w < 1 || h < 1) return false;
    *out = Area{static_cast<int>(x), static_cast<int>(y), static_cast<int>(w), static_cast<int>(h)};
    return true;
}

template <class Op> void forEachPixel(RAST_IBitmap* bm, const Area& a, Op op) {
    RAST_pixel* row = rowPointer(bm, a.y) + a.x;
    const std::ptrdiff_t step = rowStep(bm);
    for (int y = 0; y < a.h; ++y, row += step) {
        for (int x = 0; x < a.w; ++x)
            op(row + x);
    }
}

template <class Op>
void forEachPixelPair(RAST_pixel* d, std::ptrdiff_t dstep, const RAST_pixel* s,
                      std::ptrdiff_t sstep, int w, int h, Op op) {
    for (int y = 0; y < h; ++y, d += dstep, s += sstep) {
        for (int x = 0; x < w; ++x)
            op(d + x, s[x]);
    }
}

void channelCopy(RAST_pixel* d, std::ptrdiff_t dstep, const RAST_pixel* s, std::ptrdiff_t sstep,
                 int w, int h, int mode) {
    const int dstByte = (mode >> 2) & 3, srcByte = mode & 3;
    forEachPixelPair(d, dstep, s, sstep, w, h, [=](RAST_pixel* p, RAST_pixel sp) {
        reinterpret_cast<unsigned char*>(p)[dstByte] =
            reinterpret_cast<const unsigned char*>(&sp)[srcByte];
    });
}

} // namespace

void RAST_Copy(RAST_IBitmap* dest, RAST_IBitmap* src) {
    if (!dest || !src) return;
    dest->resize(src->getWidth(), src->getHeight());
    RAST_Blit(dest, src, 0, 0, nullptr, 1.0f, RAST_BLIT_MODE_COPY);
}

void RAST_Blit(RAST_IBitmap* dest, RAST_IBitmap* src, int dstx, int dsty, int srcx, int srcy,
               int srcw, int srch, float alpha, int mode) {
    const RECT r{srcx, srcy, static_cast<std::int32_t>(static_cast<long long>(srcx) + srcw),
                 static_cast<std::int32_t>(static_cast<long long>(srcy) + srch)};
    RAST_Blit(dest, src, dstx, dsty, &r, alpha, mode);
}

void RAST_Blit(RAST_IBitmap* dest, RAST_IBitmap* src, int dstx_, int dsty_, const RECT* srcrect,
               float alpha, int mode) {
    if (!dest || !src || alpha == 0.0f) return;
    long long dstx = dstx_, dsty = dsty_;
    long long left = 0, top = 0, right = src->getWidth(), bottom = src->getHeight();
    if (srcrect) {
        left = srcrect->left, top = srcrect->top;
        right = std::min<long long>(srcrect->right, right);
        bottom = std::min<long long>(srcrect->bottom, bottom);
        if (left < 0) dstx -= left, left = 0;
        if (top < 0) dsty -= top, top = 0;
    }
    if (dstx < 0) left -= dstx, dstx = 0;
    if (dsty < 0) top -= dsty, dsty = 0;
    if (dstx + (right - left) > dest->getWidth()) right = left + (dest->getWidth() - dstx);
    if (dsty + (bottom - top) > dest->getHeight()) bottom = top + (dest->getHeight() - dsty);
    if (left >= right || top >= bottom || !dest->getBits() || !src->getBits()) return;

    const int w = static_cast<int>(right - left), h = static_cast<int>(bottom - top);
    RAST_pixel* d = rowPointer(dest, static_cast<int>(dsty)) + dstx;
    const RAST_pixel* s = rowPointer(src, static_cast<int>(top)) + left;
    const std::ptrdiff_t dstep = rowStep(dest), sstep = rowStep(src);

    if ((mode & RAST_BLIT_MODE_MASK) >= RAST_BLIT_MODE_CHANCOPY) {
        channelCopy(d, dstep, s, sstep, w, h, mode);
        return;
    }
    if ((mode & (RAST_BLIT_USE_ALPHA | RAST_BLIT_MODE_MASK)) == RAST_BLIT_MODE_COPY) {
        if (alpha == 1.0f) {
            for (int y = 0; y < h; ++y, d += dstep, s += sstep) {
                std::memmove(d, s, static_cast<std::size_t>(w) * sizeof(RAST_pixel));
            }
            return;
        }
        if (alpha == 0.5f) {
            forEachPixelPair(d, dstep, s, sstep, w, h, RAST_CombinePixelsHalfMixFAST);
            return;
        }
    }
    rast_detail::withSourceCombine(mode, RAST_AlphaToWeight(alpha), [&](auto op) {
        forEachPixelPair(d, dstep, s, sstep, w, h, op);
    });
}

void RAST_FillRect(RAST_IBitmap* dest, int x, int y, int w, int h, RAST_pixel color, float alpha,
                   int mode) {
    if (!dest) return;
    if (mode & RAST_BLIT_USE_ALPHA) alpha *= static_cast<float>(RAST_GETA(color)) / 255.0f;
    Area a;
    if (!clipToBitmap(dest, x, y, w, h, &a)) return;
    if (alpha == 0.0f || !dest->getBits() || dest->getRowSpan() < 1) return;

    const int wt = RAST_AlphaToWeight(alpha);
    const int combine = mode & RAST_BLIT_MODE_MASK;
    const auto fill = [&](auto op) { forEachPixel(dest, a, op); };
    if (combine == RAST_BLIT_MODE_COPY && rast_detail::withFastColorCopy(wt, color, fill)) return;
    rast_detail::withColorCombine(combine, wt, RAST_GETR(color), RAST_GETG(color), RAST_GETB(color),
                                  wt, false, fill);
}

void RAST_ClearRect(RAST_IBitmap* dest, int x, int y, int w, int h, RAST_pixel mask,
                    RAST_pixel orbits) {
    if (!dest || !dest->getBits()) return;
    Area a;
    if (!clipToBitmap(dest, x, y, w, h, &a)) return;
    forEachPixel(dest, a, [=](RAST_pixel* p) { *p = (*p & mask) | orbits; });
}

RAST_pixel RAST_GetPixel(RAST_IBitmap* bm, int x, int y) {
    if (!bm || !bm->getBits()) return 0;
    if (x < 0 || y < 0 || x >= bm->getWidth() || y >= bm->getHeight()) return 0;
    return rowPointer(bm, y)[x];
}

void RAST_PutPixel(RAST_IBitmap* bm, int x, int y, RAST_pixel color, float alpha, int mode) {
    if (!bm || !bm->getBits()) return;
    if (x < 0 || y < 0 || x >= bm->getWidth() || y >= bm->getHeight()) return;
    RAST_pixel* p = rowPointer(bm, y) + x;
    const int w = RAST_AlphaToWeight(alpha);
    const int combine = mode & RAST_BLIT_MODE_MASK;
    const auto put = [p](auto op) { op(p); };
    if (combine == RAST_BLIT_MODE_COPY && rast_detail::withFastColorCopy(w, color, put)) return;
    rast_detail::withColorCombine(combine, w, RAST_GETR(color), RAST_GETG(color), RAST_GETB(color),
                                  RAST_GETA(color), false, put);
}
