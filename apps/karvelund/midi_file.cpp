#include "midi_file.h"

#include "midi_bytes.h"
#include "midi_track_parser.h"
#include "tempo_map.h"
#include "unique_fd.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace kv::cli {

namespace {

struct Header {
    int format = 0;
    int trackCount = 0;
    uint16_t division = 0;
};

bool chunkIdIs(std::span<const uint8_t> id, const char* name) {
    return id.size() == 4 && std::memcmp(id.data(), name, 4) == 0;
}

bool parseHeader(MidiByteCursor& cursor, Header& header, std::string& error) {
    auto id = cursor.take(4);
    if (!chunkIdIs(id, "MThd")) {
        error = "not a Standard MIDI File (no MThd header)";
        return false;
    }
    uint32_t length = 0;
    uint16_t format = 0;
    uint16_t tracks = 0;
    if (!cursor.readU32(length) || cursor.remaining() < length) {
        error = "truncated MThd header";
        return false;
    }
    if (length < 6) {
        error = "MThd header of " + std::to_string(length) + " bytes (at least 6 needed)";
        return false;
    }
    cursor.readU16(format);
    cursor.readU16(tracks);
    cursor.readU16(header.division);
    cursor.skip(length - 6);
    header.format = format;
    header.trackCount = tracks;
    if (format == 2) {
        error = "format 2 MIDI files (independent sequences) are not supported";
    } else if (format > 2) {
        error = "unknown MIDI file format " + std::to_string(format);
    } else if (tracks == 0) {
        error = "MIDI file has no tracks";
    } else if (format == 0 && tracks != 1) {
        error = "format 0 MIDI file with " + std::to_string(tracks) + " tracks (must be 1)";
    }
    return error.empty();
}

bool divisionIsValid(uint16_t division, std::string& error) {
    if ((division & 0x8000) == 0) {
        if (division == 0) error = "MIDI file division of 0 ticks per quarter note";
        return division != 0;
    }
    const int framesPerSecond = -static_cast<int8_t>(division >> 8);
    if (framesPerSecond != 24 && framesPerSecond != 25 && framesPerSecond != 29 &&
        framesPerSecond != 30) {
        error = "unsupported time-code rate of " + std::to_string(framesPerSecond) +
                " frames per second";
        return false;
    }
    if ((division & 0xFF) == 0) {
        error = "time-code division with 0 ticks per frame";
        return false;
    }
    return true;
}

bool isTimecode(uint16_t division) {
    return (division & 0x8000) != 0;
}

// Every track's tempo changes, by tick; at equal ticks in track and file order.
std::vector<TempoChange> tempoChanges(const std::vector<ParsedTrack>& tracks) {
    std::vector<TempoChange> changes;
    for (const ParsedTrack& track : tracks) {
        changes.insert(changes.end(), track.tempos.begin(), track.tempos.end());
    }
    std::stable_sort(changes.begin(), changes.end(),
                     [](const TempoChange& a, const TempoChange& b) { return a.tick < b.tick; });
    return changes;
}

TempoMap makeTempoMap(uint16_t division, const std::vector<TempoChange>& changes) {
    if (isTimecode(division)) {
        const int framesPerSecond = -static_cast<int8_t>(division >> 8);
        const double frameRate = framesPerSecond == 29 ? 30000.0 / 1001.0 : framesPerSecond;
        return TempoMap::timecode(frameRate * (division & 0xFF));
    }
    return TempoMap::metrical(division, changes);
}

std::vector<MidiFileTempo> tempoTimeline(const std::vector<TempoChange>& changes,
                                         const TempoMap& map) {
    std::vector<MidiFileTempo> timeline;
    for (const TempoChange& change : changes) {
        const MidiFileTempo tempo{map.seconds(change.tick), 60e6 / change.microsPerQuarter};
        if (!timeline.empty() && timeline.back().seconds == tempo.seconds)
            timeline.back() = tempo;
        else
            timeline.push_back(tempo);
    }
    return timeline;
}

std::string chunkName(std::span<const uint8_t> id) {
    std::string name;
    for (uint8_t c : id)
        name += (c >= 0x20 && c < 0x7F) ? static_cast<char>(c) : '?';
    return name;
}

// Walks the chunks after the header, parsing the announced number of track chunks and skipping
// chunks of other kinds.
bool parseTracks(MidiByteCursor& cursor, int trackCount, std::vector<ParsedTrack>& tracks,
                 std::string& error) {
    size_t eventsSoFar = 0;
    while (static_cast<int>(tracks.size()) < trackCount) {
        const size_t chunkStart = cursor.position();
        const int number = static_cast<int>(tracks.size()) + 1;
        if (cursor.atEnd()) {
            error = "file ends before track chunk " + std::to_string(number) + " of " +
                    std::to_string(trackCount);
            return false;
        }
        auto id = cursor.take(4);
        uint32_t length = 0;
        if (id.empty() || !cursor.readU32(length)) {
            error = "truncated chunk header at byte " + std::to_string(chunkStart);
            return false;
        }
        const bool isTrack = chunkIdIs(id, "MTrk");
        auto body = cursor.take(length);
        if (body.size() != length) {
            error =
                "truncated " +
                (isTrack ? "track chunk " + std::to_string(number)
                         : "chunk '" + chunkName(id) + "' at byte " + std::to_string(chunkStart)) +
                " (length " + std::to_string(length) + ", " + std::to_string(cursor.remaining()) +
                " bytes left in the file)";
            return false;
        }
        if (!isTrack) continue;
        TrackChunk chunk{body, number, chunkStart + 8, kMaxMidiFileEvents - eventsSoFar};
        tracks.emplace_back();
        if (!parseTrackChunk(chunk, tracks.back(), error)) return false;
        eventsSoFar += tracks.back().events.size() + tracks.back().tempos.size();
    }
    return true;
}

void mergeTracks(std::vector<ParsedTrack>& tracks, const TempoMap& tempo, MidiFile& file) {
    std::vector<TrackChannelEvent> merged;
    size_t total = 0;
    for (const ParsedTrack& track : tracks)
        total += track.events.size();
    merged.reserve(total);
    uint64_t endTick = 0;
    for (ParsedTrack& track : tracks) {
        merged.insert(merged.end(), track.events.begin(), track.events.end());
        endTick = std::max(endTick, track.endTick);
        track.events = {};
    }
    // Tracks were appended in order, so a stable sort keeps lower tracks first at equal ticks.
    std::stable_sort(
        merged.begin(), merged.end(),
        [](const TrackChannelEvent& a, const TrackChannelEvent& b) { return a.tick < b.tick; });
    file.events.reserve(merged.size());
    for (const TrackChannelEvent& e : merged) {
        file.events.push_back({tempo.seconds(e.tick), e.status, e.data1, e.data2});
    }
    file.durationSeconds = tempo.seconds(endTick);
}

bool readWholeFile(const std::string& path, std::vector<uint8_t>& bytes, std::string& error) {
    // Checked before opening, so that a FIFO without a writer cannot hold us up; opened
    // without blocking and checked again in case the name was swapped in between.
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) {
        error = "cannot open " + path + ": " + std::strerror(errno);
        return false;
    }
    if (!S_ISREG(info.st_mode)) {
        error = "cannot read " + path + ": not a regular file";
        return false;
    }
    UniqueFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    if (!fd.valid() || ::fstat(fd.get(), &info) != 0) {
        error = "cannot open " + path + ": " + std::strerror(errno);
        return false;
    }
    if (!S_ISREG(info.st_mode)) {
        error = "cannot read " + path + ": not a regular file";
        return false;
    }
    if (static_cast<uint64_t>(info.st_size) > kMaxMidiFileBytes) {
        error = path + " is too large for a MIDI file (" + std::to_string(info.st_size) + " bytes)";
        return false;
    }
    bytes.resize(static_cast<size_t>(info.st_size));
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t got = ::read(fd.get(), bytes.data() + done, bytes.size() - done);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) {
            error = "cannot read " + path + ": " + std::strerror(errno);
            return false;
        }
        if (got == 0) break;
        done += static_cast<size_t>(got);
    }
    bytes.resize(done);
    return true;
}

} // namespace

bool parseMidiFile(std::span<const uint8_t> bytes, MidiFile& file, std::string& error) {
    file = MidiFile{};
    error.clear();
    MidiByteCursor cursor(bytes);
    Header header;
    if (!parseHeader(cursor, header, error) || !divisionIsValid(header.division, error)) {
        return false;
    }
    std::vector<ParsedTrack> tracks;
    if (!parseTracks(cursor, header.trackCount, tracks, error)) return false;
    const std::vector<TempoChange> changes = tempoChanges(tracks);
    const TempoMap map = makeTempoMap(header.division, changes);
    mergeTracks(tracks, map, file);
    if (!isTimecode(header.division)) file.tempos = tempoTimeline(changes, map);
    file.format = header.format;
    file.trackCount = header.trackCount;
    return true;
}

bool readMidiFile(const std::string& path, MidiFile& file, std::string& error) {
    file = MidiFile{};
    std::vector<uint8_t> bytes;
    if (!readWholeFile(path, bytes, error)) return false;
    if (parseMidiFile(bytes, file, error)) return true;
    error = path + ": " + error;
    return false;
}

} // namespace kv::cli
