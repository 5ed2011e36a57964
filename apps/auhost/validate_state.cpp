// Checks of the saved state, the presets and the editor's view.

#include "validate.h"

#include <AudioUnit/AUCocoaUIView.h>

#include <climits>
#include <cmath>
#include <cstdlib>

namespace auhost {

namespace {

// A copy of dict with key set to value (a number), or without key when value is null.
CFMutableDictionaryRef CopyWith(CFDictionaryRef dict, const char* key, const SInt32* value) {
    CFMutableDictionaryRef copy = CFDictionaryCreateMutable(
        nullptr, 0, &kCFTypeDictionaryKeyCallBacks, &kCFTypeDictionaryValueCallBacks);
    const CFIndex n = CFDictionaryGetCount(dict);
    std::vector<const void*> keys(static_cast<size_t>(n)), values(static_cast<size_t>(n));
    CFDictionaryGetKeysAndValues(dict, keys.data(), values.data());
    for (CFIndex i = 0; i < n; ++i)
        CFDictionarySetValue(copy, keys[static_cast<size_t>(i)], values[static_cast<size_t>(i)]);
    CFStringRef k = CFStringCreateWithCString(nullptr, key, kCFStringEncodingUTF8);
    if (value) {
        CFNumberRef number = CFNumberCreate(nullptr, kCFNumberSInt32Type, value);
        CFDictionarySetValue(copy, k, number);
        CFRelease(number);
    } else {
        CFDictionaryRemoveValue(copy, k);
    }
    CFRelease(k);
    return copy;
}

SInt32 NumberOf(CFDictionaryRef dict, const char* key) {
    CFStringRef k = CFStringCreateWithCString(nullptr, key, kCFStringEncodingUTF8);
    const void* value = CFDictionaryGetValue(dict, k);
    CFRelease(k);
    SInt32 result = INT_MIN;
    if (value && CFGetTypeID(value) == CFNumberGetTypeID())
        CFNumberGetValue(static_cast<CFNumberRef>(value), kCFNumberSInt32Type, &result);
    return result;
}

// Gives every parameter a value of its own, away from its current one.
void SetDistinctValues(AUHostUnit& unit, unsigned seed) {
    std::srand(seed);
    for (int i = 0; i < unit.NParams(); ++i) {
        AudioUnitParameterInfo info = {};
        unit.GetProperty(kAudioUnitProperty_ParameterInfo, 0, static_cast<UInt32>(i), info);
        if (info.cfNameString) CFRelease(info.cfNameString);
        if (info.unitName) CFRelease(info.unitName);
        const float t = static_cast<float>(std::rand() % 1000) / 999.0f;
        float value = info.minValue + t * (info.maxValue - info.minValue);
        if (info.unit == kAudioUnitParameterUnit_Indexed ||
            info.unit == kAudioUnitParameterUnit_Boolean)
            value = std::round(value);
        unit.SetParameter(static_cast<UInt32>(i), value);
    }
}

std::vector<float> PlayPhrase(AUHostUnit& unit) {
    unit.Midi(0x90, 60, 100, 0);
    unit.Midi(0x90, 67, 90, 300);
    std::vector<float> out = RenderMono(unit, 22050, 512);
    unit.Midi(0x80, 60, 0, 0);
    unit.Midi(0x80, 67, 0, 100);
    std::vector<float> tail = RenderMono(unit, 22050, 512);
    out.insert(out.end(), tail.begin(), tail.end());
    return out;
}

} // namespace

void CheckClassInfoRoundTrip(CheckContext& context, CheckReport& report) {
    AUHostUnit first(context.bundle.GetComponent());
    AUHostUnit second(context.bundle.GetComponent());
    if (!report.Expect(first.IsOpen() && second.IsOpen(), "open failed")) return;
    first.Prepare(44100.0, 512);
    second.Prepare(44100.0, 512);
    const AUPreset preset = {5, nullptr};
    first.SetProperty(kAudioUnitProperty_PresentPreset, 0, 0, preset);
    SetDistinctValues(first, 7);

    CFPropertyListRef state = nullptr;
    if (!report.ExpectStatus(first.GetProperty(kAudioUnitProperty_ClassInfo, 0, 0, state), noErr,
                             "save") ||
        !state)
        return;
    const auto dict = static_cast<CFDictionaryRef>(state);
    const ComponentDescription& cd = context.bundle.GetDescription();
    report.Expect(CFDictionaryGetCount(dict) == 6, "the dictionary holds %ld entries",
                  CFDictionaryGetCount(dict));
    report.Expect(NumberOf(dict, "type") == static_cast<SInt32>(cd.componentType) &&
                      NumberOf(dict, "subtype") == static_cast<SInt32>(cd.componentSubType) &&
                      NumberOf(dict, "manufacturer") ==
                          static_cast<SInt32>(cd.componentManufacturer),
                  "type, subtype or manufacturer differ from Info.plist");
    report.Expect(NumberOf(dict, "version") == context.bundle.GetVersion(), "version %d",
                  NumberOf(dict, "version"));
    CFStringRef dataKey = CFSTR("data");
    const void* data = CFDictionaryGetValue(dict, dataKey);
    report.Expect(data && CFGetTypeID(data) == CFDataGetTypeID() &&
                      CFDataGetLength(static_cast<CFDataRef>(data)) == 8 * first.NParams(),
                  "\"data\" is not one double per parameter");
    const std::vector<uint8_t> saved = PropertyListBytes(state);
    CFRelease(state);

    report.ExpectStatus(second.LoadState(saved), noErr, "restore into a fresh instance");
    report.Expect(second.SaveState() == saved, "saving the restored instance gives other bytes");
    report.Expect(second.GetParameters() == first.GetParameters(), "restored parameters differ");
    AUPreset current = {}, restored = {};
    first.GetProperty(kAudioUnitProperty_PresentPreset, 0, 0, current);
    second.GetProperty(kAudioUnitProperty_PresentPreset, 0, 0, restored);
    report.Expect(current.presetNumber == restored.presetNumber, "restored preset %d, saved %d",
                  restored.presetNumber, current.presetNumber);
    CFRelease(current.presetName);
    CFRelease(restored.presetName);
    const std::vector<float> a = PlayPhrase(first), b = PlayPhrase(second);
    report.Expect(Peak(a) > 0.0f && a == b, "the restored instance renders other audio");
}

void CheckClassInfoForeign(CheckContext& context, CheckReport& report) {
    AUHostUnit unit(context.bundle.GetComponent());
    if (!report.Expect(unit.IsOpen(), "open failed")) return;
    unit.Prepare(44100.0, 512);
    SetDistinctValues(unit, 11);
    CFPropertyListRef state = nullptr;
    unit.GetProperty(kAudioUnitProperty_ClassInfo, 0, 0, state);
    const auto dict = static_cast<CFDictionaryRef>(state);
    const std::vector<uint8_t> before = unit.SaveState();
    const std::vector<float> params = unit.GetParameters();

    auto expectRefused = [&](CFPropertyListRef candidate, const char* what) {
        report.ExpectStatus(unit.SetProperty(kAudioUnitProperty_ClassInfo, 0, 0, candidate),
                            kAudioUnitErr_InvalidPropertyValue, what);
        report.Expect(unit.SaveState() == before && unit.GetParameters() == params,
                      "%s changed the state", what);
    };
    const SInt32 otherSubtype = 'Xxxx', otherType = 'aufx';
    CFMutableDictionaryRef foreign = CopyWith(dict, "subtype", &otherSubtype);
    expectRefused(foreign, "a dictionary of another subtype");
    CFRelease(foreign);
    CFMutableDictionaryRef effect = CopyWith(dict, "type", &otherType);
    expectRefused(effect, "a dictionary of another type");
    CFRelease(effect);
    CFMutableDictionaryRef unnamed = CopyWith(dict, "name", nullptr);
    expectRefused(unnamed, "a dictionary without a name");
    CFRelease(unnamed);
    CFStringRef notADictionary = CFSTR("state");
    expectRefused(notADictionary, "a string");
    // Broken data is refused before anything changes.
    CFMutableDictionaryRef broken = CopyWith(dict, "version", nullptr);
    const SInt32 version = 1;
    CFMutableDictionaryRef versioned = CopyWith(broken, "version", &version);
    const UInt8 shortData[5] = {1, 2, 3, 4, 5};
    CFDataRef bytes = CFDataCreate(nullptr, shortData, sizeof(shortData));
    CFDictionarySetValue(versioned, CFSTR("data"), bytes);
    CFRelease(bytes);
    expectRefused(versioned, "a dictionary with five bytes of data");
    CFRelease(broken);
    CFRelease(versioned);
    // Without data the named preset is selected, and the restore still fails.
    CFMutableDictionaryRef noData = CopyWith(dict, "data", nullptr);
    report.ExpectStatus(unit.SetProperty(kAudioUnitProperty_ClassInfo, 0, 0,
                                         static_cast<CFPropertyListRef>(noData)),
                        kAudioUnitErr_InvalidPropertyValue, "a dictionary without data");
    CFRelease(noData);
    CFRelease(state);
}

void CheckFactoryPresets(CheckContext& context, CheckReport& report) {
    AUHostUnit unit(context.bundle.GetComponent());
    if (!report.Expect(unit.IsOpen(), "open failed")) return;
    unit.Prepare(44100.0, 512);
    const long liveBefore = AUSDKLiveObjectCount();
    CFArrayRef presets = nullptr;
    if (!report.ExpectStatus(unit.GetProperty(kAudioUnitProperty_FactoryPresets, 0, 0, presets),
                             noErr, "presets") ||
        !presets)
        return;
    report.Expect(CFArrayGetCount(presets) == 64, "%ld presets, expected 64",
                  CFArrayGetCount(presets));
    std::vector<std::string> names;
    int named = 0;
    for (CFIndex i = 0; i < CFArrayGetCount(presets); ++i) {
        const auto* preset = static_cast<const AUPreset*>(CFArrayGetValueAtIndex(presets, i));
        report.Expect(preset->presetNumber == i, "preset %ld has number %d", i,
                      preset->presetNumber);
        names.push_back(TextOf(preset->presetName));
        report.Expect(!names.back().empty(), "preset %ld has no name", i);
        if (names.back() != "-") ++named;
    }
    report.Expect(named > 0, "no preset came from the factory bank");
    CFStringRef description = CFCopyDescription(presets);
    report.Expect(
        TextOf(description).find("AUPreset:\npreset number = 3\npreset name = " + names[3]) !=
            std::string::npos,
        "the array's description does not describe its presets");
    CFRelease(description);
    CFRelease(presets);
    report.Expect(AUSDKLiveObjectCount() == liveBefore,
                  "releasing the preset array left %ld objects",
                  AUSDKLiveObjectCount() - liveBefore);

    const std::vector<float> initial = unit.GetParameters();
    for (SInt32 number : {9, 63, 0}) {
        const AUPreset choice = {number, nullptr};
        unit.SetProperty(kAudioUnitProperty_CurrentPreset, 0, 0, choice);
        AUPreset current = {};
        unit.GetProperty(kAudioUnitProperty_CurrentPreset, 0, 0, current);
        report.Expect(current.presetNumber == number &&
                          TextOf(current.presetName) == names[static_cast<size_t>(number)],
                      "selecting preset %d gave %d \"%s\"", number, current.presetNumber,
                      TextOf(current.presetName).c_str());
        if (current.presetName) CFRelease(current.presetName);
    }
    report.Expect(unit.GetParameters() == initial, "preset 0 selected again gives other values");
    const AUPreset missing = {64, nullptr};
    unit.SetProperty(kAudioUnitProperty_CurrentPreset, 0, 0, missing);
    AUPreset current = {};
    unit.GetProperty(kAudioUnitProperty_PresentPreset, 0, 0, current);
    report.Expect(current.presetNumber == 0, "selecting preset 64 changed the preset to %d",
                  current.presetNumber);
    if (current.presetName) CFRelease(current.presetName);
}

void CheckView(CheckContext& context, CheckReport& report) {
    AUHostUnit unit(context.bundle.GetComponent());
    if (!report.Expect(unit.IsOpen(), "open failed")) return;
    AudioUnitCocoaViewInfo info = {};
    if (!report.ExpectStatus(unit.GetProperty(kAudioUnitProperty_CocoaUI, 0, 0, info), noErr,
                             "view info"))
        return;
    const std::string className = TextOf(info.mCocoaAUViewClass[0]);
    CFStringRef path =
        CFURLCopyFileSystemPath(info.mCocoaAUViewBundleLocation, kCFURLPOSIXPathStyle);
    char resolved[PATH_MAX];
    const std::string bundlePath =
        realpath(context.bundle.GetPath().c_str(), resolved) ? resolved : "";
    report.Expect(TextOf(path) == bundlePath, "the view bundle is \"%s\"", TextOf(path).c_str());
    CFRelease(path);
    CFRelease(info.mCocoaAUViewBundleLocation);
    CFRelease(info.mCocoaAUViewClass[0]);
    report.Expect(className == "Karvelund_View", "view class \"%s\"", className.c_str());

    AUCocoaUIBase* factory = AUClassRuntimeCreate(className.c_str());
    if (report.Expect(factory != nullptr, "no class \"%s\" in the class runtime",
                      className.c_str())) {
        report.Expect(factory->interfaceVersion() == 0, "interface version %u",
                      factory->interfaceVersion());
        CFStringRef text = factory->description();
        report.Expect(TextOf(text) == "Karvelund View", "description \"%s\"", TextOf(text).c_str());
        CFRelease(text);
        report.Expect(factory->uiViewForAudioUnit(unit.Get(), {1080, 525}) != nullptr,
                      "no view for the unit");
        delete factory;
    }

    ComponentDescription list = {};
    unit.GetProperty(kAudioUnitProperty_GetUIComponentList, 0, 0, list);
    const ComponentDescription& cd = context.bundle.GetDescription();
    report.Expect(list.componentType == 'auvw' && list.componentSubType == cd.componentSubType &&
                      list.componentManufacturer == cd.componentManufacturer &&
                      list.componentFlags == 0,
                  "the editor component list is not {auvw, subtype, manufacturer}");

    ComponentInstance view = AUSDKOpenViewInstance(context.bundle.GetViewEntry());
    if (!report.Expect(view != nullptr, "the view component does not open")) return;
    alignas(8) unsigned char bytes[ComponentParametersSlots::kBlockSize] = {};
    auto* params = reinterpret_cast<ComponentParameters*>(bytes);
    ControlRef control = nullptr;
    const Float32Point where = {0, 0}, size = {1080, 525};
    ComponentParametersSlots::Put(params, 1, unit.Get());
    ComponentParametersSlots::Put(params, 2, reinterpret_cast<void*>(0x1));
    ComponentParametersSlots::Put(params, 3, reinterpret_cast<void*>(0x2));
    ComponentParametersSlots::Put(params, 4, &where);
    ComponentParametersSlots::Put(params, 5, &size);
    ComponentParametersSlots::Put(params, 6, &control);
    report.ExpectStatus(AUSDKCallViewEntry(view, kAudioUnitCarbonViewCreateSelect, 6, params),
                        noErr, "create view");
    report.Expect(control != nullptr, "the view component made no control");
    report.ExpectStatus(
        AUSDKCallViewEntry(view, kAudioUnitCarbonViewSetEventListenerSelect, 2, params),
        badComponentSelector, "view event listener");
    report.ExpectStatus(AUSDKCloseViewInstance(view), noErr, "close view");
}

} // namespace auhost
