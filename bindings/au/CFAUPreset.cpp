#include "CFAUPreset.h"

#include <new>

CFAUPresetRef CFAUPresetCreate(CFAllocatorRef allocator, SInt32 presetNumber, CFStringRef name) {
    void* memory = CFAllocatorAllocate(allocator, sizeof(CFAUPreset), 0);
    if (!memory) return nullptr;
    auto* preset = new (memory) CFAUPreset;
    preset->auPreset.presetNumber = presetNumber;
    preset->auPreset.presetName = name ? CFStringCreateCopy(allocator, name) : nullptr;
    preset->allocator = allocator;
    preset->retainCount = 1;
    return preset;
}

const void* CFAUPresetRetain(CFAllocatorRef, const void* p) {
    auto* preset = static_cast<CFAUPreset*>(const_cast<void*>(p));
    if (!preset) return nullptr;
    if (preset->auPreset.presetName) CFRetain(preset->auPreset.presetName);
    ++preset->retainCount;
    return preset;
}

void CFAUPresetRelease(CFAllocatorRef, const void* p) {
    auto* preset = static_cast<CFAUPreset*>(const_cast<void*>(p));
    if (!preset || preset->retainCount <= 0) return;
    if (preset->auPreset.presetName) CFRelease(preset->auPreset.presetName);
    if (--preset->retainCount > 0) return;
    preset->auPreset.presetNumber = 0;
    preset->auPreset.presetName = nullptr;
    const CFAllocatorRef allocator = preset->allocator;
    preset->~CFAUPreset();
    CFAllocatorDeallocate(allocator, preset);
}

CFStringRef CFAUPresetCopyDescription(const void* p) {
    const auto* preset = static_cast<const CFAUPreset*>(p);
    if (!preset) return nullptr;
    return CFStringCreateWithFormat(
        kCFAllocatorDefault, nullptr, CFSTR("AUPreset:\npreset number = %d\npreset name = %@"),
        static_cast<int>(preset->auPreset.presetNumber), preset->auPreset.presetName);
}

Boolean CFAUPresetEqual(const void* p1, const void* p2) {
    const auto* a = static_cast<const CFAUPreset*>(p1);
    const auto* b = static_cast<const CFAUPreset*>(p2);
    if (!a || !b) return a == b;
    if (a->auPreset.presetNumber != b->auPreset.presetNumber) return false;
    if (!a->auPreset.presetName || !b->auPreset.presetName)
        return a->auPreset.presetName == b->auPreset.presetName;
    return CFStringCompare(a->auPreset.presetName, b->auPreset.presetName, 0) == kCFCompareEqualTo;
}

const CFArrayCallBacks kCFAUPresetArrayCallBacks = {0, CFAUPresetRetain, CFAUPresetRelease,
                                                    CFAUPresetCopyDescription, CFAUPresetEqual};
