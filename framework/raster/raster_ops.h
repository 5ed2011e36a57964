#pragma once
// Chooses the blend once per call and hands the drawing loop a small function object, so that the
// per-pixel loop calls one inlined combine. Internal to the raster library.

#include "raster/raster_bitmap.h"
#include "raster/raster_combine.h"

namespace rast_detail {

// A colour blend op(p): combines the fixed channels (r, g, b, a) into *p with weight w.
// Calls body(op) for combine modes 0-5 and returns whether anything was chosen.
template <class Body>
bool withColorCombine(int combine, int w, int r, int g, int b, int a, bool halfMixAt128,
                      Body&& body) {
    if (w == 0) return false;
    switch (combine) {
    case RAST_BLIT_MODE_COPY:
        if (w == 256) {
            const RAST_pixel c = RAST_RGBA(r, g, b, a);
            body([c](RAST_pixel* p) { *p = c; });
        } else if (w == 128 && halfMixAt128) {
            body([=](RAST_pixel* p) { RAST_CombinePixelsHalfMixNoClamp(p, r, g, b, a, w); });
        } else if (w > 0) {
            body([=](RAST_pixel* p) { RAST_CombinePixelsCopyNoClamp(p, r, g, b, a, w); });
        } else {
            return false;
        }
        return true;
    case RAST_BLIT_MODE_ADD:
        body([=](RAST_pixel* p) { RAST_CombinePixelsAdd(p, r, g, b, a, w); });
        return true;
    case RAST_BLIT_MODE_DODGE:
        body([=](RAST_pixel* p) { RAST_CombinePixelsColorDodge(p, r, g, b, a, w); });
        return true;
    case RAST_BLIT_MODE_MUL:
        body([=](RAST_pixel* p) { RAST_CombinePixelsMulNoClamp(p, r, g, b, a, w); });
        return true;
    case RAST_BLIT_MODE_OVERLAY:
        body([=](RAST_pixel* p) { RAST_CombinePixelsOverlay(p, r, g, b, a, w); });
        return true;
    case RAST_BLIT_MODE_HSVADJ:
        body([=](RAST_pixel* p) { RAST_CombinePixelsHSVAdjust(p, r, g, b, a, w); });
        return true;
    default:
        return false;
    }
}

// The word-wise copies of a colour at exact weights 256, 128, 64 and 192. Calls body(op) and
// returns true when w is one of them.
template <class Body> bool withFastColorCopy(int w, RAST_pixel color, Body&& body) {
    switch (w) {
    case 256:
        body([color](RAST_pixel* p) { *p = color; });
        return true;
    case 128: {
        const RAST_pixel s = RAST_HalfShift(color);
        body([s](RAST_pixel* p) { RAST_CombinePixelsHalfMix2FAST(p, s); });
        return true;
    }
    case 64: {
        const RAST_pixel s = RAST_QuarterShift(color);
        body([s](RAST_pixel* p) { RAST_CombinePixelsQuarterMix2FAST(p, s); });
        return true;
    }
    case 192: {
        const RAST_pixel s = RAST_ThreeQuarterShift(color);
        body([s](RAST_pixel* p) { RAST_CombinePixelsThreeQuarterMix2FAST(p, s); });
        return true;
    }
    default:
        return false;
    }
}

// A colour blend with a per-pixel weight, for antialiased pixels. Copy uses the copy formula at
// every weight and leaves pixels of weight 0 or less alone; the other modes skip only weight 0.
struct WeightedPen {
    void (*combine)(RAST_pixel*, int, int, int, int, int) = nullptr;
    int r = 0, g = 0, b = 0, a = 0;
    bool positiveOnly = false;
    void operator()(RAST_pixel* p, int w) const {
        if (w > 0 || (w < 0 && !positiveOnly)) combine(p, r, g, b, a, w);
    }
};

inline bool makeWeightedPen(int combine, RAST_pixel color, WeightedPen* pen) {
    static constexpr void (*table[])(RAST_pixel*, int, int, int, int, int) = {
        RAST_CombinePixelsCopyNoClamp, RAST_CombinePixelsAdd,     RAST_CombinePixelsColorDodge,
        RAST_CombinePixelsMulNoClamp,  RAST_CombinePixelsOverlay, RAST_CombinePixelsHSVAdjust};
    if (combine < 0 || combine > RAST_BLIT_MODE_HSVADJ) return false;
    pen->combine = table[combine];
    pen->r = RAST_GETR(color), pen->g = RAST_GETG(color), pen->b = RAST_GETB(color);
    pen->a = RAST_GETA(color);
    pen->positiveOnly = combine == RAST_BLIT_MODE_COPY;
    return true;
}

// A colour pen for the vector primitives: calls body(full, weighted, w) with the full-weight
// blend of runs (word-wise at the exact copy weights when fastRuns), the weighted blend of
// antialiased pixels and the weight. Returns false (nothing to draw) for weight 0 or a combine
// mode that draws nothing.
template <class Body>
bool withColorPen(RAST_pixel color, float alpha, int mode, bool fastRuns, bool halfMixAt128,
                  Body&& body) {
    const int w = RAST_AlphaToWeight(alpha);
    const int combine = mode & RAST_BLIT_MODE_MASK;
    WeightedPen weighted;
    if (w == 0 || !makeWeightedPen(combine, color, &weighted)) return false;
    const auto withFull = [&](auto full) { body(full, weighted, w); };
    if (combine == RAST_BLIT_MODE_COPY && fastRuns && withFastColorCopy(w, color, withFull)) {
        return true;
    }
    return withColorCombine(combine, w, weighted.r, weighted.g, weighted.b, weighted.a,
                            halfMixAt128, withFull);
}

// A source blend op(p, s, r, g, b, a) for mode & 0x100FF, with weight w.
template <class Fn> struct SourceOp {
    Fn fn;
    int w;
    void operator()(RAST_pixel* p, int r, int g, int b, int a) const { fn(p, r, g, b, a, w); }
    void operator()(RAST_pixel* p, RAST_pixel s) const {
        fn(p, static_cast<int>(RAST_GETR(s)), static_cast<int>(RAST_GETG(s)),
           static_cast<int>(RAST_GETB(s)), static_cast<int>(RAST_GETA(s)), w);
    }
};
template <class Fn> SourceOp<Fn> sourceOp(Fn fn, int w) {
    return SourceOp<Fn>{fn, w};
}

// Wraps a combine function in its own lambda type so that each choice is inlined in the loop.
#define KV_INLINE_COMBINE(fn)                                                                      \
    [](RAST_pixel* p, int r, int g, int b, int a, int w) { fn(p, r, g, b, a, w); }

// Selects the source blend of the blits by mode & 0x100FF; calls body(op) and returns whether a
// blend exists for this mode and weight.
template <class Body> bool withSourceCombine(int mode, int w, Body&& body) {
    if (w == 0) return false;
    switch (mode & (RAST_BLIT_USE_ALPHA | RAST_BLIT_MODE_MASK)) {
    case RAST_BLIT_MODE_COPY:
        if (w == 256) {
            body(sourceOp(KV_INLINE_COMBINE(RAST_CombinePixelsClobberNoClamp), w));
        } else if (w > 0) {
            body(sourceOp(KV_INLINE_COMBINE(RAST_CombinePixelsCopyNoClamp), w));
        } else {
            return false;
        }
        return true;
    case RAST_BLIT_MODE_ADD:
        body(sourceOp(KV_INLINE_COMBINE(RAST_CombinePixelsAdd), w));
        return true;
    case RAST_BLIT_MODE_DODGE:
        body(sourceOp(KV_INLINE_COMBINE(RAST_CombinePixelsColorDodge), w));
        return true;
    case RAST_BLIT_MODE_MUL:
        body(sourceOp(KV_INLINE_COMBINE(RAST_CombinePixelsMulNoClamp), w));
        return true;
    case RAST_BLIT_MODE_OVERLAY:
        body(sourceOp(KV_INLINE_COMBINE(RAST_CombinePixelsOverlay), w));
        return true;
    case RAST_BLIT_MODE_HSVADJ:
        body(sourceOp(KV_INLINE_COMBINE(RAST_CombinePixelsHSVAdjust), w));
        return true;
    case RAST_BLIT_USE_ALPHA:
        if (w == 256) {
            body(sourceOp(
                KV_INLINE_COMBINE(RAST_CombinePixelsCopySourceAlphaIgnoreAlphaParmNoClamp), w));
        } else {
            body(sourceOp(KV_INLINE_COMBINE(RAST_CombinePixelsCopySourceAlphaNoClamp), w));
        }
        return true;
    case RAST_BLIT_USE_ALPHA | RAST_BLIT_MODE_ADD:
        body(sourceOp(KV_INLINE_COMBINE(RAST_CombinePixelsAddSourceAlpha), w));
        return true;
    case RAST_BLIT_USE_ALPHA | RAST_BLIT_MODE_DODGE:
        body(sourceOp(KV_INLINE_COMBINE(RAST_CombinePixelsColorDodgeSourceAlpha), w));
        return true;
    case RAST_BLIT_USE_ALPHA | RAST_BLIT_MODE_MUL:
        body(sourceOp(KV_INLINE_COMBINE(RAST_CombinePixelsMulSourceAlphaNoClamp), w));
        return true;
    case RAST_BLIT_USE_ALPHA | RAST_BLIT_MODE_OVERLAY:
        body(sourceOp(KV_INLINE_COMBINE(RAST_CombinePixelsOverlaySourceAlpha), w));
        return true;
    case RAST_BLIT_USE_ALPHA | RAST_BLIT_MODE_HSVADJ:
        body(sourceOp(KV_INLINE_COMBINE(RAST_CombinePixelsHSVAdjustSourceAlpha), w));
        return true;
    default:
        return false;
    }
}

#undef KV_INLINE_COMBINE

// Row access honouring isFlipped(): the address of row y and the step to the row below.
inline RAST_pixel* rowPointer(RAST_IBitmap* bm, int y) {
    const int row = bm->isFlipped() ? bm->getHeight() - 1 - y : y;
    return bm->getBits() + static_cast<std::ptrdiff_t>(row) * bm->getRowSpan();
}
inline std::ptrdiff_t rowStep(RAST_IBitmap* bm) {
    return bm->isFlipped() ? -static_cast<std::ptrdiff_t>(bm->getRowSpan()) : bm->getRowSpan();
}

} // namespace rast_detail
