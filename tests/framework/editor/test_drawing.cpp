// The drawing operations, each run inside a redraw as a control's Draw runs them.
#include "EditorTestKit.h"
#include "raster/raster_font.h"

#include <cmath>
#include <numbers>

using namespace kvtest;

class DrawingTest : public EditorTest {
protected:
    // Runs fn in a redraw of rectangle r (the whole editor by default).
    template <class Fn> void DrawIn(Fn fn, IRECT r = IRECT(0, 0, kWidth, kHeight)) {
        mGui->Resize(kWidth, kHeight); // no controls, a clear bitmap
        mGui->AttachControl(new DrawingControl(IRECT(0, 0, kWidth, kHeight), fn));
        mGui->Draw(&r);
    }
    static constexpr RAST_pixel kRed = RAST_RGBA(255, 0, 0, 255);
};

TEST_F(DrawingTest, BitmapFramesAreChosenFromOne) {
    IBitmap frames = Frames(20, 20, 5); // 100 pixels high
    DrawIn([&](IGraphics* g) {
        for (int frame = 0; frame <= 6; ++frame) {
            IRECT dest(frame * 20, 0, frame * 20 + 20, 20);
            g->DrawBitmap(&frames, &dest, frame);
        }
    });
    EXPECT_EQ(Pixel(5, 5), FrameColour(0));   // frame 0 is the first
    EXPECT_EQ(Pixel(25, 5), FrameColour(0));  // frame 1
    EXPECT_EQ(Pixel(65, 5), FrameColour(2));  // frame 3 starts at y = 40
    EXPECT_EQ(Pixel(105, 5), FrameColour(4)); // frame 5
    IBitmap sideBySide = Frames(10, 10, 3, true);
    DrawIn([&](IGraphics* g) {
        IRECT dest(0, 0, 10, 10);
        g->DrawBitmap(&sideBySide, &dest, 3);
    });
    EXPECT_EQ(Pixel(5, 5), FrameColour(2));
}

TEST_F(DrawingTest, BlitsCopyOnlyWhatLiesInTheRedrawRectangle) {
    IBitmap halves = Frames(20, 20, 2, true); // left half frame 0, right half frame 1
    DrawIn(
        [&](IGraphics* g) {
            IRECT straddling(0, 0, 40, 20);
            g->DrawBitmap(&halves, &straddling, 0, 0);
            IRECT outside(100, 100, 140, 120);
            g->DrawBitmap(&halves, &outside, 0, 0);
        },
        IRECT(20, 0, 60, 20));
    EXPECT_EQ(Pixel(10, 10), 0u);
    EXPECT_EQ(Pixel(25, 10), FrameColour(1));
    EXPECT_EQ(Pixel(39, 19), FrameColour(1));
    EXPECT_EQ(Pixel(110, 110), 0u);
}

TEST_F(DrawingTest, EveryOperationStaysInsideTheRedrawRectangle) {
    DrawIn(
        [&](IGraphics* g) {
            IRECT all(0, 0, kWidth, kHeight);
            g->FillIRect(&COLOR_RED, &all);
            g->DrawLine(&COLOR_BLUE, 0, 0, kWidth, kHeight, nullptr, true);
            g->FillCircle(&COLOR_BLUE, 50, 50, 40.0f);
        },
        IRECT(30, 30, 60, 60));
    EXPECT_EQ(Difference(std::vector<RAST_pixel>(kWidth * kHeight, 0u), Snapshot()),
              IRECT(30, 30, 60, 60));
}

TEST_F(DrawingTest, LinesAcrossARectangle) {
    IRECT r(10, 10, 50, 30);
    DrawIn([&](IGraphics* g) {
        g->DrawHorizontalLine(&COLOR_RED, &r, 0.0f);
        g->DrawHorizontalLine(&COLOR_BLUE, &r, 2.0f); // clamped to the top
        g->DrawVerticalLine(&COLOR_GREEN, &r, 0.5f);
    });
    EXPECT_EQ(Pixel(15, 30), RastColor(&COLOR_RED));
    EXPECT_EQ(Pixel(15, 10), RastColor(&COLOR_BLUE));
    EXPECT_EQ(Pixel(30, 20), RastColor(&COLOR_GREEN));
}

TEST_F(DrawingTest, RadialLineAngleZeroPointsUpAndGrowsClockwise) {
    DrawIn([&](IGraphics* g) {
        g->DrawRadialLine(&COLOR_RED, 100, 80, std::numbers::pi_v<float> / 2, 5, 30);
        g->DrawRadialLine(&COLOR_BLUE, 100, 80, 0.0f, 5, 30);
    });
    EXPECT_EQ(Pixel(120, 80), RastColor(&COLOR_RED));
    EXPECT_EQ(Pixel(80, 80), 0u);
    EXPECT_EQ(Pixel(100, 60), RastColor(&COLOR_BLUE));
    EXPECT_EQ(Pixel(100, 100), 0u);
}

