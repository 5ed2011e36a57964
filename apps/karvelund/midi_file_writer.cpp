#include "midi_file_writer.h"

#include "midi_bytes.h"
#include "pending_file.h"

#include <algorithm>
#include <limits>

namespace kv::cli {

namespace {

constexpr uint8_t kMetaEvent = 0xFF;
constexpr uint8_t kMetaEndOfTrack = 0x2F;

bool isEndOfTrack(const MidiTrackEvent& event) {
    return event.bytes.size() >= 2 && event.bytes[0] == kMetaEvent &&
           event.bytes[1] == kMetaEndOfTrack;
}

bool isChannelMessage(uint8_t status) {
    return status >= 0x80 && status < 0xF0;
}

bool validLayout(const MidiFileLayout& layout, size_t trackCount, std::string& error) {
    if (layout.format < 0 || layout.format > 2) {
        error = "cannot write MIDI file format " + std::to_string(layout.format);
    } else if (trackCount == 0 || trackCount > 0xFFFF) {
        error = "cannot write a MIDI file with " + std::to_string(trackCount) + " tracks";
    } else if (layout.format == 0 && trackCount != 1) {
        error = "a format 0 MIDI file holds exactly one track";
    } else if (layout.ticksPerQuarter == 0 || layout.ticksPerQuarter > 0x7FFF) {
        error = "ticks per quarter note must be 1..32767";
    }
    return error.empty();
}

bool encodeTrack(const MidiTrack& track, bool runningStatus, std::vector<uint8_t>& body,
                 std::string& error) {
    std::vector<const MidiTrackEvent*> ordered;
    for (const MidiTrackEvent& event : track.events)
        ordered.push_back(&event);
    std::stable_sort(ordered.begin(), ordered.end(),
                     [](const auto* a, const auto* b) { return a->tick < b->tick; });
    uint32_t lastTick = 0;
    uint8_t previousStatus = 0;
    for (const MidiTrackEvent* event : ordered) {
        if (event->bytes.empty()) {
            error = "cannot write an empty MIDI event";
            return false;
        }
        if (event->tick - lastTick > kMaxMidiVarLen) {
            error = "cannot write a gap of more than " + std::to_string(kMaxMidiVarLen) + " ticks";
            return false;
        }
        appendVarLen(body, event->tick - lastTick);
        lastTick = event->tick;
        const uint8_t status = event->bytes[0];
        const bool omitStatus =
            runningStatus && isChannelMessage(status) && status == previousStatus;
        body.insert(body.end(), event->bytes.begin() + (omitStatus ? 1 : 0), event->bytes.end());
        previousStatus = isChannelMessage(status) ? status : 0;
    }
    if (ordered.empty() || !isEndOfTrack(*ordered.back())) {
        const uint8_t endOfTrack[] = {0x00, kMetaEvent, kMetaEndOfTrack, 0x00};
        body.insert(body.end(), std::begin(endOfTrack), std::end(endOfTrack));
    }
    return true;
}

} // namespace

MidiTrackEvent midiChannelEvent(uint32_t tick, uint8_t status, uint8_t data1, uint8_t data2) {
    const uint8_t kind = status & 0xF0;
    if (kind == 0xC0 || kind == 0xD0) return {tick, {status, data1}};
    return {tick, {status, data1, data2}};
}

MidiTrackEvent midiMetaEvent(uint32_t tick, uint8_t type, std::span<const uint8_t> data) {
    MidiTrackEvent event{tick, {kMetaEvent, type}};
    appendVarLen(event.bytes, static_cast<uint32_t>(data.size()));
    event.bytes.insert(event.bytes.end(), data.begin(), data.end());
    return event;
}

MidiTrackEvent midiTempoEvent(uint32_t tick, uint32_t microsPerQuarter) {
    const uint8_t data[] = {static_cast<uint8_t>(microsPerQuarter >> 16),
                            static_cast<uint8_t>(microsPerQuarter >> 8),
                            static_cast<uint8_t>(microsPerQuarter)};
    return midiMetaEvent(tick, 0x51, data);
}

MidiTrackEvent midiTextMetaEvent(uint32_t tick, uint8_t type, const std::string& text) {
    const auto* first = reinterpret_cast<const uint8_t*>(text.data());
    return midiMetaEvent(tick, type, {first, text.size()});
}

MidiTrackEvent midiSysExEvent(uint32_t tick, std::span<const uint8_t> data) {
    MidiTrackEvent event{tick, {0xF0}};
    appendVarLen(event.bytes, static_cast<uint32_t>(data.size()));
    event.bytes.insert(event.bytes.end(), data.begin(), data.end());
    return event;
}

bool encodeMidiFile(const MidiFileLayout& layout, const std::vector<MidiTrack>& tracks,
                    std::vector<uint8_t>& bytes, std::string& error) {
    bytes.clear();
    error.clear();
    if (!validLayout(layout, tracks.size(), error)) return false;
    bytes.insert(bytes.end(), {'M', 'T', 'h', 'd'});
    appendU32(bytes, 6);
    appendU16(bytes, static_cast<uint16_t>(layout.format));
    appendU16(bytes, static_cast<uint16_t>(tracks.size()));
    appendU16(bytes, layout.ticksPerQuarter);
    std::vector<uint8_t> body;
    for (const MidiTrack& track : tracks) {
        body.clear();
        if (!encodeTrack(track, layout.runningStatus, body, error)) return false;
        if (body.size() > std::numeric_limits<uint32_t>::max()) {
            error = "MIDI track too long for a track chunk";
            return false;
        }
        bytes.insert(bytes.end(), {'M', 'T', 'r', 'k'});
        appendU32(bytes, static_cast<uint32_t>(body.size()));
        bytes.insert(bytes.end(), body.begin(), body.end());
    }
    return true;
}

bool writeMidiFile(const std::string& path, const MidiFileLayout& layout,
                   const std::vector<MidiTrack>& tracks, std::string& error) {
    std::vector<uint8_t> bytes;
    if (!encodeMidiFile(layout, tracks, bytes, error)) {
        error = "cannot write " + path + ": " + error;
        return false;
    }
    PendingFile file;
    return file.create(path, error) && file.write(bytes, error) && file.commit(error);
}

} // namespace kv::cli
