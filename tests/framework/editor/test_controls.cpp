// The standard controls, driven through the surface as a user drives them, observed through
// the parameter values the plug-in receives and the pixels drawn.
#include "EditorTestKit.h"
#include "editor/IControls.h"

using namespace kvtest;

namespace {

constexpr RAST_pixel kWhite = RAST_RGBA(255, 255, 255, 255);

} // namespace

TEST_F(EditorTest, KnobDragRisesByOneGearedHeightPerFullSweep) {
    IBitmap frames = Frames(40, 50, 5);
    auto* knob = new IKnobMultiControl(mPlug.get(), 10, 10, kCutoff, &frames);
    mGui->AttachControl(knob);
    Attach();
    ASSERT_DOUBLE_EQ(knob->GetValue(), 0.5);

    mGui->Drag(30, 40, 30, 30, 10); // ten pixels up, one at a time
    EXPECT_NEAR(knob->GetValue(), 0.5 + 10.0 / 200.0, 1e-12);
    EXPECT_NEAR(mPlug->GetParam(kCutoff)->Value(), 0.55, 1e-9);

    mGui->Drag(30, 40, 30, 50, 2, mShift); // ten pixels down, ten times finer
    EXPECT_NEAR(knob->GetValue(), 0.55 - 10.0 / 2000.0, 1e-12);

    mGui->DrawDirty();
    EXPECT_EQ(Pixel(30, 35), FrameColour(2)); // 0.545 is nearest the middle of five frames
}

TEST_F(EditorTest, KnobClampsAtTheEndsOfItsRange) {
    IBitmap frames = Frames(40, 50, 5);
    auto* knob = new IKnobMultiControl(mPlug.get(), 10, 10, kCutoff, &frames);
    mGui->AttachControl(knob);
    Attach();
    mGui->Drag(30, 40, 30, -400, 4);
    EXPECT_DOUBLE_EQ(knob->GetValue(), 1.0);
    EXPECT_DOUBLE_EQ(mPlug->GetParam(kCutoff)->Value(), 1.0);
    mGui->DrawDirty();
    EXPECT_EQ(Pixel(30, 35), FrameColour(4));
}

TEST_F(EditorTest, WheelStepsByAFiftiethOrAHundredth) {
    IBitmap frames = Frames(40, 50, 5);
    auto* knob = new IKnobMultiControl(mPlug.get(), 10, 10, kCutoff, &frames);
    mGui->AttachControl(knob);
    Attach();
    mGui->OnMouseWheel(20, 20, &mLeft, 1);
    EXPECT_NEAR(knob->GetValue(), 0.55, 1e-12);
    mGui->OnMouseWheel(20, 20, &mShift, -3);
    EXPECT_NEAR(knob->GetValue(), 0.52, 1e-12);
    IMouseMod control(false, false, false, true);
    mGui->OnMouseWheel(20, 20, &control, 1);
    EXPECT_NEAR(mPlug->GetParam(kCutoff)->Value(), 0.53, 1e-9);
}

TEST_F(EditorTest, FaderPressPutsTheHandleCentreUnderThePointer) {
    IBitmap handle = Solid(16, 20, FrameColour(3));
    auto* fader = new IFaderControl(mPlug.get(), 100, 0, 141, kCutoff, &handle);
    mGui->AttachControl(fader);
    Attach();
    ASSERT_EQ(*fader->GetRECT(), IRECT(100, 0, 116, 141));

    mGui->Click(105, 10);
    EXPECT_DOUBLE_EQ(fader->GetValue(), 1.0);
    mGui->Click(105, 130);
    EXPECT_DOUBLE_EQ(fader->GetValue(), 1.0 - 120.0 / 121.0);
    mGui->Click(105, 2);
    EXPECT_DOUBLE_EQ(fader->GetValue(), 1.0);
    mGui->Click(105, 140);
    EXPECT_DOUBLE_EQ(fader->GetValue(), 0.0);
    EXPECT_DOUBLE_EQ(mPlug->GetParam(kCutoff)->Value(), 0.0);

    mGui->DrawAll();
    EXPECT_EQ(fader->GetHandleRECT(), IRECT(100, 121, 116, 141));
    EXPECT_EQ(Pixel(108, 130), FrameColour(3));
    EXPECT_EQ(Pixel(108, 110), 0u); // only the handle is drawn
}

