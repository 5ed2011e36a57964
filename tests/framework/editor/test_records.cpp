// Rectangles, colours, blends, text styles and bitmap records, and their raster conversions.
#include "editor/IGraphicsStructs.h"
#include "raster/raster_pixel.h"

#include <gtest/gtest.h>

TEST(IRECTTest, ZeroSizeIsNotEmptyButHoldsNoPoint) {
    const IRECT point(5, 5, 5, 5);
    EXPECT_FALSE(point.Empty());
    EXPECT_EQ(point.W(), 0);
    EXPECT_FALSE(point.Contains(5, 5));
    EXPECT_TRUE(IRECT().Empty());
    EXPECT_TRUE(IRECT(10, 10, 20, 20).Intersect(IRECT()).Empty());
    EXPECT_FALSE(IRECT().Contains(0, 0));
}

TEST(IRECTTest, ContainsExcludesRightAndBottom) {
    const IRECT r(10, 20, 30, 40);
    EXPECT_TRUE(r.Contains(10, 20));
    EXPECT_TRUE(r.Contains(29, 39));
    EXPECT_FALSE(r.Contains(30, 25));
    EXPECT_FALSE(r.Contains(15, 40));
    EXPECT_FLOAT_EQ(r.MW(), 20.0f);
    EXPECT_FLOAT_EQ(r.MH(), 30.0f);
}

TEST(IRECTTest, TouchingOnTheRightOrBottomCountsAsIntersecting) {
    const IRECT left(0, 0, 10, 10), right(10, 0, 20, 10), below(0, 10, 10, 20);
    EXPECT_TRUE(left.Intersects(right));
    EXPECT_FALSE(right.Intersects(left));
    EXPECT_TRUE(left.Intersects(below));
    EXPECT_FALSE(below.Intersects(left));
    EXPECT_EQ(left.Intersect(right), IRECT(10, 0, 10, 10));
    EXPECT_EQ(IRECT(0, 0, 10, 10).Intersect(IRECT(5, 5, 20, 20)), IRECT(5, 5, 10, 10));
}

TEST(IRECTTest, UnionFromEmptyCollectsExactlyTheRectanglesAdded) {
    IRECT all;
    all = all.Union(IRECT(10, 10, 20, 20));
    EXPECT_EQ(all, IRECT(10, 10, 20, 20));
    all = all.Union(IRECT());
    EXPECT_EQ(all, IRECT(10, 10, 20, 20));
    all = all.Union(IRECT(30, 5, 40, 15));
    EXPECT_EQ(all, IRECT(10, 5, 40, 20));
}

TEST(IRECTTest, SubRectanglesDropTheRemainder) {
    const IRECT r(0, 0, 100, 30);
    EXPECT_EQ(r.SubRectHorizontal(3, 0), IRECT(0, 0, 33, 30));
    EXPECT_EQ(r.SubRectHorizontal(3, 2), IRECT(66, 0, 99, 30));
    EXPECT_FALSE(r.SubRectHorizontal(3, 2).Contains(99, 10));
    EXPECT_EQ(r.SubRectVertical(3, 1), IRECT(0, 10, 100, 20));
}

TEST(IRECTTest, BitmapRectangleIsOneFrame) {
    const IBitmap bitmap(nullptr, 30, 120, 4);
    EXPECT_EQ(IRECT(10, 20, &bitmap), IRECT(10, 20, 40, 50));
    const IBitmap noFrames(nullptr, 30, 120, 0);
    EXPECT_EQ(noFrames.N, 1);
    EXPECT_EQ(IRECT(0, 0, &noFrames), IRECT(0, 0, 30, 120));
}

TEST(RasterConversionTest, ColoursPackAlphaInTheLowByte) {
    EXPECT_EQ(RastColor(&COLOR_RED), 0x0000FFFFu);
    EXPECT_EQ(RastColor(&COLOR_TRANSPARENT), 0u);
    EXPECT_EQ(RastColor(&COLOR_BLUE), 0xFF0000FFu);
    const IColor odd(17, 34, 51, 68);
    EXPECT_EQ(IColorFromPixel(RastColor(&odd)), odd);
    EXPECT_EQ(RastColor(nullptr), 0u);
}

TEST(RasterConversionTest, BlendModesAndWeights) {
    const IChannelBlend alpha(kBlendAlpha, 0.5f), opaque(kBlendOpaque), add(kBlendAdd),
        dodge(kBlendColorDodge), unknown(static_cast<EBlendMethod>(9));
    EXPECT_EQ(RastBlendMode(nullptr), 0x10000);
    EXPECT_EQ(RastBlendMode(&alpha), 0x10000);
    EXPECT_EQ(RastBlendMode(&opaque), 0);
    EXPECT_EQ(RastBlendMode(&add), 0x10001);
    EXPECT_EQ(RastBlendMode(&dodge), 0x10002);
    EXPECT_EQ(RastBlendMode(&unknown), 0x10000);
    EXPECT_FLOAT_EQ(RastWeight(nullptr), 1.0f);
    EXPECT_FLOAT_EQ(RastWeight(&alpha), 0.5f);
}

TEST(ITextTest, DefaultsAndLongFontNames) {
    const IText plain;
    EXPECT_EQ(plain.mSize, 10);
    EXPECT_STREQ(plain.mFont, "Monaco");
    EXPECT_EQ(plain.mColor, COLOR_BLACK);
    EXPECT_EQ(plain.mTextEntryBGColor, COLOR_WHITE);
    EXPECT_EQ(plain.mTextEntryFGColor, COLOR_BLACK);
    EXPECT_EQ(plain.mAlign, IText::kAlignCenter);
    EXPECT_EQ(plain.mCached, nullptr);

    const std::string longName(40, 'x');
    const IText styled(18, &COLOR_GRAY, longName.c_str(), IText::kStyleBold, IText::kAlignLeft);
    EXPECT_EQ(std::string(styled.mFont), std::string(31, 'x'));
    EXPECT_EQ(styled.mColor, COLOR_GRAY);
    EXPECT_EQ(styled.mStyle, IText::kStyleBold);
}
