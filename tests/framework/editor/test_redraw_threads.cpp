// A parameter change from a host thread while the editor draws must reach the screen: the
// change's redraw mark may not be lost when the editor finishes a pass.
#include "EditorTestKit.h"
#include "editor/IControls.h"

#include <atomic>
#include <future>
#include <thread>

using namespace kvtest;

namespace {

// A knob as a custom control often is: a value from the plug-in is stored and marked dirty,
// nothing more. Its next drawing pass can stop half-way until the test lets it go on.
class PlainKnob : public IKnobMultiControl {
public:
    using IKnobMultiControl::IKnobMultiControl;

    void SetValueFromPlug(double value) override {
        mValue = value;
        SetDirty(false);
    }
    // The next Draw announces itself through drawing and then waits for resume.
    void PauseNextDraw(std::promise<void>* drawing, std::shared_future<void> resume) {
        mDrawing = drawing;
        mResume = std::move(resume);
    }
    bool Draw(IGraphics* graphics) override {
        const bool drawn = IKnobMultiControl::Draw(graphics);
        if (mDrawing) {
            std::exchange(mDrawing, nullptr)->set_value();
            mResume.wait();
        }
        return drawn;
    }

private:
    std::promise<void>* mDrawing = nullptr;
    std::shared_future<void> mResume;
};

constexpr int kFrames = 8;

class RedrawThreadsTest : public EditorTest {
protected:
    RedrawThreadsTest()
        : mFrames(Frames(30, 30, kFrames)), mBackground(Frames(kWidth, kHeight, 1)) {
        mGui->AttachControl(new IBitmapControl(mPlug.get(), 0, 0, &mBackground, kBlendOpaque));
        mCutoff = new PlainKnob(mPlug.get(), 10, 10, kCutoff, &mFrames);
        mGain = new PlainKnob(mPlug.get(), 110, 10, kGain, &mFrames);
        mGui->AttachControl(mCutoff);
        mGui->AttachControl(mGain);
        Attach();
        DrainRedraws();
    }
    // What the host does: the value and the editor change under the plug-in's mutex.
    void HostSets(int paramIdx, double normalized) {
        IPluginBase::IMutexLock lock(mPlug.get());
        mPlug->GetParam(paramIdx)->SetNormalized(normalized);
        mGui->SetParameterFromPlug(paramIdx, normalized, true);
    }
    // Timer ticks until nothing is dirty (bounded: a lost mark is not an endless one).
    void DrainRedraws() {
        for (int i = 0; i < 10 && mGui->DrawDirty(); ++i) {
        }
    }
    RAST_pixel CutoffShows() { return Pixel(20, 20); }
    RAST_pixel GainShows() { return Pixel(120, 20); }
    static RAST_pixel FrameFor(double normalized) {
        return FrameColour(FrameForValue(normalized, kFrames) - 1);
    }

    IBitmap mFrames, mBackground;
    PlainKnob *mCutoff, *mGain;
};

} // namespace

TEST_F(RedrawThreadsTest, ChangeMadeWhileTheControlDrawsIsDrawnNextTick) {
    HostSets(kCutoff, 0.0);
    std::promise<void> drawing, resume;
    mCutoff->PauseNextDraw(&drawing, resume.get_future().share());
    std::thread host([&] {
        drawing.get_future().wait(); // the editor is inside the knob's Draw
        HostSets(kCutoff, 1.0);
        resume.set_value();
    });
    EXPECT_TRUE(mGui->DrawDirty()); // draws the first frame while the host moves the knob
    host.join();
    EXPECT_EQ(CutoffShows(), FrameFor(0.0));

    IRECT dirty;
    EXPECT_TRUE(mGui->IsDirty(&dirty));
    DrainRedraws();
    EXPECT_EQ(CutoffShows(), FrameFor(1.0));
}

// The host moves a knob outside the rectangle the editor measured, before the editor draws
// that rectangle: the knob is not drawn in this pass, so it must stay marked for the next.
TEST_F(RedrawThreadsTest, ChangeOutsideTheMeasuredRectangleIsDrawnNextTick) {
    HostSets(kCutoff, 0.5);
    IRECT dirty;
    ASSERT_TRUE(mGui->IsDirty(&dirty));
    ASSERT_EQ(dirty, *mCutoff->GetRECT());
    std::thread host([&] { HostSets(kGain, 1.0); });
    host.join();
    mGui->Draw(&dirty);
    EXPECT_NE(GainShows(), FrameFor(1.0));
    DrainRedraws();
    EXPECT_EQ(GainShows(), FrameFor(1.0));
    EXPECT_EQ(CutoffShows(), FrameFor(0.5));
}

// Free-running: a host thread automates both knobs while the editor redraws as fast as it
// can; when both stop, the next ticks show the last values.
TEST_F(RedrawThreadsTest, AutomationDuringRedrawsEndsOnTheLastValues) {
    for (int round = 0; round < 20; ++round) {
        std::atomic<bool> hostDone = false;
        double lastCutoff = 0.0, lastGain = 0.0;
        std::thread host([&] {
            for (int i = 0; i < 300; ++i) {
                lastCutoff = ((i * 7 + round) % kFrames) / double(kFrames - 1);
                lastGain = ((i * 5 + round) % kFrames) / double(kFrames - 1);
                HostSets(kCutoff, lastCutoff);
                HostSets(kGain, lastGain);
            }
            hostDone = true;
        });
        while (!hostDone)
            mGui->DrawDirty();
        host.join();
        DrainRedraws();
        ASSERT_EQ(CutoffShows(), FrameFor(lastCutoff)) << "round " << round;
        ASSERT_EQ(GainShows(), FrameFor(lastGain)) << "round " << round;
    }
}
