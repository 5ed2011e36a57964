// The blend formulas, checked pixel by pixel through the public drawing calls.

#include "raster/raster_blit.h"
#include "raster/raster_combine.h"
#include "raster_test_util.h"

#include <cmath>

namespace {

RAST_pixel fillOne(RAST_pixel dest, RAST_pixel color, float alpha, int mode) {
    RAST_MemBitmap bm(1, 1);
    *bm.getBits() = dest;
    RAST_FillRect(&bm, 0, 0, 1, 1, color, alpha, mode);
    return *bm.getBits();
}

RAST_pixel putOne(RAST_pixel dest, RAST_pixel color, float alpha, int mode) {
    RAST_MemBitmap bm(1, 1);
    *bm.getBits() = dest;
    RAST_PutPixel(&bm, 0, 0, color, alpha, mode);
    return *bm.getBits();
}

RAST_pixel blitOne(RAST_pixel dest, RAST_pixel src, float alpha, int mode) {
    RAST_MemBitmap d(1, 1), s(1, 1);
    *d.getBits() = dest;
    *s.getBits() = src;
    RAST_Blit(&d, &s, 0, 0, nullptr, alpha, mode);
    return *d.getBits();
}

} // namespace

TEST(PixelLayout, PacksAlphaInTheLowByteAndRedGreenBlueAbove) {
    const RAST_pixel p = RAST_RGBA(0x11, 0x22, 0x33, 0x44);
    EXPECT_EQ(p, 0x33221144u);
    const auto* bytes = reinterpret_cast<const unsigned char*>(&p);
    EXPECT_EQ(bytes[RAST_PIXEL_A], 0x44);
    EXPECT_EQ(bytes[RAST_PIXEL_R], 0x11);
    EXPECT_EQ(bytes[RAST_PIXEL_G], 0x22);
    EXPECT_EQ(bytes[RAST_PIXEL_B], 0x33);
    EXPECT_EQ(RAST_GETR(p), 0x11u);
    EXPECT_EQ(RAST_GETG(p), 0x22u);
    EXPECT_EQ(RAST_GETB(p), 0x33u);
    EXPECT_EQ(RAST_GETA(p), 0x44u);
}

TEST(PixelLayout, WeightIsAlphaTimes256TruncatedAndNeverUndefined) {
    EXPECT_EQ(RAST_AlphaToWeight(1.0f), 256);
    EXPECT_EQ(RAST_AlphaToWeight(0.3f), 76);
    EXPECT_EQ(RAST_AlphaToWeight(-0.3f), -76);
    EXPECT_EQ(RAST_AlphaToWeight(std::nanf("")), 0);
    EXPECT_EQ(RAST_AlphaToWeight(1e30f), 1048576);
}

TEST(CopyBlend, HalfFillMixesWholeWordsIncludingAlpha) {
    const RAST_pixel p = 0x12345679, c = 0xFFEEDDCB;
    EXPECT_EQ(fillOne(p, c, 0.5f, RAST_BLIT_MODE_COPY),
              ((p >> 1) & 0x7F7F7F7Fu) + ((c >> 1) & 0x7F7F7F7Fu));
}

TEST(CopyBlend, QuarterAndThreeQuarterFillsUseWordMixes) {
    const RAST_pixel p = 0x80808080, c = 0x40404040;
    EXPECT_EQ(fillOne(p, c, 0.25f, RAST_BLIT_MODE_COPY), 0x70707070u);
    EXPECT_EQ(fillOne(p, c, 0.75f, RAST_BLIT_MODE_COPY), 0x50505050u);
    EXPECT_EQ(fillOne(p, c, 1.0f, RAST_BLIT_MODE_COPY), c);
}

TEST(CopyBlend, PartialFillWritesTheWeightAsAlphaWhateverTheColoursAlpha) {
    // w = 76; alpha byte w + (da - w) * (256 - w) / 256, colour channels the copy formula.
    const RAST_pixel out = fillOne(RAST_RGBA(10, 0, 0, 200), RAST_RGBA(250, 0, 0, 10), 0.3f, 0);
    EXPECT_EQ(RAST_GETA(out), 76u + (200 - 76) * 180 / 256);
    EXPECT_EQ(RAST_GETR(out), static_cast<unsigned>(250 + (10 - 250) * 180 / 256));
}

