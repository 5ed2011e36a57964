#pragma once

#include "core/IPluginBase.h"
#include "util/UTIL_HeapBuf.h"
#include "util/UTIL_PtrList.h"
#include "util/UTIL_String.h"

#include <AudioToolbox/AudioToolbox.h>
#include <AudioUnit/AudioUnit.h>
#include <CoreFoundation/CoreFoundation.h>

// What the binding keeps for each instance it creates.
struct IPluginInstanceInfo {
    UTIL_String mOSXBundleID;
    UTIL_String mCocoaViewFactoryClassName;
};

// The plug-in base bound to the AudioUnit (version 2) interface as a music device. The
// component entry (IPluginAUEntry) turns each host request into calls on the base class and
// on the plug-in's virtual operations; the host may also call the render and parameter
// procedures directly (fast dispatch).
//
// Locking: the render procedure holds the instance mutex for the whole block. Every other
// request holds it only while it reads or changes instance state; reading the host's
// records, validating, allocating and building the host's objects happen outside it, so a
// render never waits on them, and a state change reaches the audio in one piece.
//
// The work is spread over IPluginAU.cpp (construction, entry, lifecycle, parameters),
// IPluginAURender.cpp (buses, input assessment, render), IPluginAUProperties.cpp (the
// property table), IPluginAUState.cpp (ClassInfo, presets, host identity) and
// IPluginAUHost.cpp (notifications and host-time queries); the view entry and the view
// factory class are in IPluginAUView.cpp.
class IPluginAU : public IPluginBase {
public:
    enum EAUInputType {
        eNotConnected = 0,
        eDirectFastProc = 1,
        eDirectNoFastProc = 2,
        eRenderCallback = 3,
    };

    struct BusChannels {
        bool mConnected = false;
        int mNHostChannels = -1; // -1: the host has not said
        int mNPlugChannels = 0;
        int mPlugChannelStartIdx = 0;
    };

    struct InputBusConnection {
        void* mUpstreamObj = nullptr;
        AudioUnit mUpstreamUnit = nullptr;
        int mUpstreamBusIdx = 0;
        AudioUnitRenderProc mUpstreamRenderProc = nullptr;
        AURenderCallbackStruct mUpstreamRenderCallback = {};
        EAUInputType mInputType = eNotConnected;
    };

    struct PropertyListener {
        AudioUnitPropertyID mPropID;
        AudioUnitPropertyListenerProc mListenerProc;
        void* mProcArgs;
    };

    // Scratch buffers are sized for at most this many frames per render call.
    static constexpr UInt32 kMaxFramesPerSlice = 65536;
    // The largest state a host may hand over in a ClassInfo dictionary.
    static constexpr CFIndex kMaxStateBytes = 16 << 20;
    // A pulled input bus carries at most this many host channels.
    static constexpr int kMaxInputBusChannels = 128;

    IPluginAU(const IPluginInstanceInfo& instanceInfo, int nParams, const char* channelIOStr,
              int nPresets, const char* effectName, const char* productName, const char* mfrName,
              int vendorVersion, int uniqueID, int mfrID, int latency, bool plugDoesMidi,
              bool plugDoesChunks, bool plugIsInst, int plugScChans = 0);
    ~IPluginAU() override;

    // The component entry and the view component entry that the bundle exports.
    static ComponentResult IPluginAUEntry(ComponentParameters* params, void* pPlug);
    static ComponentResult IPluginAUCarbonViewEntry(ComponentParameters* params, void* pView);

    // ---- What the plug-in asks of its host ----
    void BeginInformHostOfParamChange(int idx) override;
    void InformHostOfParamChange(int idx, double normalizedValue) override;
    void EndInformHostOfParamChange(int idx) override;
    void InformHostOfProgramChange() override;
    bool IsRenderingOffline() override { return mIsOffline; }
    int GetSamplePos() override;
    double GetTempo() override;
    void GetTimeSig(int* numerator, int* denominator) override;
    void GetTime(ITimeInfo* timeInfo) override;
    EHost GetHost() override;
    void ResizeGraphics(int w, int h) override;
    void HostSpecificInit() override;
    void SetLatency(int samples) override;
    bool SendMidiMsg(IMidiMsg* msg) override;
    void SetBlockSize(int blockSize) override;

    const char* GetBundleID() const { return mOSXBundleID.Get(); }
    const char* GetViewFactoryClassName() const { return mCocoaViewFactoryClassName.Get(); }
    int NInBuses() const { return mInBuses.GetSize(); }
    int NOutBuses() const { return mOutBuses.GetSize(); }
    const BusChannels* GetInBus(int idx) const { return mInBuses.Get(idx); }
    const BusChannels* GetOutBus(int idx) const { return mOutBuses.Get(idx); }
    const InputBusConnection* GetInBusConnection(int idx) const {
        return mInBusConnections.Get(idx);
    }

