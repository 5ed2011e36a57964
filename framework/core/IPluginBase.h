#pragma once

#include "IPluginEditor.h"

#include "core/ByteChunk.h"
#include "core/Hosts.h"
#include "core/IParam.h"
#include "core/IPluginStructs.h"
#include "core/IPreset.h"
#include "util/UTIL_HeapBuf.h"
#include "util/UTIL_Mutex.h"
#include "util/UTIL_PtrList.h"
#include "util/UTIL_String.h"

#include <memory>
#include <type_traits>
#include <vector>

class IGraphics;
class IPluginEditor;

// Which plug-in interface a binding speaks.
enum EAPI { kAPIVST2 = 0, kAPIVST3 = 1, kAPIAU = 2, kAPIRTAS = 3, kAPIAAX = 4, kAPISA = 5 };

// "VST2", "VST3", "AU", "RTAS", "AAX", "Standalone"; "" for other values.
const char* GetAPIString(EAPI api);
// "x64".
const char* GetArchString();

// Host-independent base of every plug-in: parameters, presets, channel layouts and buffer
// routing, identity, state, program and bank files, and the one recursive mutex that
// serialises parameter and state changes. A host binding derives from it and supplies the
// pure virtual operations that talk to the host; the plug-in derives from the binding.
//
// The operations are implemented across several files: IPluginBase.cpp (identity, defaults),
// IPluginBaseChannels.cpp (layouts, connections, buffers), IPluginBaseParams.cpp (parameter
// changes, editor, state), IPluginBasePresets.cpp, IPluginBaseFiles.cpp (program and bank
// files).
class IPluginBase {
public:
    static constexpr int kNameLen = 128; // effect, product and maker names, terminator included

    struct ChannelIO {
        int mIn;
        int mOut;
    };
    struct InChannel {
        bool mConnected = false;
        double** mSrc = nullptr; // this channel's slot in the input-pointer array
        UTIL_TypedBuf<double> mScratchBuf;
        UTIL_String mLabel;
    };
    struct OutChannel {
        bool mConnected = false;
        double** mDest = nullptr; // this channel's slot in the output-pointer array
        float* mFDest = nullptr;  // the host's single-precision buffer, or null
        UTIL_TypedBuf<double> mScratchBuf;
        UTIL_String mLabel;
    };

    // Holds the plug-in's mutex for its lifetime.
    class IMutexLock {
    public:
        explicit IMutexLock(const IPluginBase* plug) : mLock(&plug->mMutex) {}

    private:
        UTIL_MutexLock mLock;
    };

    // channelIOStr lists the legal layouts as "in-out" pairs separated by single spaces
    // ("0-1 0-2"); a malformed string is a set-up error (assertion "channelIOStrValid").
    IPluginBase(int nParams, const char* channelIOStr, int nPresets, const char* effectName,
                const char* productName, const char* mfrName, int vendorVersion, int uniqueID,
                int mfrID, int latency, bool plugDoesMidi, bool plugDoesChunks, bool plugIsInst,
                EAPI plugAPI);
    IPluginBase(const IPluginBase&) = delete;
    IPluginBase& operator=(const IPluginBase&) = delete;

