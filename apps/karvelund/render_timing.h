#pragma once
// When MIDI events fall in a render, and how long a render of them lasts.

#include "midi_file.h"

#include <cstdint>
#include <vector>

namespace kv::cli {

// How long to go on after the last event.
struct RenderTail {
    // A fixed number of samples, or (when `untilQuiet`) until the output has stayed below
    // `quietLevel` for `quietSamples` in a row, at most `maxSamples`.
    int64_t samples = 0;
    bool untilQuiet = false;
    double quietLevel = 0.0;
    int64_t quietSamples = 0;
    int64_t maxSamples = 0;
};

// The sample position of an event at seconds, floor(seconds * rate + 0.5); saturates far beyond
// any renderable length.
int64_t eventSample(double seconds, double rate);

// How many samples a render of the events lasts at most: through the last event, then the tail.
int64_t renderLength(const std::vector<MidiFileEvent>& events, double rate, const RenderTail& tail);

inline bool isProgramChange(const MidiFileEvent& e) {
    return (e.status & 0xF0) == 0xC0;
}

} // namespace kv::cli
