#include "AUHostUnit.h"

namespace {

// A buffer list for two non-interleaved channels.
struct StereoBufferList {
    UInt32 mNumberBuffers;
    AudioBuffer mBuffers[2];
    AudioBufferList* Get() { return reinterpret_cast<AudioBufferList*>(this); }
};

} // namespace

AUHostUnit::AUHostUnit(Component component) {
    mUnit = AUSDKOpenInstance(component);
    if (!mUnit) return;
    mStorage = GetComponentInstanceStorage(mUnit);
    GetProperty(kAudioUnitProperty_FastDispatch, kAudioUnitScope_Global, kAudioUnitRenderSelect,
                mRenderProc);
    GetProperty(kAudioUnitProperty_FastDispatch, kAudioUnitScope_Global,
                kAudioUnitSetParameterSelect, mSetParamProc);
    GetProperty(kAudioUnitProperty_FastDispatch, kAudioUnitScope_Global,
                kAudioUnitGetParameterSelect, mGetParamProc);
}

AUHostUnit::~AUHostUnit() {
    if (mUnit) AUSDKCloseInstance(mUnit);
}

OSStatus AUHostUnit::BeatAndTempo(void* user, Float64* beat, Float64* tempo) {
    const HostTransport& t = static_cast<AUHostUnit*>(user)->mTransport;
    if (beat) *beat = t.Beat();
    if (tempo) *tempo = t.tempo;
    return noErr;
}

OSStatus AUHostUnit::MusicalTimeLocation(void* user, UInt32* deltaSampleOffset, Float32* numerator,
                                         UInt32* denominator, Float64* downBeat) {
    const HostTransport& t = static_cast<AUHostUnit*>(user)->mTransport;
    if (deltaSampleOffset) *deltaSampleOffset = 0;
    if (numerator) *numerator = t.numerator;
    if (denominator) *denominator = t.denominator;
    if (downBeat) *downBeat = 0.0;
    return noErr;
}

OSStatus AUHostUnit::TransportState(void* user, Boolean* playing, Boolean* changed, Float64* sample,
                                    Boolean* cycling, Float64* cycleStart, Float64* cycleEnd) {
    const HostTransport& t = static_cast<AUHostUnit*>(user)->mTransport;
    if (playing) *playing = t.playing;
    if (changed) *changed = false;
    if (sample) *sample = t.samplePos;
    if (cycling) *cycling = false;
    if (cycleStart) *cycleStart = 0.0;
    if (cycleEnd) *cycleEnd = 0.0;
    return noErr;
}

OSStatus AUHostUnit::Prepare(double sampleRate, UInt32 maxFrames, int channels) {
    mTransport.sampleRate = sampleRate;
    AudioStreamBasicDescription asbd = {};
    asbd.mSampleRate = sampleRate;
    asbd.mFormatID = kAudioFormatLinearPCM;
    asbd.mFormatFlags =
        kAudioFormatFlagIsFloat | kAudioFormatFlagIsPacked | kAudioFormatFlagIsNonInterleaved;
    asbd.mBytesPerPacket = asbd.mBytesPerFrame = 4;
    asbd.mFramesPerPacket = 1;
    asbd.mChannelsPerFrame = static_cast<UInt32>(channels);
    asbd.mBitsPerChannel = 32;
    HostCallbackInfo callbacks = {};
    callbacks.hostUserData = this;
    callbacks.beatAndTempoProc = BeatAndTempo;
    callbacks.musicalTimeLocationProc = MusicalTimeLocation;
    callbacks.transportStateProc = TransportState;
    OSStatus r;
    if ((r = SetProperty(kAudioUnitProperty_SampleRate, kAudioUnitScope_Global, 0, sampleRate)))
        return r;
    if ((r = SetProperty(kAudioUnitProperty_MaximumFramesPerSlice, kAudioUnitScope_Global, 0,
                         maxFrames)))
        return r;
    if ((r = SetProperty(kAudioUnitProperty_StreamFormat, kAudioUnitScope_Output, 0, asbd)))
        return r;
    if ((r = SetProperty(kAudioUnitProperty_HostCallbacks, kAudioUnitScope_Global, 0, callbacks)))
        return r;
    return AudioUnitInitialize(mUnit);
}

