// Dirty tracking and the two redraw modes: what a timer tick redraws, and that redrawing part
// of the editor gives exactly the pixels a full redraw gives.
#include "EditorTestKit.h"
#include "editor/IControls.h"

#include <numbers>

using namespace kvtest;

namespace {

// Counts its drawing passes.
class CountingControl : public IControl {
public:
    CountingControl(IRECT rect) : IControl(nullptr, rect) {}
    bool Draw(IGraphics* graphics) override {
        ++mDraws;
        const IColor grey(255, 90, 90, 90);
        return graphics->FillIRect(&grey, &mRECT);
    }
    int mDraws = 0;
};

} // namespace

class RedrawTest : public EditorTest {
protected:
    RedrawTest() : mFrames(Frames(30, 30, 4)), mBackground(Frames(kWidth, kHeight, 1)) {
        mGui->AttachControl(new IBitmapControl(mPlug.get(), 0, 0, &mBackground, kBlendOpaque));
        mCutoffKnob = new IKnobMultiControl(mPlug.get(), 10, 10, kCutoff, &mFrames);
        mGainKnob = new IKnobMultiControl(mPlug.get(), 60, 10, kGain, &mFrames);
        mStepsKnob = new IKnobMultiControl(mPlug.get(), 110, 10, kSteps, &mFrames);
        for (IControl* knob : {mCutoffKnob, mGainKnob, mStepsKnob})
            mGui->AttachControl(knob);
    }
    IBitmap mFrames, mBackground;
    IControl *mCutoffKnob, *mGainKnob, *mStepsKnob;
};

TEST_F(RedrawTest, TickRedrawsOnlyTheControlsThatChanged) {
    Attach();
    EXPECT_TRUE(mGui->DrawDirty());
    EXPECT_EQ(mGui->LastScreenRECT(), IRECT(0, 0, kWidth, kHeight));
    EXPECT_FALSE(mGui->DrawDirty());
    const auto before = Snapshot();

    mGui->SetParameterFromPlug(kGain, 12.0, false);
    EXPECT_TRUE(mGui->DrawDirty());
    const auto after = Snapshot();
    EXPECT_EQ(Difference(before, after), IRECT(60, 10, 90, 40));
    EXPECT_EQ(mGui->LastScreenRECT(), IRECT(60, 10, 90, 40));
    EXPECT_EQ(Pixel(70, 20), FrameColour(3));
    // A change from the plug-in asks for a second pass, which changes nothing more.
    EXPECT_TRUE(mGui->DrawDirty());
    EXPECT_EQ(Snapshot(), after);
    EXPECT_FALSE(mGui->DrawDirty());
}

TEST_F(RedrawTest, StrictModeDrawsOnlyControlsInTheDirtyRectangle) {
    auto* far = new CountingControl(IRECT(150, 100, 190, 140));
    mGui->AttachControl(far);
    Attach();
    mGui->DrawDirty();
    ASSERT_EQ(far->mDraws, 1);
    mGui->SetParameterFromPlug(kCutoff, 1.0, true);
    mGui->DrawDirty();
    EXPECT_EQ(far->mDraws, 1);
}

TEST_F(RedrawTest, PartialRedrawsMatchAFullRedraw) {
    // Translucent and antialiased drawing over the knobs, partly outside what changes.
    const IColor veil(96, 250, 250, 250);
    mGui->AttachControl(new DrawingControl(IRECT(20, 20, 130, 60), [&](IGraphics* g) {
        IRECT r(20, 20, 130, 60);
        g->FillIRect(&veil, &r);
        g->DrawLine(&COLOR_BLUE, 20.0f, 20.0f, 129.0f, 59.0f, nullptr, true);
        g->FillCircle(&COLOR_RED, 75, 40, 12.5f, nullptr, true);
        IText text(12, &COLOR_BLACK);
        IRECT textRect(20, 40, 130, 60);
        g->DrawIText(&text, "Karvelund", &textRect);
    }));
    IBitmap knob = Frames(30, 30, 1);
    mGui->AttachControl(new DrawingControl(IRECT(100, 90, 140, 130), [&](IGraphics* g) {
        g->DrawRotatedBitmap(&knob, 120, 110, 0.4, 0);
    }));
    Attach();
    mGui->DrawDirty();
    for (double value : {0.2, 0.9}) {
        mGui->SetParameterFromPlug(kCutoff, value, true);
        mGui->SetParameterFromPlug(kSteps, value, true);
        while (mGui->DrawDirty()) {
        }
    }
    const auto partial = Snapshot();
    mGui->DrawAll();
    EXPECT_EQ(Difference(partial, Snapshot()), IRECT());
}

TEST_F(RedrawTest, NonStrictHidingRepaintsWhatLiesBeneath) {
    Attach();
    mGui->SetStrictDrawing(false);
    mGui->DrawDirty();
    const auto shown = Snapshot();
    EXPECT_EQ(Pixel(70, 20), FrameColour(2)); // 0 dB is the middle of four frames
    mGui->HideControl(kGain, true);
    EXPECT_TRUE(mGui->DrawDirty());
    EXPECT_EQ(Pixel(70, 20), FrameColour(0)); // the background
    EXPECT_EQ(Difference(shown, Snapshot()), IRECT(60, 10, 90, 40));
    EXPECT_TRUE(mGui->DrawDirty()); // the second pass of the hidden control
    EXPECT_FALSE(mGui->DrawDirty());
    mGui->HideControl(kGain, false);
    mGui->DrawDirty();
    EXPECT_EQ(Snapshot(), shown);
}

TEST_F(RedrawTest, NonStrictDirtyBackgroundRedrawsEverything) {
    Attach();
    mGui->SetStrictDrawing(false);
    EXPECT_TRUE(mGui->DrawDirty());
    EXPECT_EQ(Pixel(20, 20), FrameColour(2));
    EXPECT_EQ(Pixel(150, 150), FrameColour(0));
    EXPECT_FALSE(mGui->DrawDirty());
}

TEST_F(RedrawTest, ControlBoundsAreOutlinedOnRequest) {
    Attach();
    mGui->ShowControlBounds(true);
    mGui->DrawAll();
    EXPECT_EQ(Pixel(10, 10), RastColor(&COLOR_GREEN));
    EXPECT_EQ(Pixel(39, 39), RastColor(&COLOR_GREEN));
    EXPECT_EQ(Pixel(40, 40), FrameColour(0));
    EXPECT_EQ(Pixel(0, 0), FrameColour(0)); // not the background
}

TEST(RedrawWithoutControls, DrawsNothingAndSucceeds) {
    EditorTestPlug plug;
    auto* gui = new IGraphicsHeadless(&plug, 10, 10, 0);
    IRECT r(0, 0, 10, 10);
    EXPECT_FALSE(gui->IsDirty(&r));
    EXPECT_TRUE(gui->Draw(&r)); // before the drawing bitmap exists
    EXPECT_EQ(gui->ScreenUpdates(), 0);
    plug.AttachGraphics(gui);
    EXPECT_EQ(gui->FPS(), 25);
}
