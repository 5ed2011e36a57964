#include "IPluginAU.h"

#include "core/Log.h"

namespace slots = ComponentParametersSlots;

IPluginAU::IPluginAU(const IPluginInstanceInfo& instanceInfo, int nParams, const char* channelIOStr,
                     int nPresets, const char* effectName, const char* productName,
                     const char* mfrName, int vendorVersion, int uniqueID, int mfrID, int latency,
                     bool plugDoesMidi, bool plugDoesChunks, bool plugIsInst, int plugScChans)
    : IPluginBase(nParams, channelIOStr, nPresets, effectName, productName, mfrName, vendorVersion,
                  uniqueID, mfrID, latency, plugDoesMidi, plugDoesChunks, plugIsInst, kAPIAU) {
    Trace(__FUNCTION__, __LINE__, "%s", effectName);
    mOSXBundleID.Set(instanceInfo.mOSXBundleID.Get());
    mCocoaViewFactoryClassName.Set(instanceInfo.mCocoaViewFactoryClassName.Get());
    BuildBuses(plugScChans);
    AssessInputConnections();
    SetBlockSize(1024);
}

IPluginAU::~IPluginAU() {
    mRenderNotify.Empty();
    mInBuses.Empty();
    mOutBuses.Empty();
    mInBusConnections.Empty();
    mPropertyListeners.Empty();
}

namespace {

// How many argument slots (after the instance) each served selector reads.
int ArgumentCount(SInt16 selector) {
    switch (selector) {
    case kComponentVersionSelect:
    case kAudioUnitInitializeSelect:
    case kAudioUnitUninitializeSelect:
        return 0;
    case kComponentCanDoSelect:
    case kMusicDevicePrepareInstrumentSelect:
    case kMusicDeviceReleaseInstrumentSelect:
        return 1;
    case kAudioUnitResetSelect:
    case kAudioUnitRemovePropertyListenerSelect:
    case kAudioUnitAddRenderNotifySelect:
    case kAudioUnitRemoveRenderNotifySelect:
    case kAudioUnitScheduleParametersSelect:
    case kMusicDeviceSysExSelect:
        return 2;
    case kAudioUnitAddPropertyListenerSelect:
    case kAudioUnitRemovePropertyListenerWithUserDataSelect:
    case kMusicDeviceStopNoteSelect:
        return 3;
    case kAudioUnitGetParameterSelect:
    case kMusicDeviceMIDIEventSelect:
        return 4;
    case kAudioUnitGetPropertyInfoSelect:
    case kAudioUnitGetPropertySelect:
    case kAudioUnitSetPropertySelect:
    case kAudioUnitSetParameterSelect:
    case kAudioUnitRenderSelect:
    case kMusicDeviceStartNoteSelect:
        return 5;
    default:
        return -1;
    }
}

bool CanDo(int selector) {
    switch (selector) {
    case kAudioUnitInitializeSelect:
    case kAudioUnitUninitializeSelect:
    case kAudioUnitGetPropertyInfoSelect:
    case kAudioUnitGetPropertySelect:
    case kAudioUnitSetPropertySelect:
    case kAudioUnitGetParameterSelect:
    case kAudioUnitSetParameterSelect:
    case kAudioUnitResetSelect:
    case kAudioUnitAddPropertyListenerSelect:
    case kAudioUnitRemovePropertyListenerSelect:
    case kAudioUnitRenderSelect:
    case kAudioUnitAddRenderNotifySelect:
    case kAudioUnitRemoveRenderNotifySelect:
    case kAudioUnitScheduleParametersSelect:
        return true;
    default:
        return false;
    }
}

} // namespace

ComponentResult IPluginAU::IPluginAUEntry(ComponentParameters* params, void* pPlug) {
    if (!params) return paramErr;
    const SInt16 select = params->what;
    Trace(__FUNCTION__, __LINE__, "(%d:%s)", select, AUSelectStr(select));
    if (select == kComponentOpenSelect) return Open(params);
    auto* plug = static_cast<IPluginAU*>(pPlug);
    if (!plug) return badComponentInstance;
    if (select == kComponentCloseSelect) return Close(plug);
    const int nArgs = ArgumentCount(select);
    if (nArgs < 0) return badComponentSelector;
    if (params->paramSize < 8 * nArgs) return paramErr;
    return Dispatch(plug, select, params);
}

ComponentResult IPluginAU::Open(ComponentParameters* params) {
    IPluginAU* plug = MakeAUPlug();
    if (!plug) return memFullErr;
    plug->HostSpecificInit();
    plug->PruneUninitializedPresets();
    plug->mCI = slots::Get<AudioUnit>(params, 0);
    SetComponentInstanceStorage(plug->mCI, reinterpret_cast<Handle>(plug));
    return noErr;
}

