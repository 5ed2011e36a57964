#include "midi_bytes.h"
#include "midi_file.h"
#include "midi_file_writer.h"
#include "midi_test_bytes.h"
#include "temp_folder.h"

#include <gtest/gtest.h>

#include <random>

using namespace kv::cli;
using kvtest::Bytes;

namespace {

MidiFile encodeAndParse(const MidiFileLayout& layout, const std::vector<MidiTrack>& tracks) {
    Bytes bytes;
    std::string error;
    EXPECT_TRUE(encodeMidiFile(layout, tracks, bytes, error)) << error;
    return kvtest::parseOk(bytes);
}

} // namespace

TEST(MidiVarLen, EncodesAndDecodesTheBoundaries) {
    const std::pair<uint32_t, Bytes> cases[] = {
        {0, {0x00}},
        {0x7F, {0x7F}},
        {0x80, {0x81, 0x00}},
        {0x2000, {0xC0, 0x00}},
        {0x3FFF, {0xFF, 0x7F}},
        {0x4000, {0x81, 0x80, 0x00}},
        {0x1FFFFF, {0xFF, 0xFF, 0x7F}},
        {0x200000, {0x81, 0x80, 0x80, 0x00}},
        {0x0FFFFFFF, {0xFF, 0xFF, 0xFF, 0x7F}},
    };
    for (const auto& [value, bytes] : cases) {
        Bytes encoded;
        appendVarLen(encoded, value);
        EXPECT_EQ(encoded, bytes) << value;
        MidiByteCursor cursor(encoded);
        uint32_t decoded = 1;
        EXPECT_EQ(cursor.readVarLen(decoded), MidiByteCursor::VarLenResult::Ok);
        EXPECT_EQ(decoded, value);
        EXPECT_TRUE(cursor.atEnd());
    }
}

TEST(MidiFileWriter, WritesTheExpectedBytes) {
    MidiTrack track;
    track.events = {midiChannelEvent(480, 0x80, 60, 0), midiChannelEvent(0, 0x90, 60, 100),
                    midiChannelEvent(480, 0x80, 64, 0), midiChannelEvent(0, 0xC0, 5, 99)};
    Bytes bytes;
    std::string error;
    ASSERT_TRUE(encodeMidiFile({0, 96, true}, {track}, bytes, error)) << error;
    const Bytes expected =
        kvtest::join({kvtest::smfHeader(0, 1, 96),
                      kvtest::track({0x00, 0x90, 60, 100, 0x00, 0xC0, 5, 0x83, 0x60, 0x80, 60, 0,
                                     0x00, 64, 0, 0x00, 0xFF, 0x2F, 0x00})});
    EXPECT_EQ(bytes, expected);
}

TEST(MidiFileWriter, RoundTripsThroughTheReaderWithAndWithoutRunningStatus) {
    std::mt19937 random(99);
    std::uniform_int_distribution<int> value(0, 127);
    std::uniform_int_distribution<uint32_t> tick(0, 4 * 480);
    std::vector<MidiTrack> tracks(3);
    tracks[0].events.push_back(midiTempoEvent(0, 600000));
    tracks[0].events.push_back(midiTempoEvent(960, 300000));
    tracks[0].events.push_back(midiTextMetaEvent(0, 0x03, "Tempo"));
    const uint8_t sysex[] = {0x7E, 0x7F, 0x09, 0x01, 0xF7};
    tracks[1].events.push_back(midiSysExEvent(0, sysex));
    for (int i = 0; i < 200; ++i) {
        const uint8_t kinds[] = {0x90, 0x80, 0xB0, 0xC0, 0xD0, 0xE0};
        const auto status = static_cast<uint8_t>(kinds[i % 6] | (i % 3));
        tracks[1 + i % 2].events.push_back(midiChannelEvent(tick(random), status,
                                                            static_cast<uint8_t>(value(random)),
                                                            static_cast<uint8_t>(value(random))));
    }
    const MidiFile withRunning = encodeAndParse({1, 480, true}, tracks);
    const MidiFile without = encodeAndParse({1, 480, false}, tracks);
    ASSERT_EQ(withRunning.events.size(), 200u);
    ASSERT_EQ(without.events.size(), 200u);
    for (size_t i = 0; i < 200; ++i) {
        const MidiFileEvent& a = withRunning.events[i];
        const MidiFileEvent& b = without.events[i];
        EXPECT_EQ(a.seconds, b.seconds);
        EXPECT_EQ(a.status, b.status);
        EXPECT_EQ(a.data1, b.data1);
        EXPECT_EQ(a.data2, b.data2);
    }
    // Every written message comes back at its time from the tempo map.
    for (int t = 1; t <= 2; ++t) {
        for (const MidiTrackEvent& written : tracks[t].events) {
            if (written.bytes[0] == 0xF0) continue;
            const double seconds = written.tick <= 960 ? written.tick * 0.6 / 480
                                                       : 1.2 + (written.tick - 960) * 0.3 / 480;
            bool found = false;
            for (const MidiFileEvent& e : withRunning.events) {
                found = found || (std::abs(e.seconds - seconds) < 1e-9 &&
                                  e.status == written.bytes[0] && e.data1 == written.bytes[1]);
            }
            EXPECT_TRUE(found) << written.tick;
        }
    }
}

