// Lines, circles, arcs, rounded rectangles and polygons.

#include "raster/raster_combine.h"
#include "raster/raster_draw.h"
#include "raster_test_util.h"

#include <cmath>
#include <set>
#include <utility>

namespace {

constexpr RAST_pixel kInk = 0xFF00FFFF; // alpha 255, red 255, green 0, blue 255
constexpr float kPi = 3.14159265f;

using PixelSet = std::set<std::pair<int, int>>;

PixelSet inked(RAST_IBitmap* bm, RAST_pixel background = 0) {
    PixelSet s;
    for (int y = 0; y < bm->getHeight(); ++y) {
        for (int x = 0; x < bm->getWidth(); ++x) {
            if (RAST_GetPixel(bm, x, y) != background) s.insert({x, y});
        }
    }
    return s;
}

struct Canvas {
    RAST_MemBitmap bm;
    explicit Canvas(int w = 40, int h = 40) : bm(w, h) { fillWith(&bm, 0); }
};

} // namespace

TEST(Line, HorizontalRunSetsEveryPixelIncludingBothEnds) {
    Canvas c;
    RAST_Line(&c.bm, 0, 0, 10, 0, kInk, 1.0f, 0, false);
    EXPECT_EQ(countPixels(&c.bm, kInk), 11);
    EXPECT_EQ(RAST_GetPixel(&c.bm, 10, 0), kInk);
}

TEST(Line, SegmentsAreClippedToTheBitmap) {
    Canvas c(10, 10);
    RAST_Line(&c.bm, -5, 5, 5, 5, kInk, 1.0f, 0, false);
    EXPECT_EQ(inked(&c.bm), (PixelSet{{0, 5}, {1, 5}, {2, 5}, {3, 5}, {4, 5}, {5, 5}}));
    fillWith(&c.bm, 0);
    RAST_Line(&c.bm, -20, -30, 40, 50, kInk, 1.0f, 0, true);
    RAST_Line(&c.bm, 50, -3, -7, 30, kInk, 1.0f, 0, false);
    for (const auto& [x, y] : inked(&c.bm)) {
        EXPECT_TRUE(x >= 0 && x < 10 && y >= 0 && y < 10);
    }
    EXPECT_FALSE(inked(&c.bm).empty());
    fillWith(&c.bm, 0);
    RAST_Line(&c.bm, -5, -5, -1, 20, kInk, 1.0f, 0, false); // entirely left of the bitmap
    EXPECT_TRUE(inked(&c.bm).empty());
}

TEST(Line, ShallowLineWalksFromBothEnds) {
    Canvas c;
    RAST_Line(&c.bm, 0, 0, 4, 1, kInk, 1.0f, 0, false);
    EXPECT_EQ(inked(&c.bm), (PixelSet{{0, 0}, {1, 0}, {2, 1}, {3, 1}, {4, 1}}));
}

TEST(Line, AntialiasedLineHitsBothEndsAtFullWeight) {
    Canvas c;
    RAST_Line(&c.bm, 2, 3, 30, 12, kInk, 1.0f, 0, true);
    EXPECT_EQ(RAST_GetPixel(&c.bm, 2, 3), kInk);
    EXPECT_EQ(RAST_GetPixel(&c.bm, 30, 12), kInk);
    // Inner columns hold a pair of partial pixels.
    int partial = 0;
    for (int y = 0; y < 40; ++y) {
        const RAST_pixel p = RAST_GetPixel(&c.bm, 16, y);
        if (p != 0 && p != kInk) ++partial;
    }
    EXPECT_GE(partial, 1);
    EXPECT_LE(partial, 2);
}

TEST(Line, SteepLineHasOnePixelPerRow) {
    Canvas c;
    RAST_Line(&c.bm, 5, 1, 9, 30, kInk, 1.0f, 0, false);
    for (int y = 1; y <= 30; ++y) {
        int n = 0;
        for (int x = 0; x < 40; ++x)
            n += RAST_GetPixel(&c.bm, x, y) == kInk;
        EXPECT_EQ(n, 1) << "row " << y;
    }
    EXPECT_EQ(RAST_GetPixel(&c.bm, 5, 1), kInk);
    EXPECT_EQ(RAST_GetPixel(&c.bm, 9, 30), kInk);
}

TEST(Line, AntialiasedDiagonalMixesThreeQuartersAndQuarters) {
    Canvas c;
    const RAST_pixel white = 0xFFFFFFFF;
    RAST_Line(&c.bm, 1, 1, 4, 4, white, 1.0f, 0, true);
    EXPECT_EQ(RAST_GetPixel(&c.bm, 2, 2), RAST_ThreeQuarterShift(white));
    EXPECT_EQ(RAST_GetPixel(&c.bm, 4, 4), RAST_ThreeQuarterShift(white));
    EXPECT_EQ(RAST_GetPixel(&c.bm, 3, 2), RAST_QuarterShift(white));
    EXPECT_EQ(RAST_GetPixel(&c.bm, 2, 3), RAST_QuarterShift(white));
    EXPECT_EQ(RAST_GetPixel(&c.bm, 5, 4), 0u); // nothing beside the last pixel
}

