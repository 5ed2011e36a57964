#include "AUStrings.h"
#include "IPluginAU.h"

#include "core/Log.h"
#include "util/UTIL_String.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace {

template <typename T> void Put(void* data, const T& value) {
    std::memcpy(data, &value, sizeof(T));
}
template <typename T> T Read(const void* data) {
    T value;
    std::memcpy(&value, data, sizeof(T));
    return value;
}

void CopyText(char* dest, size_t destSize, const char* src) {
    std::snprintf(dest, destSize, "%s", src ? src : "");
}

} // namespace

AudioStreamBasicDescription IPluginAU::MakeDefaultASBD(double sampleRate, int nChannels,
                                                       bool interleaved) {
    AudioStreamBasicDescription asbd = {};
    asbd.mSampleRate = sampleRate;
    asbd.mFormatID = kAudioFormatLinearPCM;
    asbd.mFormatFlags = kAudioFormatFlagIsFloat | kAudioFormatFlagIsPacked;
    if (!interleaved) asbd.mFormatFlags |= kAudioFormatFlagIsNonInterleaved;
    asbd.mBitsPerChannel = 32;
    asbd.mFramesPerPacket = 1;
    asbd.mChannelsPerFrame = static_cast<UInt32>(nChannels);
    asbd.mBytesPerPacket = asbd.mBytesPerFrame =
        interleaved ? 4 * static_cast<UInt32>(nChannels) : 4;
    return asbd;
}

