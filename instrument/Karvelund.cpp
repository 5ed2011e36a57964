#include "Karvelund.h"

#include "DenormalGuard.h"
#include "KarvelundEditor.h"
#include "KarvelundIdentity.h"
#include "PresetManager.h"
#include "core/PlatformPaths.h"
#include "editor/IGraphics.h"

#include <cstdio>

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
    std::printf("file open error!\n");
}

void Karvelund::Reset() {
    IMutexLock lock(this);
    mEngineSampleRate = GetSampleRate();
    mMidiQueue.Resize(GetBlockSize());
    mSynth.init(mEngineSampleRate);
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
    mSynth.lfo->setBPM(mTimeInfo.mTempo);
    mSynth.lfo->setSpeed(GetParam(kLFOSpeed)->Value());

    double* left = outputs[0];
    double* right = outputs[1];
    for (int s = 0; s < nFrames; ++s) {
        while (!mMidiQueue.Empty() && mMidiQueue.Peek()->mOffset <= s) {
            DispatchMidi(mMidiQueue.Peek());
            mMidiQueue.Remove();
        }
        // Nothing sounds before the first note; the engine starts at that very sample, so
        // the result does not depend on where the host's blocks begin.
        const double y = mNotesStarted > 0 ? mSynth.process() : 0.0;
        if (left) left[s] = y;
        if (right) right[s] = y;
    }
    mMidiQueue.Flush(nFrames);
}
