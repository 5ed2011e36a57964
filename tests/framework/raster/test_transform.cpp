// Scaled and rotated blits.

#include "raster/raster_draw.h"
#include "raster/raster_transform.h"
#include "raster_test_util.h"

#include <cstdlib>

namespace {

constexpr float kPi = 3.14159265358979f;

bool samePixels(RAST_IBitmap* a, int ax, int ay, RAST_IBitmap* b, int bx, int by, int w, int h) {
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            if (RAST_GetPixel(a, ax + x, ay + y) != RAST_GetPixel(b, bx + x, by + y)) return false;
        }
    }
    return true;
}

int channelDistance(RAST_pixel a, RAST_pixel b) {
    int d = 0;
    for (int s = 0; s < 32; s += 8)
        d = std::max(d, std::abs(int((a >> s) & 255) - int((b >> s) & 255)));
    return d;
}

} // namespace

TEST(ScaledBlit, EqualSizesWithoutFilterBecomeAPlainBlitFromTheRoundedColumn) {
    RAST_MemBitmap src(8, 4), dest(4, 4);
    fillPattern(&src);
    fillWith(&dest, 0);
    RAST_ScaledBlit(&dest, &src, 0, 0, 4, 4, 2.4f, 0.0f, 4.0f, 4.0f, 1.0f, 0);
    EXPECT_TRUE(samePixels(&dest, 0, 0, &src, 2, 0, 4, 4));
}

TEST(ScaledBlit, BilinearWithAFractionalOffsetInterpolates) {
    RAST_MemBitmap src(8, 1), dest(4, 1);
    for (int x = 0; x < 8; ++x)
        RAST_PutPixel(&src, x, 0, RAST_RGBA(x * 20, 0, 0, 255), 1.0f, 0);
    fillWith(&dest, 0);
    RAST_ScaledBlit(&dest, &src, 0, 0, 4, 1, 2.5f, 0.0f, 4.0f, 1.0f, 1.0f,
                    RAST_BLIT_FILTER_BILINEAR);
    // Position 2.5 lies halfway between 40 and 60.
    EXPECT_NEAR(RAST_GETR(RAST_GetPixel(&dest, 0, 0)), 50, 1);
    EXPECT_NEAR(RAST_GETR(RAST_GetPixel(&dest, 1, 0)), 70, 1);
}

TEST(ScaledBlit, NegativeWidthMirrorsLeftToRight) {
    RAST_MemBitmap src(6, 3), dest(6, 3);
    fillPattern(&src);
    fillWith(&dest, 0);
    RAST_ScaledBlit(&dest, &src, 6, 0, -6, 3, 0, 0, 6, 3, 1.0f, 0);
    for (int y = 0; y < 3; ++y) {
        for (int x = 0; x < 6; ++x)
            EXPECT_EQ(RAST_GetPixel(&dest, x, y), RAST_GetPixel(&src, 5 - x, y));
    }
}

TEST(ScaledBlit, NearestUpscaleRepeatsPixels) {
    RAST_MemBitmap src(2, 2), dest(4, 4);
    fillPattern(&src);
    RAST_ScaledBlit(&dest, &src, 0, 0, 4, 4, 0, 0, 2, 2, 1.0f, 0);
    EXPECT_EQ(RAST_GetPixel(&dest, 1, 1), RAST_GetPixel(&src, 0, 0));
    EXPECT_EQ(RAST_GetPixel(&dest, 3, 2), RAST_GetPixel(&src, 1, 1));
}

TEST(ScaledBlit, BilinearUpscaleEdgesInterpolateAlongOneAxisOnly) {
    RAST_MemBitmap src(2, 2), dest(4, 4);
    RAST_PutPixel(&src, 0, 0, RAST_RGBA(0, 0, 0, 255), 1.0f, 0);
    RAST_PutPixel(&src, 1, 0, RAST_RGBA(100, 0, 0, 255), 1.0f, 0);
    RAST_PutPixel(&src, 0, 1, RAST_RGBA(0, 100, 0, 255), 1.0f, 0);
    RAST_PutPixel(&src, 1, 1, RAST_RGBA(200, 200, 0, 255), 1.0f, 0);
    fillWith(&dest, 0);
    RAST_ScaledBlit(&dest, &src, 0, 0, 4, 4, 0, 0, 2, 2, 1.0f, RAST_BLIT_FILTER_BILINEAR);
    // Last column: between (1, 0) and (1, 1) at y = 0.5.
    EXPECT_EQ(RAST_GetPixel(&dest, 3, 1), RAST_RGBA(150, 100, 0, 255));
    // Last row: between (0, 1) and (1, 1) at x = 0.5.
    EXPECT_EQ(RAST_GetPixel(&dest, 1, 3), RAST_RGBA(100, 150, 0, 255));
    EXPECT_EQ(RAST_GetPixel(&dest, 3, 3), RAST_RGBA(200, 200, 0, 255));
    // Inside: all four at (0.5, 0.5).
    EXPECT_EQ(RAST_GetPixel(&dest, 1, 1), RAST_RGBA(75, 75, 0, 255));
}

TEST(ScaledBlit, StrongBilinearReductionAveragesTheNeighbourhood) {
    RAST_MemBitmap src(8, 8), dest(4, 4);
    fillWith(&src, RAST_RGBA(0, 0, 0, 255));
    RAST_PutPixel(&src, 2, 2, RAST_RGBA(90, 0, 0, 255), 1.0f, 0);
    fillWith(&dest, 0);
    RAST_ScaledBlit(&dest, &src, 0, 0, 4, 4, 0, 0, 8, 8, 1.0f, RAST_BLIT_FILTER_BILINEAR);
    // Destination (1, 1) samples around (2, 2) with a 3 x 3 box: 90 / 9.
    EXPECT_EQ(RAST_GETR(RAST_GetPixel(&dest, 1, 1)), 10u);
    RAST_MemBitmap quarter(2, 2);
    RAST_ScaledBlit(&quarter, &src, 0, 0, 2, 2, 0, 0, 8, 8, 1.0f, RAST_BLIT_FILTER_BILINEAR);
    // Reducing by 4: a 5 x 5 box around (0, 0) keeps the 3 x 3 inside part: 90 / 9.
    EXPECT_EQ(RAST_GETR(RAST_GetPixel(&quarter, 0, 0)), 10u);
}

