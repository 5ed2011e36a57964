#include "raster/raster_canvas.h"
#include "raster/raster_draw.h"
#include "raster/raster_ops.h"

#include <array>
#include <cmath>

using rast_detail::Canvas;
using rast_detail::WeightedPen;

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kTwoPi = 2.0 * kPi;

// ---- Fixed masks for the small radii 1.5 to 4 ----

constexpr int kMaxMask = 9;
using Mask = std::array<unsigned char, kMaxMask * kMaxMask>;

// Coverage of a one-pixel-wide ring of radius r centred in a size x size mask, 8 x 8 samples
// per pixel; the plain mask keeps pixels at least half covered.
constexpr Mask makeRingMask(int twiceRadius, bool aa) {
    Mask m{};
    const int size = twiceRadius + 1; // 2r + 1
    const double r = twiceRadius / 2.0, c = r;
    const double inner = (r - 0.5) * (r - 0.5), outer = (r + 0.5) * (r + 0.5);
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            int hits = 0;
            for (int sy = 0; sy < 8; ++sy) {
                for (int sx = 0; sx < 8; ++sx) {
                    const double dx = x - 0.5 + (sx + 0.5) / 8 - c;
                    const double dy = y - 0.5 + (sy + 0.5) / 8 - c;
                    const double d2 = dx * dx + dy * dy;
                    if (d2 >= inner && d2 <= outer) ++hits;
                }
            }
            const int cover = hits * 255 / 64;
            m[y * size + x] = static_cast<unsigned char>(aa ? cover : (cover >= 128 ? 255 : 0));
        }
    }
    return m;
}

struct FixedCircle {
    float radius;
    int size;
    Mask plain, smooth;
};

constexpr FixedCircle makeFixedCircle(int twiceRadius) {
    return FixedCircle{twiceRadius / 2.0f, twiceRadius + 1, makeRingMask(twiceRadius, false),
                       makeRingMask(twiceRadius, true)};
}

constexpr std::array<FixedCircle, 6> kFixedCircles = {makeFixedCircle(3), makeFixedCircle(4),
                                                      makeFixedCircle(5), makeFixedCircle(6),
                                                      makeFixedCircle(7), makeFixedCircle(8)};

const FixedCircle* fixedCircleFor(float r) {
    for (const FixedCircle& f : kFixedCircles) {
        if (f.radius == r) return &f;
    }
    return nullptr;
}

// ---- Circle walks ----

struct CircleGeometry {
    float cx, cy, r;
    int icx, icy;
};

CircleGeometry geometryOf(float cx, float cy, float r) {
    return CircleGeometry{cx, cy, r, static_cast<int>(cx + 0.5f), static_cast<int>(cy + 0.5f)};
}

// Calls plot(dx, dy) for the eight symmetric points of (a, b); the transposed four are left out
// when skipTransposed.
template <class Plot> void eightWays(int a, int b, bool skipTransposed, Plot plot) {
    plot(a, b), plot(-a, b), plot(a, -b), plot(-a, -b);
    if (skipTransposed) return;
    plot(b, a), plot(-b, a), plot(b, -a), plot(-b, -a);
}

// The midpoint walk of the first octant of a circle of radius R: step(x, y) for x = 1, 2, ...
// while x stays below y.
template <class Step> void midpointWalk(int R, Step step) {
    int x = 0, y = R, err = -R;
    for (;;) {
        ++x;
        if (x >= y) break;
        if (err >= 0) {
            --y;
            err += 2 * (x - y) + 1;
        } else {
            err += 2 * x + 1;
        }
        step(x, y);
    }
}

template <class Full> void plainOutline(const Canvas& cv, const CircleGeometry& g, Full full) {
    const auto plot = [&](int dx, int dy) {
        const int x = g.icx + dx, y = g.icy + dy;
        if (cv.inside(x, y)) full(cv.at(x, y));
    };
    const int R = static_cast<int>(g.r + 0.5f);
    plot(0, R), plot(0, -R), plot(R, 0), plot(-R, 0);
    midpointWalk(R, [&](int x, int y) { eightWays(x, y, x == y, plot); });
}

// The antialiased walk: calls ring(y, ix, weightInner, weightOuter, lastStep) per step.
template <class Step> void antialiasedWalk(const CircleGeometry& g, int w, Step step) {
    const double r = g.r, r2 = r * r;
    int limit = static_cast<int>(std::sqrt(r2 - 1.0) + 0.5);
    for (int y = 1; y <= limit; ++y) {
        const double rest = r2 - static_cast<double>(y) * y;
        if (rest < 0) break;
        const double X = std::sqrt(rest);
        const int ix = static_cast<int>(X);
        const int f = static_cast<int>(w * (X - std::floor(X)));
        step(y, ix, w - f, f, y == limit);
        limit = static_cast<int>(X + 0.5);
    }
}

