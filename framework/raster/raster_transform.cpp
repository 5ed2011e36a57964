#include "raster/raster_transform.h"

#include "raster/raster_blit.h"
#include "raster/raster_ops.h"
#include "raster/raster_sampler.h"

#include <algorithm>
#include <cmath>

using rast_detail::fixedInt;
using rast_detail::rowPointer;
using rast_detail::rowStep;
using rast_detail::Sampler;

namespace {

constexpr double kFixedOne = 65536.0;

// A 16.16 value of v, truncated; limited so that the walks cannot overflow.
long long toFixed(double v) {
    constexpr double limit = 1e12;
    if (!(v > -limit)) return static_cast<long long>(-limit);
    if (v > limit) return static_cast<long long>(limit);
    return static_cast<long long>(v * kFixedOne);
}

Sampler samplerOf(RAST_IBitmap* src, int left, int top, int right, int bottom) {
    Sampler s;
    s.top = rowPointer(src, 0);
    s.step = rowStep(src);
    s.left = left, s.upper = top, s.right = right, s.bottom = bottom;
    return s;
}

// A negative destination size walks the source backwards from its far edge. The walk starts one
// step inside that edge, so the samples are exactly those of the unmirrored walk in reverse order.
// Returns that step, to be added to the start position.
template <class T> double mirrorAxis(int* dst, int* dstSize, T* src, T* srcSize) {
    if (*dstSize >= 0) return 0.0;
    *dst += *dstSize;
    *dstSize = -*dstSize;
    *src += *srcSize;
    *srcSize = -*srcSize;
    return *srcSize / static_cast<double>(*dstSize);
}

bool isBilinear(int mode) {
    return (mode & RAST_BLIT_FILTER_MASK) == RAST_BLIT_FILTER_BILINEAR;
}

// The destination walk shared by both blits: row by row from (cx, cy), each pixel stepping by
// (dxx, dxy), each row by (dyx, dyy); sample(x, y, &pixel) decides what lands.
template <class Sample, class Op>
void walk(RAST_IBitmap* dest, int dstx, int dsty, int dstw, int dsth, long long cx, long long cy,
          long long dxx, long long dxy, long long dyx, long long dyy, Sample sample, Op op) {
    RAST_pixel* row = rowPointer(dest, dsty) + dstx;
    const std::ptrdiff_t step = rowStep(dest);
    for (int j = 0; j < dsth; ++j, row += step, cx += dyx, cy += dyy) {
        long long x = cx, y = cy;
        for (int i = 0; i < dstw; ++i, x += dxx, y += dxy) {
            RAST_pixel s;
            if (sample(x, y, &s)) op(row + i, s);
        }
    }
}

// The averaging kernel of strong bilinear reductions: k x k taps around the nearest sample.
struct ReductionKernel {
    int size = 3;
    int weights[5][5] = {};

    explicit ReductionKernel(long long dx, long long dy) {
        const long long s = std::max(dx, dy);
        size = s > 0x30000 ? 5 : 3;
        const int o = size / 2;
        for (int j = 0; j < size; ++j) {
            for (int i = 0; i < size; ++i) {
                const double dist =
                    std::sqrt(static_cast<double>((i - o) * (i - o) + (j - o) * (j - o)));
                const double v =
                    dist == 0 ? 1.0 : std::clamp((static_cast<double>(s) - 1.0) / dist, 0.0, 1.0);
                weights[j][i] = static_cast<int>(v * kFixedOne);
            }
        }
    }

