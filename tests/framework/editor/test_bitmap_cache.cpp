// The process-wide bitmap cache, the placeholder for images that cannot be loaded, and
// bitmap copies. Ids are unique to each test: the cache lives as long as the process.
#include "EditorTestKit.h"
#include "editor/IKnobControls.h"

#include <algorithm>

using namespace kvtest;

namespace {

// Decodes a small image for any name that does not start with "missing", and counts the
// decodes.
class CountingSurface : public IGraphicsHeadless {
public:
    using IGraphicsHeadless::IGraphicsHeadless;
    RAST_IBitmap* OSLoadBitmap(int /*id*/, const char* name) override {
        ++mDecodes;
        if (std::string(name).rfind("missing", 0) == 0) return nullptr;
        auto* bitmap = new RAST_MemBitmap(8, 12);
        RAST_FillRect(bitmap, 0, 0, 8, 12, FrameColour(mDecodes), 1.0f, RAST_BLIT_MODE_COPY);
        return bitmap;
    }
    int mDecodes = 0;
};

constexpr RAST_pixel kMagenta = RAST_RGBA(255, 0, 255, 255);

} // namespace

class BitmapCacheTest : public testing::Test {
protected:
    BitmapCacheTest() : mGui(new CountingSurface(&mPlug, 100, 80, 0)) {
        mPlug.AttachGraphics(mGui);
    }
    EditorTestPlug mPlug;
    CountingSurface* mGui;
};

TEST_F(BitmapCacheTest, EachIdIsDecodedOnce) {
    const IBitmap first = mGui->LoadIBitmap(7101, "knob.png", 3);
    const IBitmap again = mGui->LoadIBitmap(7101, "other.png", 2, true);
    EXPECT_EQ(mGui->mDecodes, 1);
    EXPECT_EQ(again.mData, first.mData);
    EXPECT_EQ(first.W, 8);
    EXPECT_EQ(first.H, 12);
    EXPECT_EQ(again.N, 2);
    EXPECT_TRUE(again.mFramesAreHorizontal);

    // Another editor in the same process shares the cache.
    EditorTestPlug otherPlug;
    auto* otherGui = new CountingSurface(&otherPlug, 50, 50, 0);
    otherPlug.AttachGraphics(otherGui);
    EXPECT_EQ(otherGui->LoadIBitmap(7101, "knob.png").mData, first.mData);
    EXPECT_EQ(otherGui->mDecodes, 0);
    mGui->LoadIBitmap(7102, "slider.png");
    EXPECT_EQ(mGui->mDecodes, 2);
}

TEST_F(BitmapCacheTest, MissingImageGivesAPlaceholderAndOneLineOnStandardError) {
    testing::internal::CaptureStderr();
    const IBitmap switchImage = mGui->LoadIBitmap(7201, "missing/switch.png", 3);
    const IBitmap again = mGui->LoadIBitmap(7201, "missing/switch.png", 3);
    const std::string errors = testing::internal::GetCapturedStderr();
    EXPECT_EQ(std::count(errors.begin(), errors.end(), '\n'), 1);
    EXPECT_NE(errors.find("missing/switch.png"), std::string::npos);
    EXPECT_EQ(again.mData, switchImage.mData);

    ASSERT_NE(switchImage.mData, nullptr);
    EXPECT_EQ(switchImage.W, 48);
    EXPECT_EQ(switchImage.H, 3 * 48);
    EXPECT_EQ(RAST_GetPixel(switchImage.mData, 0, 0), kMagenta);
    EXPECT_EQ(RAST_GetPixel(switchImage.mData, 47, 96), kMagenta); // each frame outlined
    // The frames differ, so that every state still shows.
    EXPECT_NE(RAST_GetPixel(switchImage.mData, 30, 45), RAST_GetPixel(switchImage.mData, 30, 141));
}

TEST_F(BitmapCacheTest, ControlsWorkOnAPlaceholder) {
    testing::internal::CaptureStderr();
    IBitmap knob = mGui->LoadIBitmap(7301, "missing/knob.png");
    mGui->AttachBackground(7302, "missing/background.png");
    testing::internal::GetCapturedStderr();
    auto* control = new IKnobMultiControl(&mPlug, 20, 20, kCutoff, &knob);
    mGui->AttachControl(control);
    mPlug.AttachGraphics(mGui);
    EXPECT_EQ(*control->GetRECT(), IRECT(20, 20, 68, 68));
    EXPECT_EQ(*mGui->GetControl(0)->GetRECT(), IRECT(0, 0, 100, 80)); // as big as the editor
    mGui->DrawAll();
    EXPECT_EQ(RAST_GetPixel(mGui->GetDrawBitmap(), 20, 20), kMagenta);
    EXPECT_EQ(RAST_GETA(RAST_GetPixel(mGui->GetDrawBitmap(), 50, 75)), 255u); // opaque backdrop
    mGui->Drag(40, 40, 40, 30);
    EXPECT_GT(mPlug.GetParam(kCutoff)->Value(), 0.5);
}

TEST_F(BitmapCacheTest, RetainedAndReleasedBitmaps) {
    IBitmap source = mGui->LoadIBitmap(7401, "knob.png");
    IBitmap scaled = mGui->ScaleBitmap(&source, 16, 24);
    EXPECT_EQ(scaled.W, 16);
    EXPECT_EQ(scaled.mData->getHeight(), 24);
    EXPECT_EQ(RAST_GetPixel(scaled.mData, 8, 12), RAST_GetPixel(source.mData, 4, 6));
    IRECT area(2, 3, 6, 9);
    IBitmap cropped = mGui->CropBitmap(&source, &area);
    EXPECT_EQ(cropped.W, 4);
    EXPECT_EQ(cropped.H, 6);
    EXPECT_EQ(RAST_GetPixel(cropped.mData, 0, 0), RAST_GetPixel(source.mData, 2, 3));
    mGui->ReleaseBitmap(&cropped);
    EXPECT_EQ(cropped.mData, nullptr);

    // A bitmap the cache does not hold stays with its owner.
    RAST_MemBitmap own(4, 4);
    IBitmap notCached(&own, 4, 4);
    mGui->ReleaseBitmap(&notCached);
    EXPECT_EQ(notCached.mData, &own);
    // Released from the cache, an id is loaded again.
    IBitmap reloadable = mGui->LoadIBitmap(7402, "knob.png");
    mGui->ReleaseBitmap(&reloadable);
    const int decodes = mGui->mDecodes;
    mGui->LoadIBitmap(7402, "knob.png");
    EXPECT_EQ(mGui->mDecodes, decodes + 1);
}
