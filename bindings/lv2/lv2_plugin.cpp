// The LV2 entry points of the audio module: one instrument instance per LV2 instance, its
// control, MIDI and audio ports, the host transport and the state interface.

#include "IPluginLV2.h"
#include "KarvelundLV2.h"
#include "LV2Plugin.h"

#include <lv2/atom/atom.h>
#include <lv2/atom/forge.h>
#include <lv2/atom/util.h>
#include <lv2/buf-size/buf-size.h>
#include <lv2/core/lv2.h>
#include <lv2/midi/midi.h>
#include <lv2/options/options.h>
#include <lv2/state/state.h>
#include <lv2/time/time.h>
#include <lv2/urid/urid.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <optional>
#include <vector>

namespace {

using namespace karvelund::lv2;

constexpr int kDefaultMaxBlock = 8192;

struct URIs {
    LV2_URID atomBlank, atomObject, atomSequence, atomChunk, atomInt, atomFloat, atomDouble,
        atomLong, midiEvent, timePosition, timeFrame, timeSpeed, timeBpm, timeBar, timeBarBeat,
        timeBeatsPerBar, timeBeatUnit, maxBlockLength, nominalBlockLength, stateParams, statePreset,
        stateNames, editorState, editorRequest;

    explicit URIs(const LV2_URID_Map* map) {
        auto m = [map](const char* uri) { return map->map(map->handle, uri); };
        atomBlank = m(LV2_ATOM__Blank);
        atomObject = m(LV2_ATOM__Object);
        atomSequence = m(LV2_ATOM__Sequence);
        atomChunk = m(LV2_ATOM__Chunk);
        atomInt = m(LV2_ATOM__Int);
        atomFloat = m(LV2_ATOM__Float);
        atomDouble = m(LV2_ATOM__Double);
        atomLong = m(LV2_ATOM__Long);
        midiEvent = m(LV2_MIDI__MidiEvent);
        timePosition = m(LV2_TIME__Position);
        timeFrame = m(LV2_TIME__frame);
        timeSpeed = m(LV2_TIME__speed);
        timeBpm = m(LV2_TIME__beatsPerMinute);
        timeBar = m(LV2_TIME__bar);
        timeBarBeat = m(LV2_TIME__barBeat);
        timeBeatsPerBar = m(LV2_TIME__beatsPerBar);
        timeBeatUnit = m(LV2_TIME__beatUnit);
        maxBlockLength = m(LV2_BUF_SIZE__maxBlockLength);
        nominalBlockLength = m(LV2_BUF_SIZE__nominalBlockLength);
        stateParams = m(kStateParams);
        statePreset = m(kStatePreset);
        stateNames = m(kStateNames);
        editorState = m(kEditorState);
        editorRequest = m(kEditorRequest);
    }
};

// A number atom of any width, as a double; false for other types.
bool ReadNumber(const URIs& u, const LV2_Atom* atom, double* out) {
    if (!atom) return false;
    if (atom->type == u.atomInt)
        *out = reinterpret_cast<const LV2_Atom_Int*>(atom)->body;
    else if (atom->type == u.atomLong)
        *out = double(reinterpret_cast<const LV2_Atom_Long*>(atom)->body);
    else if (atom->type == u.atomFloat)
        *out = reinterpret_cast<const LV2_Atom_Float*>(atom)->body;
    else if (atom->type == u.atomDouble)
        *out = reinterpret_cast<const LV2_Atom_Double*>(atom)->body;
    else
        return false;
    return true;
}

int OptionInt(const URIs& u, const LV2_Options_Option* options, LV2_URID key) {
    for (const LV2_Options_Option* o = options; o && o->key; ++o) {
        if (o->key != key || !o->value) continue;
        if (o->type == u.atomInt) return *static_cast<const int32_t*>(o->value);
        if (o->type == u.atomLong) return static_cast<int>(*static_cast<const int64_t*>(o->value));
    }
    return 0;
}

class Instance {
public:
    Instance(IPluginLV2* plug, const LV2_URID_Map* map, double rate, int maxBlock)
        : mPlug(plug), mUris(map), mControls(static_cast<size_t>(plug->NParams()), nullptr),
          mLastControl(static_cast<size_t>(plug->NParams()), kNeverSeen) {
        lv2_atom_forge_init(&mForge, const_cast<LV2_URID_Map*>(map));
        mPlug->Prepare(rate, maxBlock);
        mMaxBlock = maxBlock;
    }

