// The instrument's editor driven the way a user drives it: pointer gestures on the headless
// surface, answers to its menus and dialogs, and what the host and the screen see.

#include "InstrumentHost.h"

#include "PresetManager.h"
#include "raster/raster.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

class Editor : public ::testing::Test {
protected:
    IsolatedUserData userData;
    InstrumentHost host;

    void SetUp() override { host.syncEditor(); }
    IGraphicsHeadless& g() { return host.editor(); }
    double value(int idx) { return host.plug().GetParam(idx)->Value(); }
    std::string temp(const char* name) const { return userData.folder() + "/" + name; }

    // The editor's pixels, row by row.
    std::vector<RAST_pixel> pixels() {
        RAST_IBitmap* b = g().GetDrawBitmap();
        std::vector<RAST_pixel> out;
        for (int y = 0; y < b->getHeight(); ++y)
            out.insert(out.end(), b->getBits() + y * b->getRowSpan(),
                       b->getBits() + y * b->getRowSpan() + b->getWidth());
        return out;
    }
    // The bounding box of the pixels that differ between two pictures (empty when none).
    IRECT changedArea(const std::vector<RAST_pixel>& a, const std::vector<RAST_pixel>& b) {
        const int w = g().Width();
        IRECT box;
        bool any = false;
        for (size_t i = 0; i < a.size(); ++i) {
            if (a[i] == b[i]) continue;
            const int x = static_cast<int>(i) % w, y = static_cast<int>(i) / w;
            if (!any) box = IRECT(x, y, x + 1, y + 1);
            box.L = std::min(box.L, x);
            box.T = std::min(box.T, y);
            box.R = std::max(box.R, x + 1);
            box.B = std::max(box.B, y + 1);
            any = true;
        }
        return box;
    }
    IPresetMenu* presetMenu() {
        for (int i = 0; i < g().NControls(); ++i)
            if (auto* menu = dynamic_cast<IPresetMenu*>(g().GetControl(i))) return menu;
        return nullptr;
    }
};

constexpr int kSyncKnobX = 296, kSyncKnobY = 158; // centre of the 40-pixel hard-sync knob

} // namespace

TEST_F(Editor, KnobsTurnByDraggingFinerWithShiftAndReturnOnDoubleClick) {
    g().Drag(kSyncKnobX, kSyncKnobY, kSyncKnobX, kSyncKnobY - 20, 4);
    EXPECT_NEAR(value(kHardSync), 20.0 / (4 * 40), 1e-9) << "a full turn per four knob heights";
    g().Drag(kSyncKnobX, kSyncKnobY, kSyncKnobX, kSyncKnobY - 20, 4, IMouseMod(true, false, true));
    EXPECT_NEAR(value(kHardSync), 0.125 + 0.0125, 1e-9) << "ten times finer with Shift";
    EXPECT_NEAR(host.synth().globalState.hardSyncAmount, value(kHardSync), 1e-12);

    IMouseMod left(true);
    g().OnMouseDblClick(kSyncKnobX, kSyncKnobY, &left);
    g().OnMouseUp(kSyncKnobX, kSyncKnobY, &left);
    EXPECT_EQ(value(kHardSync), 0.0) << "back to the value the editor was attached with";

    IMouseMod none;
    g().OnMouseWheel(kSyncKnobX, kSyncKnobY, &none, 1);
    EXPECT_NEAR(value(kHardSync), 0.05, 1e-9);
}

TEST_F(Editor, HostSeesOneGestureAroundEveryDrag) {
    host.plug().SetRecordParamChanges(true);
    g().Drag(kSyncKnobX, kSyncKnobY, kSyncKnobX, kSyncKnobY - 30, 5);
    const auto& changes = host.plug().GetParamChanges();
    ASSERT_GE(changes.size(), 3u);
    EXPECT_EQ(changes.front().kind, IPluginOffline::ParamChange::kBegin);
    EXPECT_EQ(changes.back().kind, IPluginOffline::ParamChange::kEnd);
    for (const auto& c : changes)
        EXPECT_EQ(c.paramIdx, kHardSync);
    EXPECT_NEAR(changes[changes.size() - 2].normalizedValue, 30.0 / 160.0, 1e-9);
}

TEST_F(Editor, FadersJumpToThePointer) {
    // The saw fader at (446, 309) is 141 pixels long.
    g().Click(454, 312);
    EXPECT_GT(value(kSaw), 0.95);
    g().Click(454, 309 + 139);
    EXPECT_LT(value(kSaw), 0.05);
    g().Click(454, 309 + 70);
    EXPECT_NEAR(value(kSaw), 0.5, 0.02);
    g().Click(454, 309 + 200);
    EXPECT_NEAR(value(kSaw), 0.5, 0.02) << "a press below the fader misses it";
}

TEST_F(Editor, FrameSwitchesSelectThePartUnderThePointer) {
    g().Click(179 + 10, 100); // BPM sync, left part
    EXPECT_EQ(value(kBPMSync), 0.0);
    g().Click(179 + 60, 100);
    EXPECT_EQ(value(kBPMSync), 1.0);
    g().Click(70, 398 + 5); // phonic rows: mono, poly, legato
    EXPECT_EQ(value(kPhonicType), 0.0);
    EXPECT_EQ(host.synth().globalState.numVoices, 1);
    g().Click(70, 398 + 45);
    EXPECT_EQ(value(kPhonicType), 2.0);
}

