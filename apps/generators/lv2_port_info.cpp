#include "lv2_port_info.h"

#include "KarvelundParams.h"

namespace kv::lv2gen {
namespace {

const char* const kPhonic[] = {"Mono", "Poly", "Legato"};
const char* const kFilter[] = {"Low-pass", "High-pass", "Band-pass"};
const char* const kAmpMode[] = {"Envelope", "Gate"};

const PortInfo kPorts[kNumParams] = {
    {"bpm_sync", "lfo", nullptr},
    {"lfo_type", "lfo", nullptr},
    {"lfo_speed", "lfo", nullptr},
    {"lfo_target", "lfo", nullptr},
    {"lfo_amount", "lfo", nullptr},
    {"hard_sync", "oscillators", nullptr},
    {"pulse_width", "oscillators", nullptr},
    {"saw_detune", "oscillators", nullptr},
    {"sub_wave", "oscillators", nullptr},
    {"noise", "oscillators", nullptr},
    {"saw", "oscillators", nullptr},
    {"pulse", "oscillators", nullptr},
    {"sub", "oscillators", nullptr},
    {"attack", "envelope", nullptr},
    {"decay", "envelope", nullptr},
    {"sustain", "envelope", nullptr},
    {"release", "envelope", nullptr},
    {"phonic_type", "performance", kPhonic},
    {"filter_type", "filter", kFilter},
    {"cutoff", "filter", nullptr},
    {"resonance", "filter", nullptr},
    {"key_tracking", "filter", nullptr},
    {"env_amount", "filter", nullptr},
    {"drive_post", "amp", nullptr},
    {"drive", "amp", nullptr},
    {"amp_mode", "amp", kAmpMode},
    {"volume", "amp", nullptr},
    {"bend_range", "performance", nullptr},
    {"modwheel_target", "performance", nullptr},
    {"velocity_target", "performance", nullptr},
    {"portamento", "performance", nullptr},
};

const PortGroup kGroups[] = {
    {"lfo", "LFO"},           {"oscillators", "Oscillators"}, {"filter", "Filter"},
    {"envelope", "Envelope"}, {"amp", "Drive and amplifier"}, {"performance", "Performance"},
};

} // namespace

const PortInfo& portInfo(int paramIdx) {
    return kPorts[paramIdx];
}
int portInfoCount() {
    return kNumParams;
}

const PortGroup* portGroups(int* count) {
    *count = static_cast<int>(sizeof kGroups / sizeof kGroups[0]);
    return kGroups;
}

} // namespace kv::lv2gen