    bool sample(const Sampler& src, long long x, long long y, RAST_pixel* out) const {
        const int sx = fixedInt(x), sy = fixedInt(y), o = size / 2;
        if (sx < 0 || sx >= src.right || sy < 0 || sy >= src.bottom) return false;
        long long sum[4] = {}, total = 0;
        for (int j = 0; j < size; ++j) {
            const int ty = sy - o + j;
            if (ty < 0) continue;
            if (ty >= src.bottom) break;
            for (int i = 0; i < size; ++i) {
                const int tx = sx - o + i;
                if (tx < 0 || tx >= src.right) continue;
                const RAST_pixel p = *src.at(tx, ty);
                for (int c = 0; c < 4; ++c)
                    sum[c] += static_cast<long long>((p >> (8 * c)) & 0xFF) * weights[j][i];
                total += weights[j][i];
            }
        }
        if (total <= 0) return false;
        RAST_pixel v = 0;
        for (int c = 0; c < 4; ++c)
            v |= static_cast<RAST_pixel>((sum[c] / total) & 0xFF) << (8 * c);
        *out = v;
        return true;
    }
};

// Skips destination pixels whose samples fall left of the source and cuts those past its right
// edge; works on one axis. False when nothing is left.
bool clipAxisToSource(long long step, int srcSize, long long* c, int* dst, int* len) {
    if (step <= 0) return *len > 0;
    if (*c < 0) {
        const long long n = (step - 1 - *c) / step;
        *len -= static_cast<int>(std::min<long long>(n, *len));
        *dst += static_cast<int>(n);
        *c += n * step;
    }
    if (*len > 0 && (*c + step * (*len - 1)) / 65536 >= srcSize) {
        const long long fit = (static_cast<long long>(srcSize) * 65536 - 1 - *c) / step + 1;
        *len = static_cast<int>(std::clamp<long long>(fit, 0, *len));
    }
    return *len > 0;
}

} // namespace

void RAST_ScaledBlit(RAST_IBitmap* dest, RAST_IBitmap* src, int dstx, int dsty, int dstw, int dsth,
                     float srcx, float srcy, float srcw, float srch, float alpha, int mode) {
    if (!dest || !src || !dstw || !dsth || alpha == 0.0f) return;
    if (!std::isfinite(srcx) || !std::isfinite(srcy) || !std::isfinite(srcw) ||
        !std::isfinite(srch))
        return;
    const bool bilinear = isBilinear(mode);
    const auto nearInteger = [](float v) { return std::fabs(v - std::floor(v + 0.5f)) < 0.03f; };
    if (std::fabs(srcw - dstw) < 0.001f && std::fabs(srch - dsth) < 0.001f &&
        (!bilinear || (nearInteger(srcx) && nearInteger(srcy)))) {
        const int left = static_cast<int>(srcx + 0.5f), top = static_cast<int>(srcy + 0.5f);
        const RECT r{left, top, left + dstw, top + dsth};
        RAST_Blit(dest, src, dstx, dsty, &r, alpha, mode);
        return;
    }
    const double mirrorX = mirrorAxis(&dstx, &dstw, &srcx, &srcw);
    const double mirrorY = mirrorAxis(&dsty, &dsth, &srcy, &srch);
    const double xadv = srcw / static_cast<float>(dstw), yadv = srch / static_cast<float>(dsth);
    double sx0 = srcx, sy0 = srcy;
    if (dstx < 0) sx0 -= dstx * xadv, dstw += dstx, dstx = 0;
    if (dsty < 0) sy0 -= dsty * yadv, dsth += dsty, dsty = 0;
    dstw = std::min(dstw, dest->getWidth() - dstx);
    dsth = std::min(dsth, dest->getHeight() - dsty);
    if (dstw <= 0 || dsth <= 0) return;

    const long long dx = toFixed(xadv), dy = toFixed(yadv);
    long long cx = toFixed(sx0 + mirrorX), cy = toFixed(sy0 + mirrorY);
    if (!clipAxisToSource(dx, src->getWidth(), &cx, &dstx, &dstw)) return;
    if (!clipAxisToSource(dy, src->getHeight(), &cy, &dsty, &dsth)) return;
    if (!dest->getBits() || !src->getBits()) return;

    const auto limit = [](double start, float size, int bound) {
        return static_cast<int>(std::min<double>(bound, start + std::max(size, 0.0f) + 0.999999));
    };
    const int right = limit(sx0, srcw, src->getWidth()),
              bottom = limit(sy0, srch, src->getHeight());
    if (right <= 0 || bottom <= 0) return;

    const Sampler sampler = samplerOf(src, 0, 0, right, bottom);
    const int w = RAST_AlphaToWeight(alpha);
    const auto nearest = [&](long long x, long long y, RAST_pixel* s) {
        return sampler.nearest(x, y, s);
    };
    if ((mode & (RAST_BLIT_USE_ALPHA | RAST_BLIT_FILTER_MASK | RAST_BLIT_MODE_MASK)) == 0 &&
        (w == 128 || w == 256)) {
        if (w == 256) {
            walk(dest, dstx, dsty, dstw, dsth, cx, cy, dx, 0, 0, dy, nearest,
                 RAST_CombinePixelsClobberFAST);
        } else {
            walk(dest, dstx, dsty, dstw, dsth, cx, cy, dx, 0, 0, dy, nearest,
                 RAST_CombinePixelsHalfMixFAST);
        }
        return;
    }
    rast_detail::withSourceCombine(mode, w, [&](auto op) {
        if (!bilinear) {
            walk(dest, dstx, dsty, dstw, dsth, cx, cy, dx, 0, 0, dy, nearest, op);
        } else if (xadv < 1.7 || yadv < 1.7) {
            walk(
                dest, dstx, dsty, dstw, dsth, cx, cy, dx, 0, 0, dy,
                [&](long long x, long long y, RAST_pixel* s) { return sampler.bilinear(x, y, s); },
                op);
        } else {
            const ReductionKernel kernel(dx, dy);
            walk(
                dest, dstx, dsty, dstw, dsth, cx, cy, dx, 0, 0, dy,
                [&](long long x, long long y, RAST_pixel* s) {
                    return kernel.sample(sampler, x, y, s);
                },
                op);
        }
    });
}

