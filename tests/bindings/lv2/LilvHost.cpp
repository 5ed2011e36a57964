#include "LilvHost.h"

#include <lv2/atom/forge.h>
#include <lv2/atom/util.h>
#include <lv2/buf-size/buf-size.h>
#include <lv2/midi/midi.h>
#include <lv2/presets/presets.h>
#include <lv2/time/time.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <stdexcept>

namespace {
constexpr const char* kPluginURI = "https://zerlinda.audio/plugins/karvelund";
constexpr size_t kAtomBufferBytes = 65536;
} // namespace

std::string lv2BundleDir() {
    return KARVELUND_LV2_DIR "/karvelund.lv2/";
}

LilvHost::LilvHost() {
    mMap = {this, MapEntry};
    mUnmap = {this, UnmapEntry};
    mMapFeature = {LV2_URID__map, &mMap};
    mUnmapFeature = {LV2_URID__unmap, &mUnmap};
    map(LV2_ATOM__Int); // keep the option's type urids stable
    mOptions.push_back({LV2_OPTIONS_INSTANCE, 0, map(LV2_BUF_SIZE__maxBlockLength), sizeof(int32_t),
                        map(LV2_ATOM__Int), &maxBlock});
    mOptions.push_back({LV2_OPTIONS_INSTANCE, 0, 0, 0, 0, nullptr});
    mOptionsFeature = {LV2_OPTIONS__options, mOptions.data()};
    mFeatures = {&mMapFeature, &mUnmapFeature, &mOptionsFeature, nullptr};

    // As a user would point a host at the build tree: the bundle first, then the system's
    // specifications.
    setenv("LV2_PATH", KARVELUND_LV2_DIR ":/usr/lib/lv2", 1);
    mWorld = lilv_world_new();
    lilv_world_load_all(mWorld);
    LilvNode* uri = lilv_new_uri(mWorld, kPluginURI);
    mPlugin = lilv_plugins_get_by_uri(lilv_world_get_all_plugins(mWorld), uri);
    lilv_node_free(uri);
    if (!mPlugin) throw std::runtime_error("karvelund.lv2 not found in " + lv2BundleDir());
}

LilvHost::~LilvHost() {
    for (const LilvNode* preset : mPresets)
        lilv_node_free(const_cast<LilvNode*>(preset));
    lilv_world_free(mWorld);
}

uint32_t LilvHost::map(const char* uri) {
    auto it = mUrids.find(uri);
    if (it != mUrids.end()) return it->second;
    mUris.push_back(uri);
    const uint32_t id = static_cast<uint32_t>(mUris.size());
    mUrids.emplace(uri, id);
    return id;
}

const char* LilvHost::unmap(uint32_t urid) const {
    return urid >= 1 && urid <= mUris.size() ? mUris[urid - 1].c_str() : nullptr;
}

uint32_t LilvHost::MapEntry(void* handle, const char* uri) {
    return static_cast<LilvHost*>(handle)->map(uri);
}

const char* LilvHost::UnmapEntry(void* handle, uint32_t urid) {
    return static_cast<LilvHost*>(handle)->unmap(urid);
}

const std::vector<const LilvNode*>& LilvHost::presets() {
    if (!mPresets.empty()) return mPresets;
    LilvNode* presetClass = lilv_new_uri(mWorld, LV2_PRESETS__Preset);
    LilvNodes* found = lilv_plugin_get_related(mPlugin, presetClass);
    std::vector<const LilvNode*>& out = mPresets;
    LILV_FOREACH(nodes, i, found) {
        const LilvNode* p = lilv_nodes_get(found, i);
        lilv_world_load_resource(mWorld, p);
        out.push_back(lilv_node_duplicate(p));
    }
    lilv_nodes_free(found);
    lilv_node_free(presetClass);
    // preset01 .. preset64: the URIs sort in bank order.
    std::sort(out.begin(), out.end(), [](const LilvNode* a, const LilvNode* b) {
        return std::strcmp(lilv_node_as_uri(a), lilv_node_as_uri(b)) < 0;
    });
    return out;
}

LilvState* LilvHost::presetState(int idx) {
    const auto& all = presets();
    if (idx < 0 || idx >= static_cast<int>(all.size())) return nullptr;
    return lilv_state_new_from_world(mWorld, &mMap, all[static_cast<size_t>(idx)]);
}