TEST_F(EditorTest, FaderFollowsThePointerAndMovesFinelyWithShift) {
    IBitmap handle = Solid(16, 20, FrameColour(3));
    auto* fader = new IFaderControl(mPlug.get(), 100, 0, 141, kCutoff, &handle);
    mGui->AttachControl(fader);
    Attach();
    mGui->Drag(105, 10, 105, 70, 3);
    EXPECT_DOUBLE_EQ(fader->GetValue(), 1.0 - 60.0 / 121.0);
    const double before = fader->GetValue();
    mGui->OnMouseDown(105, 70, &mShift); // the press still snaps
    mGui->OnMouseDrag(105, 60, &mShift);
    mGui->OnMouseUp(105, 60, &mShift);
    EXPECT_NEAR(fader->GetValue(), before + 10.0 / 141.0 / 20.0, 1e-12);
}

TEST_F(EditorTest, FaderTakingOnlyHandleClicksIgnoresTheRestOfItsTravel) {
    IBitmap handle = Solid(16, 20, FrameColour(3));
    auto* fader = new IFaderControl(mPlug.get(), 100, 0, 141, kCutoff, &handle, kVertical, true);
    mGui->AttachControl(fader);
    Attach(); // 0.5: the handle spans 60..80
    EXPECT_FALSE(fader->IsHit(105, 10));
    EXPECT_TRUE(fader->IsHit(105, 65));
    mGui->Click(105, 10);
    EXPECT_DOUBLE_EQ(fader->GetValue(), 0.5);
}

TEST_F(EditorTest, HorizontalFaderRunsLeftToRight) {
    IBitmap handle = Solid(20, 10, FrameColour(1));
    auto* fader = new IFaderControl(mPlug.get(), 0, 100, 121, kCutoff, &handle, kHorizontal);
    mGui->AttachControl(fader);
    Attach();
    mGui->Click(10, 105);
    EXPECT_DOUBLE_EQ(fader->GetValue(), 0.0);
    mGui->Click(60, 105);
    EXPECT_DOUBLE_EQ(fader->GetValue(), 50.0 / 101.0);
    EXPECT_EQ(fader->GetHandleRECT(1.0), IRECT(101, 100, 121, 110));
}

TEST_F(EditorTest, SwitchAdvancesOneFrameAndWraps) {
    IBitmap frames = Frames(20, 20, 3);
    auto* sw = new ISwitchControl(mPlug.get(), 10, 10, kWave, &frames);
    mGui->AttachControl(sw);
    Attach();
    mGui->SetControlFromPlug(0, 0.0);
    std::vector<double> seen;
    for (int i = 0; i < 3; ++i) {
        mGui->Click(15, 15);
        seen.push_back(sw->GetValue());
    }
    EXPECT_EQ(seen, (std::vector<double>{0.5, 1.0, 0.0}));
    EXPECT_EQ(mPlug->GetParam(kWave)->Int(), 0);
    mGui->OnMouseDblClick(15, 15, &mLeft); // a double click steps too
    EXPECT_EQ(mPlug->GetParam(kWave)->Int(), 1);
    mGui->DrawDirty();
    EXPECT_EQ(Pixel(15, 15), FrameColour(1));
}

TEST_F(EditorTest, BitmapControlShowsTheNearestFrame) {
    IBitmap frames = Frames(20, 10, 6);
    auto* shown = new IBitmapControl(mPlug.get(), 0, 0, kCutoff, &frames);
    mGui->AttachControl(shown);
    const std::pair<double, int> cases[] = {{0.0, 0}, {0.3, 2}, {0.49, 2}, {0.5, 3}, {1.0, 5}};
    for (const auto& [value, frame] : cases) {
        mGui->SetParameterFromPlug(kCutoff, value, true);
        mGui->DrawAll();
        EXPECT_EQ(Pixel(5, 5), FrameColour(frame)) << "value " << value;
    }
}

