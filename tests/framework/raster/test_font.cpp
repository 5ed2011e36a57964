// Cached-font text: the glyph cache, the UTF-8 rules and both ways of drawing.

#include "raster/raster_font.h"
#include "raster/raster_utf8.h"
#include "raster_test_util.h"

#include <memory>

namespace {

constexpr RAST_pixel kWhite = 0xFFFFFFFF;

HFONT makeFont(int height, const char* face = "Arial") {
    return CreateFont(height, 0, 0, 0, FW_NORMAL, 0, 0, 0, 0, 0, 0, 0, 0, face);
}

// A cached font that owns its platform font.
std::unique_ptr<RAST_CachedFont> cachedFont(int height, int flags = 0) {
    auto font = std::make_unique<RAST_CachedFont>();
    font->SetFromHFont(makeFont(height), RAST_FONT_FLAG_OWNS_HFONT | flags);
    font->SetTextColor(kWhite);
    return font;
}

struct InkBox {
    int left = 1 << 30, top = 1 << 30, right = -1, bottom = -1;
};

InkBox inkBox(RAST_IBitmap* bm, RAST_pixel background = 0) {
    InkBox b;
    for (int y = 0; y < bm->getHeight(); ++y) {
        for (int x = 0; x < bm->getWidth(); ++x) {
            if (RAST_GetPixel(bm, x, y) == background) continue;
            b.left = std::min(b.left, x), b.top = std::min(b.top, y);
            b.right = std::max(b.right, x + 1), b.bottom = std::max(b.bottom, y + 1);
        }
    }
    return b;
}

int renderedLowChars(const RAST_CachedFont& font) {
    int n = 0;
    for (int c = 0; c < 128; ++c)
        n += font.findChar(c)->base_offset != 0;
    return n;
}

} // namespace

TEST(Utf8Reading, FollowsTheLeadByteRules) {
    struct Case {
        const char* text;
        std::uint16_t code;
        int bytes;
    } cases[] = {
        {"A", 'A', 1},
        {"\xC3\xA9", 0xE9, 2},
        {"\xE2\x82\xAC", 0x20AC, 3},
        {"\xF0\x9F\x98\x80", ' ', 4},
        {"\x80x", 0x80, 1},    // stray continuation byte
        {"\xC1\xBF", 0xC1, 1}, // overlong lead
        {"\xC3x", 0xC3, 1},    // missing continuation
        {"\xE2\x82", 0xE2, 1}, // cut short by the terminating zero
        {"\xF5\x80\x80\x80", 0xF5, 1},
    };
    for (const Case& c : cases) {
        int count = -1;
        std::uint16_t code = 0;
        EXPECT_EQ(RAST_ReadUTF8Char(c.text, &count, &code), c.bytes) << c.text;
        EXPECT_EQ(code, c.code) << c.text;
    }
    int count = 2;
    std::uint16_t code = 0;
    EXPECT_EQ(RAST_ReadUTF8Char("\xE2\x82\xAC", &count, &code), 1); // does not fit the count
    EXPECT_EQ(count, 1);
    count = 0;
    EXPECT_EQ(RAST_ReadUTF8Char("abc", &count, &code), 0);
    char out[4];
    EXPECT_EQ(RAST_WriteUTF8Char(0x20AC, out), 3);
    EXPECT_STREQ(out, "\xE2\x82\xAC");
    EXPECT_EQ(RAST_WriteUTF8Char(0xE9, out), 2);
}

TEST(GlyphCache, DrawingHelloTwiceRendersEachCharacterOnce) {
    auto font = cachedFont(14);
    ASSERT_EQ(font->GetLineHeight(), 14);
    RAST_MemBitmap bm(100, 30);
    RECT r{0, 0, 100, 30};
    font->DrawText(&bm, "Hello", -1, &r, RAST_DT_NOTNATIVE);
    const int store = font->cacheStoreSize();
    EXPECT_EQ(renderedLowChars(*font), 4);
    font->DrawText(&bm, "Hello", -1, &r, RAST_DT_NOTNATIVE);
    EXPECT_EQ(renderedLowChars(*font), 4);
    EXPECT_EQ(font->cacheStoreSize(), store);
    for (char c : {'H', 'e', 'l', 'o'})
        EXPECT_GT(font->findChar(c)->base_offset, 0);
}

TEST(GlyphCache, SpaceAdvancesWithoutInk) {
    auto font = cachedFont(14);
    ASSERT_TRUE(font->RenderGlyph(' '));
    const RAST_CachedFont::charEnt* e = font->findChar(' ');
    ASSERT_GT(e->base_offset, 0);
    EXPECT_GT(e->advance, 0);
    RAST_MemBitmap bm(40, 20);
    fillWith(&bm, 0);
    RECT r{0, 0, 40, 20};
    font->DrawText(&bm, "   ", -1, &r, RAST_DT_NOTNATIVE);
    EXPECT_EQ(countNot(&bm, 0), 0);
}

