#include "editor/IActionControls.h"

#include "editor/IGraphics.h"

namespace {

// Longest texts kept: addresses 255 characters, the error message 1023.
constexpr int kMaxURLLen = 255;
constexpr int kMaxErrorMessageLen = 1023;

} // namespace

IURLControl::IURLControl(IPluginBase* plug, IRECT rect, const char* url, const char* backupURL,
                         const char* errorMessage)
    : IControl(plug, rect, -1, IChannelBlend(kBlendAlpha, 1.0f)), mURL(url, kMaxURLLen),
      mBackupURL(backupURL, kMaxURLLen), mErrorMessage(errorMessage, kMaxErrorMessageLen) {}

void IURLControl::OnMouseDown(int /*x*/, int /*y*/, IMouseMod* /*mod*/) {
    IGraphics* graphics = GetGUI();
    if (!graphics) return;
    const char* error = mErrorMessage.Empty() ? nullptr : mErrorMessage.Get();
    bool opened = false;
    if (!mURL.Empty()) opened = graphics->OpenURL(mURL.Get(), nullptr, nullptr, error);
    if (!opened && !mBackupURL.Empty())
        graphics->OpenURL(mBackupURL.Get(), nullptr, nullptr, error);
}

IFileSelectorControl::IFileSelectorControl(IPluginBase* plug, IRECT rect, int paramIdx,
                                           IBitmap* bitmap, EFileAction action, const char* dir,
                                           const char* extensions)
    : IControl(plug, rect, paramIdx, IChannelBlend(kBlendAlpha, 1.0f)),
      mBitmap(bitmap ? *bitmap : IBitmap()), mDir(dir), mExtensions(extensions), mAction(action) {}

void IFileSelectorControl::OnMouseDown(int /*x*/, int /*y*/, IMouseMod* /*mod*/) {
    IGraphics* graphics = GetGUI();
    if (!graphics) return;
    mState = kFSSelecting;
    SetDirty(false);
    graphics->PromptForFile(&mFile, mAction, &mDir, mExtensions.Get());
    mValue += 1.0;
    if (mValue > 1.0) mValue = 0.0;
    mState = kFSDone;
    SetDirty(true);
}

bool IFileSelectorControl::Draw(IGraphics* graphics) {
    if (mState != kFSSelecting) return true;
    return graphics->DrawBitmap(&mBitmap, &mRECT, 0, 0, nullptr);
}

bool IFileSelectorControl::IsDirty() {
    if (mDirty) return true;
    if (mState == kFSDone) {
        mState = kFSNone;
        return true;
    }
    return false;
}
