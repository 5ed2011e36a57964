#include "AUStrings.h"
#include "CFAUPreset.h"
#include "IPluginAU.h"

#include "core/ByteChunk.h"
#include "core/IPreset.h"
#include "core/Log.h"

#include <cstring>
#include <string>
#include <vector>

namespace {

void AddNumber(CFMutableDictionaryRef dict, const char* key, SInt32 value) {
    CFReleaser k(MakeCFString(key));
    CFReleaser number(CFNumberCreate(kCFAllocatorDefault, kCFNumberSInt32Type, &value));
    CFDictionarySetValue(dict, k.Get(), number.Get());
}

void AddObject(CFMutableDictionaryRef dict, const char* key, CFTypeRef value) {
    CFReleaser k(MakeCFString(key));
    CFReleaser v(value);
    CFDictionarySetValue(dict, k.Get(), v.Get());
}

// The value of key when it has the type, else null.
CFTypeRef GetTyped(CFDictionaryRef dict, const char* key, CFTypeID type) {
    CFReleaser k(MakeCFString(key));
    const void* value = CFDictionaryGetValue(dict, k.Get());
    return value && CFGetTypeID(value) == type ? value : nullptr;
}

bool GetSInt32(CFDictionaryRef dict, const char* key, SInt32* value) {
    CFTypeRef number = GetTyped(dict, key, CFNumberGetTypeID());
    return number && CFNumberGetValue(static_cast<CFNumberRef>(number), kCFNumberSInt32Type, value);
}

} // namespace

ComponentResult IPluginAU::GetState(CFPropertyListRef* plist) {
    ComponentDescription cd;
    const OSErr err =
        GetComponentInfo(reinterpret_cast<Component>(mCI), &cd, nullptr, nullptr, nullptr);
    if (err != noErr) return err;

    ByteChunk state;
    bool haveState;
    int version;
    std::string presetName;
    {
        IMutexLock lock(this);
        version = GetEffectVersion(false);
        presetName = GetPresetName(GetCurrentPresetIdx());
        haveState = SerializeState(&state);
    }

    CFMutableDictionaryRef dict = CFDictionaryCreateMutable(
        kCFAllocatorDefault, 0, &kCFTypeDictionaryKeyCallBacks, &kCFTypeDictionaryValueCallBacks);
    AddNumber(dict, "version", version);
    AddNumber(dict, "type", static_cast<SInt32>(cd.componentType));
    AddNumber(dict, "subtype", static_cast<SInt32>(cd.componentSubType));
    AddNumber(dict, "manufacturer", static_cast<SInt32>(cd.componentManufacturer));
    AddObject(dict, "name", MakeCFString(presetName.c_str()));
    if (haveState) {
        AddObject(dict, "data",
                  CFDataCreate(kCFAllocatorDefault, state.GetBytes(),
                               static_cast<CFIndex>(state.Size())));
    }
    *plist = dict;
    return noErr;
}

ComponentResult IPluginAU::SetState(CFPropertyListRef plist) {
    ComponentDescription cd;
    const OSErr err =
        GetComponentInfo(reinterpret_cast<Component>(mCI), &cd, nullptr, nullptr, nullptr);
    if (err != noErr) return err;
    if (!plist || CFGetTypeID(plist) != CFDictionaryGetTypeID())
        return kAudioUnitErr_InvalidPropertyValue;
    auto dict = static_cast<CFDictionaryRef>(plist);

    SInt32 version, type, subtype, manufacturer;
    CFTypeRef name = GetTyped(dict, "name", CFStringGetTypeID());
    if (!GetSInt32(dict, "version", &version) || !GetSInt32(dict, "type", &type) ||
        !GetSInt32(dict, "subtype", &subtype) || !GetSInt32(dict, "manufacturer", &manufacturer) ||
        !name || static_cast<OSType>(type) != cd.componentType ||
        static_cast<OSType>(subtype) != cd.componentSubType ||
        static_cast<OSType>(manufacturer) != cd.componentManufacturer)
        return kAudioUnitErr_InvalidPropertyValue;
    const std::string presetName = CStrLocal(static_cast<CFStringRef>(name));

    // The state is copied and checked before the lock is taken; under it, it is applied
    // whole, so a render sees either the old or the new state.
    CFTypeRef data = GetTyped(dict, "data", CFDataGetTypeID());
    ByteChunk chunk;
    if (data) {
        const auto bytes = static_cast<CFDataRef>(data);
        if (CFDataGetLength(bytes) > kMaxStateBytes) return kAudioUnitErr_InvalidPropertyValue;
        chunk.Resize(static_cast<int>(CFDataGetLength(bytes)));
        if (chunk.Size() > 0)
            std::memcpy(chunk.GetBytes(), CFDataGetBytePtr(bytes),
                        static_cast<size_t>(chunk.Size()));
        if (CheckState(&chunk, 0) < 0) return kAudioUnitErr_InvalidPropertyValue;
    }

    IMutexLock lock(this);
    RestorePreset(presetName.c_str());
    if (!data) return kAudioUnitErr_InvalidPropertyValue;
    if (UnserializeState(&chunk, 0) <= 0) return kAudioUnitErr_InvalidPropertyValue;
    RedrawParamControls();
    return noErr;
}

ComponentResult IPluginAU::GetFactoryPresets(CFArrayRef* presets) {
    std::vector<std::string> names;
    {
        IMutexLock lock(this);
        for (int i = 0; i < NPresets(); ++i)
            names.emplace_back(GetPresetName(i));
    }
    CFMutableArrayRef array = CFArrayCreateMutable(
        kCFAllocatorDefault, static_cast<CFIndex>(names.size()), &kCFAUPresetArrayCallBacks);
    if (!array) return coreFoundationUnknownErr;
    for (size_t i = 0; i < names.size(); ++i) {
        CFReleaser name(MakeCFString(names[i].c_str()));
        CFAUPresetRef preset = CFAUPresetCreate(kCFAllocatorDefault, static_cast<SInt32>(i),
                                                static_cast<CFStringRef>(name.Get()));
        if (!preset) continue;
        CFArrayAppendValue(array, preset);
        CFAUPresetRelease(kCFAllocatorDefault, preset);
    }
    *presets = array;
    return noErr;
}

ComponentResult IPluginAU::GetPresentPreset(AUPreset* preset) {
    std::string name;
    SInt32 number;
    {
        IMutexLock lock(this);
        number = GetCurrentPresetIdx();
        name = GetPresetName(number);
    }
    preset->presetNumber = number;
    preset->presetName = MakeCFString(name.c_str());
    return noErr;
}

void IPluginAU::SetHostIdentifier(const AUHostIdentifier* identifier) {
    const std::string name = CStrLocal(identifier->hostName);
    const AUNumVersion& v = identifier->hostVersion;
    const int version =
        (v.majorRev << 16) + ((v.minorAndBugRev & 0xF0) << 4) + (v.minorAndBugRev & 0x0F);
    IMutexLock lock(this);
    SetHost(name.c_str(), version);
    OnHostIdentified();
}
