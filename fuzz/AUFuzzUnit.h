#pragma once

// The instrument as an AudioUnit, opened through the component entry and the substitute SDK
// as a host opens it: one instance per process, 48 kHz, up to 4096 frames per render call.
// Shared by the ClassInfo target and the program that writes its seeds.

#include "AUHostUnit.h"
#include "FuzzCheck.h"
#include "Karvelund.h"

#include <cstdint>
#include <vector>

namespace kvfuzz {

class AUFuzzUnit {
public:
    static AUFuzzUnit& Get();

    AUHostUnit& Host() { return *mHost; }
    Karvelund& Plug() { return *mPlug; }
    const Snapshot& Pristine() const { return mPristine; }

    // The ClassInfo dictionary as a host stores it (XML property-list bytes).
    std::vector<uint8_t> Save() { return mHost->SaveState(); }
    // Puts the instance back where it started, as after Open and Initialize.
    void Restart();

private:
    AUFuzzUnit();

    Component mComponent = nullptr;
    AUHostUnit* mHost = nullptr; // lives as long as the process
    Karvelund* mPlug = nullptr;
    Snapshot mPristine;
};

} // namespace kvfuzz
