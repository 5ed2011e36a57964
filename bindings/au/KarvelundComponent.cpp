// The Karvelund component: its two exported entries, the instance factory and the editor
// view factory class, registered with the class runtime while the component is loaded.

#include "IPluginAUView.h"
#include "Karvelund.h"
#include "KarvelundIdentity.h"

#define KV_EXPORT extern "C" __attribute__((visibility("default")))

IPluginAU* MakeAUPlug() {
    return MakePlug();
}

KV_EXPORT ComponentResult Karvelund_Entry(ComponentParameters* params, void* storage) {
    return IPluginAU::IPluginAUEntry(params, storage);
}

KV_EXPORT ComponentResult Karvelund_ViewEntry(ComponentParameters* params, void* storage) {
    return IPluginAU::IPluginAUCarbonViewEntry(params, storage);
}

namespace {

AUCocoaUIBase* AllocViewFactory() {
    return new IPluginAUViewFactory("Karvelund View");
}

struct ViewFactoryRegistration {
    ViewFactoryRegistration() {
        AUClassRuntimeRegister(karvelund::kViewFactoryClassName, AllocViewFactory);
    }
    ~ViewFactoryRegistration() { AUClassRuntimeUnregister(karvelund::kViewFactoryClassName); }
};

ViewFactoryRegistration gViewFactoryRegistration;

} // namespace
