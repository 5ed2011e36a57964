#pragma once

#include "core/ByteChunk.h"

// One preset: whether it holds a state, its name and the state in the layout of
// IPluginBase::SerializeState.
struct IPreset {
    static constexpr int kNameLen = 256; // terminator included

    bool mInitialized = false;
    char mName[kNameLen] = "empty";
    ByteChunk mChunk;

    // The index is not kept; presets are numbered by their place in the plug-in's list.
    explicit IPreset(int /*idx*/) {}

    // Copies the name, cut to 255 characters.
    void SetName(const char* name);
};