    // ---- Virtual operations, in slot order ----
    virtual ~IPluginBase();
    virtual void Reset();
    virtual void OnParamChange(int paramIdx);
    // Default: copies input i to output i where both exist and zeroes the other outputs.
    virtual void ProcessDoubleReplacing(double** inputs, double** outputs, int nFrames);
    virtual void ProcessSingleReplacing(float** inputs, float** outputs, int nFrames);
    virtual void OnGUIOpen() {}
    virtual void OnGUIClose() {}
    virtual void OnIdle() {}
    virtual void OnActivate(bool active);
    // Default: passes the message on with SendMidiMsg. The plug-in may rewrite msg.
    virtual void ProcessMidiMsg(IMidiMsg* msg);
    virtual void ProcessSysEx(ISysEx* /*msg*/) {}
    virtual bool MidiNoteName(int noteNumber, char* noteName);
    // Default: SerializeParams.
    virtual bool SerializeState(ByteChunk* chunk);
    // Default: UnserializeParams; returns the position after the state or -1.
    virtual int UnserializeState(const ByteChunk* chunk, int startPos);
    // True when the dataSize bytes at data hold, from double number startPos on, one double
    // per parameter equal to the current values in single precision (difference < 1e-5).
    // Reads only within the data; false when it is too short.
    virtual bool CompareState(const unsigned char* data, int dataSize, int startPos);
    virtual void OnWindowResize() {}
    virtual bool HostRequestingAboutBox() { return false; }
    virtual void OnHostIdentified() {}
    virtual void PopupHostContextMenuForParam(int /*paramIdx*/, int /*x*/, int /*y*/) {}
    // The editor moved a control: sets the parameter, tells the host, then OnParamChange.
    virtual void SetParameterFromGUI(int paramIdx, double normalizedValue);
    virtual void BeginInformHostOfParamChange(int paramIdx) = 0;
    virtual void InformHostOfParamChange(int paramIdx, double normalizedValue) = 0;
    virtual void EndInformHostOfParamChange(int paramIdx) = 0;
    virtual void InformHostOfProgramChange() = 0;
    virtual bool IsRenderingOffline() { return false; }
    virtual int GetSamplePos() = 0;
    virtual double GetTempo() = 0;
    virtual void GetTimeSig(int* numerator, int* denominator) = 0;
    virtual void GetTime(ITimeInfo* timeInfo) = 0;
    virtual EHost GetHost() { return mHost; }
    virtual EAPI GetAPI() { return mAPI; }
    virtual void ResizeGraphics(int w, int h) = 0;
    virtual void HostSpecificInit() {}
    // Takes ownership of the editor, pushes every parameter's normalised value into it and
    // lets it prepare its drawing. Null is ignored.
    virtual void AttachGraphics(IPluginEditor* graphics);
    virtual void SetLatency(int samples) { mLatency = samples; }
    virtual bool SendMidiMsg(IMidiMsg* msg) = 0;
    virtual bool SendSysEx(ISysEx* /*msg*/) { return false; }
    // Pushes every parameter's value (not normalised) into the attached editor.
    virtual void RedrawParamControls();
    virtual void DirtyPTCompareState() {}
    virtual void PresetsChangedByHost() {}
    // Resizes and zeroes the scratch buffers when n differs from the current block size.
    virtual void SetBlockSize(int blockSize);
    // Checks, without changing anything, that chunk holds at startPos a state that
    // UnserializeState reads successfully; returns the position after it or -1. The default
    // matches SerializeParams (one finite double per parameter). A plug-in that overrides
    // UnserializeState overrides this too. Used to refuse broken files before any change.
    virtual int CheckState(const ByteChunk* chunk, int startPos) const;

    // ---- Identity ----
    const char* GetEffectName() const { return mEffectName; }
    const char* GetProductName() const { return mProductName; }
    const char* GetMfrName() const { return mMfrName; }
    int GetUniqueID() const { return mUniqueID; }
    int GetMfrID() const { return mMfrID; }
    // The packed version, or its decimal form (10103 for 1.1.3).
    int GetEffectVersion(bool decimal) const;
    // "v1.1.3D" into str of strSize bytes.
    void GetEffectVersionStr(char* str, int strSize = 32) const;
    // The host's version after letting the binding identify the host.
    int GetHostVersion(bool decimal);
    void GetHostVersionStr(char* str, int strSize = 32);
    void SetHost(const char* hostName, int version);
    bool IsInst() const { return mIsInst; }
    bool DoesMIDI() const { return mDoesMIDI; }
    bool DoesStateChunks() const { return mStateChunks; }
    bool IsBypassed() const { return mIsBypassed; }
    void SetBypassed(bool bypassed) { mIsBypassed = bypassed; }
    double GetSampleRate() const { return mSampleRate; }
    int GetBlockSize() const { return mBlockSize; }
    int GetLatency() const { return mLatency; }
    // Defined by the editor toolkit (IGraphics.cpp), the only kind of editor a plug-in attaches.
    IGraphics* GetGUI() const;
    IPluginEditor* GetEditor() const { return mGraphics.get(); }
    int GetCurrentPresetIdx() const { return mCurrentPresetIdx; }
    int NParams() const { return mParams.GetSize(); }
    int NPresets() const { return mPresets.GetSize(); }
    int NInChannels() const { return mInChannels.GetSize(); }
    int NOutChannels() const { return mOutChannels.GetSize(); }
    // The parameter at idx, or null.
    IParam* GetParam(int idx) const { return mParams.Get(idx); }
    // sample rate * 60 / tempo, or 0 when the host gives no tempo.
    double GetSamplesPerBeat();

