#include "IPresetMenu.h"

#include "core/IPluginBase.h"
#include "editor/IGraphics.h"
#include "editor/IPopupMenu.h"

#include <cstring>
#include <filesystem>
#include <memory>

IPresetMenu::IPresetMenu(IPluginBase* plug, IRECT rect)
    : IControl(plug, rect, -1, IChannelBlend(kBlendAlpha, 1.0f)) {
    mTextEntryLength = 253;
    mText = IText(18, &COLOR_GRAY, "Arial", IText::kStyleBold, IText::kAlignLeft, 0,
                  IText::kQualityDefault);
}

// Read under the instance lock: the host may rename or load presets while the editor draws.
void IPresetMenu::FormatDisplay(UTIL_String* text) const {
    IPluginBase::IMutexLock lock(mPlug);
    const int current = mPlug->GetCurrentPresetIdx();
    text->SetFormatted(32, " %02d: %s", current + 1, mPlug->GetPresetName(current));
}

bool IPresetMenu::IsDirty() {
    if (!mDirty) {
        UTIL_String now;
        FormatDisplay(&now);
        if (std::strcmp(now.Get(), mDisp.Get()) != 0) mDirty = true;
    }
    return IControl::IsDirty();
}

bool IPresetMenu::Draw(IGraphics* graphics) {
    FormatDisplay(&mDisp);

    graphics->FillIRect(&COLOR_TRANSPARENT, &mRECT);
    graphics->DrawRect(&COLOR_GRAY, &mRECT);
    const int r = mRECT.R, t = mRECT.T;
    graphics->FillTriangle(&COLOR_GRAY, r - 12, t + 4, r - 4, t + 10, r - 12, t + 16, &mBlend);
    graphics->FillTriangle(&COLOR_GRAY, r - 18, t + 4, r - 26, t + 10, r - 18, t + 16, &mBlend);
    if (mDisp.GetLength() > 0) graphics->DrawIText(&mText, mDisp.Get(), &mRECT);
    return true;
}

void IPresetMenu::OnMouseDown(int x, int /*y*/, IMouseMod* mod) {
    const int r = mRECT.R;
    const int current = mPlug->GetCurrentPresetIdx();
    if (x > r - 26 && x < r - 15)
        mPlug->RestorePreset(current - 1); // refused before the first preset
    else if (x >= r - 15 && x < r)
        mPlug->RestorePreset(current + 1); // refused after the last
    else if (mod && mod->R)
        StartRename();
    else
        doPopupMenu();
    Redraw();
    SetDirty(true);
}

void IPresetMenu::StartRename() {
    if (IGraphics* graphics = GetGUI())
        graphics->CreateTextEntry(this, &mText, &mRECT,
                                  mPlug->GetPresetName(mPlug->GetCurrentPresetIdx()), nullptr);
}

void IPresetMenu::TextFromTextEntry(const char* text) {
    UTIL_String name(text, 256);
    mPlug->ModifyCurrentPreset(name.Get()); // an empty name keeps the old one
    mPlug->InformHostOfProgramChange();
    mPlug->DirtyParameters();
    SetDirty(false);
}

void IPresetMenu::setCurrentBankPath(const UTIL_String* path) {
    mBankPath.Set(path ? path->Get() : "");
}

void IPresetMenu::doPopupMenu() {
    IGraphics* graphics = GetGUI();
    if (!graphics) return;
    IPopupMenu menu(0, false);
    menu.AddItem("Save Preset Changes...");
    menu.AddItem("Rename Current Preset...");
    menu.AddSeparator();
    menu.AddItem("Import Preset...");
    menu.AddItem("Export Preset...");
    menu.AddSeparator();
    menu.AddItem("Import Bank...");
    menu.AddItem("Export Bank...");
    menu.AddSeparator();
    {
        IPluginBase::IMutexLock lock(mPlug);
        const int current = mPlug->GetCurrentPresetIdx();
        for (int i = 0; i < mPlug->NPresets(); ++i)
            menu.AddItem(mPlug->GetPresetName(i), -1,
                         i == current ? IPopupMenuItem::kChecked : IPopupMenuItem::kNoFlags);
    }

    const IPopupMenu* chosen = graphics->CreateIPopupMenu(&menu, &mRECT);
    if (chosen) RunMenuAction(chosen->GetChosenItemIdx());
}

void IPresetMenu::RunMenuAction(int index) {
    switch (index) {
    case kSavePresetChanges:
        SavePresetChanges();
        break;
    case kRenamePreset:
        StartRename();
        break;
    case kImportPreset:
        mPlug->LoadProgramFromFXP();
        break;
    case kExportPreset: {
        UTIL_String name;
        mPlug->CopyPresetName(mPlug->GetCurrentPresetIdx(), &name);
        mPlug->SaveProgramAsFXP(name.Get());
        break;
    }
    case kImportBank:
        mPlug->LoadBankFromFXB(&mBankPath);
        break;
    case kExportBank:
        mPlug->SaveBankAsFXB("My Preset Bank");
        break;
    default:
        if (index >= kFirstPreset && mPlug->RestorePreset(index - kFirstPreset)) {
            mPlug->InformHostOfProgramChange();
            mPlug->DirtyParameters();
        }
        break;
    }
}

void IPresetMenu::SavePresetChanges() {
    mPlug->ModifyCurrentPreset();
    if (mBankPath.GetLength() == 0) return;
    // The per-user bank's folder may not exist yet on a first save.
    std::error_code ec;
    std::filesystem::create_directories(std::filesystem::path(mBankPath.Get()).parent_path(), ec);
    mPlug->SaveBankToFXB(&mBankPath);
}
