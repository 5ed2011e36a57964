// Measuring and drawing text with the DrawText flags.

#include "text_test_util.h"

TEST(DrawText, MeasuredWidthEqualsTheDrawnExtent) {
    TextContext t(200, 40, 18);
    const RECT m = t.measure("Hello Karvelund");
    EXPECT_EQ(m.bottom, 18);
    RECT r{0, 0, 200, 40};
    EXPECT_EQ(DrawText(t.dc, "Hello Karvelund", -1, &r, 0), 18);
    const RECT ink = t.ink();
    EXPECT_GE(ink.left, 0);
    EXPECT_LE(ink.right, m.right);
    EXPECT_GE(ink.right, m.right - 2);
    EXPECT_LE(ink.bottom, 18);
}

TEST(DrawText, EmptyTextMeasuresNothing) {
    TextContext t(10, 10, 12);
    RECT r{3, 4, 3, 4};
    EXPECT_EQ(DrawText(t.dc, "", -1, &r, DT_CALCRECT), 0);
    EXPECT_EQ(r.right, 3);
    EXPECT_EQ(r.bottom, 4);
}

TEST(DrawText, LengthLimitsTheText) {
    TextContext t(10, 10, 12);
    RECT part{0, 0, 0, 0}, whole{0, 0, 0, 0};
    DrawText(t.dc, "abcdef", 3, &part, DT_CALCRECT);
    DrawText(t.dc, "abc", -1, &whole, DT_CALCRECT);
    EXPECT_EQ(part.right, whole.right);
}

TEST(DrawText, AmpersandIsAMnemonicMarkUnlessNoPrefix) {
    TextContext t(10, 10, 16);
    EXPECT_EQ(t.measure("&Save").right, t.measure("Save").right);
    EXPECT_EQ(t.measure("A&&B").right, t.measure("A&B", DT_NOPREFIX).right);
    EXPECT_GT(t.measure("&Save", DT_NOPREFIX).right, t.measure("Save").right);
}

TEST(DrawText, LinesStackUnlessSingleLine) {
    TextContext t(10, 10, 14);
    const RECT multi = t.measure("ab\ncdef");
    EXPECT_EQ(multi.bottom, 28);
    EXPECT_EQ(multi.right, t.measure("cdef").right);
    const RECT single = t.measure("ab\ncdef", DT_SINGLELINE);
    EXPECT_EQ(single.bottom, 14);
    EXPECT_EQ(single.right, t.measure("ab cdef").right);
    EXPECT_EQ(t.measure("a\r\nb").bottom, 28);
}

TEST(DrawText, AlignmentPlacesTheTextInTheRectangle) {
    TextContext t(200, 60, 16);
    const RECT m = t.measure("Mid");
    RECT r{0, 0, 200, 60};
    DrawText(t.dc, "Mid", -1, &r, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    RECT ink = t.ink();
    EXPECT_NEAR((ink.left + ink.right) / 2.0, 100.0, 3.0);
    EXPECT_GE(ink.top, (60 - m.bottom) / 2);
    EXPECT_LE(ink.bottom, (60 + m.bottom) / 2 + 1);

    TextContext right(200, 60, 16);
    RECT rr{0, 0, 200, 60};
    DrawText(right.dc, "Mid", -1, &rr, DT_RIGHT | DT_BOTTOM | DT_SINGLELINE);
    ink = right.ink();
    EXPECT_LE(ink.right, 200);
    EXPECT_GE(ink.right, 197);
    EXPECT_LE(ink.bottom, 60);
    EXPECT_GT(ink.top, 60 - 16);
}

TEST(DrawText, ClipsToTheRectangleUnlessNoClip) {
    TextContext t(200, 30, 20);
    RECT r{0, 0, 20, 30};
    DrawText(t.dc, "WWWWWW", -1, &r, 0);
    EXPECT_LE(t.ink().right, 20);
    TextContext free(200, 30, 20);
    RECT r2{0, 0, 20, 30};
    DrawText(free.dc, "WWWWWW", -1, &r2, DT_NOCLIP);
    EXPECT_GT(free.ink().right, 40);
}

TEST(DrawText, TextNeverWritesOutsideTheFrameBuffer) {
    TextContext t(30, 10, 24);
    RECT r{-15, -10, 100, 40};
    DrawText(t.dc, "Overflowing text", -1, &r, DT_NOCLIP);
    EXPECT_GT(t.ink().right, 0); // drew the visible part (ASan checks the rest)
}

TEST(DrawText, ColourOpaqueBackgroundAndAlphaByte) {
    TextContext t(100, 20, 16);
    SetTextColor(t.dc, 0x102030);
    SetBkMode(t.dc, OPAQUE);
    SetBkColor(t.dc, 0x0000FF);
    RECT r{0, 0, 100, 20};
    DrawText(t.dc, "l", -1, &r, 0);
    int textPixels = 0, background = 0;
    for (int y = 0; y < 16; ++y) {
        for (int x = 0; x < 100; ++x) {
            const RAST_pixel p = t.at(x, y);
            if (p == RAST_RGBA(0x10, 0x20, 0x30, 255)) ++textPixels;
            if (p == RAST_RGBA(0, 0, 0xFF, 255)) ++background;
        }
    }
    EXPECT_GT(textPixels, 5);
    EXPECT_GT(background, 5);
    EXPECT_EQ(t.at(99, 19), 0u); // outside the text box
}

TEST(DrawText, NoAntialiasQualityGivesOnlyFullCoverage) {
    TextContext smooth(100, 30, 20),
        hard(100, 30, 20, "Arial", FW_NORMAL, 0, NONANTIALIASED_QUALITY);
    RECT r{0, 0, 100, 30};
    DrawText(smooth.dc, "Oslo", -1, &r, 0);
    DrawText(hard.dc, "Oslo", -1, &r, 0);
    int partialSmooth = 0, partialHard = 0, fullHard = 0;
    for (int y = 0; y < 30; ++y) {
        for (int x = 0; x < 100; ++x) {
            partialSmooth += smooth.red(x, y) > 0 && smooth.red(x, y) < 255;
            partialHard += hard.red(x, y) > 0 && hard.red(x, y) < 255;
            fullHard += hard.red(x, y) == 255;
        }
    }
    EXPECT_GT(partialSmooth, 10);
    EXPECT_EQ(partialHard, 0);
    EXPECT_GT(fullHard, 20);
}

TEST(DrawText, BrokenUtf8IsDrawnByteByByte) {
    TextContext t(200, 30, 16);
    const RECT broken = t.measure("a\xC3(b");
    EXPECT_GT(broken.right, t.measure("a(b").right);
    RECT r{0, 0, 200, 30};
    EXPECT_EQ(DrawText(t.dc, "\xF0\x9F\x98\x80 \xE2\x82\xAC", -1, &r, 0), 16);
}
