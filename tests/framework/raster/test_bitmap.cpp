// Bitmaps, clipping of the unscaled operations and flipped rows.

#include "raster/raster_blit.h"
#include "raster_test_util.h"

#include <cstdint>

TEST(MemBitmap, RowsAreAlignedAndMemoryGrowsByAQuarter) {
    RAST_MemBitmap bm(100, 100, 4);
    EXPECT_EQ(bm.getRowSpan(), 100);
    EXPECT_EQ(bm.allocatedBytes(), 40000);
    EXPECT_EQ(reinterpret_cast<std::uintptr_t>(bm.getBits()) % 64, 0u);
    EXPECT_TRUE(bm.resize(101, 100));
    EXPECT_EQ(bm.getRowSpan(), 104);
    EXPECT_EQ(bm.allocatedBytes(), 41600 + 10400);
    EXPECT_TRUE(bm.resize(50, 50));
    EXPECT_EQ(bm.allocatedBytes(), 52000);
    EXPECT_FALSE(bm.resize(50, 50));
    EXPECT_EQ(reinterpret_cast<std::uintptr_t>(bm.getBits()) % 64, 0u);
}

TEST(MemBitmap, EmptyAndImpossibleSizesLeaveAZeroBitmap) {
    RAST_MemBitmap bm(8, 8, 1);
    EXPECT_EQ(bm.getRowSpan(), 8);
    EXPECT_TRUE(bm.resize(0, 5));
    EXPECT_EQ(bm.getBits(), nullptr);
    EXPECT_EQ(bm.getWidth(), 0);
    EXPECT_TRUE(bm.resize(1 << 20, 1 << 20));
    EXPECT_EQ(bm.getBits(), nullptr);
    EXPECT_EQ(bm.getWidth(), 0);
    RAST_FillRect(&bm, 0, 0, 10, 10, 0xFFFFFFFF, 1.0f, 0); // draws nothing, no crash
    EXPECT_EQ(RAST_GetPixel(&bm, 0, 0), 0u);
}

TEST(SysBitmap, SmallerSizeKeepsTheContextLargerMakesARoundedOne) {
    RAST_SysBitmap bm(10, 10);
    ASSERT_NE(bm.getDC(), nullptr);
    EXPECT_EQ(bm.getRowSpan(), 12);
    EXPECT_EQ(reinterpret_cast<std::uintptr_t>(bm.getBits()) % 64, 0u);
    EXPECT_EQ(RAST_GetPixel(&bm, 9, 9), 0u); // zero-filled
    HDC first = bm.getDC();
    EXPECT_TRUE(bm.resize(5, 5));
    EXPECT_EQ(bm.getDC(), first);
    EXPECT_EQ(bm.getRowSpan(), 12);
    EXPECT_EQ(bm.getWidth(), 5);
    EXPECT_TRUE(bm.resize(13, 20));
    EXPECT_EQ(bm.getRowSpan(), 16);
    EXPECT_EQ(bm.getHeight(), 20);
    EXPECT_FALSE(bm.resize(0, 0));
    EXPECT_EQ(bm.getBits(), nullptr);
}

TEST(PixelAccess, GetPixelOutsideIsZeroAndPutPixelClips) {
    RAST_MemBitmap bm(4, 3);
    fillWith(&bm, 0x11111111);
    EXPECT_EQ(RAST_GetPixel(&bm, 3, 2), 0x11111111u);
    EXPECT_EQ(RAST_GetPixel(&bm, 4, 0), 0u);
    EXPECT_EQ(RAST_GetPixel(&bm, 0, 3), 0u);
    EXPECT_EQ(RAST_GetPixel(&bm, -1, 0), 0u);
    EXPECT_EQ(RAST_GetPixel(nullptr, 0, 0), 0u);
    RAST_PutPixel(&bm, 4, 0, 0xFF, 1.0f, 0);
    RAST_PutPixel(&bm, -1, 0, 0xFF, 1.0f, 0);
    EXPECT_EQ(countPixels(&bm, 0x11111111), 12);
    RAST_PutPixel(&bm, 2, 1, 0xABCDEF01, 1.0f, 0);
    EXPECT_EQ(RAST_GetPixel(&bm, 2, 1), 0xABCDEF01u);
}

TEST(FillRect, NegativeAndOversizeRectanglesAreClipped) {
    RAST_MemBitmap bm(10, 10);
    fillWith(&bm, 0);
    RAST_FillRect(&bm, -5, -5, 8, 8, 0xFFFFFFFF, 1.0f, 0);
    EXPECT_EQ(countPixels(&bm, 0xFFFFFFFF), 9);
    EXPECT_EQ(RAST_GetPixel(&bm, 2, 2), 0xFFFFFFFFu);
    EXPECT_EQ(RAST_GetPixel(&bm, 3, 2), 0u);
    fillWith(&bm, 0);
    RAST_FillRect(&bm, 8, 7, 1000, 1000, 0xFFFFFFFF, 1.0f, 0);
    EXPECT_EQ(countPixels(&bm, 0xFFFFFFFF), 6);
    RAST_FillRect(&bm, 20, 20, 5, 5, 0x12345678, 1.0f, 0);
    RAST_FillRect(&bm, 0, 0, -5, 5, 0x12345678, 1.0f, 0);
    EXPECT_EQ(countPixels(&bm, 0x12345678), 0);
}

