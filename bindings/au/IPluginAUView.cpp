#include "IPluginAUView.h"

#include "AUStrings.h"
#include "IPluginAU.h"

#include "core/Log.h"
#include "editor/IGraphics.h"

namespace slots = ComponentParametersSlots;

void* IPluginAUViewFactory::uiViewForAudioUnit(AudioUnit audioUnit, NSSize /*preferredSize*/) {
    auto* plug = reinterpret_cast<IPluginAU*>(GetComponentInstanceStorage(audioUnit));
    mPlug = plug;
    if (!plug || !plug->GetGUI()) return nullptr;
    return plug->GetGUI()->OpenWindow(nullptr);
}

CFStringRef IPluginAUViewFactory::description() {
    return MakeCFString(mDescription.c_str());
}

namespace {

// The view component's instance storage.
struct CarbonViewRecord {
    ComponentInstance mCI;
    IPluginAU* mPlug;
};

} // namespace

ComponentResult IPluginAU::IPluginAUCarbonViewEntry(ComponentParameters* params, void* pView) {
    if (!params) return paramErr;
    const SInt16 select = params->what;
    Trace(__FUNCTION__, __LINE__, "%d:%s", select, AUSelectStr(select));
    auto* view = static_cast<CarbonViewRecord*>(pView);
    switch (select) {
    case kComponentOpenSelect: {
        auto* record = new CarbonViewRecord{slots::Get<ComponentInstance>(params, 0), nullptr};
        SetComponentInstanceStorage(record->mCI, reinterpret_cast<Handle>(record));
        return noErr;
    }
    case kAudioUnitCarbonViewCreateSelect: {
        if (!view || params->paramSize < 8 * 6) return paramErr;
        auto* plug = reinterpret_cast<IPluginAU*>(
            GetComponentInstanceStorage(slots::Get<AudioUnit>(params, 1)));
        view->mPlug = plug;
        if (!plug || !plug->GetGUI()) return badComponentSelector;
        IGraphics* gui = plug->GetGUI();
        void* window = slots::Get<void*>(params, 2);
        void* control = gui->OpenWindow(window, slots::Get<void*>(params, 3), 0, 0);
        // A surface without a Carbon window of its own opens its view in the host's window.
        if (!control) control = gui->OpenWindow(window);
        if (auto* outControl = slots::Get<ControlRef*>(params, 6))
            *outControl = static_cast<ControlRef>(control);
        return noErr;
    }
    case kComponentCloseSelect:
        if (view) {
            if (view->mPlug && view->mPlug->GetGUI()) view->mPlug->GetGUI()->CloseWindow();
            delete view;
        }
        return noErr;
    default:
        return badComponentSelector;
    }
}
