#pragma once

// The checks every fuzz target makes, for a plug-in of any binding: a refused input changes
// nothing, an accepted one plays sanely, and a plug-in kept for the whole process is put back
// to where it started after every run.

#include "core/IPluginBase.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace kvfuzz {

// Everything a load may change, as bytes: the parameter state, every preset and the current
// preset's index.
struct Snapshot {
    std::vector<unsigned char> state;
    std::vector<unsigned char> presets;
    int current = 0;
    bool operator==(const Snapshot&) const = default;
};

Snapshot Capture(IPluginBase& plug);
// What differs from the snapshot ("the parameter state", "the presets", "the current
// preset"), or null when nothing does. Allocates nothing once warmed up.
const char* Difference(IPluginBase& plug, const Snapshot& snapshot);
// A refused input must leave everything as it was.
void RequireUnchanged(IPluginBase& plug, const Snapshot& before, const char* after);

// Writes back what a run changed of the stored state: every preset that differs from pristine,
// then the current preset, whose state becomes the parameters. The playing state (voices,
// keys, MIDI queue) is the plug-in's to clear. Then checks that the stored state is pristine
// again.
void RestoreStored(IPluginBase& plug, const Snapshot& pristine);

// Plays a chord with a pitch bend, the mod wheel and the pedal for a few short blocks, through
// the player's MIDI and render calls; a sample that is not finite or beyond full scale is a
// finding.
struct Player {
    static constexpr int kMaxBlock = 64;
    virtual void Midi(int offset, int status, int data1, int data2) = 0;
    // Renders n samples (at most kMaxBlock) and returns the first channel.
    virtual const double* Render(int n) = 0;
    virtual ~Player() = default;
};
void RequireSaneOutput(Player& player, const char* after);

// Checks a rendered block: every sample finite and within full scale.
void RequireSaneBlock(const double* samples, int n, const char* after);

// Reports a finding and aborts, which libFuzzer records as a crash with its input.
[[noreturn]] void Fail(const char* format, ...);

// Points the per-user data folder away from the user's own bank, so the installed factory
// bank is what every instrument of the process loads.
void UseInstalledFactoryBank();

} // namespace kvfuzz
