#include "core/IPreset.h"

#include <cstdio>

void IPreset::SetName(const char* name) {
    std::snprintf(mName, sizeof(mName), "%s", name ? name : "");
}
