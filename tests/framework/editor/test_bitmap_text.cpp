// Text drawn from a bitmap font, one frame per character from the space on.
#include "EditorTestKit.h"
#include "editor/IBitmapText.h"

using namespace kvtest;

class BitmapTextTest : public EditorTest {
protected:
    BitmapTextTest() : mFont(Frames(10, 12, 96)) {}
    // The colour of character c's frame.
    static RAST_pixel Glyph(char c) { return FrameColour(c - 32); }
    void DrawText(const char* str, IRECT r, IText::EAlign align, bool vCenter = true,
                  bool multiline = false, bool* result = nullptr) {
        mGui->Resize(kWidth, kHeight);
        mGui->AttachControl(
            new DrawingControl(IRECT(0, 0, kWidth, kHeight), [=, this](IGraphics* g) {
                IText style(10, nullptr, nullptr, IText::kStyleNormal, align);
                const bool drawn = DrawBitmapedText(g, &mFont, const_cast<IRECT*>(&r), &style,
                                                    nullptr, str, vCenter, multiline, 10, 12, 0);
                if (result) *result = drawn;
            }));
        mGui->DrawAll();
    }
    IBitmap mFont;
};

TEST_F(BitmapTextTest, CentredOrOneCellIn) {
    DrawText("AB", IRECT(0, 0, 100, 20), IText::kAlignCenter);
    EXPECT_EQ(Pixel(39, 8), 0u);
    EXPECT_EQ(Pixel(40, 4), Glyph('A')); // vertically centred: rows 4 to 15
    EXPECT_EQ(Pixel(55, 15), Glyph('B'));
    EXPECT_EQ(Pixel(55, 16), 0u);
    DrawText("AB", IRECT(0, 0, 100, 20), IText::kAlignRight, false);
    EXPECT_EQ(Pixel(10, 0), Glyph('A'));
    EXPECT_EQ(Pixel(25, 11), Glyph('B'));
}

TEST_F(BitmapTextTest, TextThatDoesNotFitContinuesBelow) {
    DrawText("ABCDEFGHIJKL", IRECT(0, 20, 100, 32), IText::kAlignLeft, false);
    EXPECT_EQ(Pixel(85, 25), Glyph('H')); // eight cells on the first row
    EXPECT_EQ(Pixel(95, 25), 0u);
    EXPECT_EQ(Pixel(15, 37), Glyph('I'));
    EXPECT_EQ(Pixel(45, 37), Glyph('L'));
    EXPECT_EQ(Pixel(55, 37), 0u);
}

TEST_F(BitmapTextTest, MultilineSpreadsTheTextOverItsRows) {
    DrawText("ABCDEFGHIJKLMNOPQRSTUVWXYZ", IRECT(0, 0, 100, 60), IText::kAlignLeft, false, true);
    EXPECT_EQ(Pixel(15, 5), Glyph('A'));
    EXPECT_EQ(Pixel(15, 17), Glyph('I'));
    EXPECT_EQ(Pixel(15, 29), Glyph('Q'));
    EXPECT_EQ(Pixel(15, 41), Glyph('Y'));
    EXPECT_EQ(Pixel(35, 41), 0u);
}

TEST_F(BitmapTextTest, ControlCharactersShowTheFirstFrameAndNarrowBoxesDrawNothing) {
    DrawText("\x01", IRECT(0, 0, 100, 12), IText::kAlignLeft, false);
    EXPECT_EQ(Pixel(15, 5), Glyph(' '));
    bool drawn = true;
    DrawText("A", IRECT(0, 0, 20, 12), IText::kAlignLeft, false, false, &drawn);
    EXPECT_FALSE(drawn);
    EXPECT_EQ(Pixel(5, 5), 0u);
}

TEST_F(BitmapTextTest, ControlShowsItsTextFromThePlugIn) {
    auto* text =
        new IBitmapTextControl(mPlug.get(), IRECT(0, 0, 100, 20), &mFont, "A", nullptr, 10, 12);
    mGui->AttachControl(text);
    mGui->DrawAll();
    text->SetTextFromPlug("A");
    EXPECT_FALSE(text->IsDirty());
    text->SetTextFromPlug("Z");
    EXPECT_TRUE(text->IsDirty());
    mGui->DrawDirty();
    EXPECT_EQ(Pixel(45, 10), Glyph('Z'));
}
