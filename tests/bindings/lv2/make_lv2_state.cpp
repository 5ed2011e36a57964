// Writes a saved state of the instrument as a host does, for the real-host checks:
//
//   make_lv2_state DIR PRESET SYMBOL=VALUE...
//
// recalls factory preset PRESET (0-based), sets the controls and saves DIR/state.ttl.

#include "LilvHost.h"

#include <cstdio>
#include <cstdlib>
#include <string>

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: make_lv2_state DIR PRESET SYMBOL=VALUE...\n");
        return 2;
    }
    LilvHost host;
    LilvInstanceRig rig(host, 48000.0);
    LilvState* preset = host.presetState(std::atoi(argv[2]));
    if (!preset) return 1;
    rig.apply(preset);
    lilv_state_free(preset);
    for (int i = 3; i < argc; ++i) {
        const std::string setting = argv[i];
        const size_t eq = setting.find('=');
        if (eq == std::string::npos) return 2;
        rig.setControl(setting.substr(0, eq).c_str(), std::stof(setting.substr(eq + 1)));
    }
    rig.run(64);
    LilvState* state = rig.save();
    const int status = lilv_state_save(host.world(), host.uridMap(), host.uridUnmap(), state,
                                       nullptr, argv[1], "state.ttl");
    lilv_state_free(state);
    return status == 0 ? 0 : 1;
}
