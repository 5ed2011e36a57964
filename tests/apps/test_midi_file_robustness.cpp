// Damaged and hostile files: every one either parses into well-formed events or is refused with a
// one-line message, and none crashes or hangs.
#include "midi_file.h"
#include "midi_test_bytes.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <random>

using kvtest::Bytes;
using kvtest::expectParsedOrRefused;
using kvtest::join;
using kvtest::kEndOfTrack;
using kvtest::parseError;
using kvtest::smfHeader;
using kvtest::track;

namespace {

// Three tracks with tempo, text, system exclusive, running status and every message kind.
Bytes richFile() {
    const Bytes conductor = join({{0x00, 0xFF, 0x03, 0x03, 'S', 'o', 'n'},
                                  {0x00, 0xFF, 0x51, 0x03, 0x07, 0xA1, 0x20},
                                  {0x83, 0x60, 0xFF, 0x51, 0x03, 0x09, 0x27, 0xC0},
                                  kEndOfTrack});
    const Bytes first = join({{0x00, 0xF0, 0x04, 0x7E, 0x7F, 0x09, 0xF7},
                              {0x00, 0x90, 60, 100},
                              {0x60, 64, 90},
                              {0x60, 60, 0},
                              {0x00, 0xB0, 1, 40},
                              {0x81, 0x00, 0xE0, 0x00, 0x50},
                              {0x00, 0x80, 64, 64},
                              kEndOfTrack});
    const Bytes second = join({{0x00, 0xC1, 7},
                               {0x10, 0xD1, 50},
                               {0x10, 0xA1, 67, 20},
                               {0x82, 0x00, 0xF7, 0x02, 0x01, 0x02},
                               {0x00, 0x91, 67, 80},
                               {0x83, 0x60, 0x81, 67, 0},
                               kEndOfTrack});
    return join({smfHeader(1, 3, 480), track(conductor), track(first), track(second)});
}

Bytes demoFile() {
    std::ifstream in(KV_DEMO_MIDI_FILE, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void setU32(Bytes& bytes, size_t at, uint32_t value) {
    for (int i = 0; i < 4; ++i)
        bytes[at + i] = static_cast<uint8_t>(value >> (24 - 8 * i));
}

} // namespace

TEST(MidiFileRobustness, TheSampleFilesParse) {
    const kv::cli::MidiFile rich = kvtest::parseOk(richFile());
    EXPECT_EQ(rich.events.size(), 11u);
    kvtest::expectWellFormed(rich);
    ASSERT_FALSE(demoFile().empty());
    kvtest::expectWellFormed(kvtest::parseOk(demoFile()));
}

TEST(MidiFileRobustness, EveryTruncationIsRefused) {
    for (const Bytes& whole : {richFile(), demoFile()}) {
        for (size_t length = 0; length < whole.size(); ++length) {
            const Bytes cut(whole.begin(), whole.begin() + static_cast<long>(length));
            const std::string error = parseError(cut);
            ASSERT_FALSE(error.empty()) << length;
            ASSERT_EQ(error.find('\n'), std::string::npos) << error;
        }
    }
}

TEST(MidiFileRobustness, FlippedBytesAtEveryPosition) {
    for (const Bytes& whole : {richFile(), demoFile()}) {
        for (size_t at = 0; at < whole.size(); ++at) {
            for (uint8_t mask : {0x01, 0x0F, 0x40, 0x80, 0xFF}) {
                Bytes damaged = whole;
                damaged[at] ^= mask;
                ASSERT_NO_FATAL_FAILURE(expectParsedOrRefused(damaged)) << at << " " << int{mask};
            }
        }
    }
}

TEST(MidiFileRobustness, AbsurdLengthsAreRefusedAsTruncated) {
    const Bytes rich = richFile();
    const size_t firstTrackLength = 14 + 4;
    for (uint32_t length : {0xFFFFFFFFu, 0x7FFFFFFFu, static_cast<uint32_t>(rich.size())}) {
        Bytes damaged = rich;
        setU32(damaged, firstTrackLength, length);
        EXPECT_EQ(parseError(damaged).rfind("truncated track chunk 1 (length ", 0), 0u);
        damaged = rich;
        setU32(damaged, 4, length); // header length
        EXPECT_EQ(parseError(damaged), "truncated MThd header");
    }
    Bytes shortHeader = rich;
    setU32(shortHeader, 4, 4);
    EXPECT_EQ(parseError(shortHeader), "MThd header of 4 bytes (at least 6 needed)");
    const Bytes hugeMeta = {0x00, 0xFF, 0x01, 0xFF, 0xFF, 0xFF, 0x7F, 'x'};
    const Bytes hugeSysEx = {0x00, 0xF0, 0xFF, 0xFF, 0xFF, 0x7F, 0xF7};
    for (const Bytes& body : {hugeMeta, hugeSysEx}) {
        EXPECT_EQ(parseError(join({smfHeader(0, 1, 480), track(body)})),
                  "truncated track chunk 1 (event at byte 22 runs past its end)");
    }
    Bytes unknown = join({smfHeader(0, 1, 96), kvtest::chunk("JUNK", {})});
    setU32(unknown, 18, 0xFFFFFFF0u);
    EXPECT_EQ(parseError(unknown), "truncated chunk 'JUNK' at byte 14 (length 4294967280, 0 bytes "
                                   "left in the file)");
}

TEST(MidiFileRobustness, LongTracksOfTinyEventsStayLinear) {
    // Half a million running-status events in one track parse quickly and completely.
    Bytes body = {0x00, 0xC0, 0x00};
    for (int i = 0; i < 500'000; ++i)
        body.insert(body.end(), {0x00, static_cast<uint8_t>(i & 0x7F)});
    const kv::cli::MidiFile file = kvtest::parseOk(join({smfHeader(0, 1, 480), track(body)}));
    EXPECT_EQ(file.events.size(), 500'001u);
}

TEST(MidiFileRobustness, RandomGarbageWithAFixedSeed) {
    std::mt19937 random(20240607);
    std::uniform_int_distribution<int> byte(0, 255);
    std::uniform_int_distribution<int> size(0, 400);
    for (int round = 0; round < 3000; ++round) {
        Bytes garbage(static_cast<size_t>(size(random)));
        for (uint8_t& b : garbage)
            b = static_cast<uint8_t>(byte(random));
        ASSERT_NO_FATAL_FAILURE(expectParsedOrRefused(garbage)) << round;
        // The same garbage behind a valid header and track chunk reaches the event parser.
        const auto tracks = static_cast<uint16_t>(1 + round % 3);
        Bytes framed =
            join({smfHeader(1, tracks, 1 + round), track(garbage), track(garbage), track(garbage)});
        ASSERT_NO_FATAL_FAILURE(expectParsedOrRefused(framed)) << round;
    }
}

TEST(MidiFileRobustness, RandomValidEventsComeBackExactly) {
    std::mt19937 random(7);
    std::uniform_int_distribution<int> data(0, 127);
    const uint8_t kinds[] = {0x80, 0x90, 0xA0, 0xB0, 0xE0};
    for (int round = 0; round < 200; ++round) {
        Bytes body;
        std::vector<kv::cli::MidiFileEvent> expected;
        for (int e = 0; e < 50; ++e) {
            const auto status = static_cast<uint8_t>(kinds[data(random) % 5] | (data(random) & 15));
            const auto d1 = static_cast<uint8_t>(data(random));
            const auto d2 = static_cast<uint8_t>(data(random));
            const bool running = !expected.empty() && expected.back().status == status;
            body.push_back(static_cast<uint8_t>(data(random) % 2)); // delta 0 or 1 tick
            if (!running) body.push_back(status);
            body.insert(body.end(), {d1, d2});
            expected.push_back({0.0, status, d1, d2});
        }
        const kv::cli::MidiFile file = kvtest::parseOk(join({smfHeader(0, 1, 480), track(body)}));
        ASSERT_EQ(file.events.size(), expected.size());
        for (size_t i = 0; i < expected.size(); ++i) {
            ASSERT_EQ(file.events[i].status, expected[i].status);
            ASSERT_EQ(file.events[i].data1, expected[i].data1);
            ASSERT_EQ(file.events[i].data2, expected[i].data2);
        }
    }
}