    // ---- Channel layouts and connections ----
    // True when a declared layout matches; a negative count matches anything.
    bool LegalIO(int nIn, int nOut) const;
    int NChannelIO() const { return mChannelIO.GetSize(); }
    // The layout at idx; false for an index outside the list.
    bool GetChannelIO(int idx, int* nIn, int* nOut) const;
    void LimitToStereoIO();
    void SetInputChannelConnections(int idx, int n, bool connected);
    void SetOutputChannelConnections(int idx, int n, bool connected);
    bool IsInChannelConnected(int chIdx) const;
    bool IsOutChannelConnected(int chIdx) const;
    void SetInputLabel(int idx, const char* label);
    void SetOutputLabel(int idx, const char* label);
    // Only buses 0 and 1 take an input name.
    void SetInputBusLabel(int idx, const char* label);
    void SetOutputBusLabel(int idx, const char* label);
    // The stored name, or null.
    const char* GetInputBusLabel(int idx) const;
    const char* GetOutputBusLabel(int idx) const;

    // ---- Audio buffers (audio thread, no lock, no allocation) ----
    // Frame counts above the block size are limited to it wherever scratch buffers are used.
    void SetSampleRate(double sampleRate) { mSampleRate = sampleRate; }
    void ZeroScratchBuffers();
    void AttachInputBuffers(int idx, int n, double** data, int nFrames);
    void AttachInputBuffers(int idx, int n, float** data, int nFrames);
    void AttachOutputBuffers(int idx, int n, double** data);
    void AttachOutputBuffers(int idx, int n, float** data);
    // The first argument only selects the overload.
    void ProcessBuffers(double, int nFrames);
    void ProcessBuffers(float, int nFrames);
    void ProcessBuffersAccumulating(float, int nFrames);
    void PassThroughBuffers(double, int nFrames);
    void PassThroughBuffers(float, int nFrames);

    // ---- Parameter changes and state ----
    // OnParamChange for every parameter in index order.
    void OnParamReset();
    // Sends each message with SendMidiMsg; true when every send succeeded.
    bool SendMidiMsgs(const UTIL_TypedBuf<IMidiMsg>* msgs);
    // Appends one double per parameter (its value) in index order.
    bool SerializeParams(ByteChunk* chunk);
    // Reads one double per parameter from startPos and sets it (clamped); a missing or
    // non-finite value fails the read: that parameter gets 0.0 (clamped) and the rest are
    // left alone. Then OnParamReset. Returns the position after the state, or -1.
    int UnserializeParams(const ByteChunk* chunk, int startPos);
    // InformHostOfParamChange for every parameter.
    void DirtyParameters();

    // ---- Presets ----
    // Each maker fills the first uninitialised preset, or does nothing when all are in use.
    // Fills nPresets free presets with the current state, named name ("Empty" for null).
    void MakeDefaultPreset(const char* name, int nPresets);
    // One value per parameter in index order: integers for bool, int and enum parameters,
    // doubles for double parameters. Missing values take the current value.
    template <typename... Values> void MakePreset(const char* name, Values... values) {
        const double list[] = {ToPresetArg(values)..., 0.0};
        MakePresetFromValues(name, list, static_cast<int>(sizeof...(values)));
    }
    // nParamsNamed pairs (parameter index, value); unnamed parameters take their current value.
    // An index outside the parameter list is a set-up error.
    template <typename... Args>
    void MakePresetFromNamedParams(const char* name, int nParamsNamed, Args... args) {
        const double list[] = {ToPresetArg(args)..., 0.0};
        MakePresetFromNamedValues(name, nParamsNamed, list, static_cast<int>(sizeof...(args)));
    }
    // The forms behind the templates: values[i] for parameter i; pairs of index and value.
    void MakePresetFromValues(const char* name, const double* values, int nValues);
    void MakePresetFromNamedValues(const char* name, int nParamsNamed, const double* pairs,
                                   int nPairValues);
    // A copy of the chunk's bytes.
    void MakePresetFromChunk(const char* name, const ByteChunk* chunk);
    // A chunk of sizeOfChunk bytes decoded from Base64 text (zero where the text ends early).
    void MakePresetFromBlob(const char* name, const char* blob, int sizeOfChunk);
    void EnsureDefaultPreset();
    void PruneUninitializedPresets();
    // Loads preset idx (an uninitialised one first takes the current state and a user preset
    // name) and makes it current. False, with nothing changed, for a bad index or a failed load.
    bool RestorePreset(int idx);
    bool RestorePreset(const char* name);
    // The name, or "" for an index outside the list.
    const char* GetPresetName(int idx) const;
    // The name copied under the instance lock, for threads other than the one that renames.
    void CopyPresetName(int idx, UTIL_String* name) const;
    // Stores the current state into the current preset and renames it when newName is not
    // empty.
    void ModifyCurrentPreset(const char* newName = nullptr);
    bool SerializePresets(ByteChunk* chunk);
    // Reads a preset list written by SerializePresets into the presets and restores the
    // current one. The list is checked in full first; a broken list changes nothing (-1).
    int UnserializePresets(const ByteChunk* chunk, int startPos);
    // Writes source text that recreates the current state with MakePresetFromNamedParams;
    // paramEnumNames holds one name per parameter.
    bool DumpPresetSrcCode(const char* fileName, const char* const* paramEnumNames);
    // Writes source text that recreates the current preset with MakePresetFromBlob.
    bool DumpPresetBlob(const char* fileName);

