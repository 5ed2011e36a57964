#pragma once
// Writes Standard MIDI Files from events placed at ticks.

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace kv::cli {

struct MidiTrackEvent {
    uint32_t tick = 0; // from the start of the track
    // One complete event as it stands in a track after its delta time: a channel message with its
    // status byte, FF type length data for a meta event, or F0/F7 length data for system exclusive.
    std::vector<uint8_t> bytes;
};

struct MidiTrack {
    std::vector<MidiTrackEvent> events; // any order; written sorted by tick, stable
};

struct MidiFileLayout {
    int format = 1;                 // 0 (exactly one track), 1 or 2
    uint16_t ticksPerQuarter = 480; // 1..32767
    bool runningStatus = true;      // omit repeated status bytes of channel messages
};

// Channel message; program change (0xC_) and channel pressure (0xD_) take only `data1`.
MidiTrackEvent midiChannelEvent(uint32_t tick, uint8_t status, uint8_t data1, uint8_t data2 = 0);
MidiTrackEvent midiMetaEvent(uint32_t tick, uint8_t type, std::span<const uint8_t> data);
MidiTrackEvent midiTempoEvent(uint32_t tick, uint32_t microsPerQuarter);
MidiTrackEvent midiTextMetaEvent(uint32_t tick, uint8_t type, const std::string& text);
// `data` follows the F0 and the length; it normally ends with F7.
MidiTrackEvent midiSysExEvent(uint32_t tick, std::span<const uint8_t> data);

// Each track ends with an end-of-track event at its last tick (added unless already last).
bool encodeMidiFile(const MidiFileLayout& layout, const std::vector<MidiTrack>& tracks,
                    std::vector<uint8_t>& bytes, std::string& error);
// Writes beside `path` and renames into place, so a failure leaves no partial file.
bool writeMidiFile(const std::string& path, const MidiFileLayout& layout,
                   const std::vector<MidiTrack>& tracks, std::string& error);

} // namespace kv::cli
