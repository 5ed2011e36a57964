#include "midi_bytes.h"

namespace kv::cli {

bool MidiByteCursor::readU8(uint8_t& value) {
    if (remaining() < 1) return false;
    value = mBytes[mPos++];
    return true;
}

bool MidiByteCursor::readU16(uint16_t& value) {
    if (remaining() < 2) return false;
    value = static_cast<uint16_t>((mBytes[mPos] << 8) | mBytes[mPos + 1]);
    mPos += 2;
    return true;
}

bool MidiByteCursor::readU32(uint32_t& value) {
    if (remaining() < 4) return false;
    value = 0;
    for (int i = 0; i < 4; ++i)
        value = (value << 8) | mBytes[mPos + i];
    mPos += 4;
    return true;
}

MidiByteCursor::VarLenResult MidiByteCursor::readVarLen(uint32_t& value) {
    value = 0;
    for (int i = 0; i < 4; ++i) {
        uint8_t byte = 0;
        if (!readU8(byte)) return VarLenResult::Truncated;
        value = (value << 7) | (byte & 0x7F);
        if ((byte & 0x80) == 0) return VarLenResult::Ok;
    }
    return VarLenResult::TooLong;
}

bool MidiByteCursor::skip(size_t count) {
    if (remaining() < count) return false;
    mPos += count;
    return true;
}

std::span<const uint8_t> MidiByteCursor::take(size_t count) {
    if (remaining() < count) return {};
    auto part = mBytes.subspan(mPos, count);
    mPos += count;
    return part;
}

void appendU16(std::vector<uint8_t>& out, uint16_t value) {
    out.push_back(static_cast<uint8_t>(value >> 8));
    out.push_back(static_cast<uint8_t>(value));
}

void appendU32(std::vector<uint8_t>& out, uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8)
        out.push_back(static_cast<uint8_t>(value >> shift));
}

void appendVarLen(std::vector<uint8_t>& out, uint32_t value) {
    value &= kMaxMidiVarLen;
    uint8_t groups[4];
    int count = 0;
    do {
        groups[count++] = static_cast<uint8_t>(value & 0x7F);
        value >>= 7;
    } while (value != 0);
    while (count > 1)
        out.push_back(static_cast<uint8_t>(groups[--count] | 0x80));
    out.push_back(groups[0]);
}

} // namespace kv::cli
