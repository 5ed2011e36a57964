// The binding seen through its component entry, with small plug-ins of other shapes than the
// instrument: buses, connections, render buffers, preset records and the parameter block.

#include "CFAUPreset.h"
#include "IPluginAU.h"

#include <AUSDKHost.h>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace slots = ComponentParametersSlots;

namespace {

// Writes, for output channel c, (c + 1) plus the first input channel when it is connected.
class BusTestPlug : public IPluginAU {
public:
    BusTestPlug(const char* channelIO, bool isInst, int sideChainChannels)
        : IPluginAU(IPluginInstanceInfo(), 1, channelIO, 1, "BusTest", "", "Test", 0x10000, 'Bust',
                    'Test', 0, isInst, false, isInst, sideChainChannels) {
        GetParam(0)->InitDouble("Gain", 1.0, 0.0, 2.0, 0.01);
    }
    void ProcessDoubleReplacing(double** inputs, double** outputs, int nFrames) override {
        ++mBlocks;
        for (int c = 0; c < NOutChannels(); ++c) {
            for (int i = 0; i < nFrames; ++i) {
                const double in = NInChannels() > 0 && IsInChannelConnected(0) ? inputs[0][i] : 0.0;
                outputs[c][i] = (c + 1) + in;
            }
        }
    }
    int mBlocks = 0;
};

std::function<IPluginAU*()> gMakePlug;

} // namespace

IPluginAU* MakeAUPlug() {
    return gMakePlug();
}

