#pragma once

// What an LV2 port needs beyond the parameter itself: a stable symbol, its port group and
// the names of the settings of integer parameters that carry no display texts.
namespace kv::lv2gen {

struct PortInfo {
    const char* symbol;
    const char* group;
    const char* const* settings; // null: the parameter's own display texts, or none
};

// One row per parameter, in parameter order.
const PortInfo& portInfo(int paramIdx);
int portInfoCount();

struct PortGroup {
    const char* symbol;
    const char* name;
};
const PortGroup* portGroups(int* count);

} // namespace kv::lv2gen