ComponentResult IPluginAU::GetProperty(AudioUnitPropertyID propID, AudioUnitScope scope,
                                       AudioUnitElement element, UInt32* dataSize,
                                       Boolean* writable, void* data) {
    Trace(__FUNCTION__, __LINE__, "%s(%d:%s):(%d:%s):%d", data ? "" : "info:", propID,
          AUPropertyStr(propID), scope, AUScopeStr(scope), element);
    const bool global = scope == kAudioUnitScope_Global;

    // Rows that hand the host new objects: they read under the lock and build outside it.
    switch (propID) {
    case kAudioUnitProperty_ClassInfo:
        *dataSize = sizeof(CFPropertyListRef);
        *writable = true;
        return data ? GetState(static_cast<CFPropertyListRef*>(data)) : noErr;
    case kAudioUnitProperty_ParameterInfo:
        if (!global) return kAudioUnitErr_InvalidProperty;
        if (element >= static_cast<UInt32>(NParams())) return kAudioUnitErr_InvalidElement;
        *dataSize = sizeof(AudioUnitParameterInfo);
        return data ? GetParamInfo(element, static_cast<AudioUnitParameterInfo*>(data)) : noErr;
    case kAudioUnitProperty_ParameterValueStrings:
        if (!global) return kAudioUnitErr_InvalidProperty;
        return GetValueStrings(element, dataSize, data);
    case kAudioUnitProperty_FactoryPresets:
        *dataSize = sizeof(CFArrayRef);
        return data ? GetFactoryPresets(static_cast<CFArrayRef*>(data)) : noErr;
    case kAudioUnitProperty_CurrentPreset:
    case kAudioUnitProperty_PresentPreset:
        *dataSize = sizeof(AUPreset);
        *writable = true;
        return data ? GetPresentPreset(static_cast<AUPreset*>(data)) : noErr;
    case kAudioUnitProperty_ElementName:
        *dataSize = sizeof(CFStringRef);
        return data ? GetElementName(scope, element, data) : kAudioUnitErr_InvalidProperty;
    case kAudioUnitProperty_CocoaUI:
        if (!GetEditor()) return kAudioUnitErr_InvalidProperty;
        *dataSize = sizeof(AudioUnitCocoaViewInfo);
        return data ? GetCocoaUI(data) : noErr;
    case kAudioUnitProperty_ParameterStringFromValue:
        *dataSize = sizeof(AudioUnitParameterStringFromValue);
        if (!data) return noErr;
        if (!global) return kAudioUnitErr_InvalidProperty;
        return GetStringFromValue(static_cast<AudioUnitParameterStringFromValue*>(data));
    case kAudioUnitProperty_ParameterIDName:
        *dataSize = sizeof(AudioUnitParameterNameInfo);
        if (!data) return noErr;
        if (!global) return kAudioUnitErr_InvalidProperty;
        return GetParamName(static_cast<AudioUnitParameterNameInfo*>(data));
    case kAudioUnitProperty_ParameterClumpName:
        *dataSize = sizeof(AudioUnitParameterNameInfo);
        if (!data) return noErr;
        if (!global) return kAudioUnitErr_InvalidProperty;
        return GetClumpName(static_cast<AudioUnitParameterNameInfo*>(data));
    case kAudioUnitProperty_ParameterValueFromString:
        *dataSize = sizeof(AudioUnitParameterValueFromString);
        if (!data) return noErr;
        if (!global) return kAudioUnitErr_InvalidProperty;
        return GetValueFromString(static_cast<AudioUnitParameterValueFromString*>(data));
    default:
        break;
    }

    IMutexLock lock(this);
    switch (propID) {
    case kAudioUnitProperty_MakeConnection:
        if (scope != kAudioUnitScope_Input && !global) return kAudioUnitErr_InvalidProperty;
        *dataSize = sizeof(AudioUnitConnection);
        *writable = true;
        return noErr;
    case kAudioUnitProperty_SampleRate:
        *dataSize = sizeof(Float64);
        *writable = true;
        if (data) Put<Float64>(data, GetSampleRate());
        return noErr;
    case kAudioUnitProperty_ParameterList: {
        const int n = global ? NParams() : 0;
        *dataSize = static_cast<UInt32>(n) * sizeof(AudioUnitParameterID);
        if (data) {
            auto* ids = static_cast<AudioUnitParameterID*>(data);
            for (int i = 0; i < n; ++i)
                ids[i] = static_cast<AudioUnitParameterID>(i);
        }
        return noErr;
    }
    case kAudioUnitProperty_FastDispatch: {
        Trace(__FUNCTION__, __LINE__, "%s:(%d:%s)", data ? "" : "Info", element,
              AUSelectStr(static_cast<int>(element)));
        void* proc;
        switch (element) {
        case kAudioUnitRenderSelect:
            proc = reinterpret_cast<void*>(&RenderProc);
            break;
        case kAudioUnitSetParameterSelect:
            proc = reinterpret_cast<void*>(&SetParamProc);
            break;
        case kAudioUnitGetParameterSelect:
            proc = reinterpret_cast<void*>(&GetParamProc);
            break;
        default:
            return kAudioUnitErr_InvalidElement;
        }
        *dataSize = sizeof(void*);
        if (data) Put<void*>(data, proc);
        return noErr;
    }
    case kAudioUnitProperty_StreamFormat: {
        const BusChannels* bus = GetBus(scope, element);
        if (!bus) return kAudioUnitErr_InvalidProperty;
        *dataSize = sizeof(AudioStreamBasicDescription);
        *writable = true;
        if (data) {
            const int n = bus->mNHostChannels >= 0 ? bus->mNHostChannels : bus->mNPlugChannels;
            Put(data, MakeDefaultASBD(GetSampleRate(), n, false));
        }
        return noErr;
    }
    case kAudioUnitProperty_ElementCount: {
        *dataSize = sizeof(UInt32);
        UInt32 n = 0;
        if (scope == kAudioUnitScope_Input)
            n = static_cast<UInt32>(NInBuses());
        else if (scope == kAudioUnitScope_Output)
            n = static_cast<UInt32>(NOutBuses());
        else if (global)
            n = 1;
        if (data) Put<UInt32>(data, n);
        return noErr;
    }
    case kAudioUnitProperty_Latency:
    case kAudioUnitProperty_TailTime:
        if (!global) return kAudioUnitErr_InvalidProperty;
        *dataSize = sizeof(Float64);
        if (data) Put<Float64>(data, GetLatency() / GetSampleRate());
        return noErr;
    case kAudioUnitProperty_SupportedNumChannels: {
        if (!global) return kAudioUnitErr_InvalidProperty;
        const int n = NChannelIO();
        *dataSize = static_cast<UInt32>(n) * sizeof(AUChannelInfo);
        if (data) {
            auto* info = static_cast<AUChannelInfo*>(data);
            for (int i = 0; i < n; ++i) {
                int nIn = 0, nOut = 0;
                GetChannelIO(i, &nIn, &nOut);
                info[i] = {static_cast<SInt16>(nIn), static_cast<SInt16>(nOut)};
                Trace(__FUNCTION__, __LINE__, "IO:%d:%d", nIn, nOut);
            }
        }
        return noErr;
    }
    case kAudioUnitProperty_MaximumFramesPerSlice:
        if (!global) return kAudioUnitErr_InvalidProperty;
        *dataSize = sizeof(UInt32);
        *writable = true;
        if (data) Put<UInt32>(data, static_cast<UInt32>(GetBlockSize()));
        return noErr;
    case kAudioUnitProperty_GetUIComponentList:
        if (!GetEditor()) return kAudioUnitErr_InvalidProperty;
        *dataSize = sizeof(ComponentDescription);
        if (data) {
            const ComponentDescription view = {kAudioUnitCarbonViewComponentType,
                                               static_cast<OSType>(GetUniqueID()),
                                               static_cast<OSType>(GetMfrID()), 0, 0};
            Put(data, view);
        }
        return noErr;
    case kAudioUnitProperty_AudioChannelLayout:
        return kAudioUnitErr_InvalidPropertyValue;
    case kAudioUnitProperty_BypassEffect:
        if (!global) return kAudioUnitErr_InvalidProperty;
        *dataSize = sizeof(UInt32);
        *writable = true;
        if (data) Put<UInt32>(data, IsBypassed() ? 1 : 0);
        return noErr;
    case kAudioUnitProperty_LastRenderError:
        if (!global) return kAudioUnitErr_InvalidProperty;
        *dataSize = sizeof(OSStatus);
        if (data) Put<OSStatus>(data, noErr);
        return noErr;
    case kAudioUnitProperty_SetRenderCallback:
        if ((scope != kAudioUnitScope_Input && !global) ||
            element >= static_cast<UInt32>(NInBuses()))
            return kAudioUnitErr_InvalidProperty;
        *dataSize = sizeof(AURenderCallbackStruct);
        *writable = true;
        return noErr;
    case kAudioUnitProperty_HostCallbacks:
        if (!global) return kAudioUnitErr_InvalidProperty;
        *dataSize = sizeof(HostCallbackInfo);
        *writable = true;
        return noErr;
    case kAudioUnitProperty_SupportedChannelLayoutTags:
        if (!IsInst() || NOutBuses() == 1) return kAudioUnitErr_InvalidProperty;
        if (data) {
            if (!GetChannelLayoutTags(scope, element, static_cast<AudioChannelLayoutTag*>(data)))
                return kAudioUnitErr_InvalidProperty;
            return noErr;
        }
        *dataSize = sizeof(AudioChannelLayoutTag);
        *writable = true;
        return noErr;
    case kMusicDeviceProperty_InstrumentCount:
        if (!global || !IsInst()) return kAudioUnitErr_InvalidProperty;
        *dataSize = sizeof(UInt32);
        if (data) Put<UInt32>(data, 1);
        return noErr;
    default:
        return kAudioUnitErr_InvalidProperty;
    }
}