    void Connect(uint32_t port, void* data) {
        const int n = mPlug->NParams();
        const int p = static_cast<int>(port);
        if (p < n) {
            mControls[static_cast<size_t>(p)] = static_cast<const float*>(data);
            return;
        }
        switch (p - n) {
        case lv2ports::kEventsIn:
            mEvents = static_cast<const LV2_Atom_Sequence*>(data);
            break;
        case lv2ports::kNotifyOut:
            mNotify = static_cast<LV2_Atom_Sequence*>(data);
            break;
        case lv2ports::kLeftOut:
            mLeft = static_cast<float*>(data);
            break;
        case lv2ports::kRightOut:
            mRight = static_cast<float*>(data);
            break;
        default:
            break;
        }
    }

    void Activate() { mPlug->Activate(); }
    void Deactivate() { mPlug->Deactivate(); }

    void Run(uint32_t nFrames) {
        // An open editor hears of a restored state.
        if (mPlug->ApplyPendingState()) mEditorWantsState = true;
        ApplyControls();
        BeginNotify();
        int cursor = 0;
        const int total = static_cast<int>(nFrames);
        if (mEvents) {
            LV2_ATOM_SEQUENCE_FOREACH(mEvents, ev) {
                const int frame =
                    std::clamp(static_cast<int>(ev->time.frames), cursor, std::max(total - 1, 0));
                if (ev->body.type == mUris.midiEvent) {
                    HandleMidi(ev, frame - cursor, frame);
                } else if (IsObject(&ev->body, mUris.timePosition)) {
                    Render(cursor, frame);
                    cursor = frame;
                    ApplyPosition(reinterpret_cast<const LV2_Atom_Object*>(&ev->body));
                } else if (IsObject(&ev->body, mUris.editorState)) {
                    ApplyEditorState(reinterpret_cast<const LV2_Atom_Object*>(&ev->body));
                } else if (IsObject(&ev->body, mUris.editorRequest)) {
                    mEditorWantsState = true;
                }
            }
        }
        Render(cursor, total);
        if (mEditorWantsState && mNotifying) mEditorWantsState = !SendEditorState(total);
        EndNotify();
    }

    LV2_State_Status Save(LV2_State_Store_Function store, LV2_State_Handle handle);
    LV2_State_Status Restore(LV2_State_Retrieve_Function retrieve, LV2_State_Handle handle);

    IPluginLV2* Plug() { return mPlug.get(); }

private:
    static constexpr float kNeverSeen = -1e30f;

    void ApplyControls() {
        bool locked = false;
        for (size_t i = 0; i < mControls.size(); ++i) {
            if (!mControls[i]) continue;
            const float v = *mControls[i];
            if (v == mLastControl[i]) continue;
            mLastControl[i] = v;
            if (!locked) {
                // Held only for this apply step, so a concurrent save sees whole changes.
                mLock.emplace(mPlug.get());
                locked = true;
            }
            mPlug->ApplyControl(static_cast<int>(i), v);
        }
        mLock.reset();
    }

    bool IsObject(const LV2_Atom* atom, LV2_URID otype) const {
        if (atom->type != mUris.atomObject && atom->type != mUris.atomBlank) return false;
        return reinterpret_cast<const LV2_Atom_Object*>(atom)->body.otype == otype;
    }

    // The editor chose, renamed or loaded presets; the ports bring the values too, but the
    // parameter state keeps them exact.
    void ApplyEditorState(const LV2_Atom_Object* obj) {
        const LV2_Atom *params = nullptr, *preset = nullptr, *names = nullptr;
        lv2_atom_object_get(obj, mUris.stateParams, &params, mUris.statePreset, &preset,
                            mUris.stateNames, &names, 0);
        auto chunk = [this](const LV2_Atom* a) {
            return a && a->type == mUris.atomChunk ? static_cast<const void*>(a + 1) : nullptr;
        };
        int presetIdx = -1;
        const bool hasPreset = preset && preset->type == mUris.atomInt;
        if (hasPreset) presetIdx = reinterpret_cast<const LV2_Atom_Int*>(preset)->body;
        mPlug->ApplyEditorState(chunk(params), params ? static_cast<int>(params->size) : 0,
                                hasPreset ? &presetIdx : nullptr, chunk(names),
                                names ? static_cast<int>(names->size) : 0);
    }

