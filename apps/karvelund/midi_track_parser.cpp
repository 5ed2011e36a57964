#include "midi_track_parser.h"

#include "midi_bytes.h"
#include "midi_file.h"

#include <cstdio>

namespace kv::cli {

namespace {

constexpr uint8_t kMetaEvent = 0xFF;
constexpr uint8_t kMetaEndOfTrack = 0x2F;
constexpr uint8_t kMetaTempo = 0x51;
constexpr uint8_t kSysExStart = 0xF0;
constexpr uint8_t kSysExEscape = 0xF7;

int dataByteCount(uint8_t status) {
    const uint8_t kind = status & 0xF0;
    return (kind == 0xC0 || kind == 0xD0) ? 1 : 2;
}

class TrackParser {
public:
    TrackParser(const TrackChunk& chunk, ParsedTrack& track, std::string& error)
        : mChunk(chunk), mCursor(chunk.body), mTrack(track), mError(error) {}

    bool parse() {
        uint64_t tick = 0;
        while (!mCursor.atEnd()) {
            mEventStart = mCursor.position();
            uint32_t delta = 0;
            if (!readVarLen(delta)) return false;
            tick += delta;
            bool endOfTrack = false;
            if (!parseEvent(tick, endOfTrack)) return false;
            if (endOfTrack) break;
        }
        mTrack.endTick = tick;
        return true;
    }

private:
    bool parseEvent(uint64_t tick, bool& endOfTrack) {
        uint8_t lead = 0;
        if (!mCursor.readU8(lead)) return truncated();
        if (lead == kMetaEvent) return parseMeta(tick, endOfTrack);
        if (lead == kSysExStart || lead == kSysExEscape) return skipSized();
        if (lead > 0xF0) return fail("unexpected status byte " + hex(lead));
        return parseChannelMessage(tick, lead);
    }

    bool parseMeta(uint64_t tick, bool& endOfTrack) {
        uint8_t type = 0;
        uint32_t length = 0;
        if (!mCursor.readU8(type)) return truncated();
        if (!readVarLen(length)) return false;
        auto data = mCursor.take(length);
        if (data.size() != length) return truncated();
        if (type == kMetaEndOfTrack) endOfTrack = true;
        if (type != kMetaTempo) return true;
        if (length != 3) return fail("tempo event of " + std::to_string(length) + " bytes");
        const uint32_t micros = (uint32_t{data[0]} << 16) | (uint32_t{data[1]} << 8) | data[2];
        if (micros == 0) return fail("tempo of 0 microseconds per quarter note");
        if (!roomForOneMore()) return false;
        mTrack.tempos.push_back({tick, micros});
        return true;
    }

    bool skipSized() {
        uint32_t length = 0;
        if (!readVarLen(length)) return false;
        return mCursor.skip(length) || truncated();
    }

    bool parseChannelMessage(uint64_t tick, uint8_t lead) {
        TrackChannelEvent event{tick, lead, 0, 0};
        uint8_t data[2] = {0, 0};
        int have = 0;
        if (lead & 0x80) {
            mRunningStatus = lead;
        } else {
            if (mRunningStatus == 0) return fail("running status without a previous status");
            event.status = mRunningStatus;
            data[have++] = lead;
        }
        for (const int count = dataByteCount(event.status); have < count; ++have) {
            if (!mCursor.readU8(data[have])) return truncated();
            if (data[have] & 0x80) {
                return fail("status byte " + hex(data[have]) + " where a data byte belongs");
            }
        }
        event.data1 = data[0];
        event.data2 = data[1];
        if (!roomForOneMore()) return false;
        mTrack.events.push_back(event);
        return true;
    }

    bool roomForOneMore() {
        if (mTrack.events.size() + mTrack.tempos.size() < mChunk.eventLimit) return true;
        mError = "too many events (more than " + std::to_string(kMaxMidiFileEvents) + ")";
        return false;
    }

    bool readVarLen(uint32_t& value) {
        switch (mCursor.readVarLen(value)) {
        case MidiByteCursor::VarLenResult::Ok:
            return true;
        case MidiByteCursor::VarLenResult::Truncated:
            return truncated();
        case MidiByteCursor::VarLenResult::TooLong:
            break;
        }
        return fail("variable-length number longer than 4 bytes");
    }

    bool truncated() {
        mError = "truncated track chunk " + std::to_string(mChunk.number) + " (event at byte " +
                 std::to_string(mChunk.fileOffset + mEventStart) + " runs past its end)";
        return false;
    }

    bool fail(const std::string& what) {
        mError = what + " in track " + std::to_string(mChunk.number) + " at byte " +
                 std::to_string(mChunk.fileOffset + mEventStart);
        return false;
    }

    static std::string hex(uint8_t value) {
        char text[8];
        std::snprintf(text, sizeof text, "0x%02X", value);
        return text;
    }

    const TrackChunk& mChunk;
    MidiByteCursor mCursor;
    ParsedTrack& mTrack;
    std::string& mError;
    size_t mEventStart = 0;
    uint8_t mRunningStatus = 0;
};

} // namespace

bool parseTrackChunk(const TrackChunk& chunk, ParsedTrack& track, std::string& error) {
    track = ParsedTrack{};
    return TrackParser(chunk, track, error).parse();
}

} // namespace kv::cli