void RAST_RotatedBlit(RAST_IBitmap* dest, RAST_IBitmap* src, int dstx, int dsty, int dstw, int dsth,
                      float srcx_, float srcy_, float srcw_, float srch_, float angle,
                      bool cliptosourcerect, float alpha, int mode, float rotxcent,
                      float rotycent) {
    if (!dest || !src || !dstw || !dsth) return;
    double srcx = srcx_, srcy = srcy_, srcw = srcw_, srch = srch_;
    for (double v : {srcx, srcy, srcw, srch, static_cast<double>(angle),
                     static_cast<double>(rotxcent), static_cast<double>(rotycent)}) {
        if (!std::isfinite(v)) return;
    }
    double left = 0, top = 0, right = src->getWidth(), bottom = src->getHeight();
    if (cliptosourcerect) {
        if (srcx > 0) left = srcx;
        if (srcy > 0) top = srcy;
        right = std::min(right, srcx + srcw);
        bottom = std::min(bottom, srcy + srch);
    }
    srcx += mirrorAxis(&dstx, &dstw, &srcx, &srcw);
    srcy += mirrorAxis(&dsty, &dsth, &srcy, &srch);

    const double c = std::cos(angle), s = std::sin(angle);
    const double dsdx = srcw / dstw * c, dsdy = srcw / dstw * s;
    const double dtdx = srch / dsth * -s, dtdy = srch / dsth * c;
    srcx -= (dstw * dsdx + dsth * dsdy - srcw) * 0.5 - rotxcent;
    srcy -= (dsth * dtdy + dstw * dtdx - srch) * 0.5 - rotycent;
    if (dstx < 0) srcx -= dstx * dsdx, srcy -= dstx * dtdx, dstw += dstx, dstx = 0;
    if (dsty < 0) srcy -= dsty * dtdy, srcx -= dsty * dsdy, dsth += dsty, dsty = 0;
    dstw = std::min(dstw, dest->getWidth() - dstx);
    dsth = std::min(dsth, dest->getHeight() - dsty);
    if (dstw <= 0 || dsth <= 0 || !dest->getBits() || !src->getBits()) return;

    const auto toLimit = [](double v) { return static_cast<int>(std::clamp(v, -1e9, 1e9)); };
    const Sampler sampler =
        samplerOf(src, toLimit(left), toLimit(top), toLimit(right), toLimit(bottom));
    const long long cx = toFixed(srcx), cy = toFixed(srcy);
    const long long sdx = toFixed(dsdx), sdy = toFixed(dsdy), tdx = toFixed(dtdx),
                    tdy = toFixed(dtdy);
    rast_detail::withSourceCombine(mode, RAST_AlphaToWeight(alpha), [&](auto op) {
        if (isBilinear(mode)) {
            walk(
                dest, dstx, dsty, dstw, dsth, cx, cy, sdx, tdx, sdy, tdy,
                [&](long long x, long long y, RAST_pixel* p) { return sampler.bilinear(x, y, p); },
                op);
        } else {
            walk(
                dest, dstx, dsty, dstw, dsth, cx, cy, sdx, tdx, sdy, tdy,
                [&](long long x, long long y, RAST_pixel* p) { return sampler.nearest(x, y, p); },
                op);
        }
    });
}