TEST_F(Editor, TwoWaySwitchesStepStopAtTheEndsAndOfferTheirSettings) {
    // LFO type at (124, 127), 130 pixels wide.
    g().Click(128, 135);
    EXPECT_EQ(value(kLFOType), 0.0) << "stepping down stops at the first setting";
    g().Click(250, 135);
    EXPECT_EQ(value(kLFOType), 1.0);
    for (int i = 0; i < 8; ++i)
        g().Click(250, 135);
    EXPECT_EQ(value(kLFOType), 5.0) << "and up stops at the last";

    g().ClearPrompts();
    g().AddAnswer(HeadlessAnswer::Item(3));
    g().Click(189, 135);
    ASSERT_EQ(g().Prompts().size(), 1u);
    EXPECT_EQ(g().Prompts()[0].kind, HeadlessPrompt::kMenu);
    EXPECT_EQ(g().Prompts()[0].items.size(), 6u);
    EXPECT_EQ(g().Prompts()[0].items[4], "Sine (1 shot)");
    EXPECT_EQ(value(kLFOType), 3.0) << "the chosen setting reaches the parameter";
    EXPECT_EQ(host.synth().lfo->type, 3);

    // The 24-setting pitch-bend range: one step is 1/23 of the control.
    host.setParam(kPitchBendRange, 0);
    host.syncEditor();
    g().Click(128, 320);
    EXPECT_EQ(value(kPitchBendRange), 0.0);
    g().Click(250, 320);
    EXPECT_EQ(value(kPitchBendRange), 1.0);
    g().ClearPrompts();
    g().Click(189, 320, IMouseMod(false, true));
    EXPECT_TRUE(g().Prompts().empty()) << "a right click in the middle opens no menu";
}

TEST_F(Editor, PresetMenuStepsChoosesAndRenames) {
    Karvelund& k = host.plug();
    k.RestorePreset(3);
    g().DrawDirty();
    IPresetMenu* menu = presetMenu();
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(std::string(menu->GetDisplayText()), std::string(" 04: ") + k.GetPresetName(3));

    g().Click(450 - 20, 35); // previous arrow
    EXPECT_EQ(k.GetCurrentPresetIdx(), 2);
    g().Click(450 - 15, 35); // next arrow
    EXPECT_EQ(k.GetCurrentPresetIdx(), 3);
    k.RestorePreset(0);
    g().Click(450 - 20, 35);
    EXPECT_EQ(k.GetCurrentPresetIdx(), 0) << "no wrap-around before the first preset";

    g().AddAnswer(HeadlessAnswer::Item(IPresetMenu::kFirstPreset + 12));
    g().Click(100, 35);
    EXPECT_EQ(k.GetCurrentPresetIdx(), 12);
    EXPECT_EQ(value(kCutoff), k.GetParam(kCutoff)->Value());
    g().AddAnswer(HeadlessAnswer::Item(8)); // a separator does nothing
    g().Click(100, 35);
    EXPECT_EQ(k.GetCurrentPresetIdx(), 12);

    g().AddAnswer(HeadlessAnswer::Text("My Lead"));
    g().Click(100, 35, IMouseMod(false, true));
    EXPECT_STREQ(k.GetPresetName(12), "My Lead");
    g().AddAnswer(HeadlessAnswer::Item(IPresetMenu::kRenamePreset));
    g().AddAnswer(HeadlessAnswer::Text(""));
    g().Click(100, 35);
    EXPECT_STREQ(k.GetPresetName(12), "My Lead") << "an empty name keeps the old one";
}

TEST_F(Editor, PresetMenuFileActionsGoThroughTheDialogs) {
    Karvelund& k = host.plug();
    k.RestorePreset(4);
    const std::string program = temp("lead.kvp"), bank = temp("all.kvb");
    g().AddAnswer(HeadlessAnswer::Item(IPresetMenu::kExportPreset));
    g().AddAnswer(HeadlessAnswer::Path(program));
    g().Click(100, 35);
    EXPECT_EQ(std::filesystem::file_size(program), 180u);

    g().AddAnswer(HeadlessAnswer::Item(IPresetMenu::kExportBank));
    g().AddAnswer(HeadlessAnswer::Path(bank));
    g().Click(100, 35);
    EXPECT_EQ(std::filesystem::file_size(bank), 11676u);

    const std::string name4 = k.GetPresetName(4);
    k.RestorePreset(9);
    g().AddAnswer(HeadlessAnswer::Item(IPresetMenu::kImportPreset));
    g().AddAnswer(HeadlessAnswer::Path(program));
    g().Click(100, 35);
    EXPECT_STREQ(k.GetPresetName(9), name4.c_str());

    g().AddAnswer(HeadlessAnswer::Item(IPresetMenu::kImportPreset));
    g().AddAnswer(HeadlessAnswer::Cancel());
    g().Click(100, 35);
    EXPECT_STREQ(k.GetPresetName(9), name4.c_str()) << "a cancelled dialog changes nothing";

    // "Save Preset Changes..." writes the per-user factory bank, creating its folder.
    k.RestorePreset(2);
    host.setParam(kCutoff, 0.3);
    g().AddAnswer(HeadlessAnswer::Item(IPresetMenu::kSavePresetChanges));
    g().Click(100, 35);
    ASSERT_TRUE(std::filesystem::exists(k.GetFactoryBankPath()));
    InstrumentHost reopened(64, 48000.0, true);
    reopened.plug().RestorePreset(2);
    EXPECT_NEAR(reopened.plug().GetParam(kCutoff)->Value(), 0.3, 1e-6);
}

