#pragma once
// Reads the events of one track chunk of a Standard MIDI File.

#include "tempo_map.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace kv::cli {

struct TrackChannelEvent {
    uint64_t tick = 0;
    uint8_t status = 0;
    uint8_t data1 = 0;
    uint8_t data2 = 0;
};

struct ParsedTrack {
    std::vector<TrackChannelEvent> events; // channel messages in file order
    std::vector<TempoChange> tempos;       // tempo meta events in file order
    uint64_t endTick = 0;                  // end of track, or the last event when it has none
};

struct TrackChunk {
    std::span<const uint8_t> body;
    int number = 0;        // 1-based, for messages
    size_t fileOffset = 0; // where the body starts in the file, for messages
    size_t eventLimit = 0; // channel messages and tempo changes it may still add
};

// Keeps channel messages and tempo changes, skips other meta and system-exclusive events. Running
// status carries across meta and system-exclusive events, as many files in circulation expect.
bool parseTrackChunk(const TrackChunk& chunk, ParsedTrack& track, std::string& error);

} // namespace kv::cli