bool IPluginAU::GetChannelLayoutTags(AudioUnitScope scope, AudioUnitElement element,
                                     AudioChannelLayoutTag* tags) {
    if (scope != kAudioUnitScope_Output && !(scope == kAudioUnitScope_Input && NInBuses() > 0))
        return false;
    const BusChannels* bus = mOutBuses.Get(static_cast<int>(std::min<UInt32>(element, 0x7FFFFFFF)));
    if (!bus) return false;
    switch (bus->mNPlugChannels) {
    case 1:
        *tags = kAudioChannelLayoutTag_Mono;
        break;
    case 2:
        *tags = kAudioChannelLayoutTag_Stereo;
        break;
    default:
        *tags = kAudioChannelLayoutTag_Unknown;
        break;
    }
    return true;
}

ComponentResult IPluginAU::GetParamInfo(AudioUnitElement element, AudioUnitParameterInfo* info) {
    char label[32], groupName[32];
    *info = {};
    int clumpID = 0;
    {
        IMutexLock lock(this);
        const IParam* param = GetParam(static_cast<int>(element));
        CopyText(info->name, sizeof(info->name), param->GetNameForHost());
        CopyText(label, sizeof(label), param->GetLabelForHost());
        CopyText(groupName, sizeof(groupName), param->GetParamGroupForHost());
        info->flags = kAudioUnitParameterFlag_IsReadable | kAudioUnitParameterFlag_HasCFNameString |
                      kAudioUnitParameterFlag_CFNameRelease;
        if (param->GetCanAutomate()) info->flags |= kAudioUnitParameterFlag_IsWritable;
        switch (param->Type()) {
        case kTypeInt:
        case kTypeEnum:
            info->unit = kAudioUnitParameterUnit_Indexed;
            break;
        case kTypeBool:
            info->unit = kAudioUnitParameterUnit_Boolean;
            break;
        default:
            info->unit =
                label[0] ? kAudioUnitParameterUnit_CustomUnit : kAudioUnitParameterUnit_Generic;
        }
        double lo = 0.0, hi = 1.0;
        param->GetBounds(lo, hi);
        info->minValue = static_cast<AudioUnitParameterValue>(lo);
        info->maxValue = static_cast<AudioUnitParameterValue>(hi);
        info->defaultValue = static_cast<AudioUnitParameterValue>(param->Value());
        if (groupName[0]) {
            const char* group = param->GetParamGroupForHost();
            int found = -1;
            for (int i = 0; i < static_cast<int>(mParamGroups.size()); ++i) {
                if (std::strcmp(mParamGroups[static_cast<size_t>(i)], group) == 0) found = i;
            }
            if (found < 0) {
                mParamGroups.push_back(group);
                found = static_cast<int>(mParamGroups.size()) - 1;
            }
            clumpID = found + 1;
            info->flags |= kAudioUnitParameterFlag_HasClump;
        }
    }
    info->clumpID = static_cast<UInt32>(clumpID);
    info->cfNameString = MakeCFString(info->name);
    if (info->unit == kAudioUnitParameterUnit_CustomUnit) info->unitName = MakeCFString(label);
    return noErr;
}

