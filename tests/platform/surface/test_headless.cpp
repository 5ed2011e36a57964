// The headless surface: its scripted answers to menus, text fields, dialogs and message
// boxes, the prompts for parameter values they serve, and its timer tick and picture.
#include "EditorTestKit.h"
#include "PluginBinding.h"
#include "editor/IControls.h"
#include "editor/IPopupMenu.h"

using namespace kvtest;

namespace {

// Keeps the text a text field confirms for it.
class RenameControl : public IControl {
public:
    explicit RenameControl(IPluginBase* plug) : IControl(plug, IRECT(0, 0, 50, 20)) {
        mTextEntryLength = 5;
    }
    bool Draw(IGraphics*) override { return true; }
    void TextFromTextEntry(const char* text) override { mText = text; }
    std::string mText = "(none)";
};

} // namespace

class HeadlessTest : public EditorTest {
protected:
    HeadlessTest() {
        mGui->AttachPanelBackground(&COLOR_WHITE);
        mFrames = Frames(20, 20, 3);
        mWave = new ISwitchPopUpControl(mPlug.get(), 10, 10, kWave, &mFrames);
        mGain = new ICaptionControl(mPlug.get(), IRECT(40, 10, 100, 30), kGain, nullptr);
        mSteps = new ICaptionControl(mPlug.get(), IRECT(110, 10, 170, 30), kSteps, nullptr);
        for (IControl* control : {mWave, mGain, mSteps})
            mGui->AttachControl(control);
        Attach();
    }
    IBitmap mFrames;
    IControl *mWave, *mGain, *mSteps;
};

TEST_F(HeadlessTest, ParameterMenuOffersTheTextsWithTheCurrentOneChecked) {
    mGui->AddAnswer(HeadlessAnswer::Item(2));
    mGui->Click(15, 15);
    ASSERT_EQ(mGui->Prompts().size(), 1u);
    const HeadlessPrompt& menu = mGui->Prompts()[0];
    EXPECT_EQ(menu.kind, HeadlessPrompt::kMenu);
    EXPECT_EQ(menu.items, (std::vector<std::string>{"Saw", "Square", "Sine"}));
    EXPECT_EQ(menu.flags, (std::vector<int>{0, IPopupMenuItem::kChecked, 0}));
    EXPECT_EQ(menu.rect, IRECT(10, 10, 30, 30));
    EXPECT_EQ(mPlug->GetParam(kWave)->Int(), 2);
    mGui->DrawDirty();
    EXPECT_EQ(Pixel(15, 15), FrameColour(2));
}

TEST_F(HeadlessTest, DismissedMenuChangesNothing) {
    mGui->Click(15, 15);                      // the queue is empty: cancel
    mGui->AddAnswer(HeadlessAnswer::Item(7)); // no such entry
    mGui->Click(15, 15);
    EXPECT_EQ(mGui->Prompts().size(), 2u);
    EXPECT_EQ(mPlug->GetParam(kWave)->Int(), 1);
}

TEST_F(HeadlessTest, ClosedWindowShowsNoMenuAndKeepsTheAnswer) {
    mGui->CloseWindow();
    EXPECT_FALSE(mGui->WindowIsOpen());
    mGui->AddAnswer(HeadlessAnswer::Item(0));
    mGui->Click(15, 15);
    EXPECT_EQ(mGui->PendingAnswers(), 1);
    EXPECT_TRUE(mGui->Prompts().empty());
    mGui->OpenWindow(nullptr);
    mGui->Click(15, 15);
    EXPECT_EQ(mGui->PendingAnswers(), 0);
    EXPECT_EQ(mPlug->GetParam(kWave)->Int(), 0);
}

TEST_F(HeadlessTest, TextEntrySetsANumberTypedByTheUser) {
    mGui->AddAnswer(HeadlessAnswer::Text("6.5"));
    mGui->Click(60, 20);
    ASSERT_EQ(mGui->Prompts().size(), 1u);
    EXPECT_EQ(mGui->Prompts()[0].kind, HeadlessPrompt::kTextEntry);
    EXPECT_EQ(mGui->Prompts()[0].text, "0.0");
    EXPECT_EQ(mGui->Prompts()[0].maxLength, 7);
    EXPECT_EQ(mGui->Prompts()[0].rect, IRECT(55, 12, 85, 28)); // 30 x 16 at the centre
    EXPECT_DOUBLE_EQ(mPlug->GetParam(kGain)->Value(), 6.5);
    EXPECT_EQ(Gestures(), "B4 C4 E4");
}

