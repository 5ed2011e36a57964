#pragma once

#include "IGraphicsX11.h"
#include "Karvelund.h"
#include "X11Driver.h"
#include "XvfbServer.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>

// The instrument with its editor in a real window on an Xvfb server of the test program's own
// (2400 x 1200, room for the double-size window). Input comes from XTest on a second thread,
// as a user's would, while the test's thread runs the editor.
class X11EditorTest : public ::testing::Test {
protected:
    static void SetUpTestSuite();
    static void TearDownTestSuite();
    void SetUp() override;
    void TearDown() override;

    // Opens the window again at the scale (1 or 2).
    void Reopen(int scale);
    // Runs script on the driver's thread while this thread runs the editor (through Idle, as a
    // host does), then lets the editor take and draw everything the script caused.
    void Play(const std::function<void(X11Driver&)>& script);
    // Takes every pending event and draws what is dirty.
    void Settle();

    // Root position of an editor point (at the window's scale).
    void RootOf(X11Driver& driver, int x, int y, int* rootX, int* rootY);
    void ClickAt(X11Driver& driver, int x, int y, int button = 1);
    void DragFrom(X11Driver& driver, int x, int y, int dx, int dy);

    double Normalized(int paramIdx) const;
    // Sets a parameter as a host does: under the lock, to the plug-in and to the editor.
    void SetFromHost(int paramIdx, double value);
    // The index of the first control bound to the parameter.
    IControl* ControlOf(int paramIdx) const;
    // Whether every pixel of the window equals the editor's drawing bitmap.
    bool ScreenMatchesBitmap() const;

    static XvfbServer* sServer;
    static std::string sServerError;
    std::unique_ptr<Karvelund> mPlug;
    IGraphicsX11* mSurface = nullptr;
};