LilvInstanceRig::LilvInstanceRig(LilvHost& host, double rate, bool activateNow)
    : mHost(host), mEvents(kAtomBufferBytes / 8), mNotify(kAtomBufferBytes / 8) {
    mInstance = lilv_plugin_instantiate(host.plugin(), rate, host.features());
    if (!mInstance) throw std::runtime_error("instantiation failed");
    const LilvPlugin* plugin = host.plugin();
    LilvNode* controlClass = lilv_new_uri(host.world(), LV2_CORE__ControlPort);
    LilvNode* inputClass = lilv_new_uri(host.world(), LV2_CORE__InputPort);
    const uint32_t nPorts = lilv_plugin_get_num_ports(plugin);
    int nControls = 0;
    for (uint32_t i = 0; i < nPorts; ++i) {
        const LilvPort* port = lilv_plugin_get_port_by_index(plugin, i);
        if (lilv_port_is_a(plugin, port, controlClass) && lilv_port_is_a(plugin, port, inputClass))
            ++nControls;
    }
    controls.assign(static_cast<size_t>(nControls), 0.0f);
    for (uint32_t i = 0; i < nPorts; ++i) {
        const LilvPort* port = lilv_plugin_get_port_by_index(plugin, i);
        const std::string symbol = lilv_node_as_string(lilv_port_get_symbol(plugin, port));
        if (lilv_port_is_a(plugin, port, controlClass)) {
            mControlIndex[symbol] = static_cast<int>(i);
            lilv_instance_connect_port(mInstance, i, &controls[i]);
        } else if (symbol == "events") {
            lilv_instance_connect_port(mInstance, i, mEvents.data());
        } else if (symbol == "notify") {
            lilv_instance_connect_port(mInstance, i, mNotify.data());
        } else if (symbol == "out_left") {
            lastLeft.resize(static_cast<size_t>(host.maxBlock));
            lilv_instance_connect_port(mInstance, i, lastLeft.data());
        } else if (symbol == "out_right") {
            lastRight.resize(static_cast<size_t>(host.maxBlock));
            lilv_instance_connect_port(mInstance, i, lastRight.data());
        }
    }
    lilv_node_free(controlClass);
    lilv_node_free(inputClass);
    setDefaults();
    if (activateNow) activate();
}

LilvInstanceRig::~LilvInstanceRig() {
    if (mActive) lilv_instance_deactivate(mInstance);
    lilv_instance_free(mInstance);
}

void LilvInstanceRig::activate() {
    lilv_instance_activate(mInstance);
    mActive = true;
}

void LilvInstanceRig::setDefaults() {
    std::vector<float> defaults(lilv_plugin_get_num_ports(mHost.plugin()));
    lilv_plugin_get_port_ranges_float(mHost.plugin(), nullptr, nullptr, defaults.data());
    for (size_t i = 0; i < controls.size(); ++i)
        controls[i] = defaults[i];
}

void LilvInstanceRig::setControl(const char* symbol, float value) {
    auto it = mControlIndex.find(symbol);
    if (it == mControlIndex.end()) throw std::runtime_error(std::string("no port ") + symbol);
    controls[static_cast<size_t>(it->second)] = value;
}

void LilvInstanceRig::midi(int frame, uint8_t status, uint8_t data1, uint8_t data2) {
    mPending.push_back({frame, mHost.map(LV2_MIDI__MidiEvent), {status, data1, data2}});
}

void LilvInstanceRig::position(int frame, double bpm, double speed, double frameOfPosition,
                               double bar, double barBeat) {
    std::vector<uint8_t> buffer(1024);
    LV2_Atom_Forge forge;
    LV2_URID_Map map = {
        &mHost, [](void* h, const char* uri) { return static_cast<LilvHost*>(h)->map(uri); }};
    lv2_atom_forge_init(&forge, &map);
    lv2_atom_forge_set_buffer(&forge, buffer.data(), buffer.size());
    LV2_Atom_Forge_Frame object;
    lv2_atom_forge_object(&forge, &object, 0, mHost.map(LV2_TIME__Position));
    lv2_atom_forge_key(&forge, mHost.map(LV2_TIME__frame));
    lv2_atom_forge_long(&forge, static_cast<int64_t>(frameOfPosition));
    lv2_atom_forge_key(&forge, mHost.map(LV2_TIME__speed));
    lv2_atom_forge_float(&forge, static_cast<float>(speed));
    lv2_atom_forge_key(&forge, mHost.map(LV2_TIME__beatsPerMinute));
    lv2_atom_forge_float(&forge, static_cast<float>(bpm));
    if (bar >= 0.0) {
        lv2_atom_forge_key(&forge, mHost.map(LV2_TIME__bar));
        lv2_atom_forge_long(&forge, static_cast<int64_t>(bar));
        lv2_atom_forge_key(&forge, mHost.map(LV2_TIME__barBeat));
        lv2_atom_forge_float(&forge, static_cast<float>(barBeat));
        lv2_atom_forge_key(&forge, mHost.map(LV2_TIME__beatsPerBar));
        lv2_atom_forge_float(&forge, 4.0f);
        lv2_atom_forge_key(&forge, mHost.map(LV2_TIME__beatUnit));
        lv2_atom_forge_int(&forge, 4);
    }
    lv2_atom_forge_pop(&forge, &object);
    const auto* atom = reinterpret_cast<const LV2_Atom*>(buffer.data());
    const auto* body = reinterpret_cast<const uint8_t*>(atom + 1);
    mPending.push_back({frame, atom->type, std::vector<uint8_t>(body, body + atom->size)});
}