OSStatus AUHostUnit::Render(UInt32 frames, float* left, float* right, bool fastDispatch) {
    StereoBufferList list = {};
    list.mNumberBuffers = right ? 2 : 1;
    list.mBuffers[0] = {1, frames * 4, left};
    list.mBuffers[1] = {1, frames * 4, right};
    AudioTimeStamp ts = {};
    ts.mSampleTime = mTransport.samplePos;
    ts.mFlags = kAudioTimeStampSampleTimeValid;
    AudioUnitRenderActionFlags flags = 0;
    const OSStatus r = fastDispatch ? mRenderProc(mStorage, &flags, &ts, 0, frames, list.Get())
                                    : AudioUnitRender(mUnit, &flags, &ts, 0, frames, list.Get());
    if (r == noErr) mTransport.samplePos += frames;
    return r;
}

OSStatus AUHostUnit::Midi(int status, int data1, int data2, int offset) {
    return MusicDeviceMIDIEvent(mUnit, static_cast<UInt32>(status), static_cast<UInt32>(data1),
                                static_cast<UInt32>(data2), static_cast<UInt32>(offset));
}

OSStatus AUHostUnit::SetParameter(AudioUnitParameterID id, float value) {
    return mSetParamProc(mStorage, id, kAudioUnitScope_Global, 0, value, 0);
}

float AUHostUnit::GetParameter(AudioUnitParameterID id) {
    float value = 0.0f;
    mGetParamProc(mStorage, id, kAudioUnitScope_Global, 0, &value);
    return value;
}

int AUHostUnit::NParams() {
    UInt32 size = 0;
    Boolean writable = false;
    if (AudioUnitGetPropertyInfo(mUnit, kAudioUnitProperty_ParameterList, kAudioUnitScope_Global, 0,
                                 &size, &writable) != noErr)
        return 0;
    return static_cast<int>(size / sizeof(AudioUnitParameterID));
}

std::vector<float> AUHostUnit::GetParameters() {
    std::vector<float> values;
    const int n = NParams();
    for (int i = 0; i < n; ++i)
        values.push_back(GetParameter(static_cast<AudioUnitParameterID>(i)));
    return values;
}

std::vector<uint8_t> AUHostUnit::SaveState() {
    CFPropertyListRef state = nullptr;
    if (GetProperty(kAudioUnitProperty_ClassInfo, kAudioUnitScope_Global, 0, state) != noErr ||
        !state)
        return {};
    std::vector<uint8_t> bytes = PropertyListBytes(state);
    CFRelease(state);
    return bytes;
}

OSStatus AUHostUnit::LoadState(const std::vector<uint8_t>& xml) {
    CFPropertyListRef state = PropertyListFromBytes(xml, nullptr);
    if (!state) return kAudioUnitErr_InvalidFile;
    const OSStatus r = SetProperty(kAudioUnitProperty_ClassInfo, kAudioUnitScope_Global, 0, state);
    CFRelease(state);
    return r;
}

std::vector<uint8_t> PropertyListBytes(CFPropertyListRef list) {
    CFDataRef data =
        CFPropertyListCreateData(nullptr, list, kCFPropertyListXMLFormat_v1_0, 0, nullptr);
    if (!data) return {};
    const UInt8* bytes = CFDataGetBytePtr(data);
    std::vector<uint8_t> result(bytes, bytes + CFDataGetLength(data));
    CFRelease(data);
    return result;
}

CFPropertyListRef PropertyListFromBytes(const std::vector<uint8_t>& bytes, std::string* error) {
    CFDataRef data = CFDataCreate(nullptr, bytes.data(), static_cast<CFIndex>(bytes.size()));
    CFErrorRef problem = nullptr;
    CFPropertyListRef list = CFPropertyListCreateWithData(nullptr, data, 0, nullptr, &problem);
    CFRelease(data);
    if (problem) {
        if (error) {
            CFStringRef text = CFErrorCopyDescription(problem);
            *error = TextOf(text);
            CFRelease(text);
        }
        CFRelease(problem);
    }
    return list;
}

std::string TextOf(CFStringRef str) {
    const char* text = str ? CFStringGetCStringPtr(str, kCFStringEncodingUTF8) : nullptr;
    return text ? text : "";
}
