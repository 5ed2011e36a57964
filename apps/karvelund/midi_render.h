#pragma once

#include "midi_file.h"
#include "render_timing.h"

#include <cstdint>
#include <functional>

class IPluginOffline;

namespace kv::cli {

// Receives the rendered audio block by block: both channels, n samples each. Returning false
// stops the render.
using BlockSink = std::function<bool(const double* left, const double* right, int n)>;

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
    // 2: the plug-in was initialised at twice the rate and block size, and its output is
    // decimated back to the rate, delayed so that it lines up with the events as at 1.
    int oversample = 1;
};

// Plays MIDI events through an initialised plug-in as a host would: each event whose sample
// position p = floor(seconds * rate + 0.5) falls in a block is delivered, in order, with offset
// p - block start before that block is rendered. A tempo change or a program change splits the
// block so that it takes effect on its own sample. Rendering goes on after the last event as
// the tail says. Positions, lengths and the tail count samples at `rate`, also when the plug-in
// runs oversampled. Returns the number of samples rendered, or -1 when the sink stopped it.
int64_t renderMidiEvents(IPluginOffline& plug, const std::vector<MidiFileEvent>& events,
                         double rate, int blockSize, const RenderTail& tail, const BlockSink& sink,
                         const RenderHost& host = {});

} // namespace kv::cli