TEST_F(DrawingTest, RectangleOutlineLiesOnItsOuterPixels) {
    IRECT r(10, 10, 20, 20);
    DrawIn([&](IGraphics* g) { g->DrawRect(&COLOR_RED, &r); });
    EXPECT_EQ(Pixel(10, 15), RastColor(&COLOR_RED));
    EXPECT_EQ(Pixel(19, 15), RastColor(&COLOR_RED));
    EXPECT_EQ(Pixel(15, 19), RastColor(&COLOR_RED));
    EXPECT_EQ(Pixel(20, 15), 0u);
    EXPECT_EQ(Pixel(15, 20), 0u);
    EXPECT_EQ(Pixel(15, 15), 0u);
}

TEST_F(DrawingTest, FilledShapes) {
    IRECT rounded(10, 10, 50, 50);
    const int xs[] = {100, 140, 140, 100}, ys[] = {10, 10, 50, 50};
    DrawIn([&](IGraphics* g) {
        g->FillRoundRect(&COLOR_RED, &rounded, nullptr, 8, false);
        g->FillTriangle(&COLOR_BLUE, 60, 10, 90, 10, 60, 40);
        g->FillIConvexPolygon(&COLOR_GREEN, xs, ys, 4);
        g->FillCircle(&COLOR_RED, 170, 30, 10.0f);
        g->DrawCircle(&COLOR_BLUE, 170, 100, 10.0f);
        g->DrawArc(&COLOR_GREEN, 100, 100, 20.0f, 0.0f, std::numbers::pi_v<float>);
    });
    EXPECT_EQ(Pixel(30, 30), kRed);
    EXPECT_EQ(Pixel(30, 10), kRed);
    EXPECT_EQ(Pixel(10, 10), 0u); // a rounded corner
    EXPECT_EQ(Pixel(62, 12), RastColor(&COLOR_BLUE));
    EXPECT_EQ(Pixel(88, 38), 0u);
    EXPECT_EQ(Pixel(120, 30), RastColor(&COLOR_GREEN));
    EXPECT_EQ(Pixel(170, 30), kRed);
    EXPECT_EQ(Pixel(170, 100), 0u);                      // a circle's outline only
    EXPECT_EQ(Pixel(120, 100), RastColor(&COLOR_GREEN)); // the arc's right end
    EXPECT_EQ(Pixel(80, 100), 0u);
}

TEST_F(DrawingTest, RoundedOutline) {
    IRECT r(10, 10, 50, 50);
    DrawIn([&](IGraphics* g) { g->RoundRect(&COLOR_RED, &r, nullptr, 8, false); });
    EXPECT_EQ(Pixel(30, 10), kRed);
    EXPECT_EQ(Pixel(10, 30), kRed);
    EXPECT_EQ(Pixel(10, 10), 0u);
    EXPECT_EQ(Pixel(30, 30), 0u);
}

TEST_F(DrawingTest, PixelsAndBlendedPoints) {
    const IColor half(128, 255, 0, 0);
    const IChannelBlend halfWeight(kBlendAlpha, 0.5f);
    DrawIn([&](IGraphics* g) {
        g->DrawPoint(&COLOR_BLUE, 9.6f, 10.4f);
        g->DrawPoint(&COLOR_RED, 20.0f, 20.0f, &halfWeight);
    });
    EXPECT_EQ(Pixel(10, 10), RastColor(&COLOR_BLUE));
    EXPECT_NEAR(static_cast<int>(RAST_GETR(Pixel(20, 20))), 128, 2);
    EXPECT_TRUE(mGui->ForcePixel(&half, 5, 6));
    EXPECT_EQ(mGui->GetPoint(5, 6), half);
    EXPECT_FALSE(mGui->ForcePixel(&half, kWidth, 0));
    EXPECT_EQ(mGui->GetPoint(-1, 0), COLOR_TRANSPARENT);
}

TEST_F(DrawingTest, RotatedBitmapTurnsAboutItsCentre) {
    auto marker = std::make_unique<RAST_MemBitmap>(21, 21);
    RAST_FillRect(marker.get(), 0, 0, 21, 21, RAST_RGBA(0, 0, 0, 0), 1.0f, 0);
    RAST_FillRect(marker.get(), 8, 0, 5, 6, kRed, 1.0f, 0); // a mark at the top
    IBitmap bitmap(marker.get(), 21, 21);
    DrawIn([&](IGraphics* g) {
        g->DrawRotatedBitmap(&bitmap, 50, 50, 0.0);
        g->DrawRotatedBitmap(&bitmap, 150, 50, std::numbers::pi);
    });
    EXPECT_EQ(Pixel(50, 42), kRed);
    EXPECT_EQ(Pixel(50, 58), 0u);
    EXPECT_EQ(RAST_GETR(Pixel(150, 58)), 255u);
    EXPECT_EQ(Pixel(150, 42), 0u);
}

