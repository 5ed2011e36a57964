// Checks of the parameters as a host sees them.

#include "validate.h"

#include <cmath>
#include <cstring>

namespace auhost {

namespace {

std::vector<std::string> ValueStrings(AUHostUnit& unit, int param, OSStatus* status, UInt32* size) {
    Boolean writable = false;
    AudioUnitGetPropertyInfo(unit.Get(), kAudioUnitProperty_ParameterValueStrings, 0,
                             static_cast<UInt32>(param), size, &writable);
    CFArrayRef array = nullptr;
    *status = unit.GetProperty(kAudioUnitProperty_ParameterValueStrings, 0,
                               static_cast<UInt32>(param), array);
    std::vector<std::string> texts;
    if (*status != noErr || !array) return texts;
    for (CFIndex i = 0; i < CFArrayGetCount(array); ++i)
        texts.push_back(TextOf(static_cast<CFStringRef>(CFArrayGetValueAtIndex(array, i))));
    CFRelease(array);
    return texts;
}

std::string StringFromValue(AUHostUnit& unit, int param, float value) {
    AudioUnitParameterStringFromValue request = {static_cast<AudioUnitParameterID>(param), &value,
                                                 nullptr};
    if (unit.GetProperty(kAudioUnitProperty_ParameterStringFromValue, 0, 0, request) != noErr)
        return "<error>";
    std::string text = TextOf(request.outString);
    CFRelease(request.outString);
    return text;
}

bool ValueFromString(AUHostUnit& unit, int param, const std::string& text, float* value) {
    CFStringRef str = CFStringCreateWithCString(nullptr, text.c_str(), kCFStringEncodingUTF8);
    AudioUnitParameterValueFromString request = {static_cast<AudioUnitParameterID>(param), str,
                                                 *value};
    const OSStatus r = unit.GetProperty(kAudioUnitProperty_ParameterValueFromString, 0, 0, request);
    CFRelease(str);
    *value = request.outValue;
    return r == noErr;
}

} // namespace

void CheckParameters(CheckContext& context, CheckReport& report) {
    AUHostUnit unit(context.bundle.GetComponent());
    if (!report.Expect(unit.IsOpen(), "open failed")) return;
    report.ExpectStatus(unit.Prepare(44100.0, 512), noErr, "prepare");
    const int n = unit.NParams();
    std::vector<AudioUnitParameterID> ids(static_cast<size_t>(n));
    UInt32 size = static_cast<UInt32>(ids.size() * 4);
    AudioUnitGetProperty(unit.Get(), kAudioUnitProperty_ParameterList, 0, 0, ids.data(), &size);
    for (int i = 0; i < n; ++i)
        report.Expect(ids[static_cast<size_t>(i)] == static_cast<UInt32>(i),
                      "parameter list entry %d is %u", i, ids[static_cast<size_t>(i)]);

    for (int i = 0; i < n; ++i) {
        const auto id = static_cast<AudioUnitParameterID>(i);
        AudioUnitParameterInfo info;
        std::memset(&info, 0xA5, sizeof(info));
        if (!report.Expect(unit.GetProperty(kAudioUnitProperty_ParameterInfo, 0, id, info) == noErr,
                           "parameter %d: no info", i))
            continue;
        const char* name = info.name;
        report.Expect(std::strlen(name) > 0 && std::strlen(name) < 32, "parameter %d: name \"%s\"",
                      i, name);
        report.Expect(info.cfNameString && TextOf(info.cfNameString) == name,
                      "parameter %d: name string differs from the name", i);
        const UInt32 base = kAudioUnitParameterFlag_IsReadable |
                            kAudioUnitParameterFlag_HasCFNameString |
                            kAudioUnitParameterFlag_CFNameRelease;
        report.Expect((info.flags & base) == base, "parameter %d (%s): flags 0x%x", i, name,
                      info.flags);
        report.Expect(info.minValue <= info.defaultValue && info.defaultValue <= info.maxValue,
                      "parameter %d (%s): value %g outside %g..%g", i, name, info.defaultValue,
                      info.minValue, info.maxValue);
        report.Expect(info.defaultValue == unit.GetParameter(id),
                      "parameter %d: info value %g, parameter %g", i, info.defaultValue,
                      unit.GetParameter(id));
        if (info.unit == kAudioUnitParameterUnit_CustomUnit)
            report.Expect(info.unitName && !TextOf(info.unitName).empty(),
                          "parameter %d: custom unit without name", i);
        else
            report.Expect(info.unitName == nullptr, "parameter %d: unit name without a custom unit",
                          i);
        if (info.flags & kAudioUnitParameterFlag_HasClump) {
            AudioUnitParameterNameInfo clump = {info.clumpID, kAudioUnitParameterName_Full,
                                                nullptr};
            report.Expect(
                info.clumpID >= 1 &&
                    unit.GetProperty(kAudioUnitProperty_ParameterClumpName, 0, 0, clump) == noErr &&
                    !TextOf(clump.outName).empty(),
                "parameter %d: clump %u has no name", i, info.clumpID);
            if (clump.outName) CFRelease(clump.outName);
        }
        if (info.cfNameString) CFRelease(info.cfNameString);
        if (info.unitName && info.unit == kAudioUnitParameterUnit_CustomUnit)
            CFRelease(info.unitName);

        // Value strings: indexed parameters list one text per step.
        OSStatus r;
        UInt32 stringsSize = 0;
        const std::vector<std::string> texts = ValueStrings(unit, i, &r, &stringsSize);
        if (info.unit == kAudioUnitParameterUnit_Indexed && !texts.empty()) {
            report.Expect(static_cast<float>(texts.size()) == info.maxValue - info.minValue + 1,
                          "parameter %d (%s): %zu value strings for %g..%g", i, name, texts.size(),
                          info.minValue, info.maxValue);
            for (size_t t = 0; t < texts.size(); ++t) {
                float value = -1.0f;
                report.Expect(ValueFromString(unit, i, texts[t], &value) &&
                                  value == static_cast<float>(t),
                              "parameter %d: \"%s\" read back as %g", i, texts[t].c_str(), value);
                report.Expect(StringFromValue(unit, i, static_cast<float>(t)) == texts[t],
                              "parameter %d: value %zu shown as \"%s\"", i, t,
                              StringFromValue(unit, i, static_cast<float>(t)).c_str());
            }
        } else if (texts.empty()) {
            report.Expect(r == kAudioUnitErr_InvalidProperty && stringsSize == 0,
                          "parameter %d: no value strings answered %d with size %u", i,
                          static_cast<int>(r), stringsSize);
        }

        // Set through the entry, read through fast dispatch, and the other way round.
        const float mid = info.unit == kAudioUnitParameterUnit_Generic ||
                                  info.unit == kAudioUnitParameterUnit_CustomUnit
                              ? 0.5f * (info.minValue + info.maxValue)
                              : info.maxValue;
        report.ExpectStatus(
            AudioUnitSetParameter(unit.Get(), id, kAudioUnitScope_Global, 0, mid, 0), noErr,
            "set parameter");
        report.Expect(std::fabs(unit.GetParameter(id) - mid) < 1e-3f * (1.0f + std::fabs(mid)),
                      "parameter %d (%s): set %g, read %g", i, name, mid, unit.GetParameter(id));
        unit.SetParameter(id, info.minValue);
        float value = -12345.0f;
        AudioUnitGetParameter(unit.Get(), id, kAudioUnitScope_Global, 0, &value);
        report.Expect(value == info.minValue, "parameter %d: fast set %g, read %g", i,
                      info.minValue, value);
    }
    float value = 0.0f;
    report.ExpectStatus(AudioUnitGetParameter(unit.Get(), 0, kAudioUnitScope_Input, 0, &value),
                        kAudioUnitErr_InvalidProperty, "get parameter in the input scope");
    report.ExpectStatus(AudioUnitSetParameter(unit.Get(), 0, kAudioUnitScope_Output, 0, 1.0f, 0),
                        kAudioUnitErr_InvalidProperty, "set parameter in the output scope");
    report.ExpectStatus(AudioUnitGetParameter(unit.Get(), static_cast<UInt32>(n), 0, 0, &value),
                        kAudioUnitErr_InvalidParameter, "get parameter past the list");
    report.ExpectStatus(AudioUnitSetParameter(unit.Get(), 0xFFFFFFFF, 0, 0, 1.0f, 0),
                        kAudioUnitErr_InvalidParameter, "set parameter 0xFFFFFFFF");
    AudioUnitParameterInfo info = {};
    report.ExpectStatus(
        unit.GetProperty(kAudioUnitProperty_ParameterInfo, 0, static_cast<UInt32>(n), info),
        kAudioUnitErr_InvalidElement, "info past the list");
    OSStatus r;
    UInt32 stringsSize = 0;
    ValueStrings(unit, n, &r, &stringsSize);
    report.ExpectStatus(r, kAudioUnitErr_InvalidElement, "value strings past the list");

    // A continuous parameter has no value strings; a switch lists its settings in order.
    const int speed = FindParameter(unit, "LFO Speed");
    const int type = FindParameter(unit, "LFO Type select");
    if (report.Expect(speed >= 0 && type >= 0, "no \"LFO Speed\" or \"LFO Type select\"")) {
        ValueStrings(unit, speed, &r, &stringsSize);
        report.Expect(r == kAudioUnitErr_InvalidProperty && stringsSize == 0,
                      "LFO Speed has value strings");
        const std::vector<std::string> types = ValueStrings(unit, type, &r, &stringsSize);
        const std::vector<std::string> expected = {"Sine",   "Ramp",          "Square",
                                                   "Random", "Sine (1 shot)", "Ramp (1 shot)"};
        report.Expect(types == expected, "LFO types are not the six settings in order");
        float unchanged = 7.0f;
        report.Expect(ValueFromString(unit, type, "Triangle", &unchanged) && unchanged == 7.0f,
                      "an unknown setting changed the value field to %g", unchanged);
        float number = 0.0f;
        report.Expect(ValueFromString(unit, speed, "0.25", &number) && number == 0.25f,
                      "\"0.25\" read as %g", number);
    }

    // Scheduled parameters: only immediate events apply, in order.
    if (speed >= 0) {
        AudioUnitParameterEvent events[3] = {};
        events[0] = {0, 0, static_cast<UInt32>(speed), kParameterEvent_Immediate, {}};
        events[0].eventValues.immediate = {0, 0.2f};
        events[1] = {0, 0, static_cast<UInt32>(speed), kParameterEvent_Ramped, {}};
        events[1].eventValues.ramp = {0, 64, 0.9f, 0.9f};
        events[2] = {0, 0, static_cast<UInt32>(speed), kParameterEvent_Immediate, {}};
        events[2].eventValues.immediate = {10, 0.3f};
        report.ExpectStatus(AudioUnitScheduleParameters(unit.Get(), events, 3), noErr,
                            "schedule parameters");
        report.Expect(unit.GetParameter(static_cast<UInt32>(speed)) == 0.3f,
                      "scheduled events left %g", unit.GetParameter(static_cast<UInt32>(speed)));
    }
}

} // namespace auhost
