#pragma once

#include "midi_file.h"

#include <cstdint>
#include <functional>

class IPluginOffline;

namespace kv::cli {

// Receives the rendered audio block by block: both channels, n samples each. Returning false
// stops the render.
using BlockSink = std::function<bool(const double* left, const double* right, int n)>;

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

// What the renderer does as the host besides delivering MIDI.
struct RenderHost {
    // The file's tempo changes; the transport tempo follows them. Empty: the transport keeps
    // the tempo it had.
    std::vector<MidiFileTempo> tempos;
    // Program changes in the events select that preset at their position; otherwise they go
    // to the plug-in like any other message.
    bool programChangesSelectPresets = true;
    // Told of each preset a program change selected, with its sample position.
    std::function<void(int64_t sample, int from, int to)> onPresetChange;
};

// Plays MIDI events through an initialised plug-in as a host would: each event whose sample
// position p = floor(seconds * rate + 0.5) falls in a block is delivered, in order, with offset
// p - block start before that block is rendered. A tempo change or a program change splits the
// block so that it takes effect on its own sample. Rendering goes on after the last event as
// the tail says. Returns the number of samples rendered, or -1 when the sink stopped it.
int64_t renderMidiEvents(IPluginOffline& plug, const std::vector<MidiFileEvent>& events,
                         double rate, int blockSize, const RenderTail& tail, const BlockSink& sink,
                         const RenderHost& host = {});

// The sample position of a time in seconds; saturates far beyond any renderable length.
int64_t eventSample(double seconds, double rate);

// How many samples renderMidiEvents renders at most: through the last event, then the tail.
int64_t renderLength(const std::vector<MidiFileEvent>& events, double rate, const RenderTail& tail);

inline bool isProgramChange(const MidiFileEvent& e) {
    return (e.status & 0xF0) == 0xC0;
}

} // namespace kv::cli
