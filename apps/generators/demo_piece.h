#pragma once
// The demo piece: about 34 seconds in A minor for bass, pad and lead, all on MIDI channel 1, with
// two tempo changes, pitch-bend and mod-wheel gestures and one use of the sustain pedal. At most
// eight notes sound at once, pedal included.

#include "midi_file_writer.h"

#include <vector>

namespace kv::demo {

kv::cli::MidiFileLayout demoPieceLayout();
// A conductor track (names, metre, key, tempo) and one track each for bass, pad and lead.
std::vector<kv::cli::MidiTrack> composeDemoPiece();

} // namespace kv::demo