ComponentResult IPluginAU::Close(IPluginAU* plug) {
    {
        IMutexLock lock(plug);
        plug->ClearConnections();
    }
    delete plug;
    return noErr;
}

ComponentResult IPluginAU::Dispatch(IPluginAU* plug, SInt16 select, ComponentParameters* p) {
    using slots::Get;
    switch (select) {
    case kAudioUnitGetPropertyInfoSelect: {
        UInt32 localSize = 0;
        Boolean localWritable = false;
        UInt32* dataSize = Get<UInt32*>(p, 4);
        Boolean* writable = Get<Boolean*>(p, 5);
        if (!dataSize) dataSize = &localSize;
        if (!writable) writable = &localWritable;
        *writable = false;
        return plug->GetProperty(Get<UInt32>(p, 1), Get<UInt32>(p, 2), Get<UInt32>(p, 3), dataSize,
                                 writable, nullptr);
    }
    case kAudioUnitGetPropertySelect: {
        UInt32 localSize = 0;
        Boolean writable = false;
        UInt32* dataSize = Get<UInt32*>(p, 5);
        if (!dataSize) dataSize = &localSize;
        return plug->GetProperty(Get<UInt32>(p, 1), Get<UInt32>(p, 2), Get<UInt32>(p, 3), dataSize,
                                 &writable, Get<void*>(p, 4));
    }
    case kAudioUnitSetPropertySelect: {
        UInt32 dataSize = Get<UInt32>(p, 5);
        return plug->SetProperty(Get<UInt32>(p, 1), Get<UInt32>(p, 2), Get<UInt32>(p, 3), &dataSize,
                                 Get<const void*>(p, 4));
    }
    case kAudioUnitGetParameterSelect:
        return GetParamProc(plug, Get<UInt32>(p, 1), Get<UInt32>(p, 2), Get<UInt32>(p, 3),
                            Get<AudioUnitParameterValue*>(p, 4));
    case kAudioUnitSetParameterSelect:
        return SetParamProc(plug, Get<UInt32>(p, 1), Get<UInt32>(p, 2), Get<UInt32>(p, 3),
                            Get<AudioUnitParameterValue>(p, 4), Get<UInt32>(p, 5));
    case kAudioUnitRenderSelect:
        return RenderProc(plug, Get<AudioUnitRenderActionFlags*>(p, 1),
                          Get<const AudioTimeStamp*>(p, 2), Get<UInt32>(p, 3), Get<UInt32>(p, 4),
                          Get<AudioBufferList*>(p, 5));
    default:
        break;
    }

    // The remaining requests change or read a little instance state: they hold the lock.
    IMutexLock lock(plug);
    switch (select) {
    case kComponentVersionSelect:
        return plug->GetEffectVersion(false);
    case kComponentCanDoSelect:
        return CanDo(Get<SInt16>(p, 1)) ? 1 : 0;
    case kAudioUnitInitializeSelect:
        if (!plug->CheckLegalIO()) return badComponentSelector;
        plug->mActive = true;
        plug->OnParamReset();
        plug->OnActivate(true);
        return noErr;
    case kAudioUnitUninitializeSelect:
        plug->mActive = false;
        plug->OnActivate(false);
        return noErr;
    case kAudioUnitResetSelect:
        plug->Reset();
        return noErr;
    case kAudioUnitAddPropertyListenerSelect: {
        const auto propID = Get<AudioUnitPropertyID>(p, 1);
        const auto proc = Get<AudioUnitPropertyListenerProc>(p, 2);
        for (int i = 0; i < plug->mPropertyListeners.GetSize(); ++i) {
            const PropertyListener* l = plug->mPropertyListeners.Get(i);
            if (l->mPropID == propID && l->mListenerProc == proc) return noErr;
        }
        plug->mPropertyListeners.Add(new PropertyListener{propID, proc, Get<void*>(p, 3)});
        return noErr;
    }
    case kAudioUnitRemovePropertyListenerSelect:
    case kAudioUnitRemovePropertyListenerWithUserDataSelect: {
        const auto propID = Get<AudioUnitPropertyID>(p, 1);
        const auto proc = Get<AudioUnitPropertyListenerProc>(p, 2);
        const bool withUserData = select == kAudioUnitRemovePropertyListenerWithUserDataSelect;
        void* userData = withUserData ? Get<void*>(p, 3) : nullptr;
        for (int i = 0; i < plug->mPropertyListeners.GetSize(); ++i) {
            const PropertyListener* l = plug->mPropertyListeners.Get(i);
            if (l->mPropID == propID && l->mListenerProc == proc &&
                (!withUserData || l->mProcArgs == userData)) {
                plug->mPropertyListeners.Delete(i);
                break;
            }
        }
        return noErr;
    }
    case kAudioUnitAddRenderNotifySelect:
        plug->mRenderNotify.Add(
            new AURenderCallbackStruct{Get<AURenderCallback>(p, 1), Get<void*>(p, 2)});
        return noErr;
    case kAudioUnitRemoveRenderNotifySelect: {
        const auto proc = Get<AURenderCallback>(p, 1);
        for (int i = 0; i < plug->mRenderNotify.GetSize(); ++i) {
            if (plug->mRenderNotify.Get(i)->inputProc == proc) {
                plug->mRenderNotify.Delete(i);
                break;
            }
        }
        return noErr;
    }
    case kAudioUnitScheduleParametersSelect: {
        const auto* events = Get<const AudioUnitParameterEvent*>(p, 1);
        const auto n = Get<UInt32>(p, 2);
        if (!events && n > 0) return paramErr;
        for (UInt32 i = 0; i < n; ++i) {
            const AudioUnitParameterEvent& e = events[i];
            if (e.eventType != kParameterEvent_Immediate) continue;
            const OSStatus r =
                SetParamProc(plug, e.parameter, e.scope, e.element, e.eventValues.immediate.value,
                             e.eventValues.immediate.bufferOffset);
            if (r != noErr) return r;
        }
        return noErr;
    }
    case kMusicDeviceMIDIEventSelect: {
        IMidiMsg msg(Get<int>(p, 4), static_cast<uint8_t>(Get<UInt32>(p, 1)),
                     static_cast<uint8_t>(Get<UInt32>(p, 2)),
                     static_cast<uint8_t>(Get<UInt32>(p, 3)));
        plug->ProcessMidiMsg(&msg);
        return noErr;
    }
    case kMusicDeviceSysExSelect: {
        ISysEx sysex(0, Get<const UInt8*>(p, 1), Get<int>(p, 2));
        plug->ProcessSysEx(&sysex);
        return noErr;
    }
    case kMusicDevicePrepareInstrumentSelect:
    case kMusicDeviceReleaseInstrumentSelect:
        return noErr;
    case kMusicDeviceStartNoteSelect: {
        const auto* noteParams = Get<const MusicDeviceNoteParams*>(p, 5);
        if (!noteParams) return paramErr;
        const int note = static_cast<int>(noteParams->mPitch);
        const int velocity = static_cast<int>(noteParams->mVelocity);
        if (auto* noteID = Get<NoteInstanceID*>(p, 3)) *noteID = static_cast<NoteInstanceID>(note);
        IMidiMsg msg;
        msg.MakeNoteOnMsg(note, velocity, Get<int>(p, 4), 0);
        plug->ProcessMidiMsg(&msg);
        return noErr;
    }
    case kMusicDeviceStopNoteSelect: {
        IMidiMsg msg;
        msg.MakeNoteOffMsg(Get<int>(p, 2), Get<int>(p, 3), 0);
        plug->ProcessMidiMsg(&msg);
        return noErr;
    }
    default:
        return badComponentSelector;
    }
}

