#include "midi_file.h"
#include "midi_test_bytes.h"
#include "midi_track_parser.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

using kv::cli::MidiFile;
using kvtest::Bytes;
using kvtest::join;
using kvtest::kEndOfTrack;
using kvtest::parseError;
using kvtest::parseOk;
using kvtest::smfHeader;
using kvtest::track;

namespace {

// Delta 960 ticks as a variable-length number.
const Bytes kDelta960 = {0x87, 0x40};
const Bytes kDelta480 = {0x83, 0x60};

std::vector<uint8_t> notes(const MidiFile& file) {
    std::vector<uint8_t> out;
    for (const auto& e : file.events)
        out.push_back(e.data1);
    return out;
}

} // namespace

TEST(MidiFileTiming, TempoChangeHalfWayChangesTheRateFromThereOn) {
    // 120 BPM for two beats, then 60 BPM.
    const Bytes body = join({{0x00, 0xFF, 0x51, 0x03, 0x07, 0xA1, 0x20}, // 500000 us
                             {0x00, 0x90, 60, 100},
                             kDelta480,
                             {0x90, 61, 100},
                             kDelta480,
                             {0xFF, 0x51, 0x03, 0x0F, 0x42, 0x40}, // 1000000 us
                             kDelta480,
                             {0x90, 62, 100},
                             kDelta480,
                             {0x90, 63, 100},
                             kEndOfTrack});
    const MidiFile file = parseOk(join({smfHeader(0, 1, 480), track(body)}));
    ASSERT_EQ(file.events.size(), 4u);
    EXPECT_DOUBLE_EQ(file.events[0].seconds, 0.0);
    EXPECT_DOUBLE_EQ(file.events[1].seconds, 0.5);
    EXPECT_DOUBLE_EQ(file.events[2].seconds, 2.0);
    EXPECT_DOUBLE_EQ(file.events[3].seconds, 3.0);
    EXPECT_DOUBLE_EQ(file.durationSeconds, 3.0);
    EXPECT_EQ(file.format, 0);
    EXPECT_EQ(file.trackCount, 1);
}

TEST(MidiFileTiming, WithoutTempoEventsPlaysAt120BeatsPerMinute) {
    const Bytes body = join({kDelta960, {0x90, 60, 100}, kEndOfTrack});
    const MidiFile file = parseOk(join({smfHeader(0, 1, 96), track(body)}));
    ASSERT_EQ(file.events.size(), 1u);
    EXPECT_DOUBLE_EQ(file.events[0].seconds, 5.0); // 960 ticks = 10 beats at 96 per beat
}

TEST(MidiFileTiming, TempoInAnyTrackOfFormat1AppliesToAllTracks) {
    // The tempo change sits in the last track and still times the first one.
    const Bytes notesTrack =
        join({kDelta960, {0x90, 60, 100}, kDelta480, {0x90, 61, 100}, kEndOfTrack});
    const Bytes tempoTrack = join({kDelta480,
                                   {0xFF, 0x51, 0x03, 0x03, 0xD0, 0x90}, // 250000 us
                                   kEndOfTrack});
    const MidiFile file =
        parseOk(join({smfHeader(1, 2, 480), track(notesTrack), track(tempoTrack)}));
    ASSERT_EQ(file.events.size(), 2u);
    EXPECT_DOUBLE_EQ(file.events[0].seconds, 0.75);
    EXPECT_DOUBLE_EQ(file.events[1].seconds, 1.0);
}

TEST(MidiFileTiming, DurationIsWhereTheLongestTrackEnds) {
    const Bytes shortTrack = join({{0x00, 0x90, 60, 100}, kDelta480, {0xFF, 0x2F, 0x00}});
    const Bytes longTrack =
        join({{0x00, 0x90, 61, 100}, kDelta960, {0x01, 0x02}, kDelta960, {0xFF, 0x2F, 0x00}});
    const MidiFile file =
        parseOk(join({smfHeader(1, 2, 480), track(shortTrack), track(longTrack)}));
    EXPECT_DOUBLE_EQ(file.durationSeconds, 2.0);
}

TEST(MidiFileTiming, TimecodeDivisionCountsTicksPerSecond) {
    // 25 frames per second, 40 ticks per frame: 1000 ticks per second; tempo does not apply.
    const uint16_t division = static_cast<uint16_t>((0x100 - 25) << 8 | 40);
    const Bytes body = join({{0x00, 0xFF, 0x51, 0x03, 0x0F, 0x42, 0x40},
                             {0x83, 0x74, 0x90, 60, 100}, // 500 ticks
                             kEndOfTrack});
    MidiFile file = parseOk(join({smfHeader(0, 1, division), track(body)}));
    ASSERT_EQ(file.events.size(), 1u);
    EXPECT_DOUBLE_EQ(file.events[0].seconds, 0.5);

    const uint16_t ntsc = static_cast<uint16_t>((0x100 - 29) << 8 | 100);
    file = parseOk(join({smfHeader(0, 1, ntsc), track(body)}));
    ASSERT_EQ(file.events.size(), 1u);
    EXPECT_NEAR(file.events[0].seconds, 500.0 / (100 * 30000.0 / 1001.0), 1e-12);
}