TEST(ScaledBlit, HalfAlphaUsesThePerChannelFormula) {
    RAST_MemBitmap src(2, 2), dest(4, 4);
    fillWith(&src, 0x01010101);
    fillWith(&dest, 0);
    RAST_ScaledBlit(&dest, &src, 0, 0, 4, 4, 0, 0, 2, 2, 0.5f, RAST_BLIT_FILTER_BILINEAR);
    EXPECT_EQ(RAST_GetPixel(&dest, 2, 2), 0x01010101u); // 1 + (0 - 1) * 128 / 256 = 1
}

TEST(ScaledBlit, DestinationOutsideDrawsNothing) {
    RAST_MemBitmap src(4, 4), dest(4, 4);
    fillPattern(&src);
    fillWith(&dest, 0);
    RAST_ScaledBlit(&dest, &src, 10, 0, 8, 8, 0, 0, 4, 4, 1.0f, 0);
    RAST_ScaledBlit(&dest, &src, -20, 0, 8, 8, 0, 0, 4, 4, 1.0f, 0);
    RAST_ScaledBlit(&dest, &src, 0, 0, 8, 8, 100, 0, 4, 4, 1.0f, 0);
    EXPECT_EQ(countPixels(&dest, 0), 16);
}

TEST(RotatedBlit, ZeroAngleCopiesTheSourceBitForBit) {
    RAST_MemBitmap src(9, 7), dest(9, 7);
    fillPattern(&src);
    fillWith(&dest, 0);
    RAST_RotatedBlit(&dest, &src, 0, 0, 9, 7, 0, 0, 9, 7, 0.0f, false, 1.0f, 0, 0.0f, 0.0f);
    EXPECT_TRUE(samePixels(&dest, 0, 0, &src, 0, 0, 9, 7));
}

TEST(RotatedBlit, CentreOffsetMovesThePictureLeft) {
    RAST_MemBitmap src(9, 7), dest(9, 7);
    fillPattern(&src);
    fillWith(&dest, 0);
    RAST_RotatedBlit(&dest, &src, 0, 0, 9, 7, 0, 0, 9, 7, 0.0f, false, 1.0f, 0, 2.0f, 0.0f);
    EXPECT_TRUE(samePixels(&dest, 0, 0, &src, 2, 0, 7, 7));
    EXPECT_EQ(RAST_GetPixel(&dest, 8, 3), 0u);
}

TEST(RotatedBlit, HalfTurnMirrorsBothAxes) {
    RAST_MemBitmap src(9, 7), dest(9, 7);
    fillPattern(&src);
    fillWith(&dest, 0);
    // The offset of -1 centres the turn on pixel centres.
    RAST_RotatedBlit(&dest, &src, 0, 0, 9, 7, 0, 0, 9, 7, kPi, false, 1.0f,
                     RAST_BLIT_FILTER_BILINEAR, -1.0f, -1.0f);
    for (int y = 0; y < 7; ++y) {
        for (int x = 0; x < 9; ++x) {
            EXPECT_LE(
                channelDistance(RAST_GetPixel(&dest, x, y), RAST_GetPixel(&src, 8 - x, 6 - y)), 1)
                << x << "," << y;
        }
    }
}

TEST(RotatedBlit, ClipToSourceRectangleSkipsOutsideSamples) {
    RAST_MemBitmap src(8, 8), dest(4, 4);
    fillWith(&src, 0xFFFFFFFF);
    fillWith(&dest, 0);
    RAST_RotatedBlit(&dest, &src, 0, 0, 4, 4, 2, 2, 4, 4, 0.0f, true, 1.0f, 0, 1.0f, 0.0f);
    EXPECT_EQ(countPixels(&dest, 0xFFFFFFFF), 12); // the last column would sample column 6
    fillWith(&dest, 0);
    RAST_RotatedBlit(&dest, &src, 0, 0, 4, 4, 2, 2, 4, 4, 0.0f, false, 1.0f, 0, 1.0f, 0.0f);
    EXPECT_EQ(countPixels(&dest, 0xFFFFFFFF), 16);
}

TEST(RotatedBlit, QuarterTurnOfAKnobKeepsItsSourceAlphaBlend) {
    RAST_MemBitmap knob(11, 11), dest(11, 11);
    fillWith(&knob, RAST_RGBA(0, 0, 0, 0));
    RAST_Line(&knob, 5, 0, 5, 5, RAST_RGBA(255, 255, 255, 255), 1.0f, 0, false); // pointer up
    fillWith(&dest, RAST_RGBA(10, 10, 10, 255));
    RAST_RotatedBlit(&dest, &knob, 0, 0, 11, 11, 0, 0, 11, 11, kPi / 2, false, 1.0f,
                     RAST_BLIT_USE_ALPHA, 0.0f, 0.0f);
    // A quarter turn clockwise points right; transparent pixels leave the background.
    EXPECT_EQ(RAST_GetPixel(&dest, 9, 5), RAST_RGBA(255, 255, 255, 255));
    EXPECT_EQ(RAST_GetPixel(&dest, 5, 1), RAST_RGBA(10, 10, 10, 255));
}
