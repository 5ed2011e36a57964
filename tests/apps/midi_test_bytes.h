#pragma once
// Hand-assembled Standard MIDI File bytes for reader tests.

#include "midi_file.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

namespace kvtest {

using Bytes = std::vector<uint8_t>;

inline void putU32(Bytes& out, uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8)
        out.push_back(static_cast<uint8_t>(value >> shift));
}

inline Bytes smfHeader(uint16_t format, uint16_t tracks, uint16_t division) {
    Bytes out = {'M', 'T', 'h', 'd', 0, 0, 0, 6};
    for (uint16_t v : {format, tracks, division}) {
        out.push_back(static_cast<uint8_t>(v >> 8));
        out.push_back(static_cast<uint8_t>(v));
    }
    return out;
}

inline Bytes chunk(const char* id, const Bytes& body) {
    Bytes out(id, id + 4);
    putU32(out, static_cast<uint32_t>(body.size()));
    out.insert(out.end(), body.begin(), body.end());
    return out;
}

inline Bytes track(const Bytes& body) {
    return chunk("MTrk", body);
}

inline Bytes join(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const Bytes& part : parts)
        out.insert(out.end(), part.begin(), part.end());
    return out;
}

inline const Bytes kEndOfTrack = {0x00, 0xFF, 0x2F, 0x00};

inline kv::cli::MidiFile parseOk(const Bytes& bytes) {
    kv::cli::MidiFile file;
    std::string error;
    EXPECT_TRUE(kv::cli::parseMidiFile(bytes, file, error)) << error;
    return file;
}

inline std::string parseError(const Bytes& bytes) {
    kv::cli::MidiFile file;
    std::string error;
    EXPECT_FALSE(kv::cli::parseMidiFile(bytes, file, error));
    EXPECT_TRUE(file.events.empty());
    return error;
}

// What every successful parse promises, whatever the input was.
inline void expectWellFormed(const kv::cli::MidiFile& file) {
    double previous = 0.0;
    for (const auto& e : file.events) {
        ASSERT_TRUE(std::isfinite(e.seconds));
        ASSERT_GE(e.seconds, previous);
        ASSERT_GE(e.status, 0x80);
        ASSERT_LT(e.status, 0xF0);
        ASSERT_LT(e.data1, 0x80);
        ASSERT_LT(e.data2, 0x80);
        previous = e.seconds;
    }
    ASSERT_GE(file.durationSeconds, previous);
}

// Either a parse that keeps its promises or a refusal with a one-line message.
inline void expectParsedOrRefused(const Bytes& bytes) {
    kv::cli::MidiFile file;
    std::string error;
    if (kv::cli::parseMidiFile(bytes, file, error)) {
        expectWellFormed(file);
    } else {
        ASSERT_FALSE(error.empty());
        ASSERT_EQ(error.find('\n'), std::string::npos) << error;
        ASSERT_TRUE(file.events.empty());
    }
}

} // namespace kvtest