TEST(Line, HalfWeightLineUsesTheWordMix) {
    Canvas c;
    RAST_Line(&c.bm, 0, 0, 0, 5, 0xFFFFFFFF, 0.5f, 0, false);
    EXPECT_EQ(RAST_GetPixel(&c.bm, 0, 3), 0x7F7F7F7Fu);
}

TEST(Rect, OutlineCoversTheFourEdgesInclusive) {
    Canvas c;
    RAST_DrawRect(&c.bm, 2, 3, 5, 4, kInk, 1.0f, 0);
    EXPECT_EQ(countPixels(&c.bm, kInk), 2 * 6 + 2 * 3);
    EXPECT_EQ(RAST_GetPixel(&c.bm, 7, 7), kInk);
    EXPECT_EQ(RAST_GetPixel(&c.bm, 4, 5), 0u);
}

TEST(Circle, SmallRadiusUsesTheFixedMaskLargerRadiusTheWalk) {
    Canvas c;
    RAST_Circle(&c.bm, 10, 10, 2.0f, kInk, 1.0f, 0, false);
    for (const auto& [x, y] : inked(&c.bm)) {
        EXPECT_TRUE(x >= 8 && x <= 12 && y >= 8 && y <= 12); // the 5 x 5 mask at (8, 8)
    }
    EXPECT_FALSE(inked(&c.bm).empty());
    fillWith(&c.bm, 0);
    RAST_Circle(&c.bm, 20, 20, 10.0f, kInk, 1.0f, 0, false);
    EXPECT_EQ(RAST_GetPixel(&c.bm, 20, 10), kInk);
    EXPECT_EQ(RAST_GetPixel(&c.bm, 30, 20), kInk);
    EXPECT_EQ(RAST_GetPixel(&c.bm, 20, 20), 0u);
    for (const auto& [x, y] : inked(&c.bm)) {
        const double d = std::hypot(x - 20, y - 20);
        EXPECT_NEAR(d, 10.0, 0.8);
    }
}

TEST(Circle, AntialiasedOutlineStaysNearTheRadius) {
    Canvas c;
    RAST_Circle(&c.bm, 20, 20, 9.5f, kInk, 1.0f, 0, true);
    const PixelSet s = inked(&c.bm);
    EXPECT_GT(s.size(), 40u);
    for (const auto& [x, y] : s)
        EXPECT_NEAR(std::hypot(x - 20, y - 20), 9.5, 1.6);
}

TEST(Circle, NegativeRadiusOrZeroWeightDrawNothing) {
    Canvas c;
    RAST_Circle(&c.bm, 20, 20, -3.0f, kInk, 1.0f, 0, false);
    RAST_Circle(&c.bm, 20, 20, 8.0f, kInk, 0.0f, 0, true);
    RAST_FillCircle(&c.bm, 20, 20, 8.0f, kInk, 0.0f, 0, false);
    EXPECT_TRUE(inked(&c.bm).empty());
}

TEST(FillCircle, CoversTheDiscOnceWithoutDoubleBlending) {
    Canvas c;
    RAST_FillCircle(&c.bm, 20, 20, 8.0f, 0xFFFFFFFF, 0.5f, RAST_BLIT_MODE_ADD, false);
    // Add at w = 128 of 255 gives 127 once; twice would give 254.
    EXPECT_EQ(countPixels(&c.bm, RAST_RGBA(254, 254, 254, 254)), 0);
    EXPECT_EQ(RAST_GetPixel(&c.bm, 20, 20), RAST_RGBA(127, 127, 127, 127));
    EXPECT_EQ(RAST_GetPixel(&c.bm, 26, 25), RAST_RGBA(127, 127, 127, 127));
    EXPECT_EQ(RAST_GetPixel(&c.bm, 27, 27), 0u);
    const int area = countPixels(&c.bm, RAST_RGBA(127, 127, 127, 127));
    EXPECT_NEAR(area, 3.14159 * 8.5 * 8.5, 25.0);
}

TEST(FillCircle, AntialiasedDiscHasFullInsideAndPartialRim) {
    Canvas c;
    RAST_FillCircle(&c.bm, 20, 20, 7.5f, 0xFFFFFFFF, 1.0f, 0, true);
    EXPECT_EQ(RAST_GetPixel(&c.bm, 20, 20), 0xFFFFFFFFu);
    EXPECT_EQ(RAST_GetPixel(&c.bm, 24, 24), 0xFFFFFFFFu);
    int partial = 0;
    for (const auto& [x, y] : inked(&c.bm))
        partial += RAST_GetPixel(&c.bm, x, y) != 0xFFFFFFFF;
    EXPECT_GT(partial, 8);
}

TEST(Arc, QuarterFromZeroToHalfPiStaysTopRight) {
    Canvas c;
    RAST_Arc(&c.bm, 20, 20, 10.0f, 0.0f, kPi / 2, kInk, 1.0f, 0, false);
    const PixelSet s = inked(&c.bm);
    EXPECT_GT(s.size(), 8u);
    for (const auto& [x, y] : s) {
        EXPECT_GE(x, 20);
        EXPECT_LE(y, 20);
    }
    EXPECT_TRUE(s.count({20, 10}));
    EXPECT_TRUE(s.count({30, 19}));
}