namespace {

// One instance of a BusTestPlug of the given shape, opened through the component entry.
class BusUnit {
public:
    BusUnit(const char* channelIO, bool isInst, int sideChainChannels = 0) {
        gMakePlug = [=] { return new BusTestPlug(channelIO, isInst, sideChainChannels); };
        const ComponentDescription cd = {OSType(isInst ? 'aumu' : 'aufx'), 'Bust', 'Test', 0, 0};
        mComponent = AUSDKRegisterComponent(&cd, IPluginAU::IPluginAUEntry);
        mUnit = AUSDKOpenInstance(mComponent);
    }
    ~BusUnit() {
        AUSDKCloseInstance(mUnit);
        AUSDKUnregisterComponent(mComponent);
    }
    AudioUnit Get() const { return mUnit; }
    BusTestPlug* Plug() const {
        return reinterpret_cast<BusTestPlug*>(GetComponentInstanceStorage(mUnit));
    }
    UInt32 Count(AudioUnitScope scope) {
        UInt32 n = 99, size = 4;
        AudioUnitGetProperty(mUnit, kAudioUnitProperty_ElementCount, scope, 0, &n, &size);
        return n;
    }
    OSStatus SetMaxFrames(UInt32 n) {
        return AudioUnitSetProperty(mUnit, kAudioUnitProperty_MaximumFramesPerSlice, 0, 0, &n, 4);
    }

private:
    Component mComponent = nullptr;
    AudioUnit mUnit = nullptr;
};

struct BufferList {
    UInt32 mNumberBuffers;
    AudioBuffer mBuffers[4];
    AudioBufferList* Get() { return reinterpret_cast<AudioBufferList*>(this); }
};

OSStatus Render(AudioUnit unit, UInt32 bus, BufferList& list, UInt32 frames,
                double sampleTime = 0.0) {
    AudioTimeStamp ts = {};
    ts.mSampleTime = sampleTime;
    ts.mFlags = kAudioTimeStampSampleTimeValid;
    AudioUnitRenderActionFlags flags = 0;
    return AudioUnitRender(unit, &flags, &ts, bus, frames, list.Get());
}

TEST(Buses, AnInstrumentWithoutInputsHasNoInputBus) {
    BusUnit unit("0-2", true);
    EXPECT_EQ(unit.Count(kAudioUnitScope_Input), 0u);
    EXPECT_EQ(unit.Count(kAudioUnitScope_Output), 1u);
    EXPECT_EQ(unit.Plug()->NInBuses(), 0);
    UInt32 size = 0;
    Boolean writable = false;
    EXPECT_EQ(AudioUnitGetPropertyInfo(unit.Get(), kAudioUnitProperty_SetRenderCallback,
                                       kAudioUnitScope_Input, 0, &size, &writable),
              kAudioUnitErr_InvalidProperty);
    EXPECT_EQ(AudioUnitInitialize(unit.Get()), noErr); // both counts -1: unconstrained
}

TEST(Buses, ThreeOutputChannelsMakeTwoBusesOfTwoAndOne) {
    BusUnit unit("0-3", true);
    ASSERT_EQ(unit.Count(kAudioUnitScope_Output), 2u);
    AudioStreamBasicDescription asbd = {};
    UInt32 size = sizeof(asbd);
    ASSERT_EQ(AudioUnitGetProperty(unit.Get(), kAudioUnitProperty_StreamFormat,
                                   kAudioUnitScope_Output, 1, &asbd, &size),
              noErr);
    EXPECT_EQ(asbd.mChannelsPerFrame, 1u);
    CFStringRef name = nullptr;
    size = sizeof(name);
    ASSERT_EQ(AudioUnitGetProperty(unit.Get(), kAudioUnitProperty_ElementName,
                                   kAudioUnitScope_Output, 1, &name, &size),
              noErr);
    EXPECT_STREQ(CFStringGetCStringPtr(name, kCFStringEncodingUTF8), "output 2");
    CFRelease(name);
    // Two buses: the layout tags answer per bus.
    AudioChannelLayoutTag tag = 0;
    size = sizeof(tag);
    ASSERT_EQ(AudioUnitGetProperty(unit.Get(), kAudioUnitProperty_SupportedChannelLayoutTags,
                                   kAudioUnitScope_Output, 0, &tag, &size),
              noErr);
    EXPECT_EQ(tag, kAudioChannelLayoutTag_Stereo);
    ASSERT_EQ(AudioUnitGetProperty(unit.Get(), kAudioUnitProperty_SupportedChannelLayoutTags,
                                   kAudioUnitScope_Output, 1, &tag, &size),
              noErr);
    EXPECT_EQ(tag, kAudioChannelLayoutTag_Mono);
    EXPECT_EQ(AudioUnitGetProperty(unit.Get(), kAudioUnitProperty_SupportedChannelLayoutTags,
                                   kAudioUnitScope_Input, 0, &tag, &size),
              kAudioUnitErr_InvalidProperty);

    // Rendering bus 0 alone processes at once, bus 1's channel unconnected.
    float l[64], r[64];
    BufferList list = {2, {{1, 256, l}, {1, 256, r}}};
    ASSERT_EQ(Render(unit.Get(), 0, list, 64), noErr);
    EXPECT_EQ(unit.Plug()->mBlocks, 1);
    EXPECT_EQ(l[10], 1.0f);
    EXPECT_EQ(r[10], 2.0f);
    EXPECT_FALSE(unit.Plug()->IsOutChannelConnected(2));
}

TEST(Buses, ANullHostBufferGetsTheScratchBufferWrittenBack) {
    BusUnit unit("0-2", true);
    float l[32];
    BufferList list = {2, {{1, 128, l}, {1, 128, nullptr}}};
    ASSERT_EQ(Render(unit.Get(), 0, list, 32), noErr);
    ASSERT_NE(list.mBuffers[1].mData, nullptr);
    const float* written = static_cast<const float*>(list.mBuffers[1].mData);
    for (int i = 0; i < 32; ++i)
        EXPECT_EQ(written[i], 2.0f);
    EXPECT_EQ(l[31], 1.0f);
}

struct PullLog {
    int calls = 0;
    OSStatus answer = noErr;
};

OSStatus FillInput(void* refCon, AudioUnitRenderActionFlags*, const AudioTimeStamp*, UInt32 bus,
                   UInt32 frames, AudioBufferList* data) {
    auto* log = static_cast<PullLog*>(refCon);
    ++log->calls;
    EXPECT_EQ(bus, 0u);
    for (UInt32 b = 0; b < data->mNumberBuffers; ++b) {
        EXPECT_NE(data->mBuffers[b].mData, nullptr);
        for (UInt32 i = 0; i < frames; ++i)
            static_cast<float*>(data->mBuffers[b].mData)[i] = 0.5f;
    }
    return log->answer;
}

TEST(Inputs, ARenderCallbackIsPulledOncePerSampleTime) {
    BusUnit unit("1-1", false);
    ASSERT_EQ(unit.Count(kAudioUnitScope_Input), 1u);
    PullLog log;
    const AURenderCallbackStruct callback = {FillInput, &log};
    ASSERT_EQ(AudioUnitSetProperty(unit.Get(), kAudioUnitProperty_SetRenderCallback,
                                   kAudioUnitScope_Input, 0, &callback, sizeof(callback)),
              noErr);
    EXPECT_EQ(unit.Plug()->GetInBusConnection(0)->mInputType, IPluginAU::eRenderCallback);
    float out[16];
    BufferList list = {1, {{1, 64, out}}};
    ASSERT_EQ(Render(unit.Get(), 0, list, 16, 100.0), noErr);
    EXPECT_EQ(out[3], 1.5f);
    ASSERT_EQ(Render(unit.Get(), 0, list, 16, 100.0), noErr);
    EXPECT_EQ(log.calls, 1);
    ASSERT_EQ(Render(unit.Get(), 0, list, 16, 116.0), noErr);
    EXPECT_EQ(log.calls, 2);
    // An upstream error comes back unchanged and nothing is processed.
    log.answer = -1234;
    const int blocks = unit.Plug()->mBlocks;
    EXPECT_EQ(Render(unit.Get(), 0, list, 16, 132.0), -1234);
    EXPECT_EQ(unit.Plug()->mBlocks, blocks);
    // Clearing the callback disconnects the input.
    const AURenderCallbackStruct none = {nullptr, nullptr};
    AudioUnitSetProperty(unit.Get(), kAudioUnitProperty_SetRenderCallback, kAudioUnitScope_Input, 0,
                         &none, sizeof(none));
    EXPECT_EQ(unit.Plug()->GetInBusConnection(0)->mInputType, IPluginAU::eNotConnected);
}

TEST(Inputs, AConnectionTakesTheSourceFormatAndItsFastRenderProcedure) {
    BusUnit source("0-1", true);
    BusUnit effect("1-1", false);
    const AudioUnitConnection connection = {source.Get(), 0, 0};
    ASSERT_EQ(AudioUnitSetProperty(effect.Get(), kAudioUnitProperty_MakeConnection,
                                   kAudioUnitScope_Input, 0, &connection, sizeof(connection)),
              noErr);
    EXPECT_EQ(effect.Plug()->GetInBusConnection(0)->mInputType, IPluginAU::eDirectFastProc);
    EXPECT_EQ(effect.Plug()->GetInBus(0)->mNHostChannels, 1);
    float out[8];
    BufferList list = {1, {{1, 32, out}}};
    ASSERT_EQ(Render(effect.Get(), 0, list, 8), noErr);
    EXPECT_EQ(out[0], 2.0f); // the source's 1 plus this effect's 1
    const AudioUnitConnection bad = {source.Get(), 0, 3};
    EXPECT_EQ(AudioUnitSetProperty(effect.Get(), kAudioUnitProperty_MakeConnection,
                                   kAudioUnitScope_Input, 0, &bad, sizeof(bad)),
              kAudioUnitErr_InvalidProperty);
}

TEST(Inputs, ASideChainMakesTwoNamedInputBuses) {
    BusUnit unit("3-2", false, 1);
    ASSERT_EQ(unit.Count(kAudioUnitScope_Input), 2u);
    EXPECT_EQ(unit.Plug()->GetInBus(0)->mNPlugChannels, 2);
    EXPECT_EQ(unit.Plug()->GetInBus(1)->mNPlugChannels, 1);
    EXPECT_EQ(unit.Plug()->GetInBus(1)->mPlugChannelStartIdx, 2);
    for (UInt32 bus : {0u, 1u}) {
        CFStringRef name = nullptr;
        UInt32 size = sizeof(name);
        ASSERT_EQ(AudioUnitGetProperty(unit.Get(), kAudioUnitProperty_ElementName,
                                       kAudioUnitScope_Input, bus, &name, &size),
                  noErr);
        EXPECT_STREQ(CFStringGetCStringPtr(name, kCFStringEncodingUTF8),
                     bus == 0 ? "main input" : "aux input");
        CFRelease(name);
    }
}

TEST(Lifecycle, AnIllegalLayoutIsRefusedAndInitializeStaysOff) {
    BusUnit unit("0-2", true);
    AudioStreamBasicDescription mono = {44100.0, kAudioFormatLinearPCM, 0x29, 4, 1, 4, 1, 32, 0};
    EXPECT_EQ(AudioUnitSetProperty(unit.Get(), kAudioUnitProperty_StreamFormat,
                                   kAudioUnitScope_Output, 0, &mono, sizeof(mono)),
              kAudioUnitErr_InvalidProperty);
    EXPECT_EQ(unit.Plug()->GetOutBus(0)->mNHostChannels, 0);
    // No outputs is no layout of "0-2".
    EXPECT_EQ(AudioUnitInitialize(unit.Get()), badComponentSelector);
    AudioStreamBasicDescription stereo = mono;
    stereo.mChannelsPerFrame = 2;
    ASSERT_EQ(AudioUnitSetProperty(unit.Get(), kAudioUnitProperty_StreamFormat,
                                   kAudioUnitScope_Output, 0, &stereo, sizeof(stereo)),
              noErr);
    EXPECT_EQ(AudioUnitInitialize(unit.Get()), noErr);
}

TEST(Render, RefusesBeforeAnyCallbackRuns) {
    BusUnit unit("0-2", true);
    ASSERT_EQ(unit.SetMaxFrames(64), noErr);
    float l[128], r[128];
    BufferList list = {2, {{1, 512, l}, {1, 512, r}}};
    EXPECT_EQ(Render(unit.Get(), 0, list, 65), kAudioUnitErr_InvalidPropertyValue);
    EXPECT_EQ(Render(unit.Get(), 1, list, 16), kAudioUnitErr_InvalidPropertyValue);
    EXPECT_EQ(unit.Plug()->mBlocks, 0);
    EXPECT_EQ(Render(unit.Get(), 0, list, 64), noErr);
}

double gHostTempo = 0.0;

OSStatus HostBeatAndTempo(void*, Float64* beat, Float64* tempo) {
    *beat = 0.0;
    *tempo = gHostTempo;
    return noErr;
}

TEST(Host, TheTempoKeepsItsLastPositiveValue) {
    BusUnit unit("0-2", true);
    EXPECT_EQ(unit.Plug()->GetTempo(), 120.0);
    HostCallbackInfo callbacks = {};
    callbacks.beatAndTempoProc = HostBeatAndTempo;
    // A host that passes the older, shorter record (without the last callback) is accepted.
    ASSERT_EQ(
        AudioUnitSetProperty(unit.Get(), kAudioUnitProperty_HostCallbacks, 0, 0, &callbacks, 32),
        noErr);
    gHostTempo = 93.5;
    EXPECT_EQ(unit.Plug()->GetTempo(), 93.5);
    gHostTempo = 0.0;
    EXPECT_EQ(unit.Plug()->GetTempo(), 93.5);
    ITimeInfo info;
    unit.Plug()->GetTime(&info);
    EXPECT_EQ(info.mTempo, 120.0); // a tempo of 0 leaves the caller's value
    EXPECT_EQ(info.mPPQPos, -1.0);
}

TEST(Host, IdentifiedByTheMainBundleOrTheHostIdentifier) {
    AUSDKSetMainBundleIdentifier("com.apple.logic10");
    {
        BusUnit unit("0-2", true);
        EXPECT_EQ(unit.Plug()->GetHost(), kHostLogic);
    }
    AUSDKSetMainBundleIdentifier(nullptr);
    BusUnit unit("0-2", true);
    EXPECT_EQ(unit.Plug()->GetHost(), kHostUnknown);
    CFStringRef name = CFStringCreateWithCString(nullptr, "Ardour", kCFStringEncodingUTF8);
    const AUHostIdentifier host = {name, {0, 0, 0x21, 7}};
    ASSERT_EQ(AudioUnitSetProperty(unit.Get(), kAudioUnitProperty_AUHostIdentifier, 0, 0, &host,
                                   sizeof(host)),
              noErr);
    CFRelease(name);
    EXPECT_EQ(unit.Plug()->GetHost(), kHostArdour);
    EXPECT_EQ(unit.Plug()->GetHostVersion(false), (7 << 16) | (2 << 8) | 1);
}

TEST(PresetRecords, CallbacksCountReferencesAndFreeAtZero) {
    CFStringRef name = CFStringCreateWithCString(nullptr, "Bass", kCFStringEncodingUTF8);
    CFAUPresetRef preset = CFAUPresetCreate(nullptr, 7, name);
    ASSERT_NE(preset, nullptr);
    CFRelease(name); // the record holds its own copy
    CFMutableArrayRef array = CFArrayCreateMutable(nullptr, 0, &kCFAUPresetArrayCallBacks);
    CFArrayAppendValue(array, preset);
    EXPECT_EQ(preset->retainCount, 2);
    CFAUPresetRelease(nullptr, preset);
    EXPECT_EQ(preset->retainCount, 1);
    const auto* held = static_cast<const AUPreset*>(CFArrayGetValueAtIndex(array, 0));
    EXPECT_EQ(held->presetNumber, 7);
    EXPECT_STREQ(CFStringGetCStringPtr(held->presetName, kCFStringEncodingUTF8), "Bass");

    CFStringRef same = CFStringCreateWithCString(nullptr, "Bass", kCFStringEncodingUTF8);
    CFAUPresetRef twin = CFAUPresetCreate(nullptr, 7, same);
    CFAUPresetRef other = CFAUPresetCreate(nullptr, 8, same);
    EXPECT_TRUE(CFArrayContainsValue(array, CFRange{0, 1}, twin));
    EXPECT_FALSE(CFArrayContainsValue(array, CFRange{0, 1}, other));
    CFStringRef description = CFAUPresetCopyDescription(preset);
    EXPECT_STREQ(CFStringGetCStringPtr(description, kCFStringEncodingUTF8),
                 "AUPreset:\npreset number = 7\npreset name = Bass");
    CFRelease(description);
    CFAUPresetRelease(nullptr, twin);
    CFAUPresetRelease(nullptr, other);
    CFRelease(same);
    CFRelease(array); // frees the record: ASan reports it otherwise
}

TEST(PresetRecords, ANullNameStaysNull) {
    CFAUPresetRef preset = CFAUPresetCreate(nullptr, 1, nullptr);
    EXPECT_EQ(preset->auPreset.presetName, nullptr);
    CFAUPresetRetain(nullptr, preset);
    CFAUPresetRelease(nullptr, preset);
    CFAUPresetRelease(nullptr, preset);
}

TEST(ParameterBlock, SlotsFollowTheHeaderInSignatureOrder) {
    alignas(8) unsigned char bytes[slots::kBlockSize] = {};
    auto* p = reinterpret_cast<ComponentParameters*>(bytes);
    int marker = 0;
    slots::Put(p, 0, reinterpret_cast<AudioUnit>(&marker));
    slots::Put(p, 1, UInt32{0xFFFFFFFF});
    slots::Put(p, 2, SInt32{-2});
    slots::Put(p, 3, 0.75f);
    EXPECT_EQ(reinterpret_cast<unsigned char*>(&p->params[0]) - bytes, 8);
    UInt64 raw[4];
    std::memcpy(raw, bytes + 8, sizeof(raw));
    EXPECT_EQ(raw[0], reinterpret_cast<uintptr_t>(&marker));
    EXPECT_EQ(raw[1], 0xFFFFFFFFull);
    EXPECT_EQ(raw[2], 0xFFFFFFFFFFFFFFFEull);
    float f;
    std::memcpy(&f, bytes + 8 + 24, 4);
    EXPECT_EQ(f, 0.75f);
    EXPECT_EQ(slots::Get<SInt32>(p, 2), -2);
    EXPECT_EQ(slots::Get<float>(p, 3), 0.75f);
    EXPECT_EQ(slots::Get<int*>(p, 0), &marker);
}

TEST(ParameterBlock, TheEntryRefusesAMissingInstanceAndShortBlocks) {
    alignas(8) unsigned char bytes[slots::kBlockSize] = {};
    auto* p = reinterpret_cast<ComponentParameters*>(bytes);
    p->what = kAudioUnitInitializeSelect;
    EXPECT_EQ(IPluginAU::IPluginAUEntry(p, nullptr), badComponentInstance);
    EXPECT_EQ(IPluginAU::IPluginAUEntry(nullptr, nullptr), paramErr);
    BusUnit unit("0-2", true);
    p->what = kAudioUnitSetPropertySelect;
    p->paramSize = 8;
    EXPECT_EQ(IPluginAU::IPluginAUEntry(p, unit.Plug()), paramErr);
}

} // namespace