ComponentResult IPluginAU::GetValueStrings(AudioUnitElement element, UInt32* dataSize, void* data) {
    if (element >= static_cast<UInt32>(NParams())) return kAudioUnitErr_InvalidElement;
    constexpr int kMaxTexts = 256;
    char texts[kMaxTexts][32];
    int n;
    {
        IMutexLock lock(this);
        const IParam* param = GetParam(static_cast<int>(element));
        n = std::min(param->GetNDisplayTexts(), kMaxTexts);
        for (int i = 0; i < n; ++i)
            CopyText(texts[i], sizeof(texts[i]), param->GetDisplayText(i));
    }
    if (n == 0) {
        *dataSize = 0;
        return kAudioUnitErr_InvalidProperty;
    }
    *dataSize = sizeof(CFArrayRef);
    if (!data) return noErr;
    CFMutableArrayRef array = CFArrayCreateMutable(kCFAllocatorDefault, n, &kCFTypeArrayCallBacks);
    for (int i = 0; i < n; ++i) {
        CFReleaser text(MakeCFString(texts[i]));
        CFArrayAppendValue(array, text.Get());
    }
    Put<CFArrayRef>(data, array);
    return noErr;
}

ComponentResult IPluginAU::GetElementName(AudioUnitScope scope, AudioUnitElement element,
                                          void* data) {
    char name[256];
    {
        IMutexLock lock(this);
        const int idx = static_cast<int>(std::min<UInt32>(element, 0x7FFFFFFF));
        const char* label = nullptr;
        if (scope == kAudioUnitScope_Output) {
            label = GetOutputBusLabel(idx);
        } else if (scope == kAudioUnitScope_Input) {
            if (element > 1) return kAudioUnitErr_InvalidElement;
            label = GetInputBusLabel(idx);
        } else {
            return kAudioUnitErr_InvalidScope;
        }
        if (!label) return kAudioUnitErr_InvalidElement;
        CopyText(name, sizeof(name), label);
    }
    Put<CFStringRef>(data, MakeCFString(name));
    return noErr;
}

