#include "IPluginAU.h"

#include "core/Log.h"

void IPluginAU::SendParamEvent(AudioUnitEventType type, int idx) {
    AudioUnitEvent event = {};
    event.mEventType = type;
    event.mArgument.mParameter.mAudioUnit = mCI;
    event.mArgument.mParameter.mParameterID = static_cast<AudioUnitParameterID>(idx);
    event.mArgument.mParameter.mScope = kAudioUnitScope_Global;
    event.mArgument.mParameter.mElement = 0;
    AUEventListenerNotify(nullptr, nullptr, &event);
}

void IPluginAU::BeginInformHostOfParamChange(int idx) {
    Trace(__FUNCTION__, __LINE__, "%d", idx);
    SendParamEvent(kAudioUnitEvent_BeginParameterChangeGesture, idx);
}

void IPluginAU::InformHostOfParamChange(int idx, double normalizedValue) {
    Trace(__FUNCTION__, __LINE__, "%d:%f", idx, normalizedValue);
    SendParamEvent(kAudioUnitEvent_ParameterValueChange, idx);
}

void IPluginAU::EndInformHostOfParamChange(int idx) {
    Trace(__FUNCTION__, __LINE__, "%d", idx);
    SendParamEvent(kAudioUnitEvent_EndParameterChangeGesture, idx);
}

void IPluginAU::InformListeners(AudioUnitPropertyID propID, AudioUnitScope scope) {
    IMutexLock lock(this);
    for (int i = 0; i < mPropertyListeners.GetSize(); ++i) {
        const PropertyListener* l = mPropertyListeners.Get(i);
        if (l->mPropID == propID) l->mListenerProc(l->mProcArgs, mCI, propID, scope, 0);
    }
}

void IPluginAU::InformHostOfProgramChange() {
    InformListeners(kAudioUnitProperty_PresentPreset, kAudioUnitScope_Global);
}

void IPluginAU::SetLatency(int samples) {
    InformListeners(kAudioUnitProperty_Latency, kAudioUnitScope_Global);
    IPluginBase::SetLatency(samples);
}

double IPluginAU::GetTempo() {
    if (mHostCallbacks.beatAndTempoProc) {
        Float64 beat = 0.0, tempo = 0.0;
        mHostCallbacks.beatAndTempoProc(mHostCallbacks.hostUserData, &beat, &tempo);
        if (tempo > 0.0) mTempo = tempo;
    }
    return mTempo;
}

int IPluginAU::GetSamplePos() {
    if (!mHostCallbacks.transportStateProc) return 0;
    Boolean playing = false, changed = false, cycling = false;
    Float64 samplePos = 0.0, cycleStart = 0.0, cycleEnd = 0.0;
    mHostCallbacks.transportStateProc(mHostCallbacks.hostUserData, &playing, &changed, &samplePos,
                                      &cycling, &cycleStart, &cycleEnd);
    return static_cast<int>(samplePos + 0.5);
}

void IPluginAU::GetTimeSig(int* numerator, int* denominator) {
    if (!mHostCallbacks.musicalTimeLocationProc) return;
    UInt32 deltaToNextBeat = 0, denom = 0;
    Float32 numer = 0.0f;
    Float64 downBeat = 0.0;
    mHostCallbacks.musicalTimeLocationProc(mHostCallbacks.hostUserData, &deltaToNextBeat, &numer,
                                           &denom, &downBeat);
    *numerator = static_cast<int>(numer);
    *denominator = static_cast<int>(denom);
}

void IPluginAU::GetTime(ITimeInfo* t) {
    void* user = mHostCallbacks.hostUserData;
    if (mHostCallbacks.beatAndTempoProc) {
        Float64 beat = 0.0, tempo = 0.0;
        mHostCallbacks.beatAndTempoProc(user, &beat, &tempo);
        if (tempo > 0.0) t->mTempo = tempo;
        if (beat > 0.0) t->mPPQPos = beat;
    }
    if (mHostCallbacks.transportStateProc) {
        Boolean playing = false, changed = false, cycling = false;
        Float64 samplePos = 0.0, cycleStart = 0.0, cycleEnd = 0.0;
        mHostCallbacks.transportStateProc(user, &playing, &changed, &samplePos, &cycling,
                                          &cycleStart, &cycleEnd);
        if (samplePos > 0.0) t->mSamplePos = samplePos;
        if (cycleStart > 0.0) t->mCycleStart = cycleStart;
        if (cycleEnd > 0.0) t->mCycleEnd = cycleEnd;
        t->mTransportIsRunning = playing;
        t->mTransportLoopEnabled = cycling;
    }
    if (mHostCallbacks.musicalTimeLocationProc) {
        UInt32 deltaToNextBeat = 0, denom = 0;
        Float32 numer = 0.0f;
        Float64 downBeat = 0.0;
        mHostCallbacks.musicalTimeLocationProc(user, &deltaToNextBeat, &numer, &denom, &downBeat);
        t->mNumerator = static_cast<int>(numer);
        t->mDenominator = static_cast<int>(denom);
        if (downBeat > 0.0) t->mLastBar = downBeat;
    }
}

EHost IPluginAU::GetHost() {
    if (IPluginBase::GetHost() == kHostUninit) {
        CFBundleRef mainBundle = CFBundleGetMainBundle();
        CFStringRef identifier = mainBundle ? CFBundleGetIdentifier(mainBundle) : nullptr;
        if (identifier) {
            char name[256];
            if (CFStringGetCString(identifier, name, sizeof(name), kCFStringEncodingUTF8))
                SetHost(name, 0);
        }
        if (IPluginBase::GetHost() == kHostUninit) SetHost("", 0);
    }
    return IPluginBase::GetHost();
}

void IPluginAU::HostSpecificInit() {
    GetHost();
    OnHostIdentified();
}

void IPluginAU::ResizeGraphics(int, int) {
    if (GetEditor()) OnWindowResize();
}

bool IPluginAU::SendMidiMsg(IMidiMsg*) {
    return false;
}