    // The fast-dispatch procedures; the first argument is the instance.
    static OSStatus GetParamProc(void* pPlug, AudioUnitParameterID paramID, AudioUnitScope scope,
                                 AudioUnitElement element, AudioUnitParameterValue* value);
    static OSStatus SetParamProc(void* pPlug, AudioUnitParameterID paramID, AudioUnitScope scope,
                                 AudioUnitElement element, AudioUnitParameterValue value,
                                 UInt32 offsetFrames);
    static OSStatus RenderProc(void* pPlug, AudioUnitRenderActionFlags* ioActionFlags,
                               const AudioTimeStamp* timeStamp, UInt32 outputBusNumber,
                               UInt32 nFrames, AudioBufferList* ioData);

protected:
    // The property interface: info requests (data null) report size and writability only.
    ComponentResult GetProperty(AudioUnitPropertyID propID, AudioUnitScope scope,
                                AudioUnitElement element, UInt32* dataSize, Boolean* writable,
                                void* data);
    ComponentResult SetProperty(AudioUnitPropertyID propID, AudioUnitScope scope,
                                AudioUnitElement element, UInt32* dataSize, const void* data);

private:
    static ComponentResult Dispatch(IPluginAU* plug, SInt16 selector, ComponentParameters* params);
    static ComponentResult Open(ComponentParameters* params);
    static ComponentResult Close(IPluginAU* plug);

    // Buses and connections (IPluginAURender.cpp).
    void BuildBuses(int plugScChans);
    BusChannels* GetBus(AudioUnitScope scope, AudioUnitElement busIdx);
    static int NHostChannelsConnected(const UTIL_PtrList<BusChannels>& buses, int excludeIdx);
    bool CheckLegalIO(AudioUnitScope scope, int busIdx, int nChannels);
    bool CheckLegalIO();
    void AssessInputConnections();
    void ClearConnections();
    ComponentResult PullInputs(const AudioTimeStamp* timeStamp, UInt32 nFrames);
    void ConnectOutputBus(BusChannels& bus, int nHostBuffers);
    int LastConnectedOutputBus() const;
    void NotifyRender(AudioUnitRenderActionFlags flags, const AudioTimeStamp* timeStamp,
                      UInt32 busNumber, UInt32 nFrames, AudioBufferList* ioData);
    ComponentResult Render(AudioUnitRenderActionFlags* ioActionFlags,
                           const AudioTimeStamp* timeStamp, UInt32 outputBusNumber, UInt32 nFrames,
                           AudioBufferList* ioData);

    // Property rows (IPluginAUProperties.cpp).
    ComponentResult GetParamInfo(AudioUnitElement element, AudioUnitParameterInfo* info);
    ComponentResult GetValueStrings(AudioUnitElement element, UInt32* dataSize, void* data);
    ComponentResult GetStreamFormat(AudioUnitScope scope, AudioUnitElement element, void* data);
    ComponentResult SetStreamFormat(AudioUnitScope scope, AudioUnitElement element,
                                    const AudioStreamBasicDescription* asbd);
    ComponentResult MakeConnection(const AudioUnitConnection* connection);
    ComponentResult SetRenderCallback(AudioUnitElement element, const AURenderCallbackStruct* cb);
    ComponentResult GetElementName(AudioUnitScope scope, AudioUnitElement element, void* data);
    ComponentResult GetCocoaUI(void* data);
    ComponentResult GetStringFromValue(AudioUnitParameterStringFromValue* request);
    ComponentResult GetValueFromString(AudioUnitParameterValueFromString* request);
    ComponentResult GetParamName(AudioUnitParameterNameInfo* request);
    ComponentResult GetClumpName(AudioUnitParameterNameInfo* request);
    ComponentResult SetMaxFrames(UInt32 nFrames);
    bool GetChannelLayoutTags(AudioUnitScope scope, AudioUnitElement element,
                              AudioChannelLayoutTag* tags);
    static AudioStreamBasicDescription MakeDefaultASBD(double sampleRate, int nChannels,
                                                       bool interleaved);

    // State, presets and host identity (IPluginAUState.cpp).
    ComponentResult GetState(CFPropertyListRef* plist);
    ComponentResult SetState(CFPropertyListRef plist);
    ComponentResult GetFactoryPresets(CFArrayRef* presets);
    ComponentResult GetPresentPreset(AUPreset* preset);
    void SetHostIdentifier(const AUHostIdentifier* identifier);

    // Listeners and notifications (IPluginAUHost.cpp).
    void InformListeners(AudioUnitPropertyID propID, AudioUnitScope scope);
    void SendParamEvent(AudioUnitEventType type, int idx);

    UTIL_String mOSXBundleID;
    UTIL_String mCocoaViewFactoryClassName;
    AudioUnit mCI = nullptr;
    bool mActive = false;
    bool mIsOffline = false;
    double mLastRenderSampleTime = -1.0;
    double mTempo = 120.0;
    char mParamDisplayStr[32] = {};
    HostCallbackInfo mHostCallbacks = {};
    UTIL_TypedBuf<float> mInScratchBuf{4096};
    UTIL_TypedBuf<float> mOutScratchBuf{4096};
    UTIL_PtrList<AURenderCallbackStruct> mRenderNotify;
    UTIL_PtrList<BusChannels> mInBuses;
    UTIL_PtrList<BusChannels> mOutBuses;
    UTIL_PtrList<InputBusConnection> mInBusConnections;
    UTIL_PtrList<PropertyListener> mPropertyListeners;
};

// Made by the product: a new instance of the plug-in, one at a time across the process.
IPluginAU* MakeAUPlug();

// "NotConnected", "DirectFastProc", "DirectNoFastProc", "RenderCallback".
const char* AUInputTypeStr(int type);