ComponentResult IPluginAU::GetCocoaUI(void* data) {
    CFReleaser bundleID(MakeCFString(GetBundleID()));
    CFBundleRef bundle = CFBundleGetBundleWithIdentifier(static_cast<CFStringRef>(bundleID.Get()));
    if (!bundle) return kAudioUnitErr_InvalidProperty;
    AudioUnitCocoaViewInfo info;
    info.mCocoaAUViewBundleLocation = CFBundleCopyBundleURL(bundle);
    if (!info.mCocoaAUViewBundleLocation) return kAudioUnitErr_InvalidProperty;
    info.mCocoaAUViewClass[0] = MakeCFString(GetViewFactoryClassName());
    Put(data, info);
    return noErr;
}

ComponentResult IPluginAU::GetStringFromValue(AudioUnitParameterStringFromValue* request) {
    char text[sizeof(mParamDisplayStr)];
    {
        IMutexLock lock(this);
        const IParam* param = GetParam(static_cast<int>(request->inParamID));
        if (!param) return kAudioUnitErr_InvalidParameter;
        // Without a value the host asks for the current one.
        const double value = request->inValue ? *request->inValue : param->Value();
        param->GetDisplayForHost(value, false, mParamDisplayStr, sizeof(mParamDisplayStr), true);
        CopyText(text, sizeof(text), mParamDisplayStr);
    }
    request->outString = MakeCFString(text);
    return noErr;
}

ComponentResult IPluginAU::GetValueFromString(AudioUnitParameterValueFromString* request) {
    const std::string text = CStrLocal(request->inString);
    IMutexLock lock(this);
    const IParam* param = GetParam(static_cast<int>(request->inParamID));
    if (!param) return kAudioUnitErr_InvalidParameter;
    if (param->GetNDisplayTexts() > 0) {
        int value = 0;
        if (param->MapDisplayText(text.c_str(), &value))
            request->outValue = static_cast<AudioUnitParameterValue>(value);
    } else {
        double value = std::atof(text.c_str());
        if (param->DisplayIsNegated()) value = -value;
        request->outValue = static_cast<AudioUnitParameterValue>(value);
    }
    return noErr;
}

ComponentResult IPluginAU::GetParamName(AudioUnitParameterNameInfo* request) {
    char name[32];
    {
        IMutexLock lock(this);
        const IParam* param = GetParam(static_cast<int>(request->inID));
        if (!param) return kAudioUnitErr_InvalidParameter;
        CopyText(name, sizeof(name), param->GetNameForHost());
    }
    if (request->inDesiredLength != kAudioUnitParameterName_Full) {
        const int length = std::clamp<SInt32>(request->inDesiredLength, 0, 31);
        name[length] = '\0';
    }
    request->outName = MakeCFString(name);
    return noErr;
}

ComponentResult IPluginAU::GetClumpName(AudioUnitParameterNameInfo* request) {
    if (static_cast<SInt32>(request->inID) < 1) return kAudioUnitErr_PropertyNotInUse;
    char name[32];
    {
        IMutexLock lock(this);
        const size_t idx = request->inID - 1;
        if (idx >= mParamGroups.size()) return kAudioUnitErr_InvalidPropertyValue;
        CopyText(name, sizeof(name), mParamGroups[idx]);
    }
    request->outName = MakeCFString(name);
    return noErr;
}

