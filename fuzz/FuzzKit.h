#pragma once

// What the fuzz targets share: one instrument per process, put back to where it started
// between runs, and the checks every target makes after a load.

#include "Karvelund.h"

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

// The process's instrument: the factory bank loaded, 48 kHz, blocks of up to 4096 samples.
// The per-user data folder is pointed away from the user's own bank first. A run that plays
// or changes it discards it afterwards, so every run starts from a new instrument (a refused
// load changes nothing, which the targets check) and a finding reproduces on its own.
Karvelund& Instrument();
void Discard();
Snapshot Capture(Karvelund& plug);

// Plays a chord with a pitch bend, the mod wheel and the pedal for a few blocks; a sample
// that is not finite or beyond full scale is a finding.
void RequireSaneOutput(Karvelund& plug, const char* after);
// A refused load must leave everything as it was.
void RequireUnchanged(Karvelund& plug, const Snapshot& before, const char* after);
// Loads the bytes as a file with load (a program or bank loader); a refused file must change
// nothing. True when it loaded.
bool LoadFile(Karvelund& plug, const uint8_t* data, size_t size,
              bool (IPluginBase::*load)(const ByteChunk*), const char* refused);

// Reports a finding and aborts, which libFuzzer records as a crash with its input.
[[noreturn]] void Fail(const char* format, ...);

// Checks a rendered block: every sample finite and within full scale.
void RequireSaneBlock(const double* samples, int n, const char* after);

} // namespace kvfuzz