TEST_F(HeadlessTest, TextFieldKeepsOnlyWhatItAccepts) {
    mGui->AddAnswer(HeadlessAnswer::Text("-x3.5 dB"));  // letters and spaces are refused
    mGui->AddAnswer(HeadlessAnswer::Text("123456789")); // seven characters at most
    mGui->AddAnswer(HeadlessAnswer::Text("4.7"));       // no point for an integer
    mGui->Click(60, 20);
    EXPECT_DOUBLE_EQ(mPlug->GetParam(kGain)->Value(), -3.5);
    mGui->Click(60, 20);
    EXPECT_DOUBLE_EQ(mPlug->GetParam(kGain)->Value(), 12.0);
    mGui->Click(130, 20);
    EXPECT_EQ(mPlug->GetParam(kSteps)->Int(), 10); // "47", at most 10
}

TEST_F(HeadlessTest, TextThatIsNoNumberIsRefused) {
    IParam* gain = mPlug->GetParam(kGain);
    for (const char* text : {"", "abc", "nan", "inf", "-", ".", "1e999", "0x10"}) {
        gain->Set(2.0);
        mGui->SetParameterFromPlug(kGain, 2.0, false);
        mGui->SetFromStringAfterPrompt(mGain, gain, text);
        EXPECT_DOUBLE_EQ(gain->Value(), text == std::string("0x10") ? 0.0 : 2.0) << text;
    }
    mGui->SetFromStringAfterPrompt(mGain, gain, "  -3.5 dB");
    EXPECT_DOUBLE_EQ(gain->Value(), -3.5);
    mGui->SetFromStringAfterPrompt(mGain, gain, "1e1");
    EXPECT_DOUBLE_EQ(gain->Value(), 10.0);
    gain->NegateDisplay();
    mGui->SetFromStringAfterPrompt(mGain, gain, "4");
    EXPECT_DOUBLE_EQ(gain->Value(), -4.0);
}

TEST_F(HeadlessTest, NamedValuesFromAText) {
    IParam* wave = mPlug->GetParam(kWave);
    IParam* sync = mPlug->GetParam(kSync);
    auto* syncSwitch = new IInvisibleSwitchControl(mPlug.get(), IRECT(0, 140, 10, 150), kSync);
    mGui->AttachControl(syncSwitch);
    mGui->SetFromStringAfterPrompt(mWave, wave, "Sine");
    EXPECT_EQ(wave->Int(), 2);
    mGui->SetFromStringAfterPrompt(mWave, wave, "sine"); // names match exactly
    EXPECT_EQ(wave->Int(), 2);
    mGui->SetFromStringAfterPrompt(syncSwitch, sync, "On");
    EXPECT_TRUE(sync->Bool());
    mGui->SetFromStringAfterPrompt(syncSwitch, sync, "0");
    EXPECT_FALSE(sync->Bool());
}

TEST_F(HeadlessTest, TextEntryWithoutAParameterGoesToTheControl) {
    auto* rename = new RenameControl(mPlug.get());
    mGui->AttachControl(rename);
    IRECT r(0, 0, 50, 20);
    mGui->AddAnswer(HeadlessAnswer::Text("My preset name"));
    mGui->CreateTextEntry(rename, rename->GetText(), &r, "old", nullptr);
    EXPECT_EQ(rename->mText, "My pr");
    mGui->CreateTextEntry(rename, rename->GetText(), &r, "old", nullptr); // cancelled
    EXPECT_EQ(rename->mText, "My pr");
    EXPECT_EQ(mGui->Prompts().back().text, "old");
}

TEST_F(HeadlessTest, AnswersAreTakenInOrderWhateverIsAsked) {
    mGui->AddAnswer(HeadlessAnswer::Path("/tmp/banks/mine.kvb"));
    mGui->AddAnswer(HeadlessAnswer::Button(kMessageBoxResultNo));
    mGui->AddAnswer(HeadlessAnswer::Color(COLOR_ORANGE));
    mGui->AddAnswer(HeadlessAnswer::Text("ignored")); // a text where a path is asked for
    UTIL_String file, dir("/start/");
    mGui->PromptForFile(&file, kFileOpen, &dir, "kvb");
    EXPECT_STREQ(file.Get(), "/tmp/banks/mine.kvb");
    EXPECT_STREQ(dir.Get(), "/tmp/banks/");
    EXPECT_EQ(mGui->ShowMessageBox("Replace?", "Karvelund", kMessageBoxYesNo), kMessageBoxResultNo);
    IColor colour;
    EXPECT_TRUE(mGui->PromptForColor(&colour, "Colour"));
    EXPECT_EQ(colour, COLOR_ORANGE);
    mGui->PromptForFile(&file, kFileSave, &dir, "kvp");
    EXPECT_STREQ(file.Get(), "");
    EXPECT_STREQ(dir.Get(), "/tmp/banks/");
    EXPECT_EQ(mGui->PendingAnswers(), 0);

    const auto& asked = mGui->Prompts();
    ASSERT_EQ(asked.size(), 4u);
    EXPECT_EQ(asked[0].kind, HeadlessPrompt::kFile);
    EXPECT_EQ(asked[0].text, "kvb");
    EXPECT_EQ(asked[1].text, "Replace?");
    EXPECT_EQ(asked[2].kind, HeadlessPrompt::kColor);
    EXPECT_EQ(asked[3].type, kFileSave);
}