OSStatus IPluginAU::GetParamProc(void* pPlug, AudioUnitParameterID paramID, AudioUnitScope scope,
                                 AudioUnitElement element, AudioUnitParameterValue* value) {
    Trace(__FUNCTION__, __LINE__, "%d:(%d:%s):%d", paramID, scope, AUScopeStr(scope), element);
    if (scope != kAudioUnitScope_Global) return kAudioUnitErr_InvalidProperty;
    auto* plug = static_cast<IPluginAU*>(pPlug);
    if (!plug || !value) return paramErr;
    IMutexLock lock(plug);
    const IParam* param = plug->GetParam(static_cast<int>(paramID));
    if (!param) return kAudioUnitErr_InvalidParameter;
    *value = static_cast<AudioUnitParameterValue>(param->Value());
    return noErr;
}

OSStatus IPluginAU::SetParamProc(void* pPlug, AudioUnitParameterID paramID, AudioUnitScope scope,
                                 AudioUnitElement element, AudioUnitParameterValue value,
                                 UInt32 /*offsetFrames: changes apply at once*/) {
    Trace(__FUNCTION__, __LINE__, "%d:(%d:%s):%d", paramID, scope, AUScopeStr(scope), element);
    if (scope != kAudioUnitScope_Global) return kAudioUnitErr_InvalidProperty;
    auto* plug = static_cast<IPluginAU*>(pPlug);
    if (!plug) return paramErr;
    const int idx = static_cast<int>(paramID);
    IMutexLock lock(plug);
    IParam* param = plug->GetParam(idx);
    if (!param) return kAudioUnitErr_InvalidParameter;
    if (value != value) return kAudioUnitErr_InvalidPropertyValue; // NaN
    param->Set(value);
    if (IPluginEditor* editor = plug->GetEditor()) editor->SetParameterFromPlug(idx, value, false);
    plug->OnParamChange(idx);
    return noErr;
}
