// The editor in a real X11 window, driven through the X server as a user drives it.
#include "X11EditorFixture.h"

#include "core/IParam.h"
#include "editor/IControl.h"
#include "raster/raster.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <memory>
#include <thread>

namespace {

// The knob of LFO Amount, the BPM sync switch, the LFO Speed knob and the preset name, as
// the instrument lays them out.
constexpr int kAmountX = 162 + 20, kAmountY = 183 + 20;
constexpr int kSyncOffX = 179 + 12, kSyncOnX = 179 + 60, kSyncY = 93 + 10;
constexpr int kSpeedX = 60 + 20, kSpeedY = 183 + 20;
constexpr int kPresetX = 100, kPresetY = 35;
// The preset menu: save, rename, a separator, two preset files, a separator, two banks, a
// separator, then the presets.
constexpr int kSelectableBeforePresets = 6;

} // namespace

TEST_F(X11EditorTest, WindowIsTheEditorSizeAndShowsTheBitmap) {
    XWindowAttributes attributes;
    ASSERT_TRUE(XGetWindowAttributes(mSurface->GetDisplay(), mSurface->GetXWindow(), &attributes));
    EXPECT_EQ(attributes.width, 1080);
    EXPECT_EQ(attributes.height, 525);
    EXPECT_TRUE(ScreenMatchesBitmap());
}

TEST_F(X11EditorTest, DragOnAKnobChangesItsParameterByTheEditorsAmount) {
    SetFromHost(kLFOAmount, 0.3);
    Settle();
    IControl* knob = ControlOf(kLFOAmount);
    ASSERT_NE(knob, nullptr);
    const int height = knob->GetRECT()->H();
    const int updatesBefore = mSurface->ScreenUpdates();
    Play([&](X11Driver& d) { DragFrom(d, kAmountX, kAmountY, 0, -40); });
    // Upwards raises the value by the distance over the knob's height, geared by four.
    EXPECT_NEAR(Normalized(kLFOAmount), 0.3 + 40.0 / height / 4.0, 1e-9);
    EXPECT_GT(mSurface->ScreenUpdates(), updatesBefore);
    EXPECT_TRUE(ScreenMatchesBitmap());
}

TEST_F(X11EditorTest, DragOutsideTheWindowKeepsTurningTheKnob) {
    SetFromHost(kLFOAmount, 0.9);
    Settle();
    // 400 pixels down from y 203 ends below the window.
    Play([&](X11Driver& d) { DragFrom(d, kAmountX, kAmountY, 0, 400); });
    EXPECT_DOUBLE_EQ(Normalized(kLFOAmount), 0.0);
}

TEST_F(X11EditorTest, ClickOnASwitchPartChoosesIt) {
    SetFromHost(kBPMSync, 0.0);
    Settle();
    Play([&](X11Driver& d) { ClickAt(d, kSyncOnX, kSyncY); });
    EXPECT_DOUBLE_EQ(Normalized(kBPMSync), 1.0);
    EXPECT_TRUE(ScreenMatchesBitmap());
    Play([&](X11Driver& d) { ClickAt(d, kSyncOffX, kSyncY); });
    EXPECT_DOUBLE_EQ(Normalized(kBPMSync), 0.0);
}

TEST_F(X11EditorTest, DoubleClickResetsAKnob) {
    SetFromHost(kLFOAmount, 0.9);
    Settle();
    Play([&](X11Driver& d) {
        ClickAt(d, kAmountX, kAmountY);
        d.Click(1);
    });
    EXPECT_DOUBLE_EQ(mPlug->GetParam(kLFOAmount)->Value(),
                     mPlug->GetParam(kLFOAmount)->GetDefault());
}

TEST_F(X11EditorTest, WheelStepsAKnobAndSidewaysWheelDoesNothing) {
    SetFromHost(kLFOAmount, 0.5);
    Settle();
    Play([&](X11Driver& d) {
        ClickAt(d, kAmountX, kAmountY, 4); // up
        d.Click(6);                        // sideways: ignored
        d.Click(7);
    });
    EXPECT_NEAR(Normalized(kLFOAmount), 0.55, 1e-9);
    Play([&](X11Driver& d) {
        d.Click(5);
        d.Click(5);
    });
    EXPECT_NEAR(Normalized(kLFOAmount), 0.45, 1e-9);
}

