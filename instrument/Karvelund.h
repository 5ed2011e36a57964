#pragma once

#include "CustomControl.h"
#include "KarvelundParams.h"
#include "PluginBinding.h"

#include "Synthesizer.h"
#include "core/IMidiQueue.h"
#include "util/UTIL_String.h"

#include <atomic>

class IBitmapOverlayControl;
class IKeyboardControl;
class IPresetMenu;

// The Karvelund instrument: eight-voice subtractive synthesizer. It derives from the host
// binding chosen at build time (PluginBinding.h of that binding).
class Karvelund : public PluginBinding, public IKeyboardStatus {
public:
    explicit Karvelund(IPluginInstanceInfo instanceInfo);
    ~Karvelund() override;

    void Reset() override;
    void OnParamChange(int paramIdx) override;
    void ProcessDoubleReplacing(double** inputs, double** outputs, int nFrames) override;
    void ProcessMidiMsg(IMidiMsg* msg) override;
    bool HostRequestingAboutBox() override;

    // Held keys, for the on-screen keyboard; both take the plug-in mutex.
    bool GetKeyStatus(int key) override;
    int GetNumKeys() override;
    bool TakeKeyChanges() override { return mKeysChanged.exchange(false); }

    // The bank file "Save Preset Changes..." writes to, and the file the constructor loaded
    // ("" when neither the per-user nor the installed bank could be read).
    const char* GetFactoryBankPath() const { return mFactoryBankPath.Get(); }
    const char* GetLoadedBankPath() const { return mLoadedBankPath.Get(); }

    // Back to the playing state of a new instance that its host has initialised: a new engine
    // (voices, envelopes, LFO, smoothers, noise and pulse-width sources), no held keys, the
    // pedal up, an empty MIDI queue with its counters at zero, and every parameter applied to
    // the engine again. Parameters and presets stay as they are. Allocates: call it between
    // blocks, never from the audio thread.
    void ClearPlayingState();

    // The engine, for inspection by tools and tests.
    const Synthesizer& GetSynth() const { return mSynth; }

private:
    // MIDI at its sample (KarvelundMidi.cpp).
    void DispatchMidi(const IMidiMsg* msg);
    void Controller(int controller, int value);
    void SetPedal(double value);
    // Keys, by phonic type, and the voices they start and release (KarvelundNotes.cpp).
    void KeyDown(int note, int velocity);
    void KeyUp(int note);
    void KeyDownMono(int note, int velocity);
    void KeyUpMono(int note);
    void KeyDownLegato(int note, int velocity);
    void KeyUpLegato(int note);
    void NoteOn(int note, int velocity);
    void NoteOff(int note);
    void NoteOffAll();
    void AllNotesOff();
    void SilenceAllVoices();
    int FindFreeVoice();
    // The key table that the on-screen keyboard shows.
    void SetKey(int note, bool down);
    void PressKey(int note);
    void LetGoKey(int note);
    void ClearKeys();
    void LoadFactoryBank();

    IBitmapOverlayControl* mAboutBox = nullptr; // the editor owns the controls
    IKeyboardControl* mKeyboard = nullptr;
    IPresetMenu* mPresetMenu = nullptr;
    std::atomic<bool> mKeysChanged{false};
    IMidiQueue mMidiQueue{1024};
    int mNotesStarted = 0;
    int mNumHeldKeys = 0;
    bool mKeyStatus[128] = {};
    // Keys let go while the pedal is down; they stay lit until the pedal is released.
    bool mKeyHeldByPedal[128] = {};
    double mEngineSampleRate = 44100.0;
    Synthesizer mSynth;
    int mLastVelocity = 0;
    ITimeInfo mTimeInfo;
    bool mParamResetPending = true;
    // The free-running LFO was restarted for the current phrase. Per instance, so that two
    // instruments in one host do not restart each other's LFO.
    bool lfogateisstart = false;
    UTIL_String mFactoryBankPath;
    UTIL_String mLoadedBankPath;
};

// Creates an instance, one at a time across the process.
Karvelund* MakePlug();