TEST(CopyBlend, FullBlitCopiesBitForBitAndHalfBlitMixesWords) {
    EXPECT_EQ(blitOne(0x01020304, 0xA1B2C3D4, 1.0f, 0), 0xA1B2C3D4u);
    EXPECT_EQ(blitOne(0, 1, 0.5f, 0), 0u); // word mix drops the low bit
    EXPECT_EQ(blitOne(0x01020304, 0xA1B2C3D4, 0.0f, 0), 0x01020304u);
}

TEST(SourceAlphaBlend, TransparentSourceLeavesTheDestinationAndOpaqueReplacesIt) {
    const RAST_pixel dest = RAST_RGBA(1, 2, 3, 4);
    EXPECT_EQ(blitOne(dest, RAST_RGBA(200, 100, 50, 0), 1.0f, RAST_BLIT_USE_ALPHA), dest);
    EXPECT_EQ(blitOne(dest, RAST_RGBA(200, 100, 50, 255), 1.0f, RAST_BLIT_USE_ALPHA),
              RAST_RGBA(200, 100, 50, 255));
    EXPECT_EQ(blitOne(dest, RAST_RGBA(200, 100, 50, 0), 0.5f, RAST_BLIT_USE_ALPHA), dest);
}

TEST(SourceAlphaBlend, PartialSourceAlphaMixesColourAndAddsAlpha) {
    // Full opacity: s + (d - s) * (255 - a) / 256, alpha min(da + a, 255).
    const RAST_pixel out =
        blitOne(RAST_RGBA(0, 0, 0, 100), RAST_RGBA(200, 0, 0, 128), 1.0f, RAST_BLIT_USE_ALPHA);
    EXPECT_EQ(RAST_GETR(out), static_cast<unsigned>(200 + (0 - 200) * 127 / 256));
    EXPECT_EQ(RAST_GETA(out), 228u);
    // Half opacity: e = 128 * 256 / 256 = 128.
    const RAST_pixel half =
        blitOne(RAST_RGBA(0, 0, 0, 200), RAST_RGBA(200, 0, 0, 255), 0.5f, RAST_BLIT_USE_ALPHA);
    EXPECT_EQ(RAST_GETR(half), 100u);
    EXPECT_EQ(RAST_GETA(half), 255u);
}

TEST(AddBlend, AddsWeightedSourceAndClamps) {
    EXPECT_EQ(putOne(RAST_RGBA(200, 10, 0, 0), RAST_RGBA(100, 100, 0, 0), 1.0f, RAST_BLIT_MODE_ADD),
              RAST_RGBA(255, 110, 0, 0));
    EXPECT_EQ(putOne(RAST_RGBA(200, 10, 0, 0), RAST_RGBA(100, 100, 0, 0), 0.5f, RAST_BLIT_MODE_ADD),
              RAST_RGBA(250, 60, 0, 0));
    // A negative weight subtracts, clamped at 0.
    EXPECT_EQ(
        putOne(RAST_RGBA(200, 10, 0, 0), RAST_RGBA(100, 100, 0, 0), -0.5f, RAST_BLIT_MODE_ADD),
        RAST_RGBA(150, 0, 0, 0));
}

TEST(DodgeBlend, DividesByTheInvertedSource) {
    // k = 256 - 128 = 128: d * 2.
    EXPECT_EQ(RAST_GETR(putOne(RAST_RGBA(100, 0, 0, 0), RAST_RGBA(128, 0, 0, 0), 1.0f, 2)), 200u);
    // s * w / 256 >= 255 leaves k <= 1: d * 256, clamped.
    EXPECT_EQ(RAST_GETR(putOne(RAST_RGBA(1, 0, 0, 0), RAST_RGBA(255, 0, 0, 0), 1.0f, 2)), 255u);
    EXPECT_EQ(RAST_GETG(putOne(RAST_RGBA(1, 0, 0, 0), RAST_RGBA(255, 0, 0, 0), 1.0f, 2)), 0u);
}

