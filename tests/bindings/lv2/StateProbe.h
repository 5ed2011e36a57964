#pragma once

// Talks to the instance's state interface directly, as a host's state library does: the
// properties a save stores, and restores of chosen (possibly broken) properties.

#include "LilvHost.h"

#include <lv2/state/state.h>

#include <map>
#include <string>
#include <vector>

struct StoredProperty {
    std::string type;
    std::vector<uint8_t> bytes;
    bool operator==(const StoredProperty&) const = default;
};
using StoredState = std::map<std::string, StoredProperty>;

inline const LV2_State_Interface* StateInterface(LilvInstanceRig& rig) {
    return static_cast<const LV2_State_Interface*>(
        lilv_instance_get_extension_data(rig.instance(), LV2_STATE__interface));
}

struct StateProbe {
    LilvHost& host;
    StoredState properties;

    static LV2_State_Status Store(LV2_State_Handle h, uint32_t key, const void* value, size_t size,
                                  uint32_t type, uint32_t) {
        auto* probe = static_cast<StateProbe*>(h);
        const auto* bytes = static_cast<const uint8_t*>(value);
        probe->properties[probe->host.unmap(key)] = {probe->host.unmap(type),
                                                     std::vector<uint8_t>(bytes, bytes + size)};
        return LV2_STATE_SUCCESS;
    }
    static const void* Retrieve(LV2_State_Handle h, uint32_t key, size_t* size, uint32_t* type,
                                uint32_t* flags) {
        auto* probe = static_cast<StateProbe*>(h);
        auto it = probe->properties.find(probe->host.unmap(key));
        if (it == probe->properties.end()) return nullptr;
        *size = it->second.bytes.size();
        *type = probe->host.map(it->second.type.c_str());
        *flags = LV2_STATE_IS_POD;
        return it->second.bytes.data();
    }

    StoredState save(LilvInstanceRig& rig) {
        properties.clear();
        StateInterface(rig)->save(rig.instance()->lv2_handle, Store, this, 0, host.features());
        return properties;
    }
    LV2_State_Status restore(LilvInstanceRig& rig, const StoredState& state) {
        properties = state;
        return StateInterface(rig)->restore(rig.instance()->lv2_handle, Retrieve, this, 0,
                                            host.features());
    }
};
