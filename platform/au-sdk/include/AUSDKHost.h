#pragma once
// What a host of this substitute SDK does that the platform does for a real one: it
// registers the components it has loaded and opens and closes their instances, and it
// registers to hear parameter events.

#include <AudioToolbox/AudioToolbox.h>
#include <AudioUnit/AudioUnit.h>

extern "C" {

// A component served by entry; null when description or entry is missing.
Component AUSDKRegisterComponent(const ComponentDescription* description, ComponentRoutine entry);
void AUSDKUnregisterComponent(Component component);
// Opens an instance (the component's open selector); null when it refuses.
ComponentInstance AUSDKOpenInstance(Component component);
// Closes it (the close selector) and forgets it.
OSStatus AUSDKCloseInstance(ComponentInstance instance);
// Calls the instance's entry with a parameter block whose slot 0 is the instance.
OSStatus AUSDKCallEntry(ComponentInstance instance, SInt16 selector, int nArgs,
                        ComponentParameters* params);
// Calls a component entry directly for a view component instance.
ComponentInstance AUSDKOpenViewInstance(ComponentRoutine viewEntry);
OSStatus AUSDKCallViewEntry(ComponentInstance view, SInt16 selector, int nArgs,
                            ComponentParameters* params);
OSStatus AUSDKCloseViewInstance(ComponentInstance view);

// Hears every AUEventListenerNotify.
typedef void (*AUSDKEventListenerProc)(void* refCon, const AudioUnitEvent* event);
void AUSDKAddEventListener(AUSDKEventListenerProc proc, void* refCon);
void AUSDKRemoveEventListener(AUSDKEventListenerProc proc, void* refCon);

// The identifier CFBundleGetMainBundle reports for this process (none by default).
void AUSDKSetMainBundleIdentifier(const char* identifier);

} // extern "C"
