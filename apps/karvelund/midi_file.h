#pragma once
// Reads Standard MIDI Files (format 0 and 1) into timed channel messages.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace kv::cli {

// One channel message with its time from the start of the file.
struct MidiFileEvent {
    double seconds = 0.0;
    uint8_t status = 0; // 0x80..0xEF, channel in the low nibble
    uint8_t data1 = 0;
    uint8_t data2 = 0; // 0 for program change and channel pressure, which have one data byte
};

// A tempo the file sets from a time on.
struct MidiFileTempo {
    double seconds = 0.0;
    double beatsPerMinute = 120.0;
};

struct MidiFile {
    // Every channel message of every track, merged by time; at equal times the lower track comes
    // first, then file order. Note-on with velocity 0 is kept as it is.
    std::vector<MidiFileEvent> events;
    // Where the longest track ends (its end-of-track event, else its last event of any kind).
    double durationSeconds = 0.0;
    // The file's tempo changes in time order, the last of several at one time only. Empty for
    // time-code files and files without tempo events; until the first change the tempo is 120.
    std::vector<MidiFileTempo> tempos;
    int format = 0;
    int trackCount = 0;
};

inline constexpr size_t kMaxMidiFileEvents = 10'000'000;
inline constexpr size_t kMaxMidiFileBytes = size_t{256} << 20;

// Both return false with a one-line `error` (and `file` left empty) when the bytes are not a
// usable Standard MIDI File. Format 2 files (independent sequences) are refused; time-code
// divisions (24, 25, 29.97 and 30 frames per second) are supported. Tempo changes in any track
// apply to all tracks. System-exclusive and meta events other than tempo are skipped.
bool readMidiFile(const std::string& path, MidiFile& file, std::string& error);
bool parseMidiFile(std::span<const uint8_t> bytes, MidiFile& file, std::string& error);

} // namespace kv::cli