ComponentResult IPluginAU::SetProperty(AudioUnitPropertyID propID, AudioUnitScope scope,
                                       AudioUnitElement element, UInt32* dataSize,
                                       const void* data) {
    Trace(__FUNCTION__, __LINE__, "(%d:%s):(%d:%s):%d", propID, AUPropertyStr(propID), scope,
          AUScopeStr(scope), element);
    InformListeners(propID, scope);
    const bool global = scope == kAudioUnitScope_Global;
    // Each property reads the record it expects; a shorter one is refused.
    auto has = [&](size_t bytes) { return data && *dataSize >= bytes; };

    switch (propID) {
    case kAudioUnitProperty_ClassInfo:
        if (!has(sizeof(CFPropertyListRef))) return kAudioUnitErr_InvalidPropertyValue;
        return SetState(Read<CFPropertyListRef>(data));
    case kAudioUnitProperty_MakeConnection:
        if (scope != kAudioUnitScope_Input && !global) return kAudioUnitErr_InvalidProperty;
        if (!has(sizeof(AudioUnitConnection))) return kAudioUnitErr_InvalidPropertyValue;
        return MakeConnection(static_cast<const AudioUnitConnection*>(data));
    case kAudioUnitProperty_SampleRate: {
        if (!has(sizeof(Float64))) return kAudioUnitErr_InvalidPropertyValue;
        const double rate = Read<Float64>(data);
        if (!(rate > 0.0 && rate <= 1e6)) return kAudioUnitErr_InvalidPropertyValue;
        IMutexLock lock(this);
        SetSampleRate(rate);
        Reset();
        return noErr;
    }
    case kAudioUnitProperty_StreamFormat:
        if (!has(sizeof(AudioStreamBasicDescription))) return kAudioUnitErr_InvalidPropertyValue;
        return SetStreamFormat(scope, element,
                               static_cast<const AudioStreamBasicDescription*>(data));
    case kAudioUnitProperty_MaximumFramesPerSlice:
        if (!has(sizeof(UInt32))) return kAudioUnitErr_InvalidPropertyValue;
        return SetMaxFrames(Read<UInt32>(data));
    case kAudioUnitProperty_BypassEffect: {
        if (!has(sizeof(UInt32))) return kAudioUnitErr_InvalidPropertyValue;
        const bool bypass = Read<UInt32>(data) != 0;
        IMutexLock lock(this);
        SetBypassed(bypass);
        OnActivate(!bypass);
        Reset();
        return noErr;
    }
    case kAudioUnitProperty_SetRenderCallback:
        if (scope != kAudioUnitScope_Input || element >= static_cast<UInt32>(NInBuses()))
            return kAudioUnitErr_InvalidProperty;
        if (!has(sizeof(AURenderCallbackStruct))) return kAudioUnitErr_InvalidPropertyValue;
        return SetRenderCallback(element, static_cast<const AURenderCallbackStruct*>(data));
    case kAudioUnitProperty_HostCallbacks: {
        if (!global) return kAudioUnitErr_InvalidProperty;
        if (!data) return kAudioUnitErr_InvalidPropertyValue;
        // Older hosts pass the record without its last callback.
        HostCallbackInfo callbacks = {};
        std::memcpy(&callbacks, data, std::min<size_t>(*dataSize, sizeof(callbacks)));
        IMutexLock lock(this);
        mHostCallbacks = callbacks;
        return noErr;
    }
    case kAudioUnitProperty_CurrentPreset:
    case kAudioUnitProperty_PresentPreset: {
        if (!has(sizeof(AUPreset))) return kAudioUnitErr_InvalidPropertyValue;
        const AUPreset preset = Read<AUPreset>(data);
        IMutexLock lock(this);
        RestorePreset(preset.presetNumber);
        return noErr;
    }
    case kAudioUnitProperty_OfflineRender: {
        if (!has(sizeof(UInt32))) return kAudioUnitErr_InvalidPropertyValue;
        IMutexLock lock(this);
        mIsOffline = Read<UInt32>(data) != 0;
        return noErr;
    }
    case kAudioUnitProperty_AUHostIdentifier:
        if (!has(sizeof(AUHostIdentifier))) return kAudioUnitErr_InvalidPropertyValue;
        SetHostIdentifier(static_cast<const AUHostIdentifier*>(data));
        return noErr;
    default:
        return kAudioUnitErr_InvalidProperty;
    }
}

ComponentResult IPluginAU::SetMaxFrames(UInt32 nFrames) {
    if (nFrames == 0 || nFrames > kMaxFramesPerSlice) return kAudioUnitErr_InvalidPropertyValue;
    SetBlockSize(static_cast<int>(nFrames));
    IMutexLock lock(this);
    Reset();
    return noErr;
}