TEST(MidiFileMerge, EqualTimesKeepLowerTrackFirstThenFileOrder) {
    const Bytes first =
        join({{0x00, 0x90, 1, 100}, kDelta480, {0x90, 4, 100}, {0x00, 0x90, 5, 100}, kEndOfTrack});
    const Bytes second = join({{0x00, 0x90, 2, 100},
                               {0x81, 0x70, 0x90, 3, 100}, // 240 ticks
                               {0x81, 0x70, 0x90, 6, 100},
                               kEndOfTrack});
    const MidiFile file = parseOk(join({smfHeader(1, 2, 480), track(first), track(second)}));
    EXPECT_EQ(notes(file), (std::vector<uint8_t>{1, 2, 3, 4, 5, 6}));
    EXPECT_EQ(file.trackCount, 2);
}

TEST(MidiFileMessages, RunningStatusAndEveryChannelMessageKind) {
    const Bytes body = join({{0x00, 0x93, 60, 100},
                             {0x00, 62, 90}, // running note-on
                             {0x00, 60, 0},  // note-on with velocity 0 stays a note-on
                             {0x00, 0x83, 62, 64},
                             {0x00, 0xA3, 62, 33},
                             {0x00, 0xB3, 64, 127},
                             {0x00, 0xC3, 5},
                             {0x00, 6}, // running program change: one data byte
                             {0x00, 0xD3, 77},
                             {0x00, 0xE3, 0x00, 0x40},
                             kEndOfTrack});
    const MidiFile file = parseOk(join({smfHeader(0, 1, 480), track(body)}));
    struct Expected {
        uint8_t status, data1, data2;
    };
    const Expected expected[] = {{0x93, 60, 100}, {0x93, 62, 90},  {0x93, 60, 0}, {0x83, 62, 64},
                                 {0xA3, 62, 33},  {0xB3, 64, 127}, {0xC3, 5, 0},  {0xC3, 6, 0},
                                 {0xD3, 77, 0},   {0xE3, 0, 0x40}};
    ASSERT_EQ(file.events.size(), std::size(expected));
    for (size_t i = 0; i < std::size(expected); ++i) {
        EXPECT_EQ(file.events[i].status, expected[i].status) << i;
        EXPECT_EQ(file.events[i].data1, expected[i].data1) << i;
        EXPECT_EQ(file.events[i].data2, expected[i].data2) << i;
    }
}

TEST(MidiFileMessages, MetaAndSystemExclusiveAreSkippedButTheirTimeCounts) {
    const Bytes body = join({{0x00, 0xF0, 0x03, 0x7E, 0x09, 0xF7},         // system exclusive
                             {0x00, 0xFF, 0x03, 0x04, 'L', 'e', 'a', 'd'}, // track name
                             kDelta480,
                             {0xF7, 0x02, 0x01, 0x02}, // escape
                             kDelta480,
                             {0xFF, 0x7F, 0x02, 0x00, 0x41}, // sequencer data
                             {0x00, 0x90, 60, 100},
                             kEndOfTrack});
    const MidiFile file = parseOk(join({smfHeader(0, 1, 480), track(body)}));
    ASSERT_EQ(file.events.size(), 1u);
    EXPECT_EQ(file.events[0].status, 0x90);
    EXPECT_DOUBLE_EQ(file.events[0].seconds, 1.0);
}

TEST(MidiFileMessages, RunningStatusCarriesAcrossMetaEvents) {
    const Bytes body =
        join({{0x00, 0x90, 60, 100}, {0x00, 0xFF, 0x01, 0x01, 'x'}, {0x00, 61, 100}, kEndOfTrack});
    const MidiFile file = parseOk(join({smfHeader(0, 1, 480), track(body)}));
    EXPECT_EQ(notes(file), (std::vector<uint8_t>{60, 61}));
}

TEST(MidiFileChunks, UnknownChunksLongerHeadersAndTrailingBytesAreSkipped) {
    Bytes header = smfHeader(0, 1, 480);
    header[7] = 8; // two extra header bytes
    header.insert(header.end(), {0xAA, 0xBB});
    const Bytes body = join({{0x00, 0x90, 60, 100}, kEndOfTrack});
    const MidiFile file =
        parseOk(join({header, kvtest::chunk("XFIH", {1, 2, 3}), track(body), {0xDE, 0xAD}}));
    EXPECT_EQ(notes(file), (std::vector<uint8_t>{60}));
}

TEST(MidiFileChunks, EventsAfterEndOfTrackAreIgnoredAndTheMarkerIsOptional) {
    const Bytes ended = join({{0x00, 0x90, 60, 100}, kEndOfTrack, {0x00, 0x90, 61, 100}});
    EXPECT_EQ(notes(parseOk(join({smfHeader(0, 1, 480), track(ended)}))),
              (std::vector<uint8_t>{60}));
    const Bytes unended = join({{0x00, 0x90, 60, 100}, kDelta960, {0x80, 60, 0}});
    const MidiFile file = parseOk(join({smfHeader(0, 1, 480), track(unended)}));
    EXPECT_EQ(file.events.size(), 2u);
    EXPECT_DOUBLE_EQ(file.durationSeconds, 1.0);
}

