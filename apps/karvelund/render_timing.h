#pragma once
// When MIDI events fall in a render, and how long a render of them lasts.

#include "midi_file.h"

#include <cstdint>
#include <vector>

namespace kv::cli {

// The sample position of an event at seconds: floor(seconds * rate + 0.5).
int64_t eventSample(double seconds, double rate);

// How many samples a render of the events lasts: through the last event, then the tail.
int64_t renderLength(const std::vector<MidiFileEvent>& events, double rate, int64_t tailSamples);

} // namespace kv::cli