TEST_F(EditorTest, FrameSwitchSelectsThePartUnderThePointer) {
    IBitmap sideBySide = Frames(40, 20, 2);
    IBitmap rows = Frames(30, 30, 3);
    auto* sync = new ISwitchFramesControl(mPlug.get(), 10, 10, kSync, &sideBySide, true);
    auto* wave = new ISwitchFramesControl(mPlug.get(), 100, 10, kWave, &rows, false);
    mGui->AttachControl(sync);
    mGui->AttachControl(wave);
    Attach();
    ASSERT_EQ(sync->GetParts()[1], IRECT(30, 10, 50, 30));

    mGui->Click(40, 20);
    EXPECT_TRUE(mPlug->GetParam(kSync)->Bool());
    mGui->Click(40, 20); // the same part again keeps the state
    EXPECT_TRUE(mPlug->GetParam(kSync)->Bool());
    mGui->Click(15, 20, mRight); // any button selects
    EXPECT_FALSE(mPlug->GetParam(kSync)->Bool());

    mGui->Click(110, 25); // middle row of three
    EXPECT_EQ(mPlug->GetParam(kWave)->Int(), 1);
    mGui->Click(110, 35);
    EXPECT_EQ(mPlug->GetParam(kWave)->Int(), 2);
    mGui->Click(110, 12);
    EXPECT_EQ(mPlug->GetParam(kWave)->Int(), 0);
    mGui->DrawDirty();
    EXPECT_EQ(Pixel(110, 20), FrameColour(0));
}

TEST_F(EditorTest, FirstValueFromThePlugInIsTheDoubleClickDefault) {
    IBitmap frames = Frames(40, 50, 5);
    auto* knob = new IKnobMultiControl(mPlug.get(), 10, 10, kCutoff, &frames);
    mGui->AttachControl(knob);
    mGui->DrawAll();
    knob->SetValueFromPlug(0.3);
    EXPECT_DOUBLE_EQ(knob->GetValue(), 0.3);
    EXPECT_DOUBLE_EQ(knob->GetDefaultValue(), 0.3);
    EXPECT_FALSE(knob->IsDirty());
    knob->SetValueFromPlug(0.8);
    EXPECT_TRUE(knob->IsDirty());
    mGui->OnMouseDblClick(20, 20, &mLeft);
    mGui->OnMouseUp(20, 20, &mLeft);
    EXPECT_DOUBLE_EQ(knob->GetValue(), 0.3);
    EXPECT_DOUBLE_EQ(mPlug->GetParam(kCutoff)->Value(), 0.3);
}

TEST_F(EditorTest, GrayedControlIsFadedAndNotHit) {
    mGui->AttachPanelBackground(&COLOR_WHITE);
    IBitmap black = Solid(20, 20, RAST_RGBA(0, 0, 0, 255));
    auto* knob = new IKnobMultiControl(mPlug.get(), 10, 10, kCutoff, &black);
    mGui->AttachControl(knob);
    Attach();
    mGui->GrayOutControl(kCutoff, true);
    EXPECT_FLOAT_EQ(knob->GetBlend()->mWeight, 0.25f);
    mGui->DrawAll();
    const unsigned red = RAST_GETR(Pixel(15, 15));
    EXPECT_NEAR(static_cast<int>(red), 191, 2); // a quarter of black over white
    EXPECT_EQ(mGui->GetMouseControlIdx(15, 15), 0);
    mGui->Drag(15, 15, 15, 5);
    EXPECT_DOUBLE_EQ(mPlug->GetParam(kCutoff)->Value(), 0.5);
    mGui->GrayOutControl(kCutoff, false);
    EXPECT_EQ(mGui->GetMouseControlIdx(15, 15), 1);
}