TEST(Arc, FullTurnDrawsTheWholeCircle) {
    Canvas a, b;
    RAST_Arc(&a.bm, 20, 20, 10.0f, 0.0f, 2 * kPi + 0.01f, kInk, 1.0f, 0, true);
    RAST_Circle(&b.bm, 20, 20, 10.0f, kInk, 1.0f, 0, true);
    EXPECT_EQ(inked(&a.bm), inked(&b.bm));
    // Four quarter arcs together give the same pixels as the circle.
    Canvas q;
    for (int i = 0; i < 4; ++i)
        RAST_Arc(&q.bm, 20, 20, 10.0f, i * kPi / 2, (i + 1) * kPi / 2, kInk, 1.0f, 0, false);
    Canvas plain;
    RAST_Circle(&plain.bm, 20, 20, 10.0f, kInk, 1.0f, 0, false);
    EXPECT_EQ(inked(&q.bm), inked(&plain.bm));
}

TEST(RoundRect, CornerRadiusOneIsAPlainOutline) {
    Canvas a, b;
    RAST_RoundRect(&a.bm, 3, 4, 20, 10, 1, kInk, 1.0f, 0, false);
    RAST_DrawRect(&b.bm, 3, 4, 20, 10, kInk, 1.0f, 0);
    EXPECT_EQ(inked(&a.bm), inked(&b.bm));
}

TEST(RoundRect, RoundedCornersLeaveTheCornerPixelEmpty) {
    Canvas c;
    RAST_RoundRect(&c.bm, 5, 5, 20, 16, 5, kInk, 1.0f, 0, false);
    EXPECT_EQ(RAST_GetPixel(&c.bm, 5, 5), 0u);
    EXPECT_EQ(RAST_GetPixel(&c.bm, 15, 5), kInk);
    EXPECT_EQ(RAST_GetPixel(&c.bm, 5, 13), kInk);
    for (const auto& [x, y] : inked(&c.bm)) {
        EXPECT_TRUE(x >= 5 && x <= 25 && y >= 5 && y <= 21);
    }
}

TEST(Polygon, FewerThanThreePointsDrawNothing) {
    Canvas c;
    const int xs[] = {1, 20}, ys[] = {1, 20};
    RAST_FillConvexPolygon(&c.bm, xs, ys, 2, kInk, 1.0f, 0);
    EXPECT_TRUE(inked(&c.bm).empty());
}

TEST(Polygon, SquareInAnyVertexOrderIsFilledExactly) {
    Canvas c;
    const int xs[] = {15, 5, 15, 5}, ys[] = {5, 15, 15, 5};
    RAST_FillConvexPolygon(&c.bm, xs, ys, 4, kInk, 1.0f, 0);
    EXPECT_EQ(countPixels(&c.bm, kInk), 11 * 11);
    EXPECT_EQ(RAST_GetPixel(&c.bm, 5, 5), kInk);
    EXPECT_EQ(RAST_GetPixel(&c.bm, 15, 15), kInk);
}

TEST(Polygon, TriangleHasNoGapsAndNoRowBlendedTwice) {
    Canvas c;
    RAST_FillTriangle(&c.bm, 20, 2, 35, 30, 3, 18, 0xFFFFFFFF, 0.25f, RAST_BLIT_MODE_ADD);
    const RAST_pixel once = RAST_RGBA(63, 63, 63, 63);
    EXPECT_EQ(countNot(&c.bm, 0), countPixels(&c.bm, once));
    for (int y = 2; y <= 30; ++y) {
        int first = -1, last = -1, n = 0;
        for (int x = 0; x < 40; ++x) {
            if (RAST_GetPixel(&c.bm, x, y) == once) {
                if (first < 0) first = x;
                last = x, ++n;
            }
        }
        EXPECT_GT(n, 0) << "row " << y;
        EXPECT_EQ(n, last - first + 1) << "row " << y; // one solid span
    }
    EXPECT_EQ(RAST_GetPixel(&c.bm, 20, 2), once);
    EXPECT_EQ(RAST_GetPixel(&c.bm, 3, 18), once);
}

TEST(Polygon, FlatPolygonFillsOneRowAndOffscreenOnesNothing) {
    Canvas c;
    const int xs[] = {8, 2, 12}, ys[] = {6, 6, 6};
    RAST_FillConvexPolygon(&c.bm, xs, ys, 3, kInk, 1.0f, 0);
    EXPECT_EQ(inked(&c.bm).size(), 11u);
    fillWith(&c.bm, 0);
    const int fx[] = {-100, -50, -70}, fy[] = {-10, 100, 300};
    RAST_FillConvexPolygon(&c.bm, fx, fy, 3, kInk, 1.0f, 0);
    EXPECT_TRUE(inked(&c.bm).empty());
}
