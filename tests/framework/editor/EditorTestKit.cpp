#include "EditorTestKit.h"

#include <cstdlib>

namespace kvtest {

EditorTestPlug::EditorTestPlug()
    : IPluginOffline(IPluginInstanceInfo{}, kNumTestParams, "0-2", 1, "EditorTest", "EditorTest",
                     "Karvelund", 0x10000, 0x45647473, 0x4B766C6E, 0, false, false, true) {
    GetParam(kCutoff)->InitDouble("Cutoff", 0.5, 0.0, 1.0, 0.001);
    GetParam(kWave)->InitEnum("Wave", 1, 3);
    GetParam(kWave)->SetDisplayText(0, "Saw");
    GetParam(kWave)->SetDisplayText(1, "Square");
    GetParam(kWave)->SetDisplayText(2, "Sine");
    GetParam(kSync)->InitBool("Sync", false);
    GetParam(kSync)->SetDisplayText(0, "Off");
    GetParam(kSync)->SetDisplayText(1, "On");
    GetParam(kSteps)->InitInt("Steps", 2, 0, 10);
    GetParam(kGain)->InitDouble("Gain", 0.0, -12.0, 12.0, 0.1, "dB");
    SetRecordParamChanges(true);
}

RAST_pixel FrameColour(int frame0) {
    static const RAST_pixel colours[] = {
        RAST_RGBA(200, 30, 30, 255),  RAST_RGBA(30, 200, 30, 255),  RAST_RGBA(30, 30, 200, 255),
        RAST_RGBA(200, 200, 30, 255), RAST_RGBA(30, 200, 200, 255), RAST_RGBA(200, 30, 200, 255),
        RAST_RGBA(90, 90, 90, 255),   RAST_RGBA(250, 140, 10, 255)};
    return colours[frame0 % 8];
}

EditorTest::EditorTest() : mPlug(std::make_unique<EditorTestPlug>()) {
    mGui = new IGraphicsHeadless(mPlug.get(), kWidth, kHeight, 0);
    mPlug->AttachGraphics(mGui);
}

IBitmap EditorTest::Frames(int w, int frameH, int n, bool horizontal) {
    const int width = horizontal ? w * n : w, height = horizontal ? frameH : frameH * n;
    auto bitmap = std::make_unique<RAST_MemBitmap>(width, height);
    for (int i = 0; i < n; ++i) {
        RAST_FillRect(bitmap.get(), horizontal ? i * w : 0, horizontal ? 0 : i * frameH, w, frameH,
                      FrameColour(i), 1.0f, RAST_BLIT_MODE_COPY);
    }
    IBitmap result(bitmap.get(), width, height, n, horizontal);
    mBitmaps.push_back(std::move(bitmap));
    return result;
}

IBitmap EditorTest::Solid(int w, int h, RAST_pixel colour) {
    auto bitmap = std::make_unique<RAST_MemBitmap>(w, h);
    RAST_FillRect(bitmap.get(), 0, 0, w, h, colour, 1.0f, RAST_BLIT_MODE_COPY);
    IBitmap result(bitmap.get(), w, h, 1, false);
    mBitmaps.push_back(std::move(bitmap));
    return result;
}

std::vector<RAST_pixel> EditorTest::Snapshot() {
    std::vector<RAST_pixel> pixels;
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x)
            pixels.push_back(Pixel(x, y));
    }
    return pixels;
}

IRECT EditorTest::Difference(const std::vector<RAST_pixel>& a, const std::vector<RAST_pixel>& b) {
    IRECT changed;
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            const size_t i = static_cast<size_t>(y * kWidth + x);
            if (a[i] != b[i]) changed = changed.Union(IRECT(x, y, x + 1, y + 1));
        }
    }
    return changed;
}

std::string EditorTest::Gestures() const {
    std::string text;
    for (const auto& change : Changes()) {
        if (!text.empty()) text += ' ';
        text += change.kind == IPluginOffline::ParamChange::kBegin    ? 'B'
                : change.kind == IPluginOffline::ParamChange::kChange ? 'C'
                                                                      : 'E';
        text += std::to_string(change.paramIdx);
    }
    return text;
}

TempFolder::TempFolder() {
    std::string pattern = (std::filesystem::path(testing::TempDir()) / "kveditor-XXXXXX").string();
    if (::mkdtemp(pattern.data()) != nullptr) mPath = pattern;
}

TempFolder::~TempFolder() {
    std::error_code ignored;
    if (!mPath.empty()) std::filesystem::remove_all(mPath, ignored);
}

} // namespace kvtest