TEST(MidiFileRefusals, NameWhatIsWrong) {
    const Bytes ok = track(join({{0x00, 0x90, 60, 100}, kEndOfTrack}));
    auto withBody = [](const Bytes& body) { return join({smfHeader(0, 1, 480), track(body)}); };
    EXPECT_EQ(parseError({'R', 'I', 'F', 'F', 0, 0, 0, 0}),
              "not a Standard MIDI File (no MThd header)");
    EXPECT_EQ(parseError({}), "not a Standard MIDI File (no MThd header)");
    EXPECT_EQ(parseError(join({smfHeader(2, 1, 480), ok})),
              "format 2 MIDI files (independent sequences) are not supported");
    EXPECT_EQ(parseError(join({smfHeader(3, 1, 480), ok})), "unknown MIDI file format 3");
    EXPECT_EQ(parseError(join({smfHeader(0, 2, 480), ok, ok})),
              "format 0 MIDI file with 2 tracks (must be 1)");
    EXPECT_EQ(parseError(join({smfHeader(1, 0, 480)})), "MIDI file has no tracks");
    EXPECT_EQ(parseError(join({smfHeader(0, 1, 0), ok})),
              "MIDI file division of 0 ticks per quarter note");
    EXPECT_EQ(parseError(join({smfHeader(0, 1, 0xE700), ok})),
              "time-code division with 0 ticks per frame");
    EXPECT_EQ(parseError(join({smfHeader(0, 1, 0xF028), ok})),
              "unsupported time-code rate of 16 frames per second");
    EXPECT_EQ(parseError(join({smfHeader(1, 3, 480), ok, ok})),
              "file ends before track chunk 3 of 3");
    EXPECT_EQ(parseError(withBody({0x00, 0x40})),
              "running status without a previous status in track 1 at byte 22");
    EXPECT_EQ(parseError(withBody({0x00, 0x90, 0x3C, 0x90})),
              "status byte 0x90 where a data byte belongs in track 1 at byte 22");
    EXPECT_EQ(parseError(withBody({0xFF, 0xFF, 0xFF, 0xFF, 0x7F, 0x90, 60, 100})),
              "variable-length number longer than 4 bytes in track 1 at byte 22");
    EXPECT_EQ(parseError(withBody({0x00, 0xF8})),
              "unexpected status byte 0xF8 in track 1 at byte 22");
    EXPECT_EQ(parseError(withBody({0x00, 0xFF, 0x51, 0x03, 0, 0, 0})),
              "tempo of 0 microseconds per quarter note in track 1 at byte 22");
    EXPECT_EQ(parseError(withBody({0x00, 0xFF, 0x51, 0x02, 1, 0})),
              "tempo event of 2 bytes in track 1 at byte 22");
    EXPECT_EQ(parseError(join({smfHeader(1, 2, 480), ok, track({0x00, 0x90, 0x3C})})),
              "truncated track chunk 2 (event at byte 38 runs past its end)");
}

TEST(MidiTrackParser, StopsAtTheEventLimit) {
    // Tempo changes count too: three messages and one tempo change make four.
    const Bytes body = {0x00, 0xC0, 1, 0x00, 2, 0x00, 0xFF, 0x51, 0x03, 0x07, 0xA1, 0x20, 0x00, 3};
    kv::cli::ParsedTrack parsed;
    std::string error;
    EXPECT_TRUE(kv::cli::parseTrackChunk({body, 1, 0, 4}, parsed, error)) << error;
    EXPECT_EQ(parsed.events.size(), 3u);
    EXPECT_EQ(parsed.tempos.size(), 1u);
    EXPECT_FALSE(kv::cli::parseTrackChunk({body, 1, 0, 3}, parsed, error));
    EXPECT_EQ(error, "too many events (more than 10000000)");
}

TEST(MidiFileFromPath, ReadsFilesAndNamesThePathInErrors) {
    const std::filesystem::path dir = testing::TempDir();
    const std::string path = (dir / "kv_reader_test.mid").string();
    const Bytes bytes =
        join({smfHeader(0, 1, 480), track(join({{0x00, 0x90, 60, 1}, kEndOfTrack}))});
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
    MidiFile file;
    std::string error;
    ASSERT_TRUE(kv::cli::readMidiFile(path, file, error)) << error;
    EXPECT_EQ(notes(file), (std::vector<uint8_t>{60}));

    std::ofstream(path, std::ios::binary | std::ios::trunc) << "hello";
    EXPECT_FALSE(kv::cli::readMidiFile(path, file, error));
    EXPECT_EQ(error, path + ": not a Standard MIDI File (no MThd header)");
    std::remove(path.c_str());

    EXPECT_FALSE(kv::cli::readMidiFile(path, file, error));
    EXPECT_EQ(error, "cannot open " + path + ": No such file or directory");
    EXPECT_FALSE(kv::cli::readMidiFile(dir.string(), file, error));
    EXPECT_EQ(error, "cannot read " + dir.string() + ": not a regular file");
}
