#pragma once

// The instrument of the offline binding as the file, state and MIDI targets use it: one per
// process, put back to where it started after every run that changed it.

#include "FuzzCheck.h"
#include "Karvelund.h"

namespace kvfuzz {

// The process's instrument: the installed factory bank loaded, 48 kHz, blocks of up to 4096
// samples.
Karvelund& Instrument();
// The instrument as it was when new.
const Snapshot& Pristine();
// Puts the instrument back where it started (RestoreStored, then Karvelund::ClearPlayingState),
// so the next run starts as on a new instrument and a finding reproduces on its own.
void Restart();

// RequireSaneOutput through the offline binding's MIDI and render calls.
void RequireSaneOutput(Karvelund& plug, const char* after);
// Loads the bytes as a file with load (a program or bank loader); a refused file must change
// nothing. True when it loaded.
bool LoadFile(Karvelund& plug, const uint8_t* data, size_t size,
              bool (IPluginBase::*load)(const ByteChunk*), const char* refused);

} // namespace kvfuzz