ComponentResult IPluginAU::SetStreamFormat(AudioUnitScope scope, AudioUnitElement element,
                                           const AudioStreamBasicDescription* asbd) {
    bool accepted = false;
    {
        IMutexLock lock(this);
        const int n = static_cast<int>(std::min<UInt32>(asbd->mChannelsPerFrame, 0x7FFFFFFF));
        BusChannels* bus = GetBus(scope, element);
        if (!bus) return kAudioUnitErr_InvalidProperty;
        bus->mNHostChannels = 0;
        const bool linearPCM = asbd->mFormatID == kAudioFormatLinearPCM;
        const bool canonical =
            (asbd->mFormatFlags & (kAudioFormatFlagIsFloat | kAudioFormatFlagIsPacked)) != 0;
        const bool connectionOK = n > 0 && CheckLegalIO(scope, static_cast<int>(element), n);
        Trace(__FUNCTION__, __LINE__, "%d:%d:%s:%s:%s", n, bus->mNPlugChannels,
              linearPCM ? "linearPCM" : "notLinearPCM",
              canonical ? "canonicalFormat" : "notCanonicalFormat",
              connectionOK ? "connectionOK" : "connectionNotOK");
        accepted = connectionOK && linearPCM && canonical && asbd->mSampleRate >= 0.0 &&
                   asbd->mSampleRate <= 1e6;
        if (accepted) {
            bus->mNHostChannels = n;
            if (asbd->mSampleRate > 0.0) SetSampleRate(asbd->mSampleRate);
        }
    }
    AssessInputConnections();
    if (!accepted) return kAudioUnitErr_InvalidProperty;
    return noErr;
}

ComponentResult IPluginAU::MakeConnection(const AudioUnitConnection* connection) {
    if (connection->destInputNumber >= static_cast<UInt32>(mInBusConnections.GetSize()))
        return kAudioUnitErr_InvalidProperty;
    const int idx = static_cast<int>(connection->destInputNumber);
    {
        IMutexLock lock(this);
        *mInBusConnections.Get(idx) = InputBusConnection();
    }
    ComponentResult result = noErr;
    if (AudioUnit source = connection->sourceAudioUnit) {
        AudioStreamBasicDescription asbd = {};
        UInt32 size = sizeof(asbd);
        if (AudioUnitGetProperty(source, kAudioUnitProperty_StreamFormat, kAudioUnitScope_Output,
                                 connection->sourceOutputNumber, &asbd, &size) != noErr ||
            SetProperty(kAudioUnitProperty_StreamFormat, kAudioUnitScope_Input,
                        connection->destInputNumber, &size, &asbd) != noErr) {
            result = kAudioUnitErr_InvalidProperty;
        } else {
            AudioUnitRenderProc renderProc = nullptr;
            UInt32 procSize = sizeof(renderProc);
            const bool fast = AudioUnitGetProperty(source, kAudioUnitProperty_FastDispatch,
                                                   kAudioUnitScope_Global, kAudioUnitRenderSelect,
                                                   &renderProc, &procSize) == noErr;
            IMutexLock lock(this);
            InputBusConnection* c = mInBusConnections.Get(idx);
            c->mUpstreamUnit = source;
            c->mUpstreamBusIdx = static_cast<int>(connection->sourceOutputNumber);
            if (fast && renderProc) {
                c->mUpstreamRenderProc = renderProc;
                c->mUpstreamObj = GetComponentInstanceStorage(source);
            }
        }
    }
    AssessInputConnections();
    return result;
}

ComponentResult IPluginAU::SetRenderCallback(AudioUnitElement element,
                                             const AURenderCallbackStruct* callback) {
    {
        IMutexLock lock(this);
        InputBusConnection* c = mInBusConnections.Get(static_cast<int>(element));
        *c = InputBusConnection();
        if (callback->inputProc) c->mUpstreamRenderCallback = *callback;
    }
    AssessInputConnections();
    return noErr;
}