    // The parameter state, current preset and preset names for the editor; false when the
    // notify port has no room for them this block.
    bool SendEditorState(int nFrames) {
        IPluginLV2& plug = *mPlug;
        const uint32_t paramsSize = static_cast<uint32_t>(plug.NParams()) * sizeof(double);
        uint32_t namesSize = 0;
        for (int i = 0; i < plug.NPresets(); ++i)
            namesSize += 4 + static_cast<uint32_t>(std::strlen(plug.GetPresetName(i)));
        LV2_Atom_Forge_Frame object;
        bool ok = lv2_atom_forge_frame_time(&mForge, std::max(nFrames - 1, mLastNotifyFrame)) &&
                  lv2_atom_forge_object(&mForge, &object, 0, mUris.editorState);
        if (!ok) return Abandon();
        ok = lv2_atom_forge_key(&mForge, mUris.stateParams) &&
             lv2_atom_forge_atom(&mForge, paramsSize, mUris.atomChunk);
        for (int i = 0; ok && i < plug.NParams(); ++i) {
            const double v = plug.GetParam(i)->Value();
            ok = lv2_atom_forge_raw(&mForge, &v, sizeof v);
        }
        ok = ok && lv2_atom_forge_key(&mForge, mUris.statePreset) &&
             lv2_atom_forge_int(&mForge, plug.GetCurrentPresetIdx()) &&
             lv2_atom_forge_key(&mForge, mUris.stateNames) &&
             lv2_atom_forge_atom(&mForge, namesSize, mUris.atomChunk);
        for (int i = 0; ok && i < plug.NPresets(); ++i) {
            const char* name = plug.GetPresetName(i);
            const int32_t length = static_cast<int32_t>(std::strlen(name));
            ok = lv2_atom_forge_raw(&mForge, &length, 4) &&
                 (length == 0 || lv2_atom_forge_raw(&mForge, name, static_cast<uint32_t>(length)));
        }
        if (ok) lv2_atom_forge_pad(&mForge, namesSize);
        if (!ok) return Abandon();
        lv2_atom_forge_pop(&mForge, &object);
        return true;
    }
    bool Abandon() {
        mNotifying = false; // the sequence is cut: it is sent empty
        return false;
    }

    void ApplyPosition(const LV2_Atom_Object* obj) {
        const LV2_Atom *frame = nullptr, *speed = nullptr, *bpm = nullptr, *bar = nullptr,
                       *barBeat = nullptr, *beatsPerBar = nullptr, *beatUnit = nullptr;
        lv2_atom_object_get(obj, mUris.timeFrame, &frame, mUris.timeSpeed, &speed, mUris.timeBpm,
                            &bpm, mUris.timeBar, &bar, mUris.timeBarBeat, &barBeat,
                            mUris.timeBeatsPerBar, &beatsPerBar, mUris.timeBeatUnit, &beatUnit, 0);
        LV2Transport::Update u;
        u.hasFrame = ReadNumber(mUris, frame, &u.frame);
        u.hasSpeed = ReadNumber(mUris, speed, &u.speed);
        u.hasTempo = ReadNumber(mUris, bpm, &u.tempo);
        u.hasBar = ReadNumber(mUris, bar, &u.bar);
        u.hasBarBeat = ReadNumber(mUris, barBeat, &u.barBeat);
        u.hasBeatsPerBar = ReadNumber(mUris, beatsPerBar, &u.beatsPerBar);
        u.hasBeatUnit = ReadNumber(mUris, beatUnit, &u.beatUnit);
        mPlug->Transport().Apply(u);
    }

