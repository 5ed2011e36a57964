// The LV2 entry points of the editor module: the instrument's editor in an X11 window inside
// the host's, its controls tied to the audio module's ports.

#include "IGraphicsX11.h"
#include "IPluginLV2UI.h"
#include "KarvelundLV2.h"
#include "LV2UIPlugin.h"

#include <lv2/atom/atom.h>
#include <lv2/atom/forge.h>
#include <lv2/atom/util.h>
#include <lv2/midi/midi.h>
#include <lv2/options/options.h>
#include <lv2/ui/ui.h>
#include <lv2/urid/urid.h>

#include <cstring>
#include <memory>

namespace {

using namespace karvelund::lv2;

struct UIURIs {
    LV2_URID eventTransfer, atomObject, atomBlank, atomChunk, atomInt, atomFloat, atomDouble,
        midiEvent, editorState, editorRequest, stateParams, statePreset, stateNames, scaleFactor;
    explicit UIURIs(const LV2_URID_Map* map) {
        auto m = [map](const char* uri) { return map->map(map->handle, uri); };
        eventTransfer = m(LV2_ATOM__eventTransfer);
        atomObject = m(LV2_ATOM__Object);
        atomBlank = m(LV2_ATOM__Blank);
        atomChunk = m(LV2_ATOM__Chunk);
        atomInt = m(LV2_ATOM__Int);
        atomFloat = m(LV2_ATOM__Float);
        atomDouble = m(LV2_ATOM__Double);
        midiEvent = m(LV2_MIDI__MidiEvent);
        editorState = m(kEditorState);
        editorRequest = m(kEditorRequest);
        stateParams = m(kStateParams);
        statePreset = m(kStatePreset);
        stateNames = m(kStateNames);
        scaleFactor = m(LV2_UI__scaleFactor);
    }
};

class Editor {
public:
    Editor(IPluginLV2UI* plug, LV2_URID_Map* map, LV2UI_Write_Function write,
           LV2UI_Controller controller, const LV2UI_Touch* touch)
        : mPlug(plug), mUris(map), mWrite(write), mController(controller), mTouch(touch) {
        lv2_atom_forge_init(&mForge, map);
        mEventsPort = static_cast<uint32_t>(plug->NParams()) + 0;
        mNotifyPort = mEventsPort + 1;
        IPluginLV2UI::HostLink link;
        link.writeControl = [this](int idx, float v) {
            mWrite(mController, static_cast<uint32_t>(idx), sizeof v, 0, &v);
        };
        link.touch = [this](int idx, bool grabbed) {
            if (mTouch) mTouch->touch(mTouch->handle, static_cast<uint32_t>(idx), grabbed);
        };
        link.sendState = [this](const ByteChunk& params, int preset, const ByteChunk& names) {
            SendState(params, preset, names);
        };
        mPlug->SetHostLink(std::move(link));
        mPlug->Prepare(48000.0);
    }
    ~Editor() {
        if (IGraphicsX11* gui = Surface()) gui->CloseWindow();
    }

    IGraphicsX11* Surface() const { return dynamic_cast<IGraphicsX11*>(mPlug->GetGUI()); }

    // Asks the audio module for its state: its presets may differ from the factory bank.
    void RequestState() {
        uint8_t buffer[64];
        lv2_atom_forge_set_buffer(&mForge, buffer, sizeof buffer);
        LV2_Atom_Forge_Frame frame;
        lv2_atom_forge_object(&mForge, &frame, 0, mUris.editorRequest);
        lv2_atom_forge_pop(&mForge, &frame);
        const auto* atom = reinterpret_cast<const LV2_Atom*>(buffer);
        mWrite(mController, mEventsPort, sizeof(LV2_Atom) + atom->size, mUris.eventTransfer, atom);
    }

    void PortEvent(uint32_t port, uint32_t size, uint32_t format, const void* buffer) {
        if (format == 0 && size == sizeof(float) && port < mEventsPort) {
            mPlug->ControlPortChanged(static_cast<int>(port), *static_cast<const float*>(buffer));
        } else if (port == mNotifyPort && format == mUris.eventTransfer &&
                   size >= sizeof(LV2_Atom)) {
            const auto* atom = static_cast<const LV2_Atom*>(buffer);
            if (sizeof(LV2_Atom) + atom->size > size) return;
            if (atom->type == mUris.midiEvent && atom->size >= 3) {
                const auto* bytes = reinterpret_cast<const uint8_t*>(atom + 1);
                mPlug->NotePlayed(bytes[0], bytes[1], bytes[2]);
            } else if ((atom->type == mUris.atomObject || atom->type == mUris.atomBlank) &&
                       reinterpret_cast<const LV2_Atom_Object*>(atom)->body.otype ==
                           mUris.editorState) {
                ReceiveState(reinterpret_cast<const LV2_Atom_Object*>(atom));
            }
        }
    }

    int Idle() {
        IGraphicsX11* gui = Surface();
        if (!gui || !gui->Idle()) return 1;
        mPlug->SyncToHost();
        return 0;
    }

private:
    void ReceiveState(const LV2_Atom_Object* obj) {
        const LV2_Atom *params = nullptr, *preset = nullptr, *names = nullptr;
        lv2_atom_object_get(obj, mUris.stateParams, &params, mUris.statePreset, &preset,
                            mUris.stateNames, &names, 0);
        if (!params || !preset || !names || params->type != mUris.atomChunk ||
            preset->type != mUris.atomInt || names->type != mUris.atomChunk)
            return;
        mPlug->ReceiveState(params + 1, static_cast<int>(params->size),
                            reinterpret_cast<const LV2_Atom_Int*>(preset)->body, names + 1,
                            static_cast<int>(names->size));
    }