TEST_F(X11EditorTest, PresetMenuOpensAsAPopupWindowAndTheMouseChooses) {
    const int preset = 3;
    bool popupSeen = false;
    Play([&](X11Driver& d) {
        ClickAt(d, kPresetX, kPresetY);
        if (!X11Driver::WaitFor([&] { return d.PopupWindows().size() == 1; })) return;
        popupSeen = true;
        int x = 0, y = 0, w = 0, h = 0;
        d.Geometry(d.PopupWindows()[0], &x, &y, &w, &h);
        // Items are 20 pixels high, separators 7, below a one-pixel border.
        const int itemTop = 1 + kSelectableBeforePresets * 20 + 3 * 7 + preset * 20;
        d.MoveTo(x + 40, y + itemTop + 10);
        d.Click(1);
        X11Driver::WaitFor([&] { return d.PopupWindows().empty(); });
    });
    EXPECT_TRUE(popupSeen);
    EXPECT_EQ(mPlug->GetCurrentPresetIdx(), preset);
    EXPECT_TRUE(ScreenMatchesBitmap());
}

TEST_F(X11EditorTest, PresetMenuTakesTheKeys) {
    const int preset = 5;
    Play([&](X11Driver& d) {
        ClickAt(d, kPresetX, kPresetY);
        if (!X11Driver::WaitFor([&] { return !d.PopupWindows().empty(); })) return;
        // Down from nothing lands on the first item; separators are skipped.
        for (int i = 0; i < kSelectableBeforePresets + preset + 1; ++i)
            d.Key("Down");
        d.Key("Return");
        X11Driver::WaitFor([&] { return d.PopupWindows().empty(); });
    });
    EXPECT_EQ(mPlug->GetCurrentPresetIdx(), preset);
}

TEST_F(X11EditorTest, EscapeOrAClickElsewhereCancelsTheMenu) {
    const int before = mPlug->GetCurrentPresetIdx();
    // The menu takes the keyboard a moment after its window appears: a key sent before that
    // goes elsewhere, so each cancelling gesture is repeated until the menu has gone.
    auto cancelWith = [](X11Driver& d, const std::function<void()>& gesture) {
        for (int i = 0; i < 20 && !d.PopupWindows().empty(); ++i) {
            gesture();
            X11Driver::WaitFor([&] { return d.PopupWindows().empty(); }, 250);
        }
    };
    Play([&](X11Driver& d) {
        ClickAt(d, kPresetX, kPresetY);
        if (!X11Driver::WaitFor([&] { return !d.PopupWindows().empty(); })) return;
        d.Key("Down");
        cancelWith(d, [&] { d.Key("Escape"); });
        ClickAt(d, kPresetX, kPresetY);
        if (!X11Driver::WaitFor([&] { return !d.PopupWindows().empty(); })) return;
        cancelWith(d, [&] {
            d.MoveTo(2300, 1100); // far from the menu
            d.Click(1);
        });
    });
    EXPECT_EQ(mPlug->GetCurrentPresetIdx(), before);
    EXPECT_FALSE(mSurface->IsModal());
}

// The editor's prompt for a number, as a control that asks for one opens it.
void PromptForSpeed(IGraphicsX11* surface, IControl* knob, IParam* param) {
    IRECT field(knob->GetRECT()->L - 10, knob->GetRECT()->T, knob->GetRECT()->R + 10,
                knob->GetRECT()->T + 18);
    surface->PromptUserInput(knob, param, &field);
}

