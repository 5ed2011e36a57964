#include "LV2FuzzUnit.h"

#include "KarvelundLV2.h"
#include "LV2Plugin.h"

#include <lv2/atom/atom.h>
#include <lv2/atom/util.h>
#include <lv2/core/lv2.h>
#include <lv2/midi/midi.h>
#include <lv2/state/state.h>
#include <lv2/urid/urid.h>

#include <algorithm>
#include <cstring>
#include <string>

namespace {

Karvelund* gCreated = nullptr;

// The host's URID map: the URIs in the order they were first asked for, numbered from 1.
std::vector<std::string>& MappedUris() {
    static std::vector<std::string> uris;
    return uris;
}

LV2_URID Map(LV2_URID_Map_Handle, const char* uri) {
    std::vector<std::string>& uris = MappedUris();
    const auto found = std::find(uris.begin(), uris.end(), uri);
    if (found != uris.end()) return static_cast<LV2_URID>(found - uris.begin() + 1);
    uris.emplace_back(uri);
    return static_cast<LV2_URID>(uris.size());
}

LV2_URID Map(const char* uri) {
    return Map(nullptr, uri);
}

// The keys and types a stored value can have, by their index in the fuzz input.
constexpr const char* kOtherKey = "https://example.org/another-plugin#state";
constexpr const char* kKeys[] = {karvelund::lv2::kStateParams, karvelund::lv2::kStatePreset,
                                 karvelund::lv2::kStateNames, kOtherKey};
constexpr const char* kTypes[] = {LV2_ATOM__Chunk, LV2_ATOM__Int,    LV2_ATOM__Long,
                                  LV2_ATOM__Float, LV2_ATOM__String, nullptr};

// Their URIDs, mapped once (0 is no type).
struct Urids {
    LV2_URID keys[std::size(kKeys)] = {};
    LV2_URID types[std::size(kTypes)] = {};
    Urids() {
        for (size_t i = 0; i < std::size(kKeys); ++i)
            keys[i] = Map(kKeys[i]);
        for (size_t i = 0; i < std::size(kTypes); ++i)
            types[i] = kTypes[i] ? Map(kTypes[i]) : 0;
    }
};

const Urids& Mapped() {
    static const Urids urids;
    return urids;
}

template <size_t N> int IndexOf(const LV2_URID (&urids)[N], uint32_t urid) {
    const auto found = std::find(std::begin(urids), std::end(urids), urid);
    return found == std::end(urids) ? -1 : static_cast<int>(found - std::begin(urids));
}

const void* Retrieve(LV2_State_Handle handle, uint32_t key, size_t* size, uint32_t* type,
                     uint32_t* flags) {
    const auto* state = static_cast<const kvfuzz::LV2StoredState*>(handle);
    for (const kvfuzz::LV2StoredValue& value : state->values) {
        if (Mapped().keys[value.key] != key) continue;
        *size = value.bytes.size();
        *type = Mapped().types[value.type];
        *flags = LV2_STATE_IS_POD | LV2_STATE_IS_PORTABLE;
        // A host hands out a valid pointer also for an empty value.
        static const uint8_t kNothing = 0;
        return value.bytes.empty() ? &kNothing : value.bytes.data();
    }
    return nullptr;
}

LV2_State_Status Store(LV2_State_Handle handle, uint32_t key, const void* data, size_t size,
                       uint32_t type, uint32_t) {
    const int keyIndex = IndexOf(Mapped().keys, key), typeIndex = IndexOf(Mapped().types, type);
    if (keyIndex < 0 || keyIndex == 3 || typeIndex < 0) kvfuzz::Fail("a save stored key %u", key);
    auto* state = static_cast<kvfuzz::LV2StoredState*>(handle);
    const auto* bytes = static_cast<const uint8_t*>(data);
    state->values.push_back({static_cast<uint8_t>(keyIndex), static_cast<uint8_t>(typeIndex),
                             std::vector<uint8_t>(bytes, bytes + size)});
    return LV2_STATE_SUCCESS;
}

const LV2_Descriptor& Descriptor(const void* descriptor) {
    return *static_cast<const LV2_Descriptor*>(descriptor);
}

} // namespace

// The module's instances: the instrument built against the LV2 binding, remembered so the
// checks can look at it.
IPluginLV2* CreateLV2Plugin() {
    gCreated = MakePlug();
    return gCreated;
}

extern "C" const LV2_Descriptor* lv2_descriptor(uint32_t index);

