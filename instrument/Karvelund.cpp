#include "Karvelund.h"

#include "DenormalGuard.h"
#include "IPresetMenu.h"
#include "KarvelundEditor.h"
#include "KarvelundIdentity.h"
#include "core/PlatformPaths.h"
#include "editor/IGraphics.h"

#include <algorithm>
#include <cstdio>
#include <memory>

using namespace karvelund;

Karvelund::Karvelund(IPluginInstanceInfo instanceInfo)
    : PluginBinding(instanceInfo, kNumParams, kChannelIO, kNumPresets, kEffectName, kProductName,
                    kMfrName, kVersion, kUniqueID, kMfrID, /*latency*/ 0, /*plugDoesMidi*/ true,
                    /*plugDoesChunks*/ false, /*plugIsInst*/ true) {
    IGraphics* graphics = MakeGraphics(this, kEditorWidth, kEditorHeight, 0);
    KarvelundEditor editor(this, graphics);
    for (const ParamDef& def : KarvelundParamTable()) {
        InitParamFromDef(GetParam(def.index), def);
        editor.AttachParamControl(def);
    }
    editor.AttachFinalControls();
    mAboutBox = editor.aboutBox;
    mKeyboard = editor.keyboard;
    mPresetMenu = editor.presetMenu;
    AttachGraphics(graphics);

    MakeDefaultPreset("-", kNumPresets);
    LoadFactoryBank();
    mPresetMenu->setCurrentBankPath(&mFactoryBankPath);
}

Karvelund::~Karvelund() = default;

// The per-user bank (written by "Save Preset Changes...") wins; without it the bank installed
// beside the program is read.
void Karvelund::LoadFactoryBank() {
    GetUserDataPath(kFactoryBankUserFolder, kFactoryBankFileName, &mFactoryBankPath);
    UTIL_String installed;
    GetInstalledPath(kFactoryBankFileName, &installed);
    for (const UTIL_String* path : {&mFactoryBankPath, &installed}) {
        if (path->GetLength() > 0 && LoadBankFromFXB(path->Get())) {
            mLoadedBankPath.Set(path->Get());
            return;
        }
    }
    std::fprintf(stderr, "file open error!\n  tried: %s\n  tried: %s\n", mFactoryBankPath.Get(),
                 installed.Get());
}

void Karvelund::Reset() {
    IMutexLock lock(this);
    mEngineSampleRate = GetSampleRate();
    mMidiQueue.Resize(GetBlockSize());
    mSynth.init(mEngineSampleRate);
}

void Karvelund::ClearPlayingState() {
    IMutexLock lock(this);
    // The engine is not assignable (its voices point into its shared state): a new one is
    // built in its place.
    std::destroy_at(&mSynth);
    std::construct_at(&mSynth);
    mMidiQueue = IMidiQueue();
    mKeysChanged = false;
    mNotesStarted = 0;
    mNumHeldKeys = 0;
    std::fill(std::begin(mKeyStatus), std::end(mKeyStatus), false);
    std::fill(std::begin(mKeyHeldByPedal), std::end(mKeyHeldByPedal), false);
    mLastVelocity = 0;
    mTimeInfo = ITimeInfo();
    mParamResetPending = true;
    lfogateisstart = false;
    // As the host's initialisation does: rate and queue size, then every parameter.
    Reset();
    OnParamReset();
}

bool Karvelund::HostRequestingAboutBox() {
    IMutexLock lock(this);
    if (GetGUI() && mAboutBox) {
        mAboutBox->SetValueFromPlug(1.0);
        mAboutBox->Hide(false);
    }
    return true;
}

bool Karvelund::GetKeyStatus(int key) {
    IMutexLock lock(this);
    return key >= 0 && key < 128 && mKeyStatus[key];
}

int Karvelund::GetNumKeys() {
    IMutexLock lock(this);
    return mNumHeldKeys;
}

void Karvelund::ProcessDoubleReplacing(double** /*inputs*/, double** outputs, int nFrames) {
    DenormalGuard flushDenormals;
    GetTime(&mTimeInfo);
    mSynth.lfo.setBPM(mTimeInfo.mTempo);
    mSynth.lfo.setSpeed(GetParam(kLFOSpeed)->Value());

    double* left = outputs[0];
    double* right = outputs[1];
    double* out = left ? left : right;
    if (!out) return;
    // The engine renders the runs of samples between the messages' offsets.
    int s = 0;
    while (s < nFrames) {
        while (!mMidiQueue.Empty() && mMidiQueue.Peek()->mOffset <= s) {
            DispatchMidi(mMidiQueue.Peek());
            mMidiQueue.Remove();
        }
        const int next = mMidiQueue.Empty() ? nFrames : mMidiQueue.Peek()->mOffset;
        const int end = next < nFrames ? next : nFrames;
        // Nothing sounds before the first note; the engine starts at that very sample, so
        // the result does not depend on where the host's blocks begin.
        if (mNotesStarted > 0)
            mSynth.render(out + s, end - s);
        else
            std::fill(out + s, out + end, 0.0);
        s = end;
    }
    if (left && right) std::copy(left, left + nFrames, right);
    mMidiQueue.Flush(nFrames);
}