TEST_F(X11EditorTest, TypedValueIsAcceptedAndForbiddenCharactersRefused) {
    PromptForSpeed(mSurface, ControlOf(kLFOSpeed), mPlug->GetParam(kLFOSpeed));
    ASSERT_TRUE(mSurface->TextEntryIsOpen());
    // The offered text is selected: typing replaces it. Letters are not numbers.
    Play([&](X11Driver& d) {
        d.MoveTo(10, 10);
        d.Type("0.2x5");
        d.Key("Return");
    });
    EXPECT_FALSE(mSurface->TextEntryIsOpen());
    EXPECT_NEAR(mPlug->GetParam(kLFOSpeed)->Value(), 0.25, 1e-9);
    EXPECT_TRUE(ScreenMatchesBitmap());
}

TEST_F(X11EditorTest, EscapeCancelsTheTextFieldAndAClickElsewhereCommitsIt) {
    const double before = mPlug->GetParam(kLFOSpeed)->Value();
    PromptForSpeed(mSurface, ControlOf(kLFOSpeed), mPlug->GetParam(kLFOSpeed));
    Play([&](X11Driver& d) {
        d.Type("0.75");
        d.Key("Escape");
    });
    EXPECT_FALSE(mSurface->TextEntryIsOpen());
    EXPECT_DOUBLE_EQ(mPlug->GetParam(kLFOSpeed)->Value(), before);
    PromptForSpeed(mSurface, ControlOf(kLFOSpeed), mPlug->GetParam(kLFOSpeed));
    Play([&](X11Driver& d) {
        d.Type("0.5");
        ClickAt(d, 600, 480); // empty panel
    });
    EXPECT_FALSE(mSurface->TextEntryIsOpen());
    EXPECT_NEAR(mPlug->GetParam(kLFOSpeed)->Value(), 0.5, 1e-9);
}

TEST_F(X11EditorTest, RightClickOnThePresetNameRenamesIt) {
    Play([&](X11Driver& d) { ClickAt(d, kPresetX, kPresetY, 3); });
    ASSERT_TRUE(mSurface->TextEntryIsOpen());
    Play([&](X11Driver& d) {
        d.Type("Warm Pad");
        d.Key("BackSpace");
        d.Key("Return");
    });
    EXPECT_STREQ(mPlug->GetPresetName(mPlug->GetCurrentPresetIdx()), "Warm Pa");
    EXPECT_TRUE(ScreenMatchesBitmap());
}

TEST_F(X11EditorTest, ClosingLeavesTheInstrumentWorkingAndReopeningShowsTheCurrentState) {
    mSurface->CloseWindow();
    EXPECT_FALSE(mSurface->WindowIsOpen());
    EXPECT_FALSE(mSurface->Idle());
    // Still plays.
    mPlug->SendMidiToPlug(IMidiMsg(0, 0x90, 60, 100));
    std::vector<double> left(256), right(256);
    double* outputs[2] = {left.data(), right.data()};
    double peak = 0.0;
    for (int block = 0; block < 20; ++block) {
        mPlug->Render(outputs, 256);
        for (double s : left)
            peak = std::max(peak, std::abs(s));
    }
    EXPECT_GT(peak, 0.01);
    SetFromHost(kLFOAmount, 0.1);
    Reopen(1);
    EXPECT_DOUBLE_EQ(ControlOf(kLFOAmount)->GetValue(), Normalized(kLFOAmount));
    EXPECT_TRUE(ScreenMatchesBitmap());
}

TEST_F(X11EditorTest, ExposureRepaintsFromTheBitmapWithoutDrawingControls) {
    const int updates = mSurface->ScreenUpdates();
    XClearArea(mSurface->GetDisplay(), mSurface->GetXWindow(), 100, 100, 50, 50, True);
    Settle();
    EXPECT_GT(mSurface->ScreenUpdates(), updates);
    EXPECT_TRUE(ScreenMatchesBitmap());
    IRECT dirty;
    EXPECT_FALSE(mSurface->IsDirty(&dirty));
}