TEST_F(Editor, AboutBoxOpensFromTheTopRightStripAndClosesOnAClick) {
    const auto before = pixels();
    g().Click(700, 40);
    g().DrawDirty();
    const IRECT shown = changedArea(before, pixels());
    EXPECT_GE(shown.L, 270);
    EXPECT_GE(shown.T, 175);
    EXPECT_GT(shown.W(), 100);
    g().Click(500, 300); // on the picture
    g().DrawDirty();
    EXPECT_EQ(pixels(), before) << "the controls beneath are drawn again";
    g().Click(500, 300); // hidden again: no effect on the picture
    g().DrawDirty();
    EXPECT_EQ(pixels(), before);
    EXPECT_TRUE(host.plug().HostRequestingAboutBox());
    g().DrawDirty();
    EXPECT_NE(pixels(), before);
}

TEST_F(Editor, RedrawsTouchOnlyTheControlThatChanged) {
    const auto before = pixels();
    IMouseMod none;
    g().OnMouseWheel(kSyncKnobX, kSyncKnobY, &none, 4);
    g().DrawDirty();
    const IRECT changed = changedArea(before, pixels());
    EXPECT_FALSE(changed.Empty());
    EXPECT_GE(changed.L, 276);
    EXPECT_GE(changed.T, 138);
    EXPECT_LE(changed.R, 276 + 40);
    EXPECT_LE(changed.B, 138 + 40);
}

TEST_F(Editor, KeyboardShowsHeldNotesAndTheMouseKey) {
    const auto before = pixels();
    host.noteOn(60, 100); // the keyboard's lowest note is 48
    host.renderBlocks(1);
    g().DrawDirty();
    const IRECT lit = changedArea(before, pixels());
    EXPECT_GE(lit.L, 1 + 7 * 12);
    EXPECT_LE(lit.R, 1 + 8 * 12);
    EXPECT_GE(lit.T, 233);
    host.noteOff(60);
    host.renderBlocks(1);
    g().DrawDirty();
    EXPECT_EQ(pixels(), before);

    host.plug().SetRecordParamChanges(true);
    IMouseMod left(true);
    g().OnMouseDown(1 + 12 * 3 + 6, 275, &left); // the F of the lowest octave
    g().DrawDirty();
    EXPECT_NE(pixels(), before);
    g().OnMouseUp(1 + 12 * 3 + 6, 275, &left);
    g().DrawDirty();
    EXPECT_EQ(pixels(), before);
    EXPECT_TRUE(host.plug().GetParamChanges().empty()) << "the keyboard sends nothing";
}

TEST_F(Editor, KeyboardFindsTheKeyUnderThePointer) {
    IKeyboardControl* keyboard = nullptr;
    for (int i = 0; i < g().NControls() && !keyboard; ++i)
        keyboard = dynamic_cast<IKeyboardControl*>(g().GetControl(i));
    ASSERT_NE(keyboard, nullptr);
    const int left = 1, top = 233;
    EXPECT_EQ(keyboard->GetMouseKey(left + 9, top + 5), 1) << "C sharp, among the black keys";
    EXPECT_EQ(keyboard->GetMouseKey(left + 14, top + 5), 2) << "D, between two black keys";
    EXPECT_EQ(keyboard->GetMouseKey(left + 50, top + 40), 7) << "G, below the black keys";
    EXPECT_EQ(keyboard->GetMouseKey(left + 84 + 9, top + 5), 13) << "second octave";
    EXPECT_EQ(keyboard->GetMouseKey(left + 5 * 84 + 3, top + 40), 60) << "the topmost C";
    EXPECT_EQ(keyboard->GetMouseKey(left - 1, top + 5), -1);

    host.noteOn(49, 100); // the C sharp of the lowest octave, held by MIDI
    host.renderBlocks(1);
    IMouseMod press(true);
    keyboard->OnMouseDown(1 + 9, 233 + 5, &press);
    EXPECT_EQ(keyboard->GetMouseHeldKey(), -1) << "a held key does not take the highlight";
    keyboard->OnMouseDown(1 + 50, 233 + 40, &press);
    EXPECT_EQ(keyboard->GetMouseHeldKey(), 7);
    keyboard->OnMouseUp(0, 0, &press);
    EXPECT_EQ(keyboard->GetMouseHeldKey(), -1);
}