TEST_F(DrawingTest, TextIsDrawnInItsColourWithinItsBox) {
    IText style(16, &COLOR_RED, "DejaVu Sans", IText::kStyleBold, IText::kAlignLeft);
    IRECT box(10, 10, 190, 40);
    DrawIn([&](IGraphics* g) { EXPECT_TRUE(g->DrawIText(&style, "Karvelund", &box)); });
    int red = 0;
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            if (Pixel(x, y) == 0u) continue;
            EXPECT_TRUE(box.Contains(x, y)) << x << "," << y;
            red += Pixel(x, y) == RastColor(&COLOR_RED);
        }
    }
    EXPECT_GT(red, 20);
}

TEST_F(DrawingTest, MeasuringFollowsTheAlignment) {
    IText left(14, nullptr, nullptr, IText::kStyleNormal, IText::kAlignLeft);
    IText centre(14);
    IText right(14, nullptr, nullptr, IText::kStyleNormal, IText::kAlignRight);
    IRECT r(10, 20, 110, 60);
    EXPECT_TRUE(mGui->MeasureIText(&left, "", &r));
    EXPECT_EQ(r, IRECT(10, 20, 110, 60));
    EXPECT_TRUE(mGui->MeasureIText(&left, "Wide text", &r));
    const int w = r.W(), h = r.H();
    EXPECT_EQ(r.L, 10);
    EXPECT_GT(w, 20);
    EXPECT_GE(h, 14);
    r = IRECT(10, 20, 110, 60);
    mGui->MeasureIText(&centre, "Wide text", &r);
    EXPECT_EQ(r, IRECT(60 - w / 2, 20, 60 - w / 2 + w, 20 + h));
    r = IRECT(10, 20, 110, 60);
    mGui->MeasureIText(&right, "Wide text", &r);
    EXPECT_EQ(r, IRECT(110 - w, 20, 110, 20 + h));
}

TEST_F(DrawingTest, FontsAreSharedByStylesThatDifferOnlyInColour) {
    IText black(13), red(13, &COLOR_RED), bold(13, nullptr, nullptr, IText::kStyleBold);
    RAST_CachedFont* font = mGui->CacheFont(&black);
    ASSERT_NE(font, nullptr);
    EXPECT_EQ(black.mCached, font);
    EXPECT_EQ(mGui->CacheFont(&red), font);
    EXPECT_NE(mGui->CacheFont(&bold), font);
    IText tiny(1);
    RAST_CachedFont* tinyFont = mGui->CacheFont(&tiny);
    ASSERT_NE(tinyFont, nullptr);
    EXPECT_GE(tinyFont->GetLineHeight(), 2);
}

TEST_F(DrawingTest, RotatedMaskOutsideTheRedrawRectangleDrawsNothing) {
    IBitmap base = Solid(20, 20, kRed), mask = Solid(20, 20, RAST_RGBA(0, 0, 0, 255)),
            top = Solid(20, 20, 0u);
    DrawIn([&](IGraphics* g) { g->DrawRotatedMask(&base, &mask, &top, 100, 100, 30.0); },
           IRECT(0, 0, 50, 50));
    EXPECT_EQ(Pixel(110, 110), 0u);
    DrawIn([&](IGraphics* g) { g->DrawRotatedMask(&base, &mask, &top, 100, 100, 0.0); });
    EXPECT_EQ(Pixel(110, 110), kRed);
}

TEST_F(DrawingTest, AtDrawScaleTwoEverythingIsDrawnTwiceAsFineInEditorUnits) {
    Attach();
    mGui->SetDrawScale(2);
    ASSERT_EQ(mGui->GetDrawBitmap()->getWidth(), 2 * kWidth);
    IBitmap frames = Frames(10, 10, 3); // enlarged: no double-size art exists for it
    DrawIn(
        [&](IGraphics* g) {
            IRECT box(10, 10, 20, 20);
            g->FillIRect(&COLOR_RED, &box);
            IRECT dest(40, 0, 50, 10);
            g->DrawBitmap(&frames, &dest, 2);
        },
        IRECT(0, 0, 45, 30)); // the redraw rectangle clips in editor units too
    EXPECT_EQ(Pixel(19, 19), 0u);
    EXPECT_EQ(Pixel(20, 20), kRed);
    EXPECT_EQ(Pixel(39, 39), kRed);
    EXPECT_EQ(Pixel(40, 40), 0u);
    EXPECT_EQ(Pixel(80 + 1, 2), FrameColour(1));
    EXPECT_EQ(Pixel(89, 2), FrameColour(1));
    EXPECT_EQ(Pixel(90, 2), 0u); // beyond x = 45
    mGui->SetDrawScale(1);
    EXPECT_EQ(mGui->GetDrawBitmap()->getWidth(), kWidth);
}