    // ---- Program (.kvp) and bank (.kvb) files ----
    // These need an attached editor (false without one) and ask through its file dialog,
    // starting in the last folder used.
    bool SaveProgramAsFXP(const char* defaultFileName = "");
    bool SaveBankAsFXB(const char* defaultFileName = "");
    bool LoadProgramFromFXP();
    bool LoadBankFromFXB();
    // The dialog edits the caller's string, which afterwards holds the chosen path.
    bool LoadBankFromFXB(UTIL_String* fileName);
    // By name without a dialog, but still only with an editor attached.
    bool SaveBankToFXB(UTIL_String* fileName);
    bool LoadBankFromFXB(UTIL_String fileName);
    // By name, with or without an editor (build tools, command-line tools, offline hosts).
    bool SaveProgramToFXP(const char* fileName);
    bool SaveBankToFXB(const char* fileName);
    bool LoadProgramFromFXP(const char* fileName);
    bool LoadBankFromFXB(const char* fileName);
    // The file bytes in memory. A load checks the whole file before changing anything and
    // refuses a truncated, malformed or foreign one, or one holding a non-finite number.
    void MakeProgramFile(ByteChunk* file);
    void MakeBankFile(ByteChunk* file);
    bool LoadProgramFromChunk(const ByteChunk* file);
    bool LoadBankFromChunk(const ByteChunk* file);

protected:
    UTIL_PtrList<ChannelIO> mChannelIO;
    mutable UTIL_Mutex mMutex;
    char mEffectName[kNameLen] = {};
    char mProductName[kNameLen] = {};
    char mMfrName[kNameLen] = {};
    int mUniqueID;
    int mMfrID;
    int mVersion;
    EAPI mAPI;
    EHost mHost = kHostUninit;
    int mHostVersion = 0;
    bool mStateChunks;
    bool mIsInst;
    bool mDoesMIDI;
    bool mIsBypassed = false;
    int mCurrentPresetIdx = 0;
    double mSampleRate = 44100.0;
    int mBlockSize = 0;
    int mLatency;
    UTIL_String mPreviousPath;
    std::vector<const char*> mParamGroups; // texts owned by the parameters
    std::unique_ptr<IPluginEditor> mGraphics;
    UTIL_PtrList<IParam> mParams;
    UTIL_PtrList<IPreset> mPresets;
    std::vector<double*> mInData;
    std::vector<double*> mOutData;
    UTIL_PtrList<InChannel> mInChannels;
    UTIL_PtrList<OutChannel> mOutChannels;
    UTIL_PtrList<UTIL_String> mInputBusLabels;
    UTIL_PtrList<UTIL_String> mOutputBusLabels;

private:
    template <typename T> static double ToPresetArg(T value) {
        if constexpr (std::is_enum_v<T>) {
            return static_cast<double>(static_cast<long long>(value));
        } else {
            static_assert(std::is_arithmetic_v<T>, "preset values are numbers");
            return static_cast<double>(value);
        }
    }

    void ParseChannelIO(const char* channelIOStr);
    void CreateChannels();
    void PointUnconnectedChannelsAtScratch();
    int ScratchLimitedFrames(int nFrames) const;
    bool AnyChannelUsesScratch() const;
    void CopyToFloatOutputs(int nProcessed, int nFrames, bool accumulate);

    IPreset* FirstUninitializedPreset();
    void MakeDefaultUserPresetName(UTIL_String* name) const;
    int CheckPresetList(const ByteChunk* chunk, int startPos) const;

    bool PromptForFileName(UTIL_String* fileName, bool save, const char* extension);
    bool WriteFile(const char* fileName, bool bank);
    bool ReadFileAndLoad(const char* fileName, bool bank);
};