TEST_F(HeadlessTest, AnEmptyQueueCancelsEverything) {
    EXPECT_EQ(mGui->ShowMessageBox("?", "", kMessageBoxYesNoCancel), kMessageBoxResultCancel);
    EXPECT_EQ(mGui->ShowMessageBox("?", "", kMessageBoxYesNo), kMessageBoxResultNo);
    EXPECT_EQ(mGui->ShowMessageBox("!", "", kMessageBoxOK), kMessageBoxResultOK);
    IColor colour = COLOR_BLUE;
    EXPECT_FALSE(mGui->PromptForColor(&colour, ""));
    EXPECT_EQ(colour, COLOR_BLUE);
    UTIL_String file("previous");
    mGui->PromptForFile(&file, kFileOpen, nullptr, "kvp");
    EXPECT_STREQ(file.Get(), "");
}

TEST_F(HeadlessTest, MenuPathsReachIntoSubmenus) {
    IPopupMenu sub;
    sub.AddItem("Deep");
    sub.AddItem("Greyed", -1, IPopupMenuItem::kDisabled);
    IPopupMenu menu;
    menu.AddItem("Heading", -1, IPopupMenuItem::kTitle);
    menu.AddSeparator();
    menu.AddItem("More", &sub);
    IRECT r(0, 0, 10, 10);
    const std::vector<std::vector<int>> refused = {{0}, {1}, {2}, {2, 1}, {2, 5}, {}};
    for (const auto& path : refused) {
        mGui->AddAnswer(HeadlessAnswer::MenuPath(path));
        EXPECT_EQ(mGui->CreateIPopupMenu(&menu, &r), nullptr);
    }
    mGui->AddAnswer(HeadlessAnswer::MenuPath({2, 0}));
    EXPECT_EQ(mGui->CreateIPopupMenu(&menu, &r), &sub);
    EXPECT_EQ(sub.GetChosenItemIdx(), 0);
    EXPECT_EQ(menu.GetChosenItemIdx(), -1);
}

TEST_F(HeadlessTest, FileSelectorAsksAndRemembersTheChoice) {
    auto* selector = new IFileSelectorControl(mPlug.get(), IRECT(0, 100, 20, 120), kSync, &mFrames,
                                              kFileOpen, "/home/", "kvp kvb");
    mGui->AttachControl(selector);
    Attach();
    mGui->DrawDirty();
    mGui->AddAnswer(HeadlessAnswer::Path("/data/a.kvp"));
    mGui->Click(5, 110);
    UTIL_String chosen;
    selector->GetLastSelectedFileForPlug(&chosen);
    EXPECT_STREQ(chosen.Get(), "/data/a.kvp");
    EXPECT_EQ(mGui->Prompts().back().text, "kvp kvb");
    EXPECT_TRUE(mPlug->GetParam(kSync)->Bool());
    mGui->Click(5, 110);
    EXPECT_FALSE(mPlug->GetParam(kSync)->Bool());
    selector->GetLastSelectedFileForPlug(&chosen);
    EXPECT_STREQ(chosen.Get(), "");
}

TEST_F(HeadlessTest, TimerTickDrawsWhatIsDirtyAndThePictureCanBeSaved) {
    EXPECT_TRUE(mGui->DrawDirty());
    const int updates = mGui->ScreenUpdates();
    EXPECT_FALSE(mGui->DrawDirty());
    EXPECT_EQ(mGui->ScreenUpdates(), updates);
    EXPECT_EQ(Pixel(150, 100), RastColor(&COLOR_WHITE));

    TempFolder folder;
    const std::string file = folder.File("editor.png");
    ASSERT_TRUE(mGui->WritePNG(file.c_str()));
    std::unique_ptr<RAST_IBitmap> read(RAST_LoadPNG(file.c_str()));
    ASSERT_NE(read, nullptr);
    EXPECT_EQ(read->getWidth(), kWidth);
    EXPECT_EQ(RAST_GetPixel(read.get(), 15, 15), Pixel(15, 15));
    EXPECT_FALSE(mGui->WritePNG(folder.File("no/such/folder.png").c_str()));
}

TEST(HeadlessBinding, TheOfflineBindingGivesAHeadlessEditor) {
    EditorTestPlug plug;
    IGraphics* gui = MakeGraphics(&plug, 64, 32, 0);
    plug.AttachGraphics(gui);
    auto* headless = dynamic_cast<IGraphicsHeadless*>(plug.GetGUI());
    ASSERT_NE(headless, nullptr);
    EXPECT_EQ(headless->GetDrawBitmap()->getWidth(), 64);
    headless->AddAnswer(HeadlessAnswer::Path("/nonexistent-karvelund/x.kvp"));
    EXPECT_FALSE(plug.LoadProgramFromFXP()); // the file is not there, the dialog was asked
    EXPECT_EQ(headless->Prompts().at(0).text, "kvp");
}