TEST(MidiFileWriter, KeepsAnExplicitEndOfTrackAsTheOnlyOne) {
    MidiTrack track;
    track.events = {midiChannelEvent(0, 0x90, 60, 1), midiMetaEvent(1920, 0x2F, {})};
    Bytes bytes;
    std::string error;
    ASSERT_TRUE(encodeMidiFile({0, 480, true}, {track}, bytes, error));
    const Bytes expectedBody = {0x00, 0x90, 60, 1, 0x8F, 0x00, 0xFF, 0x2F, 0x00};
    EXPECT_EQ(bytes, kvtest::join({kvtest::smfHeader(0, 1, 480), kvtest::track(expectedBody)}));
    EXPECT_DOUBLE_EQ(kvtest::parseOk(bytes).durationSeconds, 2.0);
}

TEST(MidiFileWriter, RefusesWhatItCannotWrite) {
    const MidiTrack empty;
    MidiTrack badEvent;
    badEvent.events.push_back({0, {}});
    MidiTrack longGap;
    longGap.events.push_back(midiChannelEvent(0x10000000, 0x90, 60, 1));
    Bytes bytes;
    std::string error;
    EXPECT_FALSE(encodeMidiFile({0, 480, true}, {empty, empty}, bytes, error));
    EXPECT_EQ(error, "a format 0 MIDI file holds exactly one track");
    EXPECT_FALSE(encodeMidiFile({1, 480, true}, {}, bytes, error));
    EXPECT_EQ(error, "cannot write a MIDI file with 0 tracks");
    EXPECT_FALSE(encodeMidiFile({3, 480, true}, {empty}, bytes, error));
    EXPECT_EQ(error, "cannot write MIDI file format 3");
    EXPECT_FALSE(encodeMidiFile({1, 0, true}, {empty}, bytes, error));
    EXPECT_EQ(error, "ticks per quarter note must be 1..32767");
    EXPECT_FALSE(encodeMidiFile({1, 480, true}, {badEvent}, bytes, error));
    EXPECT_EQ(error, "cannot write an empty MIDI event");
    EXPECT_FALSE(encodeMidiFile({1, 480, true}, {longGap}, bytes, error));
    EXPECT_EQ(error, "cannot write a gap of more than 268435455 ticks");
}

TEST(MidiFileWriter, WritesFilesInPlaceAndFailsCleanly) {
    kvtest::TempFolder folder;
    MidiTrack track;
    track.events.push_back(midiChannelEvent(0, 0x90, 60, 1));
    std::string error;
    const std::string path = folder.file("song.mid");
    ASSERT_TRUE(writeMidiFile(path, {0, 480, true}, {track}, error)) << error;
    EXPECT_EQ(folder.entries(), std::vector<std::string>{"song.mid"});
    MidiFile file;
    ASSERT_TRUE(readMidiFile(path, file, error)) << error;
    EXPECT_EQ(file.events.size(), 1u);

    const std::string missing = folder.file("no/such/folder/song.mid");
    EXPECT_FALSE(writeMidiFile(missing, {0, 480, true}, {track}, error));
    EXPECT_EQ(error, "cannot create " + missing + ": No such file or directory");
    EXPECT_FALSE(writeMidiFile(path, {0, 480, true}, {track, track}, error));
    EXPECT_EQ(error, "cannot write " + path + ": a format 0 MIDI file holds exactly one track");
    EXPECT_EQ(folder.entries(), std::vector<std::string>{"song.mid"});
}
