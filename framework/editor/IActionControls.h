#pragma once
// Invisible or nearly invisible controls whose click does something outside the editor:
// open a web address, or ask for a file.

#include "editor/IControl.h"
#include "util/UTIL_String.h"

// A click opens url, or backupURL when url is empty or cannot be opened. Draws nothing.
class IURLControl : public IControl {
public:
    IURLControl(IPluginBase* plug, IRECT rect, const char* url, const char* backupURL = nullptr,
                const char* errorMessage = nullptr);

    void OnMouseDown(int x, int y, IMouseMod* mod) override;
    bool Draw(IGraphics* /*graphics*/) override { return true; }

protected:
    UTIL_String mURL, mBackupURL, mErrorMessage;
};

// A click asks for a file with the surface's dialog and remembers the choice; each click also
// advances the value (0, 1, 0 ...). Shows its bitmap only while the dialog is open.
class IFileSelectorControl : public IControl {
public:
    enum EFileSelectorState { kFSNone = 0, kFSSelecting = 1, kFSDone = 2 };

    IFileSelectorControl(IPluginBase* plug, IRECT rect, int paramIdx, IBitmap* bitmap,
                         EFileAction action, const char* dir = "", const char* extensions = "");

    void OnMouseDown(int x, int y, IMouseMod* mod) override;
    bool Draw(IGraphics* graphics) override;
    // Also true once after a selection finished, so that the control is drawn again.
    bool IsDirty() override;

    void GetLastSelectedFileForPlug(UTIL_String* file) const { file->Set(mFile.Get()); }
    void SetLastSelectedFileFromPlug(const char* file) { mFile.Set(file); }
    EFileSelectorState GetState() const { return mState; }

protected:
    IBitmap mBitmap;
    UTIL_String mDir, mFile, mExtensions;
    EFileAction mAction;
    EFileSelectorState mState = kFSNone;
};
