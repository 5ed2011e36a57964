#include "raster/raster_canvas.h"
#include "raster/raster_draw.h"
#include "raster/raster_ops.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <vector>

using rast_detail::Canvas;

namespace {

struct Point {
    long long x, y;
};

// The x of the segment a-b at row y, interpolated in single precision and truncated.
long long findXOnSegment(const Point& a, const Point& b, long long y) {
    if (b.y == a.y) return a.x;
    const float t = static_cast<float>(y - a.y) / static_cast<float>(b.y - a.y);
    return a.x + static_cast<long long>(static_cast<float>(b.x - a.x) * t);
}

// Fills rows y1..lastRow of the band from row y1 to row y2, left and right edges interpolated in
// 16.16 fixed point from (xa1, xb1) on row y1 to (xa2, xb2) on row y2.
template <class Full>
void fillBand(const Canvas& cv, long long xa1, long long xb1, long long y1, long long xa2,
              long long xb2, long long y2, long long lastRow, Full full) {
    const long long rows = y2 - y1;
    const long long first = std::max<long long>(y1, cv.clipT);
    const long long last = std::min<long long>(lastRow, cv.clipB - 1);
    for (long long y = first; y <= last; ++y) {
        long long l = xa1, r = xb1;
        if (rows > 0) {
            const long long k = ((y - y1) << 16) / rows; // 16.16 position down the band
            l = xa1 + (((xa2 - xa1) * k) >> 16);
            r = xb1 + (((xb2 - xb1) * k) >> 16);
        }
        if (l > r) std::swap(l, r);
        l = std::max<long long>(l, cv.clipL);
        r = std::min<long long>(r, cv.clipR - 1);
        if (l <= r) cv.hrun(static_cast<int>(y), static_cast<int>(l), static_cast<int>(r), full);
    }
}

struct Span {
    long long left, right;
};

// The edges of a convex point set: its left and right chains from the top vertex to the bottom
// one, split at the line between those two.
std::vector<std::pair<Point, Point>> hullEdges(const std::vector<Point>& sorted) {
    const Point top = sorted.front(), bottom = sorted.back();
    std::vector<Point> left{top}, right{top};
    for (std::size_t i = 1; i + 1 < sorted.size(); ++i) {
        const Point& p = sorted[i];
        const long long cross =
            (bottom.x - top.x) * (p.y - top.y) - (bottom.y - top.y) * (p.x - top.x);
        (cross > 0 ? left : right).push_back(p);
    }
    left.push_back(bottom);
    right.push_back(bottom);
    std::vector<std::pair<Point, Point>> edges;
    for (const auto* chain : {&left, &right}) {
        for (std::size_t i = 0; i + 1 < chain->size(); ++i)
            edges.emplace_back((*chain)[i], (*chain)[i + 1]);
    }
    return edges;
}

// The covered span of row y: the extremes of the edges that cross it.
Span spanAt(const std::vector<std::pair<Point, Point>>& edges, long long y) {
    Span s{LLONG_MAX, LLONG_MIN};
    for (const auto& [a, b] : edges) {
        if (y < std::min(a.y, b.y) || y > std::max(a.y, b.y)) continue;
        if (a.y == b.y) {
            s.left = std::min({s.left, a.x, b.x}), s.right = std::max({s.right, a.x, b.x});
            continue;
        }
        const long long x = findXOnSegment(a, b, y);
        s.left = std::min(s.left, x), s.right = std::max(s.right, x);
    }
    return s;
}

// Cuts the polygon at every vertex row into trapezoids; each band but the last leaves its
// bottom row to the next band, so no row is blended twice.
template <class Full> void fillConvex(const Canvas& cv, std::vector<Point>& pts, Full full) {
    std::sort(pts.begin(), pts.end(),
              [](const Point& a, const Point& b) { return a.y != b.y ? a.y < b.y : a.x < b.x; });
    if (pts.front().y == pts.back().y) {
        const long long y = pts.front().y;
        fillBand(cv, pts.front().x, pts.back().x, y, pts.front().x, pts.back().x, y, y, full);
        return;
    }
    const auto edges = hullEdges(pts);
    std::vector<long long> rows;
    for (const Point& p : pts)
        rows.push_back(p.y);
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    for (std::size_t i = 0; i + 1 < rows.size(); ++i) {
        const long long y1 = rows[i], y2 = rows[i + 1];
        if (y2 < cv.clipT || y1 >= cv.clipB) continue;
        const Span top = spanAt(edges, y1), bottom = spanAt(edges, y2);
        const long long lastRow = i + 2 == rows.size() ? y2 : y2 - 1;
        fillBand(cv, top.left, top.right, y1, bottom.left, bottom.right, y2, lastRow, full);
    }
}

} // namespace

void RAST_FillTrapezoid(RAST_IBitmap* dest, int x1a, int x1b, int y1, int x2a, int x2b, int y2,
                        RAST_pixel color, float alpha, int mode) {
    Canvas cv(dest);
    if (!cv.valid()) return;
    rast_detail::withColorPen(color, alpha, mode, true, false, [&](auto full, auto&, int) {
        fillBand(cv, x1a, x1b, y1, x2a, x2b, y2, y2, full);
    });
}

void RAST_FillTriangle(RAST_IBitmap* dest, int x1, int y1, int x2, int y2, int x3, int y3,
                       RAST_pixel color, float alpha, int mode) {
    const int xs[3] = {x1, x2, x3}, ys[3] = {y1, y2, y3};
    RAST_FillConvexPolygon(dest, xs, ys, 3, color, alpha, mode);
}

void RAST_FillConvexPolygon(RAST_IBitmap* dest, const int* x, const int* y, int npoints,
                            RAST_pixel color, float alpha, int mode) {
    Canvas cv(dest);
    if (!cv.valid() || !x || !y || npoints < 3) return;
    std::vector<Point> pts(static_cast<std::size_t>(npoints));
    for (int i = 0; i < npoints; ++i)
        pts[i] = Point{x[i], y[i]};
    rast_detail::withColorPen(color, alpha, mode, true, false,
                              [&](auto full, auto&, int) { fillConvex(cv, pts, full); });
}