void LilvInstanceRig::run(int n) {
    prepareBlock();
    lilv_instance_run(mInstance, static_cast<uint32_t>(n));
    collectBlock(n);
}

void LilvInstanceRig::prepareBlock() {
    std::stable_sort(
        mPending.begin(), mPending.end(),
        [](const PendingEvent& a, const PendingEvent& b) { return a.frame < b.frame; });
    auto* seq = reinterpret_cast<LV2_Atom_Sequence*>(mEvents.data());
    seq->atom.type = mHost.map(LV2_ATOM__Sequence);
    seq->atom.size = sizeof(LV2_Atom_Sequence_Body);
    seq->body.unit = 0;
    seq->body.pad = 0;
    std::vector<uint8_t> eventBytes;
    for (const PendingEvent& e : mPending) {
        eventBytes.assign(sizeof(LV2_Atom_Event) + e.body.size(), 0);
        auto* ev = reinterpret_cast<LV2_Atom_Event*>(eventBytes.data());
        ev->time.frames = e.frame;
        ev->body.type = e.type;
        ev->body.size = static_cast<uint32_t>(e.body.size());
        std::memcpy(ev + 1, e.body.data(), e.body.size());
        lv2_atom_sequence_append_event(seq, kAtomBufferBytes - sizeof(LV2_Atom), ev);
    }
    mPending.clear();
    auto* notify = reinterpret_cast<LV2_Atom_Sequence*>(mNotify.data());
    notify->atom.type = mHost.map(LV2_ATOM__Chunk);
    notify->atom.size = kAtomBufferBytes - sizeof(LV2_Atom);

    std::fill(lastLeft.begin(), lastLeft.end(), 12345.0f); // the plug-in must write every frame
    std::fill(lastRight.begin(), lastRight.end(), 12345.0f);
}

void LilvInstanceRig::collectBlock(int n) {
    auto* notify = reinterpret_cast<LV2_Atom_Sequence*>(mNotify.data());
    left.insert(left.end(), lastLeft.begin(), lastLeft.begin() + n);
    right.insert(right.end(), lastRight.begin(), lastRight.begin() + n);
    if (notify->atom.type == mHost.map(LV2_ATOM__Sequence)) {
        LV2_ATOM_SEQUENCE_FOREACH(notify, ev) {
            if (ev->body.type != mHost.map(LV2_MIDI__MidiEvent) || ev->body.size < 2) continue;
            const auto* bytes = reinterpret_cast<const uint8_t*>(ev + 1);
            notifiedNotes.emplace_back(bytes[0], bytes[1]);
        }
    }
}

void LilvInstanceRig::SetPortValue(const char* symbol, void* data, const void* value, uint32_t size,
                                   uint32_t) {
    auto* rig = static_cast<LilvInstanceRig*>(data);
    if (size == sizeof(float)) rig->setControl(symbol, *static_cast<const float*>(value));
}

bool LilvInstanceRig::apply(const LilvState* state) {
    lilv_state_restore(state, mInstance, SetPortValue, this, 0, mHost.features());
    return true;
}

LilvState* LilvInstanceRig::save() {
    auto getValue = [](const char* symbol, void* data, uint32_t* size,
                       uint32_t* type) -> const void* {
        auto* rig = static_cast<LilvInstanceRig*>(data);
        auto it = rig->mControlIndex.find(symbol);
        if (it == rig->mControlIndex.end()) return nullptr;
        *size = sizeof(float);
        *type = rig->mHost.map(LV2_ATOM__Float);
        return &rig->controls[static_cast<size_t>(it->second)];
    };
    return lilv_state_new_from_instance(mHost.plugin(), mInstance, mHost.uridMap(), nullptr,
                                        nullptr, nullptr, nullptr, getValue, this, 0,
                                        mHost.features());
}

IsolatedUserData::IsolatedUserData() {
    char pattern[] = "/tmp/karvelund-lv2-test-XXXXXX";
    mFolder = mkdtemp(pattern);
    setenv("XDG_DATA_HOME", mFolder.c_str(), 1);
}

IsolatedUserData::~IsolatedUserData() {
    unsetenv("XDG_DATA_HOME");
    std::error_code ec;
    std::filesystem::remove_all(mFolder, ec);
}