void smoothOutline(const Canvas& cv, const CircleGeometry& g, const WeightedPen& pen, int w) {
    const auto plotW = [&](int dx, int dy, int weight) {
        const int x = g.icx + dx, y = g.icy + dy;
        if (cv.inside(x, y)) pen(cv.at(x, y), weight);
    };
    const int R = static_cast<int>(g.r);
    const int f0 = static_cast<int>(w * (g.r - std::floor(g.r)));
    for (int d : {R, -R})
        plotW(0, d, w - f0), plotW(d, 0, w - f0);
    for (int d : {R + 1, -R - 1})
        plotW(0, d, f0), plotW(d, 0, f0);
    antialiasedWalk(g, w, [&](int y, int ix, int inner, int outer, bool last) {
        eightWays(y, ix, last, [&](int dx, int dy) { plotW(dx, dy, inner); });
        eightWays(y, ix + 1, last, [&](int dx, int dy) { plotW(dx, dy, outer); });
    });
}

// Filled discs: runs of full weight inside, symmetric in both axes.
template <class Full> void discRuns(const Canvas& cv, const CircleGeometry& g, int R, Full full) {
    cv.vrun(g.icx, g.icy - R, g.icy - 1, full);
    cv.vrun(g.icx, g.icy + 1, g.icy + R, full);
    cv.hrun(g.icy, g.icx - R, g.icx + R, full);
}

// Runs for one step: small coordinate s, large coordinate l.
template <class Full>
void octantRuns(const Canvas& cv, const CircleGeometry& g, int s, int l, Full full) {
    for (int sx : {-s, s}) {
        cv.vrun(g.icx + sx, g.icy - l, g.icy - s - 1, full);
        cv.vrun(g.icx + sx, g.icy + s + 1, g.icy + l, full);
    }
    for (int sy : {-s, s}) {
        cv.hrun(g.icy + sy, g.icx - l, g.icx - s, full);
        cv.hrun(g.icy + sy, g.icx + s, g.icx + l, full);
    }
}

template <class Full> void plainDisc(const Canvas& cv, const CircleGeometry& g, Full full) {
    const int R = static_cast<int>(g.r + 0.5f);
    discRuns(cv, g, R, full);
    midpointWalk(R, [&](int x, int y) { octantRuns(cv, g, x, y, full); });
}

template <class Full>
void smoothDisc(const Canvas& cv, const CircleGeometry& g, Full full, const WeightedPen& pen,
                int w) {
    const auto plotW = [&](int dx, int dy, int weight) {
        const int x = g.icx + dx, y = g.icy + dy;
        if (cv.inside(x, y)) pen(cv.at(x, y), weight);
    };
    const int R = static_cast<int>(g.r);
    const int f0 = static_cast<int>(w * (g.r - std::floor(g.r)));
    discRuns(cv, g, R, full);
    for (int d : {R + 1, -R - 1})
        plotW(0, d, f0), plotW(d, 0, f0);
    antialiasedWalk(g, w, [&](int y, int ix, int, int outer, bool last) {
        octantRuns(cv, g, y, ix, full);
        eightWays(y, ix + 1, last, [&](int dx, int dy) { plotW(dx, dy, outer); });
    });
}

bool drawFixedCircle(RAST_IBitmap* dest, const CircleGeometry& g, RAST_pixel color, float alpha,
                     int mode, bool aa) {
    const FixedCircle* fixed = fixedCircleFor(g.r);
    if (!fixed) return false;
    RAST_DrawGlyph(dest, static_cast<int>(g.cx - g.r), static_cast<int>(g.cy - g.r), color, alpha,
                   aa ? fixed->smooth.data() : fixed->plain.data(), fixed->size, fixed->size, mode);
    return true;
}

// One pass of the outline inside the canvas' clip box.
void outlinePass(const Canvas& cv, const CircleGeometry& g, RAST_pixel color, float alpha, int mode,
                 bool aa) {
    rast_detail::withColorPen(color, alpha, mode, false, true,
                              [&](auto full, const WeightedPen& pen, int w) {
                                  if (aa) {
                                      smoothOutline(cv, g, pen, w);
                                  } else {
                                      plainOutline(cv, g, full);
                                  }
                              });
}

bool validCircle(float cx, float cy, float r) {
    return std::isfinite(cx) && std::isfinite(cy) && std::isfinite(r) && r >= 0 && r < 1e7f &&
           std::fabs(cx) < 1e9f && std::fabs(cy) < 1e9f;
}

} // namespace

void RAST_DrawGlyph(RAST_IBitmap* dest, int x, int y, RAST_pixel color, float alpha,
                    const unsigned char* mask, int maskw, int maskh, int mode) {
    Canvas cv(dest);
    if (!cv.valid() || !mask) return;
    WeightedPen pen;
    const int w = RAST_AlphaToWeight(alpha);
    if (w == 0 || !rast_detail::makeWeightedPen(mode & RAST_BLIT_MODE_MASK, color, &pen)) return;
    for (int my = 0; my < maskh; ++my) {
        for (int mx = 0; mx < maskw; ++mx) {
            const int m = mask[my * maskw + mx];
            if (m && cv.inside(x + mx, y + my)) pen(cv.at(x + mx, y + my), m * w / 256);
        }
    }
}