    void HandleMidi(const LV2_Atom_Event* ev, int offset, int frame) {
        if (ev->body.size < 1 || ev->body.size > 3) return; // system exclusive: not played
        const auto* bytes = reinterpret_cast<const uint8_t*>(ev + 1);
        if (bytes[0] < 0x80 || bytes[0] >= 0xF0) return;
        IMidiMsg msg(offset, bytes[0], ev->body.size > 1 ? bytes[1] & 0x7F : 0,
                     ev->body.size > 2 ? bytes[2] & 0x7F : 0);
        mPlug->ProcessMidiMsg(&msg);
        const int kind = bytes[0] >> 4;
        if (kind == IMidiMsg::kNoteOn || kind == IMidiMsg::kNoteOff) Notify(frame, &ev->body);
    }

    void Render(int from, int to) {
        while (from < to) {
            const int n = std::min(to - from, mMaxBlock);
            mPlug->RenderBlock(mLeft ? mLeft + from : nullptr, mRight ? mRight + from : nullptr, n);
            from += n;
        }
    }

    // The notify port carries the notes played, for the editor's keyboard.
    void BeginNotify() {
        mNotifying = false;
        mLastNotifyFrame = 0;
        if (!mNotify) return;
        const uint32_t capacity = mNotify->atom.size;
        lv2_atom_forge_set_buffer(&mForge, reinterpret_cast<uint8_t*>(mNotify), capacity);
        mNotifying = lv2_atom_forge_sequence_head(&mForge, &mNotifyFrame, 0) != 0;
    }
    void Notify(int frame, const LV2_Atom* body) {
        if (!mNotifying) return;
        mLastNotifyFrame = frame;
        if (!lv2_atom_forge_frame_time(&mForge, frame) ||
            !lv2_atom_forge_write(&mForge, body, sizeof(LV2_Atom) + body->size))
            mNotifying = false; // full: the rest of the block's notes are not shown
    }
    void EndNotify() {
        if (mNotify && mNotifying)
            lv2_atom_forge_pop(&mForge, &mNotifyFrame);
        else if (mNotify) { // keep the port a valid, empty sequence
            mNotify->atom.type = mUris.atomSequence;
            mNotify->atom.size = sizeof(LV2_Atom_Sequence_Body);
            mNotify->body.unit = 0;
            mNotify->body.pad = 0;
        }
    }

