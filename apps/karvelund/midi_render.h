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

// Plays MIDI events through an initialised plug-in as a host would: each event whose sample
// position p = floor(seconds * rate + 0.5) falls in a block is delivered, in order, with offset
// p - block start before that block is rendered. Rendering goes on for tailSamples after the
// last event. Returns the number of samples rendered, or -1 when the sink stopped it.
int64_t renderMidiEvents(IPluginOffline& plug, const std::vector<MidiFileEvent>& events,
                         double rate, int blockSize, int64_t tailSamples, const BlockSink& sink);

} // namespace kv::cli