    void SendState(const ByteChunk& params, int preset, const ByteChunk& names) {
        std::vector<uint8_t> buffer(static_cast<size_t>(params.Size() + names.Size()) + 256);
        lv2_atom_forge_set_buffer(&mForge, buffer.data(), buffer.size());
        LV2_Atom_Forge_Frame frame;
        lv2_atom_forge_object(&mForge, &frame, 0, mUris.editorState);
        lv2_atom_forge_key(&mForge, mUris.stateParams);
        lv2_atom_forge_atom(&mForge, static_cast<uint32_t>(params.Size()), mUris.atomChunk);
        lv2_atom_forge_write(&mForge, params.GetBytes(), static_cast<uint32_t>(params.Size()));
        lv2_atom_forge_key(&mForge, mUris.statePreset);
        lv2_atom_forge_int(&mForge, preset);
        lv2_atom_forge_key(&mForge, mUris.stateNames);
        lv2_atom_forge_atom(&mForge, static_cast<uint32_t>(names.Size()), mUris.atomChunk);
        lv2_atom_forge_write(&mForge, names.GetBytes(), static_cast<uint32_t>(names.Size()));
        lv2_atom_forge_pop(&mForge, &frame);
        const auto* atom = reinterpret_cast<const LV2_Atom*>(buffer.data());
        mWrite(mController, mEventsPort, sizeof(LV2_Atom) + atom->size, mUris.eventTransfer, atom);
    }

    std::unique_ptr<IPluginLV2UI> mPlug;
    UIURIs mUris;
    LV2_Atom_Forge mForge{};
    LV2UI_Write_Function mWrite;
    LV2UI_Controller mController;
    const LV2UI_Touch* mTouch;
    uint32_t mEventsPort = 0, mNotifyPort = 0;
};

template <typename T> T* Feature(const LV2_Feature* const* features, const char* uri) {
    for (int i = 0; features && features[i]; ++i)
        if (!std::strcmp(features[i]->URI, uri)) return static_cast<T*>(features[i]->data);
    return nullptr;
}

// 2 for a scale factor from 1.5 up, 1 below, 0 (the surface decides) when the host gives none.
int ScaleFrom(const LV2_Options_Option* options, const UIURIs& uris) {
    for (const LV2_Options_Option* o = options; o && o->key; ++o) {
        if (o->key != uris.scaleFactor || !o->value) continue;
        double scale = 0.0;
        if (o->type == uris.atomFloat)
            scale = *static_cast<const float*>(o->value);
        else if (o->type == uris.atomDouble)
            scale = *static_cast<const double*>(o->value);
        else
            continue;
        return scale >= 1.5 ? 2 : 1;
    }
    return 0;
}

LV2UI_Handle InstantiateEntry(const LV2UI_Descriptor*, const char* pluginURI, const char*,
                              LV2UI_Write_Function write, LV2UI_Controller controller,
                              LV2UI_Widget* widget, const LV2_Feature* const* features) {
    auto* map = Feature<LV2_URID_Map>(features, LV2_URID__map);
    if (!map || !write || !pluginURI || std::strcmp(pluginURI, kPluginURI)) return nullptr;
    IPluginLV2UI* plug = CreateLV2UIPlugin();
    if (!plug) return nullptr;
    auto editor = std::make_unique<Editor>(plug, map, write, controller,
                                           Feature<LV2UI_Touch>(features, LV2_UI__touch));
    IGraphicsX11* gui = editor->Surface();
    if (!gui) return nullptr;
    const UIURIs uris(map);
    gui->SetScaleFactor(
        ScaleFrom(Feature<const LV2_Options_Option>(features, LV2_OPTIONS__options), uris));
    void* window = gui->OpenWindow(Feature<void>(features, LV2_UI__parent));
    if (!window) return nullptr;
    *widget = window;
    if (auto* resize = Feature<LV2UI_Resize>(features, LV2_UI__resize))
        resize->ui_resize(resize->handle, gui->Width() * gui->GetScaleFactor(),
                          gui->Height() * gui->GetScaleFactor());
    editor->RequestState();
    return editor.release();
}

void CleanupEntry(LV2UI_Handle ui) {
    delete static_cast<Editor*>(ui);
}

void PortEventEntry(LV2UI_Handle ui, uint32_t port, uint32_t size, uint32_t format,
                    const void* buffer) {
    static_cast<Editor*>(ui)->PortEvent(port, size, format, buffer);
}

int IdleEntry(LV2UI_Handle ui) {
    return static_cast<Editor*>(ui)->Idle();
}

const LV2UI_Idle_Interface kIdle = {IdleEntry};

const void* ExtensionDataEntry(const char* uri) {
    if (!std::strcmp(uri, LV2_UI__idleInterface)) return &kIdle;
    return nullptr;
}

const LV2UI_Descriptor kDescriptor = {kUIURI, InstantiateEntry, CleanupEntry, PortEventEntry,
                                      ExtensionDataEntry};

} // namespace

LV2_SYMBOL_EXPORT const LV2UI_Descriptor* lv2ui_descriptor(uint32_t index) {
    return index == 0 ? &kDescriptor : nullptr;
}