void RAST_Circle(RAST_IBitmap* dest, float cx, float cy, float r, RAST_pixel color, float alpha,
                 int mode, bool aa) {
    Canvas cv(dest);
    if (!cv.valid() || !validCircle(cx, cy, r)) return;
    const CircleGeometry g = geometryOf(cx, cy, r);
    if (drawFixedCircle(dest, g, color, alpha, mode, aa)) return;
    outlinePass(cv, g, color, alpha, mode, aa);
}

void RAST_FillCircle(RAST_IBitmap* dest, float cx, float cy, float r, RAST_pixel color, float alpha,
                     int mode, bool aa) {
    Canvas cv(dest);
    if (!cv.valid() || !validCircle(cx, cy, r)) return;
    const CircleGeometry g = geometryOf(cx, cy, r);
    rast_detail::withColorPen(color, alpha, mode, false, false,
                              [&](auto full, const WeightedPen& pen, int w) {
                                  if (aa) {
                                      smoothDisc(cv, g, full, pen, w);
                                  } else {
                                      plainDisc(cv, g, full);
                                  }
                              });
}

void RAST_Arc(RAST_IBitmap* dest, float cx, float cy, float r, float minAngle, float maxAngle,
              RAST_pixel color, float alpha, int mode, bool aa) {
    Canvas full(dest);
    if (!full.valid() || !validCircle(cx, cy, r)) return;
    if (!std::isfinite(minAngle) || !std::isfinite(maxAngle)) return;
    double lo = std::min(minAngle, maxAngle), hi = std::max(minAngle, maxAngle);
    if (hi - lo >= kTwoPi) {
        RAST_Circle(dest, cx, cy, r, color, alpha, mode, aa);
        return;
    }
    if (hi >= kTwoPi) {
        const double shifted = std::fmod(hi, kTwoPi);
        lo += shifted - hi, hi = shifted;
    }
    if (lo <= -kTwoPi) {
        const double shifted = std::fmod(lo, kTwoPi);
        hi += shifted - lo, lo = shifted;
    }
    if (RAST_AlphaToWeight(alpha) == 0) return;
    lo += kTwoPi, hi += kTwoPi;

    const CircleGeometry g = geometryOf(cx, cy, r);
    const auto pointAt = [&](double a, int* x, int* y) {
        *x = static_cast<int>(cx + r * std::sin(a) + 0.5);
        *y = static_cast<int>(cy - r * std::cos(a) + 0.5);
    };
    // Within one quadrant the circle is monotonic, so the box of a segment's end points holds
    // exactly that segment.
    double a = lo;
    for (int segment = 0; segment < 6 && a < hi; ++segment) {
        const double next = (std::floor(a / (kPi / 2)) + 1) * (kPi / 2);
        const double end = std::min(next, hi);
        int x1, y1, x2, y2;
        pointAt(a, &x1, &y1);
        pointAt(end, &x2, &y2);
        int right = std::max(x1, x2), bottom = std::max(y1, y2);
        if (right != g.icx) ++right;
        if (bottom != g.icy) ++bottom;
        Canvas cv(dest);
        if (cv.narrowClip(std::min(x1, x2), std::min(y1, y2), right, bottom)) {
            outlinePass(cv, g, color, alpha, mode, aa);
        }
        a = next;
    }
}

void RAST_RoundRect(RAST_IBitmap* dest, float x, float y, float w, float h, int cornerradius,
                    RAST_pixel color, float alpha, int mode, bool aa) {
    if (!std::isfinite(x) || !std::isfinite(y) || !std::isfinite(w) || !std::isfinite(h)) return;
    const float c = std::floor(std::min({static_cast<float>(cornerradius), w / 2, h / 2}));
    if (cornerradius <= 0 || c < 2) {
        RAST_DrawRect(dest, static_cast<int>(x), static_cast<int>(y), static_cast<int>(w),
                      static_cast<int>(h), color, alpha, mode);
        return;
    }
    const auto line = [&](float ax, float ay, float bx, float by) {
        RAST_Line(dest, static_cast<int>(ax), static_cast<int>(ay), static_cast<int>(bx),
                  static_cast<int>(by), color, alpha, mode, aa);
    };
    line(x + c, y, x + w - c, y);
    line(x + c - 1, y + h, x + w - c, y + h);
    line(x + w, y + c, x + w, y + h - c);
    line(x, y + c - 1, x, y + h - c);
    const float half = static_cast<float>(kPi / 2);
    RAST_Arc(dest, x + c, y + c, c, -half, 0, color, alpha, mode, aa);
    RAST_Arc(dest, x + w - c, y + c, c, 0, half, color, alpha, mode, aa);
    RAST_Arc(dest, x + w - c, y + h - c, c, half, 2 * half, color, alpha, mode, aa);
    RAST_Arc(dest, x + c, y + h - c, c, 2 * half, 3 * half, color, alpha, mode, aa);
}
