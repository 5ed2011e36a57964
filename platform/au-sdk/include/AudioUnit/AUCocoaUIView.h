#pragma once
// The view factory protocol of AudioUnit editors (AUCocoaUIBase), and the small class runtime
// that stands for the platform's: a component registers its factory class by name when it is
// loaded; the host instantiates the class named by kAudioUnitProperty_CocoaUI.

#include <AudioUnit/AudioUnit.h>

struct NSSize {
    double width;
    double height;
};

class AUCocoaUIBase {
public:
    virtual ~AUCocoaUIBase() = default;
    // The editor's view for the unit, or null.
    virtual void* uiViewForAudioUnit(AudioUnit audioUnit, NSSize preferredSize) = 0;
    virtual unsigned interfaceVersion() = 0;
    // A new string the caller releases.
    virtual CFStringRef description() = 0;
};

extern "C" {
typedef AUCocoaUIBase* (*AUCocoaUIFactoryAlloc)(void);
// False when a class of that name exists already.
bool AUClassRuntimeRegister(const char* className, AUCocoaUIFactoryAlloc alloc);
void AUClassRuntimeUnregister(const char* className);
// A new instance of the named class, or null when no class has that name.
AUCocoaUIBase* AUClassRuntimeCreate(const char* className);
}