TEST_F(EditorTest, HiddenControlStaysDirtyForTwoPassesAndIsNotHit) {
    IBitmap frames = Frames(20, 20, 2);
    auto* sw = new ISwitchControl(mPlug.get(), 10, 10, kSync, &frames);
    mGui->AttachControl(sw);
    Attach();
    mGui->DrawAll();
    mGui->HideControl(kSync, true);
    EXPECT_TRUE(sw->IsHidden());
    EXPECT_TRUE(mGui->DrawDirty());
    EXPECT_TRUE(mGui->DrawDirty());
    EXPECT_FALSE(mGui->DrawDirty());
    EXPECT_EQ(mGui->GetMouseControlIdx(15, 15), -1);
}

TEST_F(EditorTest, ContactReturnsToZeroOnRelease) {
    IBitmap frames = Frames(20, 20, 2);
    auto* contact = new IContactControl(mPlug.get(), 10, 10, kSync, &frames);
    mGui->AttachControl(contact);
    Attach();
    mGui->OnMouseDown(15, 15, &mLeft);
    EXPECT_TRUE(mPlug->GetParam(kSync)->Bool());
    mGui->OnMouseUp(15, 15, &mLeft);
    EXPECT_FALSE(mPlug->GetParam(kSync)->Bool());
    EXPECT_EQ(Gestures(), "B2 C2 C2 E2");
}

TEST_F(EditorTest, InvisibleSwitchTogglesAndDrawsNothing) {
    auto* toggle = new IInvisibleSwitchControl(mPlug.get(), IRECT(0, 0, 30, 30), kSync);
    mGui->AttachControl(toggle);
    Attach();
    mGui->Click(5, 5);
    EXPECT_TRUE(mPlug->GetParam(kSync)->Bool());
    mGui->Click(5, 5);
    EXPECT_FALSE(mPlug->GetParam(kSync)->Bool());
    mGui->DrawAll();
    EXPECT_EQ(Pixel(5, 5), 0u);
}

TEST_F(EditorTest, RadioButtonsSpreadOverTheRectangle) {
    IBitmap onOff = Frames(20, 20, 2);
    auto* radio = new IRadioButtonsControl(mPlug.get(), IRECT(10, 10, 30, 110), kWave, 3, &onOff);
    auto* reversed = new IRadioButtonsControl(mPlug.get(), IRECT(50, 10, 150, 30), kSteps, 3,
                                              &onOff, kHorizontal, true);
    mGui->AttachControl(radio);
    mGui->AttachControl(reversed);
    Attach();
    EXPECT_EQ(radio->GetButtons()[1], IRECT(10, 50, 30, 70));
    EXPECT_EQ(radio->GetButtons()[2], IRECT(10, 90, 30, 110));
    EXPECT_EQ(reversed->GetButtons()[0], IRECT(130, 10, 150, 30));

    mGui->Click(15, 95);
    EXPECT_EQ(mPlug->GetParam(kWave)->Int(), 2);
    mGui->Click(15, 40); // between buttons: no change
    EXPECT_EQ(mPlug->GetParam(kWave)->Int(), 2);
    mGui->DrawAll();
    EXPECT_EQ(Pixel(15, 95), FrameColour(1));
    EXPECT_EQ(Pixel(15, 15), FrameColour(0));
}

TEST_F(EditorTest, DisplayControlsShowTheValueAndNameAfterAnEdit) {
    IBitmap frames = Frames(40, 50, 5);
    IText style;
    auto* value = new ITextControl(mPlug.get(), IRECT(0, 100, 100, 120), &style, "");
    auto* name = new ITextControl(mPlug.get(), IRECT(100, 100, 200, 120), &style, "");
    auto* knob = new IKnobMultiControl(mPlug.get(), 10, 10, kGain, &frames);
    knob->SetValDisplayControl(value);
    knob->SetNameDisplayControl(name);
    for (IControl* control : {static_cast<IControl*>(value), static_cast<IControl*>(name),
                              static_cast<IControl*>(knob)})
        mGui->AttachControl(control);
    Attach();
    mGui->DrawAll();
    mGui->OnMouseWheel(20, 20, &mLeft, 1);
    EXPECT_STREQ(value->GetTextString(), "1.2 dB");
    EXPECT_STREQ(name->GetTextString(), "Gain");
    EXPECT_TRUE(value->IsDirty());
}