namespace kvfuzz {

LV2StoredState LV2StoredState::Decode(const uint8_t* data, size_t size) {
    LV2StoredState state;
    if (size == 0) return state;
    state.whileRunning = data[0] & 1;
    size_t pos = 1;
    while (pos + 4 <= size) {
        LV2StoredValue value;
        value.key = data[pos] % std::size(kKeys);
        value.type = data[pos + 1] % std::size(kTypes);
        const size_t length = std::min<size_t>(data[pos + 2] | data[pos + 3] << 8, size - pos - 4);
        value.bytes.assign(data + pos + 4, data + pos + 4 + length);
        pos += 4 + length;
        state.values.push_back(std::move(value));
    }
    return state;
}

std::vector<uint8_t> LV2StoredState::Encode() const {
    std::vector<uint8_t> bytes = {static_cast<uint8_t>(whileRunning)};
    for (const LV2StoredValue& value : values) {
        const size_t length = value.bytes.size();
        bytes.insert(bytes.end(), {value.key, value.type, static_cast<uint8_t>(length),
                                   static_cast<uint8_t>(length >> 8)});
        bytes.insert(bytes.end(), value.bytes.begin(), value.bytes.end());
    }
    return bytes;
}

LV2FuzzUnit& LV2FuzzUnit::Get() {
    static LV2FuzzUnit* unit = new LV2FuzzUnit(); // never cleaned up: the process ends with it
    return *unit;
}

LV2FuzzUnit::LV2FuzzUnit() {
    UseInstalledFactoryBank();
    // The URIs the checks use are mapped before the module maps its own.
    Mapped();
    static LV2_URID_Map map = {nullptr, Map};
    static const LV2_Feature mapFeature = {LV2_URID__map, &map};
    static const LV2_Feature* const features[] = {&mapFeature, nullptr};
    const LV2_Descriptor* descriptor = lv2_descriptor(0);
    mDescriptor = descriptor;
    mHandle = descriptor->instantiate(descriptor, 48000.0, "/nonexistent/karvelund.lv2/", features);
    if (!mHandle || !gCreated) Fail("the LV2 module does not instantiate");
    mPlug = gCreated;
    mStateInterface = descriptor->extension_data(LV2_STATE__interface);
    if (!mStateInterface) Fail("the LV2 module has no state interface");
    const uint32_t ports = static_cast<uint32_t>(mPlug->NParams());
    mEvents.assign(2 + kMaxBlock, 0);
    descriptor->connect_port(mHandle, ports + lv2ports::kEventsIn, mEvents.data());
    descriptor->connect_port(mHandle, ports + lv2ports::kLeftOut, mLeft);
    descriptor->connect_port(mHandle, ports + lv2ports::kRightOut, mRight);
    descriptor->activate(mHandle);
    Run(0);
    mPristine = Capture(*mPlug);
    if (!Save(&mPristineSave)) Fail("a new instance does not save");
}

int LV2FuzzUnit::Restore(const LV2StoredState& state) {
    const auto* iface = static_cast<const LV2_State_Interface*>(mStateInterface);
    if (state.whileRunning)
        return iface->restore(mHandle, Retrieve, const_cast<LV2StoredState*>(&state), 0, nullptr);
    Descriptor(mDescriptor).deactivate(mHandle);
    const int status =
        iface->restore(mHandle, Retrieve, const_cast<LV2StoredState*>(&state), 0, nullptr);
    Descriptor(mDescriptor).activate(mHandle);
    return status;
}

bool LV2FuzzUnit::Save(LV2StoredState* state) {
    state->values.clear();
    const auto* iface = static_cast<const LV2_State_Interface*>(mStateInterface);
    return iface->save(mHandle, Store, state, LV2_STATE_IS_POD | LV2_STATE_IS_PORTABLE, nullptr) ==
           LV2_STATE_SUCCESS;
}

void LV2FuzzUnit::QueueMidi(int offset, int status, int data1, int data2) {
    mPending.insert(mPending.end(), {static_cast<uint8_t>(offset), static_cast<uint8_t>(status),
                                     static_cast<uint8_t>(data1), static_cast<uint8_t>(data2)});
}

const float* LV2FuzzUnit::Run(int n) {
    // The sequence: its header, then per event its time and body header and the message,
    // padded to 8 bytes.
    static const LV2_URID sequence = Map(LV2_ATOM__Sequence), midi = Map(LV2_MIDI__MidiEvent);
    uint8_t* bytes = reinterpret_cast<uint8_t*>(mEvents.data());
    auto* seq = reinterpret_cast<LV2_Atom_Sequence*>(bytes);
    seq->atom.type = sequence;
    seq->body.unit = 0;
    seq->body.pad = 0;
    uint32_t size = sizeof(LV2_Atom_Sequence_Body);
    for (size_t i = 0; i + 4 <= mPending.size(); i += 4) {
        auto* event = reinterpret_cast<LV2_Atom_Event*>(bytes + sizeof(LV2_Atom) + size);
        event->time.frames = mPending[i];
        event->body.size = 3;
        event->body.type = midi;
        std::memcpy(event + 1, &mPending[i + 1], 3);
        size += lv2_atom_pad_size(sizeof(LV2_Atom_Event) + 3);
    }
    seq->atom.size = size;
    mPending.clear();
    Descriptor(mDescriptor).run(mHandle, static_cast<uint32_t>(n));
    return mLeft;
}

void LV2FuzzUnit::Restart() {
    RestoreStored(*mPlug, mPristine);
    mPlug->ClearPlayingState();
}

} // namespace kvfuzz
