#pragma once
// Reference-counted preset records, the elements of the factory preset array the binding
// hands to the host. Each starts with an AUPreset, so the host reads it as one.

#include <AudioUnit/AudioUnit.h>

struct CFAUPreset {
    AUPreset auPreset;
    CFAllocatorRef allocator;
    CFIndex retainCount;
};
typedef CFAUPreset* CFAUPresetRef;

// A record with the number and a copy of the name (null stays null), retain count 1; null
// when it cannot be allocated.
CFAUPresetRef CFAUPresetCreate(CFAllocatorRef allocator, SInt32 presetNumber, CFStringRef name);
const void* CFAUPresetRetain(CFAllocatorRef allocator, const void* preset);
void CFAUPresetRelease(CFAllocatorRef allocator, const void* preset);
CFStringRef CFAUPresetCopyDescription(const void* preset);
Boolean CFAUPresetEqual(const void* preset1, const void* preset2);

// The array callbacks for arrays of preset records.
extern const CFArrayCallBacks kCFAUPresetArrayCallBacks;
