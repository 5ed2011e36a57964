// Event dispatch: hit testing, capture, host gestures, keys, parameter links and resizing.
#include "EditorTestKit.h"
#include "editor/IControls.h"

using namespace kvtest;

namespace {

// Records the events it receives.
class RecordingControl : public IControl {
public:
    RecordingControl(IPluginBase* plug, IRECT rect, int paramIdx, bool dblAsSingle = false)
        : IControl(plug, rect, paramIdx) {
        mDblAsSingleClick = dblAsSingle;
    }
    bool Draw(IGraphics*) override { return true; }
    void OnMouseDown(int x, int y, IMouseMod*) override { Log("down", x, y); }
    void OnMouseUp(int x, int y, IMouseMod*) override { Log("up", x, y); }
    void OnMouseDrag(int, int, int dX, int dY, IMouseMod*) override {
        Log("drag", dX, dY);
        mValue -= dY / 100.0;
        SetDirty(true);
    }
    void OnMouseDblClick(int x, int y, IMouseMod*) override { Log("dbl", x, y); }
    void OnMouseOver(int x, int y, IMouseMod*) override { Log("over", x, y); }
    void OnMouseOut() override { Log("out", 0, 0); }
    bool OnKeyDown(int, int, int key) override {
        Log("key", key, 0);
        return true;
    }
    void Log(const char* what, int a, int b) {
        mEvents += std::string(mEvents.empty() ? "" : " ") + what + "(" + std::to_string(a) + "," +
                   std::to_string(b) + ")";
    }
    std::string mEvents;
};

} // namespace

class SurfaceEventsTest : public EditorTest {
protected:
    SurfaceEventsTest() {
        mGui->AttachPanelBackground(&COLOR_WHITE);
        mKnob = new RecordingControl(mPlug.get(), IRECT(10, 10, 40, 40), kCutoff);
        mOther = new RecordingControl(mPlug.get(), IRECT(60, 10, 90, 40), kGain);
        mGui->AttachControl(mKnob);
        mGui->AttachControl(mOther);
        Attach();
    }
    RecordingControl* mKnob;
    RecordingControl* mOther;
};

TEST_F(SurfaceEventsTest, HostGestureSurroundsADrag) {
    mGui->Drag(20, 20, 20, 10, 5);
    EXPECT_EQ(Gestures(), "B0 C0 C0 C0 C0 C0 E0");
    EXPECT_EQ(mGui->GetMouseCapture(), -1);
}

TEST_F(SurfaceEventsTest, CapturedControlKeepsTheDragAfterThePointerLeaves) {
    mGui->OnMouseDown(20, 20, &mLeft);
    mGui->OnMouseDrag(70, 20, &mLeft); // over the other control
    mGui->OnMouseDrag(70, 150, &mLeft);
    mGui->OnMouseUp(70, 150, &mLeft);
    EXPECT_EQ(mKnob->mEvents, "down(20,20) drag(50,0) drag(0,130) up(70,150)");
    EXPECT_EQ(mOther->mEvents, "");
    EXPECT_EQ(Gestures(), "B0 C0 C0 E0");
}

TEST_F(SurfaceEventsTest, DragWithoutMovementReachesNoControl) {
    mGui->OnMouseDown(20, 20, &mLeft);
    mGui->OnMouseDrag(20, 20, &mLeft);
    mGui->OnMouseDrag(21, 20, &mLeft);
    mGui->OnMouseUp(21, 20, &mLeft);
    EXPECT_EQ(mKnob->mEvents, "down(20,20) drag(1,0) up(21,20)");
    mGui->OnMouseDrag(30, 30, &mLeft); // no capture after the release
    EXPECT_EQ(mKnob->mEvents, "down(20,20) drag(1,0) up(21,20)");
}

TEST_F(SurfaceEventsTest, PressOnTheBackgroundCapturesItWithoutAGesture) {
    mGui->OnMouseDown(150, 100, &mLeft);
    EXPECT_EQ(mGui->GetMouseCapture(), 0);
    mGui->OnMouseDrag(20, 20, &mLeft);
    mGui->OnMouseUp(20, 20, &mLeft);
    EXPECT_EQ(Gestures(), "");
    EXPECT_EQ(mKnob->mEvents, "");
}

TEST_F(SurfaceEventsTest, DoubleClickAsPressBeginsAGestureTheReleaseEnds) {
    auto* dbl = new RecordingControl(mPlug.get(), IRECT(100, 10, 130, 40), kSteps, true);
    mGui->AttachControl(dbl);
    EXPECT_TRUE(mGui->OnMouseDblClick(110, 20, &mLeft));
    EXPECT_EQ(mGui->GetMouseCapture(), 3);
    mGui->OnMouseUp(110, 20, &mLeft);
    EXPECT_EQ(dbl->mEvents, "down(110,20) up(110,20)");
    EXPECT_EQ(Gestures(), "B3 E3");

    EXPECT_FALSE(mGui->OnMouseDblClick(20, 20, &mLeft));
    EXPECT_EQ(mKnob->mEvents, "dbl(20,20)");
    EXPECT_EQ(mGui->GetMouseCapture(), -1);
}

