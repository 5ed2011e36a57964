#pragma once
// A tiny plug-in with a few parameters of each kind, its editor on the headless surface, and
// bitmaps made in memory, for driving controls as a user does and looking at the pixels.

#include "IGraphicsHeadless.h"
#include "IPluginOffline.h"
#include "editor/IControl.h"
#include "raster/raster.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace kvtest {

enum TestParam { kCutoff = 0, kWave, kSync, kSteps, kGain, kNumTestParams };

// Cutoff: double 0..1, default 0.5. Wave: enum of "Saw", "Square", "Sine", default 1. Sync:
// bool "Off"/"On". Steps: int 0..10, default 2. Gain: double -12..12 dB, default 0.
class EditorTestPlug : public IPluginOffline {
public:
    EditorTestPlug();

    void ResizeGraphics(int w, int h) override { mResizedTo = {w, h}; }

    std::vector<int> mResizedTo;
};

// One colour per frame, opaque and easy to tell apart.
RAST_pixel FrameColour(int frame0);

class EditorTest : public testing::Test {
protected:
    static constexpr int kWidth = 200, kHeight = 160;

    EditorTest();

    // Pushes every parameter into the controls (as attaching does) and prepares the bitmaps.
    void Attach() { mPlug->AttachGraphics(mGui); }
    // An opaque bitmap of n frames of w x frameH (frames side by side when horizontal), frame
    // i filled with FrameColour (i); kept for the whole test.
    IBitmap Frames(int w, int frameH, int n, bool horizontal = false);
    // One frame of a single colour.
    IBitmap Solid(int w, int h, RAST_pixel colour);
    RAST_pixel Pixel(int x, int y) { return RAST_GetPixel(mGui->GetDrawBitmap(), x, y); }
    // Every pixel of the editor, row by row.
    std::vector<RAST_pixel> Snapshot();
    // Where two snapshots differ, as the smallest rectangle (empty when identical).
    static IRECT Difference(const std::vector<RAST_pixel>& a, const std::vector<RAST_pixel>& b);
    const std::vector<IPluginOffline::ParamChange>& Changes() const {
        return mPlug->GetParamChanges();
    }
    // The kinds of the recorded changes as a text: B (begin), C (change), E (end), each with
    // its parameter index, e.g. "B0 C0 C0 E0".
    std::string Gestures() const;

    IMouseMod mLeft{true};
    IMouseMod mRight{false, true};
    IMouseMod mShift{true, false, true};
    std::vector<std::unique_ptr<RAST_MemBitmap>> mBitmaps; // outlive the editor
    std::unique_ptr<EditorTestPlug> mPlug;
    IGraphicsHeadless* mGui; // owned by the plug-in
};

// A control whose Draw runs a function, for trying the drawing operations in a redraw.
class DrawingControl : public IControl {
public:
    template <class Fn>
    DrawingControl(IRECT rect, Fn fn) : IControl(nullptr, rect), mDraw(std::move(fn)) {}
    bool Draw(IGraphics* graphics) override {
        mDraw(graphics);
        return true;
    }

private:
    std::function<void(IGraphics*)> mDraw;
};

// A fresh, empty folder, removed afterwards.
class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    std::string Path() const { return mPath.string(); }
    std::string File(const std::string& name) const { return (mPath / name).string(); }

private:
    std::filesystem::path mPath;
};

} // namespace kvtest
