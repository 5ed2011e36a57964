#pragma once

#include <AudioUnit/AUCocoaUIView.h>

#include <string>

// The editor view factory the host instantiates by the class name it reads from
// kAudioUnitProperty_CocoaUI. It opens the editor of the unit it is given.
class IPluginAUViewFactory : public AUCocoaUIBase {
public:
    explicit IPluginAUViewFactory(const char* description) : mDescription(description) {}

    void* uiViewForAudioUnit(AudioUnit audioUnit, NSSize preferredSize) override;
    unsigned interfaceVersion() override { return 0; }
    CFStringRef description() override;

private:
    void* mPlug = nullptr;
    std::string mDescription;
};