TEST_F(SurfaceEventsTest, GesturesStayBalancedWhenAMenuTakesTheRelease) {
    IBitmap frames = Frames(20, 20, 3);
    auto* popup = new ISwitchPopUpControl(mPlug.get(), 100, 60, kWave, &frames);
    mGui->AttachControl(popup);
    mGui->AddAnswer(HeadlessAnswer::Item(2));
    mGui->OnMouseDown(110, 70, &mLeft);
    EXPECT_EQ(mPlug->GetParam(kWave)->Int(), 2);
    EXPECT_EQ(mGui->GetMouseCapture(), -1); // the menu dropped it
    mGui->OnMouseUp(70, 20, &mLeft);        // released over a control bound to kGain
    EXPECT_EQ(Gestures(), "B1 C1 C1 E1");
    EXPECT_EQ(mOther->mEvents, "up(70,20)");

    // A press whose release never came is ended before the next one begins.
    mPlug->ClearParamChanges();
    mGui->AddAnswer(HeadlessAnswer::Item(0));
    mGui->OnMouseDown(110, 70, &mLeft);
    mGui->OnMouseDown(20, 20, &mLeft);
    mGui->OnMouseUp(20, 20, &mLeft);
    EXPECT_EQ(Gestures(), "B1 C1 C1 E1 B0 E0");
}

TEST_F(SurfaceEventsTest, WheelSendsNoGesture) {
    auto* knob = new IKnobLineControl(mPlug.get(), IRECT(100, 100, 140, 140), kSteps, &COLOR_RED);
    mGui->AttachControl(knob);
    Attach();
    mGui->OnMouseWheel(120, 120, &mLeft, 2);
    EXPECT_EQ(Gestures(), "C3");
    EXPECT_EQ(mPlug->GetParam(kSteps)->Int(), 3);
}

TEST_F(SurfaceEventsTest, KeysGoToTheControlUnderThePointerOrTheKeyCatcher) {
    EXPECT_TRUE(mGui->OnKeyDown(20, 20, 15));
    EXPECT_EQ(mKnob->mEvents, "key(15,0)");
    EXPECT_FALSE(mGui->OnKeyDown(150, 100, 16)); // the background takes no keys
    auto* catcher = new RecordingControl(mPlug.get(), IRECT(), -1);
    mGui->AttachKeyCatcher(catcher);
    EXPECT_TRUE(mGui->OnKeyDown(150, 100, 17));
    EXPECT_EQ(catcher->mEvents, "key(17,0)");
}

TEST_F(SurfaceEventsTest, HoveringIsReportedOnlyWhenAsked) {
    EXPECT_FALSE(mGui->OnMouseOver(20, 20, &mLeft));
    EXPECT_EQ(mKnob->mEvents, "");
    mGui->HandleMouseOver(true);
    EXPECT_TRUE(mGui->OnMouseOver(20, 20, &mLeft));
    EXPECT_TRUE(mGui->OnMouseOver(70, 20, &mLeft));
    EXPECT_EQ(mKnob->mEvents, "over(20,20) out(0,0)");
    EXPECT_EQ(mGui->GetMouseOver(), 2);
    mGui->OnMouseOut();
    EXPECT_EQ(mGui->GetMouseOver(), -1);
}

TEST_F(SurfaceEventsTest, ParameterFromThePlugInReachesEveryBoundControl) {
    IBitmap frames = Frames(20, 20, 2);
    auto* second = new IBitmapControl(mPlug.get(), 100, 100, kGain, &frames);
    mGui->AttachControl(second);
    mGui->SetParameterFromPlug(kGain, 6.0, false);
    EXPECT_DOUBLE_EQ(mOther->GetValue(), 0.75);
    EXPECT_DOUBLE_EQ(second->GetValue(), 0.75);
    EXPECT_DOUBLE_EQ(mKnob->GetValue(), 0.5);
    EXPECT_EQ(Gestures(), ""); // nothing goes back to the host
    mGui->SetParameterFromPlug(kNumTestParams + 3, 1.0, false);
    mGui->SetControlFromPlug(99, 0.1);
    mGui->SetControlFromPlug(-1, 0.1);
    mGui->SetControlFromPlug(1, 0.25);
    EXPECT_DOUBLE_EQ(mKnob->GetValue(), 0.25);
}

TEST_F(SurfaceEventsTest, ParameterFromTheEditorSide) {
    mGui->SetParameterFromGUI(kGain, 0.25);
    EXPECT_DOUBLE_EQ(mOther->GetValue(), 0.25);
    EXPECT_DOUBLE_EQ(mPlug->GetParam(kGain)->Value(), -6.0);
    EXPECT_EQ(Gestures(), "C4");
}

TEST_F(SurfaceEventsTest, ClampedControlsStayWithinTheirRange) {
    mGui->ClampControl(kGain, -6.0, 6.0, false);
    mGui->Drag(70, 30, 70, -200, 1);
    EXPECT_DOUBLE_EQ(mOther->GetValue(), 0.75);
    EXPECT_DOUBLE_EQ(mPlug->GetParam(kGain)->Value(), 6.0);
}

TEST_F(SurfaceEventsTest, ParameterUnderTheMouseForTheHost) {
    EXPECT_EQ(mGui->GetParamIdxForPTAutomation(70, 20), kGain);
    EXPECT_EQ(mGui->GetLastClickedParamForPTAutomation(), kGain);
    EXPECT_EQ(mGui->GetLastClickedParamForPTAutomation(), -1);
    EXPECT_EQ(mGui->GetParamIdxForPTAutomation(150, 100), -1);
}

TEST_F(SurfaceEventsTest, ResizeLeavesNoControlsAndTellsThePlugIn) {
    mGui->OnMouseDown(20, 20, &mLeft);
    mGui->Resize(300, 50);
    EXPECT_EQ(mGui->NControls(), 0);
    EXPECT_EQ(mGui->GetMouseCapture(), -1);
    EXPECT_EQ(mPlug->mResizedTo, (std::vector<int>{300, 50}));
    EXPECT_EQ(mGui->GetDrawBitmap()->getWidth(), 300);
    EXPECT_EQ(Gestures(), "B0 E0");
    IRECT all(0, 0, 300, 50);
    EXPECT_TRUE(mGui->Draw(&all));
}