TEST(FillRect, SourceAlphaFlagScalesByTheColoursAlpha) {
    // Alpha 1.0 x 128 / 255 gives w = 128: the half word mix.
    RAST_MemBitmap bm(1, 1);
    *bm.getBits() = 0;
    const RAST_pixel c = RAST_RGBA(200, 200, 200, 128);
    RAST_FillRect(&bm, 0, 0, 1, 1, c, 1.0f, RAST_BLIT_USE_ALPHA);
    EXPECT_EQ(*bm.getBits(), (c >> 1) & 0x7F7F7F7Fu);
}

TEST(ClearRect, MasksAndSetsBitsInsideTheClippedRectangle) {
    RAST_MemBitmap bm(4, 4);
    fillWith(&bm, 0xAABBCCDD);
    RAST_ClearRect(&bm, 2, 2, 10, 10, 0xFFFFFF00, 0x00000001);
    EXPECT_EQ(RAST_GetPixel(&bm, 3, 3), 0xAABBCC01u);
    EXPECT_EQ(RAST_GetPixel(&bm, 1, 3), 0xAABBCCDDu);
    EXPECT_EQ(countPixels(&bm, 0xAABBCC01), 4);
}

TEST(Blit, NegativeDestinationClipsBothRectanglesConsistently) {
    RAST_MemBitmap src(4, 4), dest(4, 4);
    fillPattern(&src);
    fillWith(&dest, 0);
    RAST_Blit(&dest, &src, -1, -2, 0, 0, 4, 4, 1.0f, 0);
    EXPECT_EQ(RAST_GetPixel(&dest, 0, 0), RAST_GetPixel(&src, 1, 2));
    EXPECT_EQ(RAST_GetPixel(&dest, 2, 1), RAST_GetPixel(&src, 3, 3));
    EXPECT_EQ(RAST_GetPixel(&dest, 3, 0), 0u);
    EXPECT_EQ(RAST_GetPixel(&dest, 0, 2), 0u);
}

TEST(Blit, SourceRectangleOutsideOrPastTheEdgesIsCut) {
    RAST_MemBitmap src(4, 4), dest(6, 6);
    fillPattern(&src);
    fillWith(&dest, 0);
    RAST_Blit(&dest, &src, 0, 0, 10, 10, 4, 4, 1.0f, 0);
    EXPECT_EQ(countPixels(&dest, 0), 36);
    // A negative source left moves the destination right.
    RAST_Blit(&dest, &src, 0, 0, -2, 0, 4, 1, 1.0f, 0);
    EXPECT_EQ(RAST_GetPixel(&dest, 2, 0), RAST_GetPixel(&src, 0, 0));
    EXPECT_EQ(RAST_GetPixel(&dest, 3, 0), RAST_GetPixel(&src, 1, 0));
    EXPECT_EQ(RAST_GetPixel(&dest, 1, 0), 0u);
    // Past the destination's right edge.
    fillWith(&dest, 0);
    RAST_Blit(&dest, &src, 4, 5, nullptr, 1.0f, 0);
    EXPECT_EQ(countNot(&dest, 0), 2);
    EXPECT_EQ(RAST_GetPixel(&dest, 5, 5), RAST_GetPixel(&src, 1, 0));
}

TEST(Blit, CopyResizesTheDestination) {
    RAST_MemBitmap src(5, 3), dest;
    fillPattern(&src);
    RAST_Copy(&dest, &src);
    ASSERT_EQ(dest.getWidth(), 5);
    ASSERT_EQ(dest.getHeight(), 3);
    for (int y = 0; y < 3; ++y) {
        for (int x = 0; x < 5; ++x)
            EXPECT_EQ(RAST_GetPixel(&dest, x, y), RAST_GetPixel(&src, x, y));
    }
}

TEST(FlippedBitmap, RowsAreAddressedBottomUpEverywhere) {
    FlippedBitmap flipped(3, 3);
    RAST_MemBitmap plain(3, 3);
    fillWith(&flipped, 0);
    RAST_PutPixel(&flipped, 0, 0, 0xCAFEBABE, 1.0f, 0);
    EXPECT_EQ(flipped.getBits()[2 * flipped.getRowSpan()], 0xCAFEBABEu); // last memory row
    EXPECT_EQ(RAST_GetPixel(&flipped, 0, 0), 0xCAFEBABEu);
    fillPattern(&plain);
    RAST_Blit(&flipped, &plain, 0, 0, nullptr, 1.0f, 0);
    for (int y = 0; y < 3; ++y) {
        for (int x = 0; x < 3; ++x)
            EXPECT_EQ(RAST_GetPixel(&flipped, x, y), RAST_GetPixel(&plain, x, y));
    }
    EXPECT_EQ(flipped.getBits()[0], RAST_GetPixel(&plain, 0, 2));
}

TEST(NullBitmaps, EveryCallIsHarmless) {
    RAST_MemBitmap bm(2, 2);
    fillWith(&bm, 0x01010101);
    RAST_Blit(nullptr, &bm, 0, 0, nullptr, 1.0f, 0);
    RAST_Blit(&bm, nullptr, 0, 0, nullptr, 1.0f, 0);
    RAST_Copy(nullptr, &bm);
    RAST_FillRect(nullptr, 0, 0, 1, 1, 0, 1.0f, 0);
    RAST_ClearRect(nullptr, 0, 0, 1, 1, 0, 0);
    RAST_PutPixel(nullptr, 0, 0, 0, 1.0f, 0);
    EXPECT_EQ(countPixels(&bm, 0x01010101), 4);
}