TEST(GlyphCache, ThreeByteCharacterLandsInTheSortedExtraList) {
    auto font = cachedFont(14);
    RAST_MemBitmap bm(60, 20);
    RECT r{0, 0, 60, 20};
    font->DrawText(&bm, "\xE2\x82\xAC\xC3\xA9\xC3\x9F", -1, &r, RAST_DT_NOTNATIVE);
    ASSERT_EQ(font->extraCharCount(), 3);
    EXPECT_EQ(font->extraChar(0).charid, 0xDF);
    EXPECT_EQ(font->extraChar(1).charid, 0xE9);
    EXPECT_EQ(font->extraChar(2).charid, 0x20AC);
    ASSERT_NE(font->findChar(0x20AC), nullptr);
    EXPECT_GT(font->findChar(0x20AC)->base_offset, 0);
    EXPECT_EQ(font->findChar(0x20AD), nullptr);
}

TEST(GlyphCache, PrecalculatedFontRendersAsciiUpFrontAndNothingAbove) {
    auto font = cachedFont(12, RAST_FONT_FLAG_PRECALCALL);
    EXPECT_GT(font->findChar('A')->base_offset, 0);
    EXPECT_GT(font->findChar('~')->base_offset, 0);
    EXPECT_FALSE(font->RenderGlyph(0xE9));
    EXPECT_EQ(font->extraCharCount(), 0);
}

TEST(CachedText, MeasuringAnEmptyStringGivesAnEmptyRectangle) {
    auto font = cachedFont(14);
    RECT r{5, 7, 5, 7};
    EXPECT_EQ(font->DrawText(nullptr, "", -1, &r, DT_CALCRECT | RAST_DT_NOTNATIVE), 0);
    EXPECT_EQ(r.right, 5);
    EXPECT_EQ(r.bottom, 7);
}

TEST(CachedText, MeasuredWidthEqualsTheDrawnExtent) {
    auto font = cachedFont(16);
    RECT m{0, 0, 0, 0};
    const int h = font->DrawText(nullptr, "Karvelund", -1, &m, DT_CALCRECT | RAST_DT_NOTNATIVE);
    EXPECT_EQ(h, m.bottom);
    RAST_MemBitmap bm(200, 40);
    fillWith(&bm, 0);
    RECT r{10, 5, 200, 40};
    font->DrawText(&bm, "Karvelund", -1, &r, RAST_DT_NOTNATIVE);
    const InkBox ink = inkBox(&bm);
    EXPECT_GE(ink.left, 10);
    EXPECT_LE(ink.right, 10 + m.right);
    EXPECT_GE(ink.right, 10 + m.right - 3); // the last glyph's side bearing
    EXPECT_LE(ink.bottom, 5 + m.bottom);
}

TEST(CachedText, SingleLineTurnsLineFeedsIntoSpaces) {
    auto font = cachedFont(14);
    RECT one{0, 0, 0, 0}, two{0, 0, 0, 0}, spaced{0, 0, 0, 0};
    font->DrawText(nullptr, "a\nb", -1, &one, DT_CALCRECT | DT_SINGLELINE | RAST_DT_NOTNATIVE);
    font->DrawText(nullptr, "a b", -1, &spaced, DT_CALCRECT | RAST_DT_NOTNATIVE);
    font->DrawText(nullptr, "a\nb", -1, &two, DT_CALCRECT | RAST_DT_NOTNATIVE);
    EXPECT_EQ(one.right, spaced.right);
    EXPECT_EQ(one.bottom, spaced.bottom);
    EXPECT_LT(two.right, one.right);
    EXPECT_GT(two.bottom, 14); // b one line lower
}

TEST(CachedText, ForegroundAlphaScalesTheMaskWeight) {
    auto font = cachedFont(20);
    font->SetTextColor(RAST_RGBA(255, 255, 255, 128));
    RAST_MemBitmap bm(40, 30);
    fillWith(&bm, 0);
    RECT r{0, 0, 40, 30};
    font->DrawText(&bm, "I", -1, &r, RAST_DT_USEFGALPHA);
    // Full coverage 255 at weight 128: 255 * 128 / 256 = 127 through the copy formula.
    const RAST_CachedFont::charEnt* e = font->findChar('I');
    ASSERT_GT(e->base_offset, 0);
    int strongest = 0;
    for (int y = 0; y < 30; ++y) {
        for (int x = 0; x < 40; ++x)
            strongest = std::max<int>(strongest, RAST_GETR(RAST_GetPixel(&bm, x, y)));
    }
    const int w = 255 * 128 / 256;
    EXPECT_EQ(strongest, 255 + (0 - 255) * (256 - w) / 256);
}

TEST(CachedText, CentredTextIsPlacedInTheMiddle) {
    auto font = cachedFont(14);
    RAST_MemBitmap bm(200, 40);
    fillWith(&bm, 0);
    RECT r{0, 0, 200, 40};
    font->DrawText(&bm, "mid", -1, &r, DT_CENTER | DT_VCENTER | RAST_DT_NOTNATIVE);
    const InkBox ink = inkBox(&bm);
    EXPECT_NEAR((ink.left + ink.right) / 2.0, 100.0, 4.0);
    EXPECT_NEAR((ink.top + ink.bottom) / 2.0, 20.0, 5.0);
}

