#include "X11EditorFixture.h"

#include "core/IParam.h"
#include "editor/IControl.h"
#include "raster/raster.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <atomic>
#include <thread>

XvfbServer* X11EditorTest::sServer = nullptr;
std::string X11EditorTest::sServerError;

void X11EditorTest::SetUpTestSuite() {
    sServer = new XvfbServer;
    sServer->Start(2400, 1200, sServerError);
}

void X11EditorTest::TearDownTestSuite() {
    delete sServer;
    sServer = nullptr;
}

void X11EditorTest::SetUp() {
    ASSERT_TRUE(sServerError.empty()) << sServerError << " (is xvfb installed?)";
    mPlug.reset(MakePlug());
    mPlug->Initialize(48000.0, 256);
    mSurface = dynamic_cast<IGraphicsX11*>(mPlug->GetGUI());
    ASSERT_NE(mSurface, nullptr);
    mSurface->SetDisplayName(sServer->DisplayName().c_str());
    mSurface->SetDialogProgram("-"); // the editor's own dialogs: nothing outside the test
    Reopen(1);
}

void X11EditorTest::TearDown() {
    if (mSurface) mSurface->CloseWindow();
    mPlug.reset();
}

void X11EditorTest::Reopen(int scale) {
    mSurface->CloseWindow();
    mSurface->SetScaleFactor(scale);
    ASSERT_NE(mSurface->OpenWindow(nullptr), nullptr);
    // Mapped and exposed before the test starts.
    X11Driver driver(sServer->DisplayName());
    ASSERT_TRUE(X11Driver::WaitFor([&] {
        XWindowAttributes attributes;
        return XGetWindowAttributes(mSurface->GetDisplay(), mSurface->GetXWindow(), &attributes) &&
               attributes.map_state == IsViewable;
    }));
    Settle();
}

void X11EditorTest::Settle() {
    for (int i = 0; i < 2; ++i) {
        XSync(mSurface->GetDisplay(), False);
        mSurface->Idle();
    }
    mSurface->DrawDirty();
}

void X11EditorTest::Play(const std::function<void(X11Driver&)>& script) {
    std::atomic<bool> done{false};
    std::thread user([&] {
        X11Driver driver(sServer->DisplayName());
        if (driver.Valid()) script(driver);
        done.store(true);
    });
    while (!done.load()) {
        mSurface->Idle();
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    user.join();
    Settle();
}

void X11EditorTest::RootOf(X11Driver& driver, int x, int y, int* rootX, int* rootY) {
    const int s = mSurface->GetScaleFactor();
    driver.RootOf(mSurface->GetXWindow(), x * s, y * s, rootX, rootY);
}

void X11EditorTest::ClickAt(X11Driver& driver, int x, int y, int button) {
    int rx = 0, ry = 0;
    RootOf(driver, x, y, &rx, &ry);
    driver.MoveTo(rx, ry);
    driver.Click(button);
}

void X11EditorTest::DragFrom(X11Driver& driver, int x, int y, int dx, int dy) {
    int rx = 0, ry = 0;
    RootOf(driver, x, y, &rx, &ry);
    const int s = mSurface->GetScaleFactor();
    driver.MoveTo(rx, ry);
    driver.Press(1);
    for (int step = 1; step <= 4; ++step)
        driver.MoveTo(rx + dx * s * step / 4, ry + dy * s * step / 4);
    driver.Release(1);
}

double X11EditorTest::Normalized(int paramIdx) const {
    return mPlug->GetParam(paramIdx)->GetNormalized();
}

void X11EditorTest::SetFromHost(int paramIdx, double value) {
    IPluginBase::IMutexLock lock(mPlug.get());
    mPlug->GetParam(paramIdx)->Set(value);
    mPlug->OnParamChange(paramIdx);
    mSurface->SetParameterFromPlug(paramIdx, value, false);
}

IControl* X11EditorTest::ControlOf(int paramIdx) const {
    for (int i = 0; i < mSurface->NControls(); ++i)
        if (mSurface->GetControl(i)->ParamIdx() == paramIdx) return mSurface->GetControl(i);
    return nullptr;
}

bool X11EditorTest::ScreenMatchesBitmap() const {
    RAST_IBitmap* bitmap = mSurface->GetDrawBitmap();
    const int w = bitmap->getWidth(), h = bitmap->getHeight();
    XImage* image =
        XGetImage(mSurface->GetDisplay(), mSurface->GetXWindow(), 0, 0, static_cast<unsigned>(w),
                  static_cast<unsigned>(h), AllPlanes, ZPixmap);
    if (!image) return false;
    int mismatches = 0;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const RAST_pixel p = RAST_GetPixel(bitmap, x, y);
            const unsigned long expected = RAST_GETR(p) << 16 | RAST_GETG(p) << 8 | RAST_GETB(p);
            if ((XGetPixel(image, x, y) & 0xFFFFFF) != expected) ++mismatches;
        }
    XDestroyImage(image);
    return mismatches == 0;
}
