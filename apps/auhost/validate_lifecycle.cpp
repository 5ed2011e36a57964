// Checks of the component's lifecycle, dispatch, property table and callback bookkeeping.

#include "validate.h"

#include <algorithm>
#include <cstring>

namespace auhost {

namespace slots = ComponentParametersSlots;

namespace {

OSStatus CallSelector(AudioUnit unit, SInt16 selector, std::initializer_list<UInt64> args = {}) {
    alignas(8) unsigned char bytes[slots::kBlockSize] = {};
    auto* params = reinterpret_cast<ComponentParameters*>(bytes);
    int i = 1;
    for (UInt64 arg : args)
        slots::Put(params, i++, arg);
    return AUSDKCallEntry(unit, selector, static_cast<int>(args.size()), params);
}

struct InfoAnswer {
    OSStatus result;
    UInt32 size;
    bool writable;
};

constexpr OSStatus kInvalid = kAudioUnitErr_InvalidProperty;

// What a music device with no inputs, one stereo output bus, an editor and the given number
// of parameters and channel layouts answers to a property-info request on element 0.
InfoAnswer ExpectedInfo(AudioUnitPropertyID id, AudioUnitScope scope, int nParams, int nLayouts) {
    const bool global = scope == kAudioUnitScope_Global;
    const bool input = scope == kAudioUnitScope_Input;
    const bool output = scope == kAudioUnitScope_Output;
    const InfoAnswer invalid = {kInvalid, 0, false};
    switch (id) {
    case kAudioUnitProperty_ClassInfo:
        return {noErr, 8, true};
    case kAudioUnitProperty_MakeConnection:
        return input || global ? InfoAnswer{noErr, 16, true} : invalid;
    case kAudioUnitProperty_SampleRate:
        return {noErr, 8, true};
    case kAudioUnitProperty_ParameterList:
        return {noErr, global ? static_cast<UInt32>(4 * nParams) : 0, false};
    case kAudioUnitProperty_ParameterInfo:
        return global ? InfoAnswer{noErr, 104, false} : invalid;
    case kAudioUnitProperty_FastDispatch:
        return {kAudioUnitErr_InvalidElement, 0, false};
    case kAudioUnitProperty_StreamFormat:
        return global || output ? InfoAnswer{noErr, 40, true} : invalid;
    case kAudioUnitProperty_ElementCount:
        return {noErr, 4, false};
    case kAudioUnitProperty_Latency:
    case kAudioUnitProperty_TailTime:
        return global ? InfoAnswer{noErr, 8, false} : invalid;
    case kAudioUnitProperty_SupportedNumChannels:
        return global ? InfoAnswer{noErr, static_cast<UInt32>(4 * nLayouts), false} : invalid;
    case kAudioUnitProperty_MaximumFramesPerSlice:
        return global ? InfoAnswer{noErr, 4, true} : invalid;
    case kAudioUnitProperty_GetUIComponentList:
        return {noErr, 20, false};
    case kAudioUnitProperty_AudioChannelLayout:
        return {kAudioUnitErr_InvalidPropertyValue, 0, false};
    case kAudioUnitProperty_BypassEffect:
        return global ? InfoAnswer{noErr, 4, true} : invalid;
    case kAudioUnitProperty_LastRenderError:
        return global ? InfoAnswer{noErr, 4, false} : invalid;
    case kAudioUnitProperty_FactoryPresets:
        return {noErr, 8, false};
    case kAudioUnitProperty_HostCallbacks:
        return global ? InfoAnswer{noErr, 40, true} : invalid;
    case kAudioUnitProperty_CurrentPreset:
    case kAudioUnitProperty_PresentPreset:
        return {noErr, 16, true};
    case kAudioUnitProperty_CocoaUI:
        return {noErr, 16, false};
    case kAudioUnitProperty_ParameterStringFromValue:
    case kAudioUnitProperty_ParameterValueFromString:
        return {noErr, 24, false};
    case kAudioUnitProperty_ParameterIDName:
    case kAudioUnitProperty_ParameterClumpName:
        return {noErr, 16, false};
    case kMusicDeviceProperty_InstrumentCount:
        return global ? InfoAnswer{noErr, 4, false} : invalid;
    default:
        return invalid; // among them ElementName as info, SetRenderCallback without inputs
    }
}

const AudioUnitPropertyID kTableProperties[] = {0,  1,  2,  3,  4,  5,  6,  8,  11, 12, 13,   14,
                                                18, 19, 20, 21, 22, 23, 24, 25, 26, 27, 28,   29,
                                                30, 31, 32, 33, 34, 35, 36, 37, 38, 46, 1000, 9999};

// Properties the host may not set.
const AudioUnitPropertyID kReadOnly[] = {3,  4,  5,  6,  11, 12, 13, 16, 18, 19,   20,  22,
                                         24, 29, 30, 31, 32, 33, 34, 35, 38, 1000, 9999};

std::string GetStringProperty(AUHostUnit& unit, AudioUnitPropertyID id, AudioUnitScope scope,
                              AudioUnitElement element, OSStatus* status) {
    CFStringRef text = nullptr;
    *status = unit.GetProperty(id, scope, element, text);
    std::string result = TextOf(text);
    if (text) CFRelease(text);
    return result;
}

std::string ParameterName(AUHostUnit& unit, int param, SInt32 length) {
    AudioUnitParameterNameInfo info = {static_cast<AudioUnitParameterID>(param), length, nullptr};
    if (unit.GetProperty(kAudioUnitProperty_ParameterIDName, kAudioUnitScope_Global, 0, info) !=
        noErr)
        return "<error>";
    std::string name = TextOf(info.outName);
    CFRelease(info.outName);
    return name;
}

} // namespace

void CheckOpenClose(CheckContext& context, CheckReport& report) {
    { AUHostUnit warmUp(context.bundle.GetComponent()); } // process-wide caches fill here
    const long before = AUSDKLiveObjectCount();
    for (int i = 0; i < 100; ++i) {
        AUHostUnit unit(context.bundle.GetComponent());
        if (!report.Expect(unit.IsOpen(), "open %d failed", i)) return;
        report.Expect(unit.Storage() != nullptr, "open %d stored no instance", i);
    }
    report.Expect(AUSDKLiveObjectCount() == before, "%ld objects left behind by 100 instances",
                  AUSDKLiveObjectCount() - before);
}

void CheckSelectors(CheckContext& context, CheckReport& report) {
    AUHostUnit unit(context.bundle.GetComponent());
    if (!report.Expect(unit.IsOpen(), "open failed")) return;
    AudioUnit au = unit.Get();
    report.ExpectStatus(CallSelector(au, kComponentVersionSelect), context.bundle.GetVersion(),
                        "version selector (the Info.plist version)");
    const int canDo[] = {1, 2, 3, 4, 5, 6, 7, 9, 10, 11, 14, 15, 16, 17};
    for (int s = -8; s <= 0x310; ++s) {
        const bool expected = std::find(std::begin(canDo), std::end(canDo), s) != std::end(canDo);
        const OSStatus r =
            CallSelector(au, kComponentCanDoSelect, {static_cast<UInt64>(static_cast<int64_t>(s))});
        report.Expect(r == (expected ? 1 : 0), "can-do %d answered %d", s, static_cast<int>(r));
    }
    for (SInt16 s : {0, 8, 12, 13, 19, 20, 21, 0x107, 0x200, 0x301}) {
        report.ExpectStatus(CallSelector(au, s, {0, 0, 0, 0, 0, 0}), badComponentSelector,
                            ("unknown selector " + std::to_string(s)).c_str());
    }
    report.ExpectStatus(unit.Prepare(44100.0, 512), noErr, "initialize");
    report.ExpectStatus(AudioUnitReset(au, kAudioUnitScope_Global, 0), noErr, "reset");
    report.ExpectStatus(CallSelector(au, kMusicDevicePrepareInstrumentSelect, {0}), noErr,
                        "prepare instrument");
    report.ExpectStatus(CallSelector(au, kMusicDeviceReleaseInstrumentSelect, {0}), noErr,
                        "release instrument");
    const UInt8 sysex[] = {0xF0, 0x7E, 0x7F, 0x09, 0x01, 0xF7};
    report.ExpectStatus(MusicDeviceSysEx(au, sysex, sizeof(sysex)), noErr, "system exclusive");
    report.ExpectStatus(AudioUnitUninitialize(au), noErr, "uninitialize");
    report.ExpectStatus(AudioUnitInitialize(au), noErr, "initialize again");
    // A parameter block too short for its selector is refused.
    alignas(8) unsigned char bytes[slots::kBlockSize] = {};
    auto* params = reinterpret_cast<ComponentParameters*>(bytes);
    report.ExpectStatus(AUSDKCallEntry(au, kAudioUnitGetPropertySelect, 2, params), paramErr,
                        "get-property block with two arguments");
}

void CheckPropertyTable(CheckContext& context, CheckReport& report) {
    AUHostUnit unit(context.bundle.GetComponent());
    if (!report.Expect(unit.IsOpen(), "open failed")) return;
    AudioUnit au = unit.Get();
    const int nParams = unit.NParams();
    report.Expect(nParams == 31, "%d parameters, expected 31", nParams);
    UInt32 layoutsSize = 0;
    Boolean writable = false;
    AudioUnitGetPropertyInfo(au, kAudioUnitProperty_SupportedNumChannels, 0, 0, &layoutsSize,
                             &writable);
    const int nLayouts = static_cast<int>(layoutsSize / 4);

    for (AudioUnitPropertyID id : kTableProperties) {
        for (AudioUnitScope scope : {0u, 1u, 2u, 3u}) {
            const InfoAnswer want = ExpectedInfo(id, scope, nParams, nLayouts);
            UInt32 size = 0xDEAD;
            Boolean w = 2;
            const OSStatus r = AudioUnitGetPropertyInfo(au, id, scope, 0, &size, &w);
            report.Expect(r == want.result, "info %u scope %u: answered %d, expected %d", id, scope,
                          static_cast<int>(r), static_cast<int>(want.result));
            if (r == noErr && want.result == noErr) {
                report.Expect(size == want.size, "info %u scope %u: size %u, expected %u", id,
                              scope, size, want.size);
                report.Expect((w != 0) == want.writable, "info %u scope %u: writable %d", id, scope,
                              w);
            }
        }
    }
    // Null size and writable pointers are accepted.
    report.ExpectStatus(
        AudioUnitGetPropertyInfo(au, kAudioUnitProperty_SampleRate, 0, 0, nullptr, nullptr), noErr,
        "info with null pointers");
    for (AudioUnitPropertyID id : kReadOnly) {
        UInt32 value[32] = {};
        report.ExpectStatus(
            AudioUnitSetProperty(au, id, kAudioUnitScope_Global, 0, value, sizeof(value)), kInvalid,
            ("set of read-only property " + std::to_string(id)).c_str());
    }
    // A record shorter than the property's is refused.
    const Float64 rate = 48000.0;
    report.ExpectStatus(AudioUnitSetProperty(au, kAudioUnitProperty_SampleRate, 0, 0, &rate, 4),
                        kAudioUnitErr_InvalidPropertyValue, "sample rate of 4 bytes");

    OSStatus r;
    report.Expect(GetStringProperty(unit, kAudioUnitProperty_ElementName, kAudioUnitScope_Output, 0,
                                    &r) == "output 1" &&
                      r == noErr,
                  "output element 0 is not named \"output 1\"");
    GetStringProperty(unit, kAudioUnitProperty_ElementName, kAudioUnitScope_Input, 2, &r);
    report.ExpectStatus(r, kAudioUnitErr_InvalidElement, "name of input element 2");
    GetStringProperty(unit, kAudioUnitProperty_ElementName, kAudioUnitScope_Global, 0, &r);
    report.ExpectStatus(r, kAudioUnitErr_InvalidScope, "name in the global scope");
    GetStringProperty(unit, kAudioUnitProperty_ElementName, kAudioUnitScope_Output, 7, &r);
    report.ExpectStatus(r, kAudioUnitErr_InvalidElement, "name of output element 7");

    UInt32 counts[3] = {};
    for (UInt32 scope = 0; scope < 3; ++scope)
        unit.GetProperty(kAudioUnitProperty_ElementCount, scope, 0, counts[scope]);
    report.Expect(counts[0] == 1 && counts[1] == 0 && counts[2] == 1,
                  "element counts global %u, input %u, output %u; expected 1, 0, 1", counts[0],
                  counts[1], counts[2]);
    AUChannelInfo layouts[8] = {};
    UInt32 size = sizeof(layouts);
    AudioUnitGetProperty(au, kAudioUnitProperty_SupportedNumChannels, 0, 0, layouts, &size);
    report.Expect(size == 8 && layouts[0].inChannels == 0 && layouts[0].outChannels == 1 &&
                      layouts[1].inChannels == 0 && layouts[1].outChannels == 2,
                  "channel layouts are not 0-1 and 0-2");
    Float64 latency = -1.0, tail = -1.0;
    unit.GetProperty(kAudioUnitProperty_Latency, 0, 0, latency);
    unit.GetProperty(kAudioUnitProperty_TailTime, 0, 0, tail);
    report.Expect(latency == 0.0 && tail == 0.0, "latency %g and tail %g, expected 0", latency,
                  tail);
    UInt32 instruments = 0;
    unit.GetProperty(kMusicDeviceProperty_InstrumentCount, 0, 0, instruments);
    report.Expect(instruments == 1, "instrument count %u", instruments);
    AudioChannelLayoutTag tag = 0;
    report.ExpectStatus(unit.GetProperty(kAudioUnitProperty_SupportedChannelLayoutTags,
                                         kAudioUnitScope_Output, 0, tag),
                        kInvalid, "channel layout tags with one output bus");
    UInt32 layout[8] = {};
    size = sizeof(layout);
    report.ExpectStatus(AudioUnitGetProperty(au, kAudioUnitProperty_AudioChannelLayout,
                                             kAudioUnitScope_Output, 0, layout, &size),
                        kAudioUnitErr_InvalidPropertyValue, "audio channel layout");
    void* proc = nullptr;
    report.ExpectStatus(
        unit.GetProperty(kAudioUnitProperty_FastDispatch, 0, kAudioUnitRenderSelect, proc), noErr,
        "fast dispatch of render");
    report.ExpectStatus(
        unit.GetProperty(kAudioUnitProperty_FastDispatch, 0, kAudioUnitResetSelect, proc),
        kAudioUnitErr_InvalidElement, "fast dispatch of reset");

    // Parameter names cut to the asked length.
    const std::string full = ParameterName(unit, 0, kAudioUnitParameterName_Full);
    report.Expect(ParameterName(unit, 0, 10) == full.substr(0, 10), "name cut to 10: \"%s\"",
                  ParameterName(unit, 0, 10).c_str());
    for (int i = 0; i < nParams; ++i) {
        report.Expect(ParameterName(unit, i, 50).size() <= 31,
                      "parameter %d name cut to 50 is longer than 31", i);
    }
    AudioUnitParameterNameInfo clump = {0, kAudioUnitParameterName_Full, nullptr};
    report.ExpectStatus(unit.GetProperty(kAudioUnitProperty_ParameterClumpName, 0, 0, clump),
                        kAudioUnitErr_PropertyNotInUse, "clump name 0");
    clump.inID = 1000;
    report.ExpectStatus(unit.GetProperty(kAudioUnitProperty_ParameterClumpName, 0, 0, clump),
                        kAudioUnitErr_InvalidPropertyValue, "clump name 1000");

    const char* hostName = "Logic Pro";
    CFStringRef name = CFStringCreateWithCString(nullptr, hostName, kCFStringEncodingUTF8);
    AUHostIdentifier host = {name, {0, 0, 0x23, 10}};
    report.ExpectStatus(unit.SetProperty(kAudioUnitProperty_AUHostIdentifier, 0, 0, host), noErr,
                        "host identifier");
    report.Expect(CFGetRetainCount(name) == 1, "the host's name string was retained or released");
    CFRelease(name);
    UInt32 offline = 1;
    report.ExpectStatus(unit.SetProperty(kAudioUnitProperty_OfflineRender, 0, 0, offline), noErr,
                        "offline render");
}

namespace {

struct ListenerLog {
    int calls = 0;
    AudioUnitPropertyID lastID = 0;
    AudioUnitScope lastScope = 0;
};

void LogListener(void* refCon, AudioUnit, AudioUnitPropertyID id, AudioUnitScope scope,
                 AudioUnitElement) {
    auto* log = static_cast<ListenerLog*>(refCon);
    ++log->calls;
    log->lastID = id;
    log->lastScope = scope;
}

void OtherListener(void* refCon, AudioUnit, AudioUnitPropertyID, AudioUnitScope, AudioUnitElement) {
    ++static_cast<ListenerLog*>(refCon)->calls;
}

struct NotifyLog {
    int pre = 0;
    int post = 0;
};

OSStatus LogNotify(void* refCon, AudioUnitRenderActionFlags* flags, const AudioTimeStamp*, UInt32,
                   UInt32, AudioBufferList*) {
    auto* log = static_cast<NotifyLog*>(refCon);
    if (*flags & kAudioUnitRenderAction_PreRender) ++log->pre;
    if (*flags & kAudioUnitRenderAction_PostRender) ++log->post;
    return noErr;
}

} // namespace

void CheckListenersAndRenderNotify(CheckContext& context, CheckReport& report) {
    AUHostUnit unit(context.bundle.GetComponent());
    if (!report.Expect(unit.IsOpen(), "open failed")) return;
    AudioUnit au = unit.Get();
    ListenerLog a, b;
    AudioUnitAddPropertyListener(au, kAudioUnitProperty_SampleRate, LogListener, &a);
    AudioUnitAddPropertyListener(au, kAudioUnitProperty_SampleRate, LogListener,
                                 &b); // same proc: kept once
    AudioUnitAddPropertyListener(au, kAudioUnitProperty_SampleRate, OtherListener, &b);
    unit.SetProperty(kAudioUnitProperty_SampleRate, kAudioUnitScope_Output, 0, 48000.0);
    report.Expect(a.calls == 1 && b.calls == 1,
                  "listeners called %d and %d times, expected once each", a.calls, b.calls);
    report.Expect(a.lastID == kAudioUnitProperty_SampleRate &&
                      a.lastScope == kAudioUnitScope_Output,
                  "listener told property %u scope %u", a.lastID, a.lastScope);
    // Removing with the wrong user data keeps the listener; the exact triple removes it.
    AudioUnitRemovePropertyListenerWithUserData(au, kAudioUnitProperty_SampleRate, LogListener, &b);
    unit.SetProperty(kAudioUnitProperty_SampleRate, 0, 0, 44100.0);
    report.Expect(a.calls == 2, "listener removed by a triple with other user data");
    AudioUnitRemovePropertyListenerWithUserData(au, kAudioUnitProperty_SampleRate, LogListener, &a);
    AudioUnitRemovePropertyListener(au, kAudioUnitProperty_SampleRate, OtherListener);
    unit.SetProperty(kAudioUnitProperty_SampleRate, 0, 0, 44100.0);
    report.Expect(a.calls == 2 && b.calls == 2, "removed listeners still called (%d, %d)", a.calls,
                  b.calls);
    // A refused stream format still notifies; so does a preset change.
    ListenerLog format, preset;
    AudioUnitAddPropertyListener(au, kAudioUnitProperty_StreamFormat, LogListener, &format);
    AudioUnitAddPropertyListener(au, kAudioUnitProperty_PresentPreset, LogListener, &preset);
    AudioStreamBasicDescription none = {};
    none.mFormatID = kAudioFormatLinearPCM;
    none.mFormatFlags = kAudioFormatFlagIsFloat;
    report.ExpectStatus(
        unit.SetProperty(kAudioUnitProperty_StreamFormat, kAudioUnitScope_Output, 0, none),
        kInvalid, "stream format of 0 channels");
    report.Expect(format.calls == 1, "refused format notified %d times", format.calls);
    const AUPreset third = {3, nullptr};
    unit.SetProperty(kAudioUnitProperty_PresentPreset, kAudioUnitScope_Global, 0, third);
    report.Expect(preset.calls >= 1, "selecting a preset did not notify its listener");

    NotifyLog n1, n2;
    AudioUnitAddRenderNotify(au, LogNotify, &n1);
    AudioUnitAddRenderNotify(au, LogNotify, &n2); // duplicates allowed
    report.ExpectStatus(unit.Prepare(44100.0, 256), noErr, "prepare");
    float left[256], right[256];
    unit.Render(256, left, right);
    report.Expect(n1.pre == 1 && n1.post == 1 && n2.pre == 1 && n2.post == 1,
                  "render notifications %d/%d and %d/%d, expected 1/1 each", n1.pre, n1.post,
                  n2.pre, n2.post);
    AudioUnitRemoveRenderNotify(au, LogNotify, nullptr); // the first entry with that procedure
    unit.Render(256, left, right);
    report.Expect(n1.pre == 1 && n2.pre == 2, "after removal: %d and %d pre-render calls", n1.pre,
                  n2.pre);
    AudioTimeStamp ts = {};
    AudioUnitRenderActionFlags flags = 0;
    struct {
        UInt32 n;
        AudioBuffer b[2];
    } list = {2, {{1, 1024, left}, {1, 1024, right}}};
    report.ExpectStatus(unit.RenderProc()(unit.Storage(), &flags, &ts, 0, 256,
                                          reinterpret_cast<AudioBufferList*>(&list)),
                        kAudioUnitErr_InvalidPropertyValue, "render without a valid sample time");
    report.Expect(n2.pre == 2, "a refused render notified its callbacks");
}

} // namespace auhost