    std::unique_ptr<IPluginLV2> mPlug;
    URIs mUris;
    LV2_Atom_Forge mForge{};
    LV2_Atom_Forge_Frame mNotifyFrame{};
    bool mNotifying = false;
    int mLastNotifyFrame = 0;
    bool mEditorWantsState = false;
    int mMaxBlock = kDefaultMaxBlock;
    std::vector<const float*> mControls;
    std::vector<float> mLastControl;
    std::optional<IPluginBase::IMutexLock> mLock;
    const LV2_Atom_Sequence* mEvents = nullptr;
    LV2_Atom_Sequence* mNotify = nullptr;
    float* mLeft = nullptr;
    float* mRight = nullptr;
};

LV2_State_Status Instance::Save(LV2_State_Store_Function store, LV2_State_Handle handle) {
    ByteChunk params, names;
    int preset = 0;
    if (!mPlug->SaveState(&params, &preset, &names)) return LV2_STATE_ERR_UNKNOWN;
    const uint32_t podFlags = LV2_STATE_IS_POD | LV2_STATE_IS_PORTABLE;
    const int32_t preset32 = preset;
    LV2_State_Status status = store(handle, mUris.stateParams, params.GetBytes(),
                                    static_cast<size_t>(params.Size()), mUris.atomChunk, podFlags);
    if (status == LV2_STATE_SUCCESS)
        status =
            store(handle, mUris.statePreset, &preset32, sizeof preset32, mUris.atomInt, podFlags);
    if (status == LV2_STATE_SUCCESS)
        status = store(handle, mUris.stateNames, names.GetBytes(),
                       static_cast<size_t>(names.Size()), mUris.atomChunk, podFlags);
    return status;
}

LV2_State_Status Instance::Restore(LV2_State_Retrieve_Function retrieve, LV2_State_Handle handle) {
    auto fetch = [&](LV2_URID key, LV2_URID wantedType, ByteChunk* into) {
        size_t size = 0;
        uint32_t type = 0, flags = 0;
        const void* data = retrieve(handle, key, &size, &type, &flags);
        if (!data) return 0; // absent
        if (type != wantedType || size > (1u << 24)) return -1;
        into->PutBytes(data, static_cast<int>(size));
        return 1;
    };
    ByteChunk params, names, presetBytes;
    const int hasParams = fetch(mUris.stateParams, mUris.atomChunk, &params);
    const int hasPreset = fetch(mUris.statePreset, mUris.atomInt, &presetBytes);
    const int hasNames = fetch(mUris.stateNames, mUris.atomChunk, &names);
    if (hasParams < 0 || hasPreset < 0 || hasNames < 0) return LV2_STATE_ERR_BAD_TYPE;
    int32_t preset = -1;
    if (hasPreset && (presetBytes.Size() != 4 || presetBytes.Get(&preset, 0) < 0))
        return LV2_STATE_ERR_BAD_TYPE;
    if (!hasParams && !hasPreset && !hasNames) return LV2_STATE_ERR_NO_PROPERTY;
    const int presetIdx = preset;
    const bool ok =
        mPlug->RestoreState(hasParams ? &params : nullptr, hasPreset ? &presetIdx : nullptr,
                            hasNames ? &names : nullptr);
    return ok ? LV2_STATE_SUCCESS : LV2_STATE_ERR_UNKNOWN;
}

LV2_State_Status SaveEntry(LV2_Handle h, LV2_State_Store_Function store, LV2_State_Handle handle,
                           uint32_t, const LV2_Feature* const*) {
    return static_cast<Instance*>(h)->Save(store, handle);
}

LV2_State_Status RestoreEntry(LV2_Handle h, LV2_State_Retrieve_Function retrieve,
                              LV2_State_Handle handle, uint32_t, const LV2_Feature* const*) {
    return static_cast<Instance*>(h)->Restore(retrieve, handle);
}

const LV2_State_Interface kStateInterface = {SaveEntry, RestoreEntry};

LV2_Handle InstantiateEntry(const LV2_Descriptor*, double rate, const char*,
                            const LV2_Feature* const* features) {
    const LV2_URID_Map* map = nullptr;
    const LV2_Options_Option* options = nullptr;
    for (int i = 0; features && features[i]; ++i) {
        if (!std::strcmp(features[i]->URI, LV2_URID__map))
            map = static_cast<const LV2_URID_Map*>(features[i]->data);
        else if (!std::strcmp(features[i]->URI, LV2_OPTIONS__options))
            options = static_cast<const LV2_Options_Option*>(features[i]->data);
    }
    if (!map || !(rate > 0.0) || rate > 1e7) return nullptr;
    const URIs uris(map);
    int maxBlock = OptionInt(uris, options, uris.maxBlockLength);
    if (maxBlock <= 0 || maxBlock > (1 << 20)) maxBlock = kDefaultMaxBlock;
    IPluginLV2* plug = CreateLV2Plugin();
    if (!plug) return nullptr;
    return new Instance(plug, map, rate, maxBlock);
}

void ConnectEntry(LV2_Handle h, uint32_t port, void* data) {
    static_cast<Instance*>(h)->Connect(port, data);
}
void ActivateEntry(LV2_Handle h) {
    static_cast<Instance*>(h)->Activate();
}
void RunEntry(LV2_Handle h, uint32_t n) {
    static_cast<Instance*>(h)->Run(n);
}
void DeactivateEntry(LV2_Handle h) {
    static_cast<Instance*>(h)->Deactivate();
}
void CleanupEntry(LV2_Handle h) {
    delete static_cast<Instance*>(h);
}
const void* ExtensionDataEntry(const char* uri) {
    if (!std::strcmp(uri, LV2_STATE__interface)) return &kStateInterface;
    return nullptr;
}

const LV2_Descriptor kDescriptor = {kPluginURI, InstantiateEntry, ConnectEntry, ActivateEntry,
                                    RunEntry,   DeactivateEntry,  CleanupEntry, ExtensionDataEntry};

} // namespace

LV2_SYMBOL_EXPORT const LV2_Descriptor* lv2_descriptor(uint32_t index) {
    return index == 0 ? &kDescriptor : nullptr;
}