TEST_F(EditorTest, TextControlIsDirtyOnlyWhenItsTextChanges) {
    IText style;
    auto* text = new ITextControl(mPlug.get(), IRECT(0, 0, 100, 20), &style, "Hello");
    mGui->AttachControl(text);
    mGui->DrawAll();
    text->SetTextFromPlug("Hello");
    EXPECT_FALSE(text->IsDirty());
    text->SetTextFromPlug("World");
    EXPECT_TRUE(text->IsDirty());
    EXPECT_STREQ(text->GetTextString(), "World");
}

TEST_F(EditorTest, LineKnobPointsUpAtTheMiddleOfItsSweep) {
    auto* knob = new IKnobLineControl(mPlug.get(), IRECT(0, 0, 40, 40), kCutoff, &COLOR_RED, 5.0);
    mGui->AttachControl(knob);
    Attach();
    mGui->DrawAll();
    EXPECT_EQ(Pixel(20, 5), RastColor(&COLOR_RED));
    EXPECT_EQ(Pixel(20, 30), 0u);
    EXPECT_EQ(Pixel(20, 18), 0u); // inside the inner radius
}

TEST_F(EditorTest, RotatingMaskKnobTakesItsAlphaFromTheMask) {
    mGui->AttachPanelBackground(&COLOR_WHITE);
    IBitmap base = Solid(20, 20, RAST_RGBA(200, 0, 0, 255));
    IBitmap opaqueMask = Solid(20, 20, RAST_RGBA(0, 0, 0, 255));
    IBitmap clearMask = Solid(20, 20, RAST_RGBA(0, 0, 0, 0));
    IBitmap clearTop = Solid(20, 20, RAST_RGBA(0, 0, 0, 0));
    mGui->AttachControl(
        new IKnobRotatingMaskControl(mPlug.get(), 10, 10, kCutoff, &base, &opaqueMask, &clearTop));
    mGui->AttachControl(
        new IKnobRotatingMaskControl(mPlug.get(), 50, 10, kCutoff, &base, &clearMask, &clearTop));
    Attach();
    mGui->DrawAll();
    EXPECT_EQ(Pixel(20, 20), RAST_RGBA(200, 0, 0, 255));
    EXPECT_EQ(Pixel(60, 20), kWhite);
}

TEST_F(EditorTest, PanelFillsItsRectangle) {
    const IColor blue(255, 0, 0, 255);
    mGui->AttachControl(new IPanelControl(mPlug.get(), IRECT(10, 10, 20, 20), &blue));
    mGui->DrawAll();
    EXPECT_EQ(Pixel(10, 10), RastColor(&blue));
    EXPECT_EQ(Pixel(19, 19), RastColor(&blue));
    EXPECT_EQ(Pixel(20, 20), 0u);
}

TEST_F(EditorTest, AuxParametersFollowThePlugInAndGoBack) {
    IBitmap frames = Frames(20, 20, 2);
    auto* shown = new IBitmapControl(mPlug.get(), 0, 0, kCutoff, &frames);
    shown->AddAuxParam(kGain);
    shown->AddAuxParam(-1);
    mGui->AttachControl(shown);
    Attach();
    EXPECT_EQ(shown->NAuxParams(), 1);
    EXPECT_EQ(shown->AuxParamIdx(kGain), 0);
    EXPECT_EQ(shown->AuxParamIdx(kSteps), -1);
    EXPECT_DOUBLE_EQ(shown->GetAuxParam(0)->mValue, 0.5);
    EXPECT_EQ(shown->GetAuxParam(1), nullptr);
    mGui->SetParameterFromPlug(kGain, 6.0, false);
    EXPECT_DOUBLE_EQ(shown->GetAuxParam(0)->mValue, 0.75);
    shown->GetAuxParam(0)->mValue = 0.25;
    shown->SetAllAuxParamsFromGUI();
    EXPECT_DOUBLE_EQ(mPlug->GetParam(kGain)->Value(), -6.0);
}