TEST(CachedText, OpaqueBackgroundFillsGlyphBoxes) {
    auto font = cachedFont(14);
    font->SetBkMode(1);
    font->SetBkColor(RAST_RGBA(0, 0, 255, 255));
    RAST_MemBitmap bm(60, 20);
    fillWith(&bm, 0);
    RECT r{0, 0, 60, 20};
    font->DrawText(&bm, "ab", -1, &r, RAST_DT_NOTNATIVE);
    EXPECT_GT(countPixels(&bm, RAST_RGBA(0, 0, 255, 255)), 20);
}

TEST(CachedText, VerticalFontRunsDown) {
    auto font = cachedFont(14, RAST_FONT_FLAG_VERTICAL);
    RECT m{0, 0, 0, 0};
    font->DrawText(nullptr, "abcd", -1, &m, DT_CALCRECT);
    EXPECT_GT(m.bottom, m.right);
    RAST_MemBitmap bm(30, 80);
    fillWith(&bm, 0);
    RECT r{0, 0, 30, 80};
    font->DrawText(&bm, "abcd", -1, &r, 0);
    const InkBox ink = inkBox(&bm);
    EXPECT_GT(ink.bottom - ink.top, 2 * (ink.right - ink.left));
}

TEST(CachedText, MonoAndShadowEffectsThresholdTheMask) {
    auto mono = cachedFont(18, RAST_FONT_FLAG_FX_MONO);
    RAST_MemBitmap bm(60, 30);
    fillWith(&bm, 0);
    RECT r{0, 0, 60, 30};
    mono->DrawText(&bm, "Ag", -1, &r, 0);
    EXPECT_EQ(countNot(&bm, 0), countPixels(&bm, kWhite));
    EXPECT_GT(countPixels(&bm, kWhite), 10);

    auto shadow = cachedFont(18, RAST_FONT_FLAG_FX_SHADOW);
    shadow->SetEffectColor(RAST_RGBA(255, 0, 0, 255));
    fillWith(&bm, 0);
    shadow->DrawText(&bm, "Ag", -1, &r, 0);
    EXPECT_GT(countPixels(&bm, RAST_RGBA(255, 0, 0, 255)), 5);
    EXPECT_EQ(countNot(&bm, 0),
              countPixels(&bm, kWhite) + countPixels(&bm, RAST_RGBA(255, 0, 0, 255)));
}

TEST(NativeText, ForcedNativeFontDrawsIntoASystemBitmapAndMeasuresTheSame) {
    RAST_CachedFont font;
    font.SetFromHFont(makeFont(16), RAST_FONT_FLAG_OWNS_HFONT | RAST_FONT_FLAG_FORCE_NATIVE);
    font.SetTextColor(kWhite);
    RAST_SysBitmap sys(200, 40);
    RECT m{0, 0, 0, 0};
    const int h = font.DrawText(&sys, "Hello", -1, &m, DT_CALCRECT);
    EXPECT_EQ(h, 16);
    RECT r{0, 0, 200, 40};
    font.DrawText(&sys, "Hello", -1, &r, 0);
    EXPECT_EQ(renderedLowChars(font), 0); // the platform drew it; nothing cached
    const InkBox ink = inkBox(&sys);
    EXPECT_GT(ink.right, 0);
    EXPECT_LE(ink.right, m.right + 1);
    EXPECT_GE(ink.right, m.right - 3);
}

TEST(NativeText, MemoryBitmapGoesThroughTheSharedPlatformBitmap) {
    RAST_CachedFont font;
    font.SetFromHFont(makeFont(16), RAST_FONT_FLAG_OWNS_HFONT | RAST_FONT_FLAG_FORCE_NATIVE);
    font.SetTextColor(kWhite);
    RAST_MemBitmap bm(200, 40);
    fillWith(&bm, RAST_RGBA(0, 0, 40, 255));
    RECT r{0, 0, 200, 40};
    font.DrawText(&bm, "Hello", -1, &r, DT_RIGHT);
    const InkBox ink = inkBox(&bm, RAST_RGBA(0, 0, 40, 255));
    EXPECT_GT(ink.left, 100);
    EXPECT_LE(ink.right, 200);
    EXPECT_EQ(RAST_GetPixel(&bm, 0, 0), RAST_RGBA(0, 0, 40, 255));
    EXPECT_EQ(renderedLowChars(font), 0);
}

TEST(NativeText, ReplacingAnOwnedFontDeletesTheOldOne) {
    RAST_CachedFont font;
    font.SetFromHFont(makeFont(12), RAST_FONT_FLAG_OWNS_HFONT);
    HFONT second = makeFont(20);
    font.SetFromHFont(second, RAST_FONT_FLAG_OWNS_HFONT); // the first is freed (ASan checks)
    EXPECT_EQ(font.GetHFont(), second);
    EXPECT_EQ(font.GetLineHeight(), 20);
}