TEST_F(X11EditorTest, DoubleSizeWindowShowsTheDoubleSizeArtAndMapsTheMouseBack) {
    Reopen(2);
    XWindowAttributes attributes;
    ASSERT_TRUE(XGetWindowAttributes(mSurface->GetDisplay(), mSurface->GetXWindow(), &attributes));
    EXPECT_EQ(attributes.width, 2160);
    EXPECT_EQ(attributes.height, 1050);
    EXPECT_TRUE(ScreenMatchesBitmap());

    // An empty stretch of panel shows the double-size background pixel for pixel.
    std::unique_ptr<RAST_IBitmap> art(RAST_LoadPNG(
        (std::string(mSurface->GetResourceFolder()) + "/img@2x/background.png").c_str()));
    ASSERT_NE(art, nullptr);
    XImage* image = XGetImage(mSurface->GetDisplay(), mSurface->GetXWindow(), 1160, 940, 80, 80,
                              AllPlanes, ZPixmap);
    ASSERT_NE(image, nullptr);
    int mismatches = 0;
    for (int y = 0; y < 80; ++y)
        for (int x = 0; x < 80; ++x) {
            const RAST_pixel p = RAST_GetPixel(art.get(), 1160 + x, 940 + y);
            const unsigned long rgb = RAST_GETR(p) << 16 | RAST_GETG(p) << 8 | RAST_GETB(p);
            if ((XGetPixel(image, x, y) & 0xFFFFFF) != rgb) ++mismatches;
        }
    XDestroyImage(image);
    EXPECT_EQ(mismatches, 0);

    // The same drag in editor units turns the knob as far as at 1x.
    SetFromHost(kLFOAmount, 0.3);
    Settle();
    const int height = ControlOf(kLFOAmount)->GetRECT()->H();
    Play([&](X11Driver& d) { DragFrom(d, kAmountX, kAmountY, 0, -40); });
    EXPECT_NEAR(Normalized(kLFOAmount), 0.3 + 40.0 / height / 4.0, 1e-9);
    EXPECT_TRUE(ScreenMatchesBitmap());

    // Back at 1x the editor draws at its own size again.
    Reopen(1);
    EXPECT_EQ(mSurface->GetDrawBitmap()->getWidth(), 1080);
    EXPECT_TRUE(ScreenMatchesBitmap());
}

// Runs the surface's own message box on this thread while the driver thread answers it once
// it is on screen (its panel colour at the middle of the editor).
int AnswerMessageBox(IGraphicsX11* surface, int type, const std::string& display,
                     const std::function<void(X11Driver&, int, int)>& answer) {
    const unsigned long window = surface->GetXWindow();
    std::thread user([&] {
        X11Driver d(display);
        int x0 = 0, y0 = 0;
        d.RootOf(window, 0, 0, &x0, &y0);
        X11Driver::WaitFor([&] { return d.PixelAt(x0 + 540, y0 + 262) == 0x262628; });
        answer(d, x0, y0);
    });
    const int result = surface->ShowMessageBox("Replace the bank file?", "Karvelund", type);
    user.join();
    return result;
}

TEST_F(X11EditorTest, OwnMessageBoxAnswersWithTheButtonOrTheKey) {
    // Enter takes the first button.
    EXPECT_EQ(AnswerMessageBox(mSurface, kMessageBoxYesNo, sServer->DisplayName(),
                               [](X11Driver& d, int, int) { d.Key("Return"); }),
              kMessageBoxResultYes);
    EXPECT_FALSE(mSurface->MessageIsOpen());
    Settle();
    EXPECT_TRUE(ScreenMatchesBitmap()); // the panel is gone from the screen
    // Escape the one that changes nothing; a click chooses the button under it.
    EXPECT_EQ(AnswerMessageBox(mSurface, kMessageBoxYesNoCancel, sServer->DisplayName(),
                               [](X11Driver& d, int, int) { d.Key("Escape"); }),
              kMessageBoxResultCancel);
    // Buttons sit right-aligned along the bottom of a 420 x 150 panel: ... No, Cancel.
    EXPECT_EQ(AnswerMessageBox(mSurface, kMessageBoxYesNoCancel, sServer->DisplayName(),
                               [](X11Driver& d, int x0, int y0) {
                                   d.MoveTo(x0 + 750 - 90 - 90 + 40, y0 + 337 - 10 - 13);
                                   d.Click(1);
                               }),
              kMessageBoxResultNo);
}
