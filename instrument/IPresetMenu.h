#pragma once

#include "editor/IControl.h"
#include "util/UTIL_String.h"

// The preset selector: shows " 04: Name" with previous/next arrows at its right end; a click
// elsewhere opens a menu of file actions and every preset, a right click renames the current
// preset.
class IPresetMenu : public IControl {
public:
    // The menu's fixed entries, by chosen index; preset i is entry kFirstPreset + i.
    enum EMenuItem {
        kSavePresetChanges = 0,
        kRenamePreset = 1,
        kImportPreset = 3,
        kExportPreset = 4,
        kImportBank = 6,
        kExportBank = 7,
        kFirstPreset = 9
    };

    IPresetMenu(IPluginBase* plug, IRECT rect);

    void OnMouseDown(int x, int y, IMouseMod* mod) override;
    void OnMouseDblClick(int x, int y, IMouseMod* mod) override { OnMouseDown(x, y, mod); }
    bool Draw(IGraphics* graphics) override;
    // Also dirty when the current preset or its name changed elsewhere (host, file loads).
    bool IsDirty() override;
    void TextFromTextEntry(const char* text) override;

    // The bank file "Save Preset Changes..." writes and "Import Bank..." updates.
    void setCurrentBankPath(const UTIL_String* path);
    const char* GetBankPath() const { return mBankPath.Get(); }
    const char* GetDisplayText() const { return mDisp.Get(); }

private:
    void FormatDisplay(UTIL_String* text) const;
    void doPopupMenu();
    void RunMenuAction(int index);
    void StartRename();
    void SavePresetChanges();

    UTIL_String mDisp;
    UTIL_String mBankPath;
};