TEST(MultiplyAndOverlayBlend, FollowTheirIntegerFormulas) {
    // d * ((256 - w) * 256 + s * w) / 65536.
    EXPECT_EQ(RAST_GETR(putOne(RAST_RGBA(200, 0, 0, 0), RAST_RGBA(128, 0, 0, 0), 1.0f, 3)), 100u);
    EXPECT_EQ(RAST_GETR(putOne(RAST_RGBA(200, 0, 0, 0), RAST_RGBA(128, 0, 0, 0), 0.5f, 3)),
              200u * (128 * 256 + 128 * 128) / 65536);
    // t = s * w + (256 - w) * 128; d * (d * (32768 - t) / 256 + t) / 32768.
    const int t = 200 * 256;
    EXPECT_EQ(RAST_GETR(putOne(RAST_RGBA(100, 0, 0, 0), RAST_RGBA(200, 0, 0, 0), 1.0f, 4)),
              static_cast<unsigned>(100 * (100 * (32768 - t) / 256 + t) / 32768));
}

TEST(HsvBlend, ReciprocalTableAndConversionsOfPrimaries) {
    EXPECT_EQ(RAST_RGB2HSV_invtab[0], 0);
    EXPECT_EQ(RAST_RGB2HSV_invtab[1], 65535);
    EXPECT_EQ(RAST_RGB2HSV_invtab[2], 32767);
    EXPECT_EQ(RAST_RGB2HSV_invtab[3], 21844);
    EXPECT_EQ(RAST_RGB2HSV_invtab[255], 256);
    int h, s, v;
    RAST_RGB2HSV(255, 0, 0, &h, &s, &v);
    EXPECT_EQ(h, 0);
    EXPECT_EQ(s, 255);
    EXPECT_EQ(v, 255);
    RAST_RGB2HSV(0, 0, 255, &h, &s, &v);
    EXPECT_EQ(h, 256);
    EXPECT_EQ(RAST_HSV2Pix(0, 255, 255, 7), RAST_RGBA(255, 0, 0, 7));
    EXPECT_EQ(RAST_HSV2Pix(256, 255, 255, 9), RAST_RGBA(0, 0, 255, 9));
}

TEST(HsvBlend, NeutralAdjustKeepsColourAndTakesSourceAlpha) {
    const RAST_pixel out = putOne(RAST_RGBA(255, 0, 0, 255), RAST_RGBA(128, 128, 128, 77), 1.0f,
                                  RAST_BLIT_MODE_HSVADJ);
    EXPECT_EQ(out, RAST_RGBA(255, 0, 0, 77));
}

TEST(HsvBlend, RedChannelShiftsHue) {
    // Hue moves by (255 + 127 - 192) = 190 of 384: from red into the green-cyan sector.
    const RAST_pixel out = putOne(RAST_RGBA(255, 0, 0, 255), RAST_RGBA(255, 128, 128, 255), 1.0f,
                                  RAST_BLIT_MODE_HSVADJ);
    EXPECT_EQ(out, RAST_HSV2Pix(190, 255, 255, 255));
    EXPECT_EQ(RAST_GETR(out), 0u);
    EXPECT_EQ(RAST_GETG(out), 255u);
}

TEST(ChannelCopy, MovesOneByteAndLeavesTheOthers) {
    const RAST_pixel out = blitOne(RAST_RGBA(1, 2, 3, 4), RAST_RGBA(10, 20, 30, 40), 1.0f,
                                   RAST_BLIT_MODE_CHANCOPY_FOR(RAST_PIXEL_R, RAST_PIXEL_A));
    EXPECT_EQ(out, RAST_RGBA(1, 2, 3, 10));
}

TEST(UnknownModes, DrawNothing) {
    EXPECT_EQ(fillOne(0x01020304, 0xFFFFFFFF, 0.3f, 9), 0x01020304u);
    EXPECT_EQ(blitOne(0x01020304, 0xFFFFFFFF, 0.3f, 9), 0x01020304u);
    EXPECT_EQ(fillOne(0x01020304, 0xFFFFFFFF, -0.3f, 0), 0x01020304u);
}
